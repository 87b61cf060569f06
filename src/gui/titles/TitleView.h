// TTitleView: the title list's report view. Two columns ("日付", "タイトル")
// over a TTitleModel, whole-row single selection, read-only, rows of one
// height (so a month's rows lay out without measuring each), grid lines on
// request, no tool tips.
//
// It turns the user's gestures into the page's four action triggers:
// Clicked (a click on a row), Activated (a double click or Enter on a row),
// RowSelected (a row became the selected one; `byUser` false when the page
// selected the open day's row itself), and the context
// menu: a right click asks for the pop-up menu, the context-menu key for
// the page's context-menu action. User-interface thread only.
#pragma once

#include <QPoint>
#include <QTableView>

namespace quillet {

class TTitleModel;
struct TTitleSettings;

class TTitleView : public QTableView {
  Q_OBJECT

public:
  TTitleView(TTitleModel* model, QWidget* parent);

  TTitleModel& TitleModel() const { return *m_model; }
  // The selected row, -1 when none.
  int SelectedRow() const;
  // Selects `row` (or nothing for -1) as the page's own selection.
  void SelectRowQuietly(int row);
  // Row height for the list font and a state image of `imageHeight` pixels.
  void FitRowHeight(int imageHeight);
  // The settings' colours (system colours as the palette has them), weekend
  // colours, font, grid lines and column headers.
  void ApplyLook(const TTitleSettings& settings);

signals:
  void Clicked(int row);
  void Activated(int row);
  void RowSelected(int row, bool byUser);
  void PopupRequested(const QPoint& globalPos);
  void ContextKeyPressed();

protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

private:
  void OnCurrentChanged(const QModelIndex& current);

  TTitleModel* m_model;
  bool m_quiet = false;
};

}  // namespace quillet
