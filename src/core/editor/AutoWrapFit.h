// AutoWrapFit: the wrap column that fits the editor's window ("wrap at the
// window edge"), as a function of the widths the control measures.
//
// A = control width - text left edge - C div 2 - vertical scroll bar width,
// with the text left edge = left margin + image bar width (when shown) +
// line-number bar width (when shown) and C the width of a half-width cell;
// the column is trunc(A / C) - 2 with the wrap mark visible, else
// trunc(A / C) - 1. The wrap option's setter then clamps it to 20..250.
// The control calls it when resized, when its font changed and when the find
// and replace dialogs ask after replacing; all widths in pixels.
#pragma once

#include <optional>

namespace quillet {

class TEditorWrapOption;

struct TWrapFitMetrics {
  int ControlWidth = 0;     // client width of the control
  int LeftMargin = 0;       // Margin.Left
  bool ImagebarVisible = false;
  int ImagebarWidth = 0;
  bool LeftbarVisible = false;
  int LeftbarWidth = 0;     // the line-number bar
  int CharWidth = 0;        // C; 0 or less when not known yet
  int VScrollBarWidth = 0;  // the platform's vertical scroll bar
  bool WrapMarkVisible = false;
};

// The column before clamping, or nothing while the cell width is unknown.
std::optional<int> FitWrapByte(const TWrapFitMetrics& metrics);
// Sets the option's WrapByte from the metrics (clamped; re-cuts the store
// when the value changed and wrapping is on). False when C is unknown.
bool ApplyWrapFit(TEditorWrapOption& option, const TWrapFitMetrics& metrics);

}  // namespace quillet
