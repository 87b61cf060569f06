// TCoolBar: the band layout of the main window: three QToolBars (bands) in
// the window's top tool bar area, their order, row breaks, widths and
// visibility, loaded at start and saved at exit under the "CoolBar..." keys
// of section "Window".
//
// Band identifiers are fixed: kEditorBand 0, kDateBand 1, kTitleBand 2, and
// band positions count from 0 at the top left. A band's "break" means it
// starts a new row (a tool bar break before it); the band at position 0
// always starts the first row whatever its flag, which is kept only to be
// written back. The designed layout is EditorBar (break, 556 wide), then
// DateBar (break, 266) and TitleBar (no break, 288) on the second row.
//
// The window is the truth while the program runs: the user may drag bands
// and hide them, so the order is read back from the bands' geometry (rows top
// to bottom, bands left to right; hidden bands keep their places), breaks
// from QMainWindow::toolBarBreak and visibility from the tool bars.
//
// Choices where Qt's tool bars differ from a Windows band bar:
// - Width: Qt gives a tool bar no settable preferred width, and a minimum
//   width would stop the window from being narrower than the row (stored
//   window bounds could then not be restored). So each band gets an empty,
//   shrinkable pad as its last item, sized so that the band prefers the
//   stored width (capped at half the screen): with room to spare the band
//   is that wide, with less the pad gives way first, then buttons move to
//   the band's overflow menu as usual. A band that ends its row stretches to
//   the window edge anyway and gets no pad. Save stores each shown band's
//   actual width, and for a hidden band the width it last had. The bands'
//   own buttons must be added before this object is made.
// - "CoolHeight": the area is sized to its contents, so the stored height is
//   only a hint: Height() returns it until the bands are shown and laid out,
//   then the height the shown bands cover; with every band hidden, the
//   height they last covered (what Save then writes).
// - The "LoadCoolBar" flag is tested by the caller; Load tests
//   "LoadCoolBarResource" itself.
//
// Runs on the user-interface thread.
#pragma once

#include <QObject>
#include <QString>
#include <array>

#include "core/app/HIniFile.h"

class QMainWindow;
class QToolBar;

namespace quillet {

class TToolImages;
class TBandPad;

class TCoolBar : public QObject {
  Q_OBJECT

public:
  static constexpr int kEditorBand = 0;
  static constexpr int kDateBand = 1;
  static constexpr int kTitleBand = 2;
  static constexpr int kBandCount = 3;
  static constexpr std::array<int, kBandCount> kDesignedWidths{556, 266, 288};
  static constexpr std::array<int, kBandCount> kDesignedMinHeights{22, 22, 20};
  static constexpr std::array<bool, kBandCount> kDesignedBreaks{true, true, false};

  // Takes the window and its three tool bars (by identifier order), makes
  // them bands that stay in the top area (no floating, no other area) with
  // 16 x 16 icons and the designed minimum heights, names and titles them
  // when they have no name or title yet, and lays them out as designed,
  // re-inserting them into the window's top area. Neither the window nor the
  // bars are owned; this object watches the bars' geometry and must be
  // destroyed before them.
  TCoolBar(QMainWindow* window, QToolBar* editorBar, QToolBar* dateBar, QToolBar* titleBar,
           QObject* parent = nullptr);
  ~TCoolBar() override;

  // The start-up load, with `optionFolder` the options folder ("/" at the
  // end or not):
  // 1. When "LoadCoolBarResource" is set and optionFolder/"CoolBar.bmp"
  //    exists, it replaces `images` (TToolImages::LoadFromStrip); a bitmap
  //    that cannot be read or has the wrong size stops the load here and
  //    returns false, images and layout unchanged.
  // 2. Band order, breaks, widths and visibility from the keys, each
  //    defaulting to the current value; "CoolHeight" taken as a hint.
  // 3. BandVisibilityChanged for every band, so the bar toggles can follow.
  // Returns true when steps 2 and 3 ran.
  bool Load(const THIniFile& ini, const QString& optionFolder, TToolImages& images);
  // Writes "CoolHeight" and, for every position n, "CoolBarID"n,
  // "CoolBarWidth"n, "CoolBarBreak"n and "CoolBarVisible"n, from the layout
  // the window shows now.
  void Save(THIniFile& ini);

  // Identifier of the band at `position`, -1 out of range.
  int BandAt(int position) const;
  // Position of band `id`, -1 for an unknown identifier.
  int PositionOf(int id) const;
  QToolBar* Band(int id) const;
  // Visible means not hidden by the user (the window itself may be hidden).
  bool IsBandVisible(int id) const;
  // Shows or hides band `id`; emits BandVisibilityChanged when it changed.
  void SetBandVisible(int id, bool visible);
  bool AnyBandVisible() const;
  bool BandBreak(int id) const;
  int BandWidth(int id) const;
  // Height of the band area in pixels (see the note on "CoolHeight").
  int Height() const;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

signals:
  // A band was shown or hidden through this class, or Load finished (then
  // once for every band, changed or not).
  void BandVisibilityChanged(int id, bool visible);

private:
  using TOrder = std::array<int, kBandCount>;

  bool ValidId(int id) const { return id >= 0 && id < kBandCount; }
  // Height of the shown bands' union as laid out now, 0 when none is shown.
  int CoveredHeight() const;
  // Order, breaks, widths and height as the window shows them now.
  TOrder CurrentOrder() const;
  void SyncFromWindow();
  void ApplyLayout(const std::array<bool, kBandCount>& visible);
  bool EndsRow(int position) const;
  void SetPreferredWidth(int id, int width);

  QMainWindow* m_window;
  std::array<QToolBar*, kBandCount> m_bands{};
  std::array<TBandPad*, kBandCount> m_pads{};  // owned by the bands
  TOrder m_order{kEditorBand, kDateBand, kTitleBand};
  std::array<bool, kBandCount> m_break = kDesignedBreaks;  // by identifier
  std::array<int, kBandCount> m_width = kDesignedWidths;   // by identifier
  int m_heightHint;
};

}  // namespace quillet
