// Section "Title" of the settings file: the title list's switches, colours,
// font, actions and column widths. Read when the page is created and
// whenever its settings are applied again; only the column widths are
// written by the page (when it is released and at close), the rest by the
// options dialog (WriteTitleSettings).
#pragma once

#include "core/app/SettingsKeys.h"
#include "core/titles/TitleList.h"

namespace quillet {

namespace keys {
inline constexpr TIntKey TitleDateColumn{kTitle, "DateColumn", 80, W::Exit};
inline constexpr TIntKey TitleTitleColumn{kTitle, "TitleColumn", 70, W::Exit};
}  // namespace keys

// The list's font when the settings name none.
inline constexpr int kTitleFontSize = 9;

struct TTitleSettings {
  int DateColumn = 80;        // pixels
  int TitleColumn = 70;
  bool Sort = false;          // header clicks and the sort actions sort
  bool SelDrawSentence = true;  // a selected row's first line in the page's status bar
  bool OnlyExists = false;
  int ThreadPriority = 3;     // 0..6
  bool Synchronize = true;    // follow the saves of the open day
  bool MultiThread = false;   // collect on a worker thread
  bool Mark = true;           // the state image on the open day's row
  bool WeekEmphasis = true;   // weekend and holiday rows in their colours
  TColorRef SetBKColor = clMenuHighlight;  // selected row
  TColorRef SelTextColor = clWindow;
  TColorRef SaturdayColor = clBlue;
  TColorRef SundayColor = clRed;  // Sundays and national holidays
  TColorRef BKColor = clWindow;
  TColorRef TextColor = clWindowText;
  TTitleAction SingleAction = TTitleAction::None;
  TTitleAction DblAction = TTitleAction::Move;  // double click and Enter
  TTitleAction SelectAction = TTitleAction::None;
  TTitleAction ContextMenuAction = TTitleAction::None;
  TFontSpec Font{"MS UI Gothic", kTitleFontSize};
  bool GridLines = true;
  bool ShowColumn = true;     // column headers shown
};

// Every key of section "Title"; a missing or unreadable value gives its
// default, a priority outside 0..6 gives 3, an action outside 0..7 none, a
// negative column width the default width.
TTitleSettings ReadTitleSettings(const THIniFile& ini);
void WriteTitleColumns(THIniFile& ini, int dateColumn, int titleColumn);
// Every key the options dialog edits: the switches, the priority, the four
// actions, "BKColor", "TextColor", "SaturdayColor", "SundayColor",
// "FontName" and "FontSize". Not the column widths (the page's) nor the
// selection colours, which the dialog does not show. Values are written as
// given; ReadTitleSettings gives them back unchanged when they are in range.
void WriteTitleSettings(THIniFile& ini, const TTitleSettings& s);

}  // namespace quillet
