// The published property groups of the editor control: marks, margins, the
// line-number bar, the ruler, the image bar, speed settings, the mouse
// cursors per area and the colours rows are painted with. Plain values; the
// control repaints and re-measures when told they changed
// (TEditor::PropertiesChanged).
//
// Colours: an invalid QColor means "none" (clNone in the settings): no fill
// of its own, the editor's background shows through.
#pragma once

#include <QColor>
#include <QCursor>

namespace quillet {

struct TEditorMark {
  QColor Color = QColor(0x80, 0x80, 0x80);
  bool Visible = false;
};

// End-of-text "[EOF]", line end, wrap, undisplayable byte, caret-row underline.
struct TEditorMarks {
  TEditorMark EofMark;
  TEditorMark RetMark;
  TEditorMark WrapMark;
  TEditorMark HideMark{QColor(0x80, 0x80, 0x80), true};
  TEditorMark Underline{QColor(0x80, 0x80, 0x80), true};
};

// Pixels: between characters, left of the text, between rows, above the text.
struct TEditorMargin {
  int Character = 0;
  int Left = 2;
  int Line = 0;
  int Top = 2;
};

enum class TNumberMode { nmRow, nmLine };

// The line-number bar.
struct TEditorLeftbar {
  QColor BkColor;  // none: the editor's background
  QColor Color = QColor(0x80, 0x80, 0x80);
  int Column = 4;  // digits
  bool Edge = false;
  int LeftMargin = 4;
  int RightMargin = 4;
  bool ShowNumber = true;
  TNumberMode ShowNumberMode = TNumberMode::nmRow;
  bool Visible = true;
  bool ZeroBase = false;
  bool ZeroLead = false;
};

struct TEditorRuler {
  QColor BkColor;
  QColor Color = QColor(0x80, 0x80, 0x80);
  bool Edge = false;
  int GaugeRange = 10;  // 8 or 10 columns between numbered ticks
  QColor MarkColor = QColor(0, 0, 0);
  bool Visible = false;
};

// The bar of row marks, left of the line numbers.
struct TEditorImagebar {
  int DigitWidth = 8;
  int LeftMargin = 2;
  int MarkWidth = 12;
  int RightMargin = 2;
  bool Visible = false;
};

// Kept for the settings that carry them; the control moves by whole rows
// and pages.
struct TEditorSpeed {
  int CaretVerticalAc = 2;
  bool InitBracketsFull = false;
  int PageVerticalRange = 2;
  int PageVerticalRangeAc = 2;
};

struct TEditorCursors {
  QCursor DefaultCursor{Qt::IBeamCursor};
  QCursor DragSelCursor{Qt::DragMoveCursor};
  QCursor DragSelCopyCursor{Qt::DragCopyCursor};
  QCursor InSelCursor{Qt::ArrowCursor};
  QCursor LeftMarginCursor{Qt::ArrowCursor};  // replaced by the right-pointing arrow
  QCursor TopMarginCursor{Qt::ArrowCursor};
};

// How a search hit is shown: selected, drawn in the hit colour, or the caret
// only. Kept for the find dialogs; the control selects hits.
enum class THitStyle { hsSelect, hsDraw, hsCaret };

// The plain colours of text; token colours come from the highlighter.
struct TEditorTextColors {
  QColor Text = QColor(0, 0, 0);
  QColor Back = QColor(0xFF, 0xFF, 0xFF);
  QColor SelText = QColor(0xFF, 0xFF, 0xFF);
  QColor SelBack = QColor(0, 0, 0x80);
};

// TEditorSE's marks for blanks.
struct TSEMarks {
  TEditorMark DblSpaceMark;
  TEditorMark SpaceMark;
  TEditorMark TabMark;
};

enum class TClickableType { SingleClick, DoubleClick };

struct TSEProperty {
  bool AutoWrap = false;
  bool ClickableURL = true;
  TClickableType ClickableType = TClickableType::DoubleClick;
  bool DoubleBuf = false;  // Qt paints through a back buffer always
  bool OwnerClickable = true;
  bool SelTokenDblClick = false;
};

}  // namespace quillet
