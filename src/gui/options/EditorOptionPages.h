// The two list controls of the editor pages of the options dialog that hold
// more than a settings key each: the editor colour list (12 named colours,
// each drawn with a swatch) and the reserved-word list of "Reserve.txt".
// The page group itself (MakeEditorOptionPages) lives in the .cpp; tests
// reach these controls by their object names ("EditColorList",
// "ReserveList"). GUI thread.
#pragma once

#include <QByteArray>
#include <QListWidget>
#include <QTreeWidget>
#include <array>
#include <vector>

#include "gui/options/ColorLabelSE.h"

namespace quillet {

class TEditorColorList : public QListWidget {
  Q_OBJECT

public:
  static constexpr int kCount = 12;

  explicit TEditorColorList(QWidget* parent = nullptr);

  TColorRef Color(int index) const { return m_colors.at(static_cast<std::size_t>(index)); }
  // Sets entry `index` (0..kCount-1, in list order) and redraws its swatch.
  void SetColor(int index, TColorRef color);
  // Replaces the colour dialog; an empty function restores QColorDialog.
  void SetColorPicker(TColorLabelSE::TColorPicker picker);
  // Asks for a new colour of the selected entry, starting from its own;
  // true when the user chose one. Nothing happens without a selection.
  bool ChangeSelected();

private:
  std::array<TColorRef, kCount> m_colors{};
  TColorLabelSE::TColorPicker m_picker;
};

// One word per row, shown decoded from code page 932; each row also keeps
// the word's stored bytes, so a word the dialog cannot show faithfully (a
// byte the code page does not map) is written back exactly as it was read.
// Clicking a column header sorts by it, ascending and descending in turn.
// The selected row is drawn on the highlight colour in the reserved-word
// style (SetSelectedStyle: 0 plain, 1 bold, 2 italic, 3 underline).
class TReserveWordView : public QTreeWidget {
  Q_OBJECT

public:
  explicit TReserveWordView(QWidget* parent = nullptr);

  void AddWord(const QString& shown, const QByteArray& stored);
  // The stored bytes of every row, in the order shown.
  std::vector<QByteArray> Words() const;
  void SetSelectedStyle(int style);
  int SelectedStyle() const { return m_style; }

signals:
  // Delete pressed on the list.
  void DeleteRequested();

protected:
  void keyPressEvent(QKeyEvent* event) override;

private:
  int m_style = 1;
  std::vector<bool> m_ascending;  // per column, the order of its next click
};

}  // namespace quillet
