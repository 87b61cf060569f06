// The highlighter settings of the settings file, applied to a
// TEditorFountain: what is recognised (section "Edit": "URL", "Mail") and
// the colours (section "Color": "URL", "Mail", "ReserveStr",
// "ReserveBack", "SelString", "SelBack"; section "Edit": "ReserveBk",
// "ReserveStyle"), and the reserved words of the options folder.
//
// "ReserveBk" set means "no background of its own" (clNone) and wins over
// "ReserveBack". "ReserveStyle": 1 bold, 2 italic, 3 underline, any other
// value none. Colours may be clNone: the painter then uses the editor's own.
// The other token classes keep their defaults (no colour of their own): the
// settings file names none for them.
#pragma once

#include <string>

namespace quillet {

class THIniFile;
class TEditorFountain;

void LoadFountainSettings(const THIniFile& ini, TEditorFountain& fountain);

// Fills the reserved-word list from "Reserve.txt" in `optionFolder` (ending
// in "/"), emptying it first; a missing file leaves it empty. False when the
// file exists but cannot be read.
bool LoadReserveWords(const std::string& optionFolder, TEditorFountain& fountain);

}  // namespace quillet
