// THStatusBar: a status bar of fixed-width panels, one of which (the message
// panel, `ReSizePanel`) stretches to fill the bar and shows transient
// messages that clear themselves after an interval.
//
// The panels live side by side in one strip that the bar lays out as a
// stretched permanent widget, so QStatusBar's own temporary messages (status
// tips from menus) never hide them. Panel geometry is ours, not a layout's:
// panel i starts where panel i-1 ends and is exactly PanelWidth(i) wide, so
// the widths add up to the pixel.
//
// Invariants:
// - With AutoReSize set, not in simple mode and the message panel present,
//   PanelWidth(ReSizePanel) == max(0, PanelAreaWidth() - the sum of the other
//   panels' widths) once the strip has been laid out; any width change, bar
//   resize or property change re-applies it.
// - The message timer is one-shot and precise (it never fires early); each
//   ShowStatusMessage restarts it with the full interval, and its expiry
//   clears the message text and nothing else.
//
// Everything here runs on the user-interface thread.
#pragma once

#include <QRect>
#include <QStatusBar>
#include <QString>
#include <QTimer>
#include <Qt>
#include <vector>

class QLabel;

namespace quillet {

class THStatusBar : public QStatusBar {
  Q_OBJECT

public:
  static constexpr int kDefaultInterval = 10000;  // milliseconds

  explicit THStatusBar(QWidget* parent = nullptr);
  ~THStatusBar() override;

  // Keep the message panel stretched to fill the bar (default true).
  bool AutoReSize() const { return m_autoReSize; }
  void SetAutoReSize(bool on);
  // How long ShowStatusMessage(text) keeps a message, in milliseconds
  // (default 10000; negative values are taken as 0).
  int DefaultInterval() const { return m_defaultInterval; }
  void SetDefaultInterval(int ms);
  // Index of the message panel: the stretched one and the one that shows
  // transient messages (default 0). An index past the last panel (or
  // negative) is allowed: then no panel stretches and messages show nowhere.
  int ReSizePanel() const { return m_reSizePanel; }
  void SetReSizePanel(int index);

  // Simple mode: one text across the whole bar instead of the panels.
  bool SimplePanel() const { return m_simplePanel; }
  void SetSimplePanel(bool on);
  QString SimpleText() const;
  void SetSimpleText(const QString& text);

  // Appends a panel `width` pixels wide whose text is placed by `alignment`
  // (horizontal part; the text is always centred vertically). Returns its index.
  int AddPanel(int width, Qt::Alignment alignment = Qt::AlignLeft);
  int PanelCount() const { return static_cast<int>(m_panels.size()); }
  // Panel accessors take a 0-based index; an index out of range reads as
  // empty text and zero width, and writes are ignored.
  QString PanelText(int index) const;
  void SetPanelText(int index, const QString& text);
  int PanelWidth(int index) const;
  void SetPanelWidth(int index, int width);
  Qt::Alignment PanelAlignment(int index) const;
  // Where panel `index` lies, in this bar's coordinates (its full width; the
  // sunken frame is drawn a little inside so neighbours stay apart).
  QRect PanelRect(int index) const;
  // The width the panels share: the bar less QStatusBar's edge spacing and
  // size grip. This is the "bar width" of the stretch rule.
  int PanelAreaWidth() const;

  // Shows `text` in the message panel (or as the simple text in simple mode)
  // for DefaultInterval(), or for `intervalMs` milliseconds. A second message
  // before the first expires replaces it and restarts the full interval.
  void ShowStatusMessage(const QString& text);
  void ShowStatusMessage(const QString& text, int intervalMs);
  // Empties every panel's text (the simple text and the timer are kept).
  void ClearAll();

  // The one-shot timer behind transient messages, for inspection.
  const QTimer& MessageTimer() const { return m_timer; }

signals:
  // The timer expired and the message text was cleared.
  void MessageExpired();

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  class TPanelStrip;
  friend class TPanelStrip;

  struct TPanel {
    QLabel* label = nullptr;
    int width = 0;
    Qt::Alignment alignment = Qt::AlignLeft;
  };

  bool HasMessagePanel() const { return m_reSizePanel >= 0 && m_reSizePanel < PanelCount(); }
  void ApplyReSize();
  void LayoutPanels();
  void OnTimer();

  TPanelStrip* m_strip = nullptr;
  QLabel* m_simpleLabel = nullptr;
  std::vector<TPanel> m_panels;
  QTimer m_timer;
  bool m_autoReSize = true;
  int m_defaultInterval = kDefaultInterval;
  int m_reSizePanel = 0;
  bool m_simplePanel = false;
  bool m_stripSized = false;  // the strip has had its first real geometry
};

// The main window's status bar: DefaultInterval 15000, ReSizePanel 0, not in
// simple mode, six empty panels 306 (left, stretched), 50, 50, 60, 40 (centre)
// and 50 (left) wide. The caller owns the result (through `parent`).
THStatusBar* CreateMainStatusBar(QWidget* parent = nullptr);

}  // namespace quillet
