// Colours of the settings file (TColorRef, the stored format's encoding)
// as Qt colours: fixed colours by their red, green and blue; system colours
// ("clWindow", "clHotLight", ...) through the QPalette role that plays the
// same part on this desktop; "clNone" and "clDefault" as an invalid QColor,
// which the editor reads as "no colour of its own".
#pragma once

#include <QColor>
#include <QPalette>
#include <initializer_list>

#include "core/app/HColor.h"

namespace quillet {

QColor ToQColor(TColorRef color, const QPalette& palette);
// A colour as a fixed colour of the settings (0x00BBGGRR).
TColorRef ColorRefOf(const QColor& color);

// The contrast ratio of two colours by their relative luminance (WCAG 2):
// 1 for equal colours up to 21 for black on white; 4.5 is the least that
// small text needs to be read comfortably.
double ContrastRatio(const QColor& a, const QColor& b);
// Ink that reads on `back`: the first of `candidates` (invalid ones skipped)
// with a contrast of at least `minimum`, else black or white, whichever
// contrasts more (one of them always reaches 4.5).
QColor ReadableInk(const QColor& back, std::initializer_list<QColor> candidates, double minimum = 4.5);

}  // namespace quillet
