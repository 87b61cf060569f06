// Colours as the settings files store them, and their text forms.
//
// A colour is a 32-bit value in the stored format's encoding, so that
// files move between platforms unchanged: a fixed colour is 0x00BBGGRR; a
// system colour (the window background, the highlight, ...) is 0x80000000 |
// the Windows system colour index, and the GUI maps the index to a palette
// role. clNone and clDefault are markers, not colours. The text form is the
// colour's name when it has one ("clNavy", "clWindow"), else "$" and eight
// upper-case hexadecimal digits ("$00555555").
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillet {

using TColorRef = std::uint32_t;

inline constexpr TColorRef kSystemColorFlag = 0x80000000u;

// System colours, by Windows system colour index.
inline constexpr TColorRef clScrollBar = kSystemColorFlag | 0;
inline constexpr TColorRef clBackground = kSystemColorFlag | 1;
inline constexpr TColorRef clActiveCaption = kSystemColorFlag | 2;
inline constexpr TColorRef clInactiveCaption = kSystemColorFlag | 3;
inline constexpr TColorRef clMenu = kSystemColorFlag | 4;
inline constexpr TColorRef clWindow = kSystemColorFlag | 5;
inline constexpr TColorRef clWindowFrame = kSystemColorFlag | 6;
inline constexpr TColorRef clMenuText = kSystemColorFlag | 7;
inline constexpr TColorRef clWindowText = kSystemColorFlag | 8;
inline constexpr TColorRef clCaptionText = kSystemColorFlag | 9;
inline constexpr TColorRef clActiveBorder = kSystemColorFlag | 10;
inline constexpr TColorRef clInactiveBorder = kSystemColorFlag | 11;
inline constexpr TColorRef clAppWorkSpace = kSystemColorFlag | 12;
inline constexpr TColorRef clHighlight = kSystemColorFlag | 13;
inline constexpr TColorRef clHighlightText = kSystemColorFlag | 14;
inline constexpr TColorRef clBtnFace = kSystemColorFlag | 15;
inline constexpr TColorRef clBtnShadow = kSystemColorFlag | 16;
inline constexpr TColorRef clGrayText = kSystemColorFlag | 17;
inline constexpr TColorRef clBtnText = kSystemColorFlag | 18;
inline constexpr TColorRef clInactiveCaptionText = kSystemColorFlag | 19;
inline constexpr TColorRef clBtnHighlight = kSystemColorFlag | 20;
inline constexpr TColorRef cl3DDkShadow = kSystemColorFlag | 21;
inline constexpr TColorRef cl3DLight = kSystemColorFlag | 22;
inline constexpr TColorRef clInfoText = kSystemColorFlag | 23;
inline constexpr TColorRef clInfoBk = kSystemColorFlag | 24;
inline constexpr TColorRef clHotLight = kSystemColorFlag | 26;
inline constexpr TColorRef clGradientActiveCaption = kSystemColorFlag | 27;
inline constexpr TColorRef clGradientInactiveCaption = kSystemColorFlag | 28;
inline constexpr TColorRef clMenuHighlight = kSystemColorFlag | 29;
inline constexpr TColorRef clMenuBar = kSystemColorFlag | 30;

// Markers: "no colour" (transparent, use the surrounding one) and "default".
inline constexpr TColorRef clNone = 0x1FFFFFFFu;
inline constexpr TColorRef clDefault = 0x20000000u;

// Fixed colours, 0x00BBGGRR.
inline constexpr TColorRef clBlack = 0x000000;
inline constexpr TColorRef clMaroon = 0x000080;
inline constexpr TColorRef clGreen = 0x008000;
inline constexpr TColorRef clOlive = 0x008080;
inline constexpr TColorRef clNavy = 0x800000;
inline constexpr TColorRef clPurple = 0x800080;
inline constexpr TColorRef clTeal = 0x808000;
inline constexpr TColorRef clGray = 0x808080;
inline constexpr TColorRef clSilver = 0xC0C0C0;
inline constexpr TColorRef clRed = 0x0000FF;
inline constexpr TColorRef clLime = 0x00FF00;
inline constexpr TColorRef clYellow = 0x00FFFF;
inline constexpr TColorRef clBlue = 0xFF0000;
inline constexpr TColorRef clFuchsia = 0xFF00FF;
inline constexpr TColorRef clAqua = 0xFFFF00;
inline constexpr TColorRef clWhite = 0xFFFFFF;
inline constexpr TColorRef clMoneyGreen = 0xC0DCC0;
inline constexpr TColorRef clSkyBlue = 0xF0CAA6;
inline constexpr TColorRef clCream = 0xF0FBFF;
inline constexpr TColorRef clMedGray = 0xA4A0A0;

// The colour's name ("clNavy") when it has one, else "$" + eight upper-case
// hex digits ("$00555555").
std::string ColorToString(TColorRef color);

// Reads a colour's text form: a name (ASCII case ignored), "$" and up to
// eight hex digits, or a decimal integer with optional sign as the Windows
// reader accepts (negative values are the system colours' bit
// patterns). Blanks around the text are ignored. On false `color` is unchanged.
bool StringToColor(std::string_view text, TColorRef& color);

// True for the system colours: the high bit is set, as Windows tests it
// (any such value, not only the named ones).
constexpr bool IsSystemColor(TColorRef color) { return (color & kSystemColorFlag) != 0; }

// The Windows system colour index (0..255) of a system colour, else -1.
constexpr int SystemColorIndex(TColorRef color) {
  return IsSystemColor(color) ? static_cast<int>(color & 0xFFu) : -1;
}

// Red, green, blue of a fixed colour (0..255 each); meaningless for system
// colours and markers, which the GUI resolves first.
constexpr int RedOf(TColorRef color) { return static_cast<int>(color & 0xFFu); }
constexpr int GreenOf(TColorRef color) { return static_cast<int>((color >> 8) & 0xFFu); }
constexpr int BlueOf(TColorRef color) { return static_cast<int>((color >> 16) & 0xFFu); }

}  // namespace quillet
