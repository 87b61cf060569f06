// Applies sections "Edit" and "Color" of the settings file to the diary's
// main editor: caret options, tab width, undo size, the wrap options, marks,
// margins, the line-number bar, the ruler, scroll bars and colours.
//
// Choices where the settings name no key of their own: the wrap mark shows
// and hides with the line-end mark ("ShowRet") in the line-end colour;
// "Column" gives the number-bar digits as its value + 1, kept within 1..12
// so a damaged file cannot push the text out of the window. The highlighter
// keys ("URL", "Mail", the reserved-word colours) are read by the
// highlighter. The font ("FontName", "FontSize") is the main window's.
#pragma once

namespace quillet {

class THIniFile;
class TEditorSE;

void LoadEditorSettings(const THIniFile& ini, TEditorSE& editor);

}  // namespace quillet
