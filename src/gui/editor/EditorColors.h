// Colours of the settings file (TColorRef, the stored format's encoding)
// as Qt colours: fixed colours by their red, green and blue; system colours
// ("clWindow", "clHotLight", ...) through the QPalette role that plays the
// same part on this desktop; "clNone" and "clDefault" as an invalid QColor,
// which the editor reads as "no colour of its own".
#pragma once

#include <QColor>
#include <QPalette>

#include "core/app/HColor.h"

namespace quillet {

QColor ToQColor(TColorRef color, const QPalette& palette);

}  // namespace quillet
