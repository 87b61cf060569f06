// Every key of the settings file "Option/quillet.ini" that the shell reads or
// writes, with its section, type, default and when it is written, in one
// place. Each later subsystem reads its keys from here rather than spelling
// section and key names again.
//
// A few defaults depend on the running program (the program folder, the login
// name, the window's current bounds); those keys carry an empty or zero
// default here and the caller passes the real one (see the comments).
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/app/HColor.h"
#include "core/app/HIniFile.h"

namespace quillet {

enum class TWhenWritten { Exit, Options, Never };

struct TFlagKey {
  std::string_view section;
  std::string_view key;
  bool def;
  TWhenWritten when;
  bool Read(const THIniFile& ini) const { return ini.ReadBool(section, key, def); }
  void Write(THIniFile& ini, bool value) const { ini.WriteBool(section, key, value); }
};

struct TIntKey {
  std::string_view section;
  std::string_view key;
  int def;
  TWhenWritten when;
  int Read(const THIniFile& ini) const { return ini.ReadInteger(section, key, def); }
  int Read(const THIniFile& ini, int runtimeDefault) const { return ini.ReadInteger(section, key, runtimeDefault); }
  void Write(THIniFile& ini, int value) const { ini.WriteInteger(section, key, value); }
};

struct TTextKey {
  std::string_view section;
  std::string_view key;
  std::string_view def;
  TWhenWritten when;
  std::string Read(const THIniFile& ini) const { return ini.ReadString(section, key, def); }
  std::string Read(const THIniFile& ini, std::string_view runtimeDefault) const { return ini.ReadString(section, key, runtimeDefault); }
  void Write(THIniFile& ini, std::string_view value) const { ini.WriteString(section, key, value); }
};

struct TColorKey {
  std::string_view section;
  std::string_view key;
  TColorRef def;
  TColorRef Read(const THIniFile& ini) const { return ini.ReadColor(section, key, def); }
  void Write(THIniFile& ini, TColorRef value) const { ini.WriteColor(section, key, value); }
};

namespace keys {

inline constexpr std::string_view kWindow = "Window";
inline constexpr std::string_view kEdit = "Edit";
inline constexpr std::string_view kColor = "Color";
inline constexpr std::string_view kBoot = "Boot";
inline constexpr std::string_view kShortCut = "ShortCut";
inline constexpr std::string_view kCalendar = "Calendar";
inline constexpr std::string_view kTask = "Task";
inline constexpr std::string_view kViewer = "Viewer";
inline constexpr std::string_view kTitle = "Title";
inline constexpr std::string_view kSearch = "Search";
inline constexpr std::string_view kGrep = "Grep";

using W = TWhenWritten;

// The designed window bounds and band bar height, used when nothing is stored.
inline constexpr TBounds kDesignedBounds{120, 200, 760, 560};
inline constexpr int kDesignedCoolHeight = 48;
// The number-key default, shared with the key methods of the cipher.
inline constexpr int kDefaultKeyNumber = 164;

// Section "Window".
inline constexpr TFlagKey EnCrypt{kWindow, "EnCrypt", false, W::Options};
inline constexpr TFlagKey Method{kWindow, "Method", false, W::Options};
inline constexpr TIntKey Number{kWindow, "Number", kDefaultKeyNumber, W::Options};
inline constexpr TTextKey Word{kWindow, "Word", "", W::Options};  // scrambled; empty: the login name
inline constexpr TFlagKey CheckTimeStump{kWindow, "CheckTimeStump", false, W::Options};
inline constexpr TTextKey SaveExt{kWindow, "SaveExt", ".txt", W::Options};
inline constexpr TTextKey SavePath{kWindow, "SavePath", "", W::Options};  // default AppFolder
inline constexpr TFlagKey SaveReadOnly{kWindow, "SaveReadOnly", true, W::Options};
inline constexpr TIntKey SaveStyle{kWindow, "SaveStyle", 0, W::Options};
inline constexpr TIntKey WakeUp{kWindow, "WakeUp", 0, W::Options};
inline constexpr TFlagKey Entry{kWindow, "Entry", false, W::Options};
inline constexpr TTextKey EntryText{kWindow, "EntryText", "", W::Options};  // scrambled
inline constexpr TIntKey State{kWindow, "State", 0, W::Exit};
inline constexpr TFlagKey SaveWndPos{kWindow, "SaveWndPos", true, W::Options};
inline constexpr TFlagKey CommandWndPos{kWindow, "CommandWndPos", false, W::Options};
inline constexpr std::string_view kPositionSuffix = "Position";  // "TopPosition", ...
inline constexpr TIntKey WrapOrder{kWindow, "WrapOrder", 1, W::Exit};
inline constexpr TFlagKey ShowMenu{kWindow, "ShowMenu", true, W::Exit};
inline constexpr TFlagKey MenuSimplify{kWindow, "MenuSimplify", false, W::Exit};
inline constexpr TFlagKey ShowHint{kWindow, "ShowHint", true, W::Exit};
inline constexpr TFlagKey ShowStatusBar{kWindow, "ShowStatusBar", true, W::Exit};
inline constexpr TIntKey PanelWidth{kWindow, "PanelWidth", 185, W::Exit};
inline constexpr TFlagKey PanelAlign{kWindow, "PanelAlign", true, W::Exit};  // true: right edge
inline constexpr TFlagKey TabStyle{kWindow, "TabStyle", false, W::Exit};
inline constexpr TIntKey TitleWidth{kWindow, "TitleWidth", 150, W::Exit};
inline constexpr TIntKey LastTab{kWindow, "LastTab", 0, W::Exit};
inline constexpr TIntKey CoolHeight{kWindow, "CoolHeight", kDesignedCoolHeight, W::Exit};
inline constexpr TTextKey ToolEditor{kWindow, "ToolEditor", "", W::Never};
inline constexpr TTextKey ToolFiler{kWindow, "ToolFiler", "", W::Never};
inline constexpr TTextKey ToolBrowser{kWindow, "ToolBrowser", "", W::Never};
inline constexpr TTextKey ToolMailer{kWindow, "ToolMailer", "", W::Never};
inline constexpr TTextKey ToolViewer{kWindow, "ToolViewer", "", W::Never};
// Band keys carry the band position n: "CoolBarID0", "CoolBarWidth0", ...
std::string CoolBarID(int n);
std::string CoolBarWidth(int n);
std::string CoolBarBreak(int n);
std::string CoolBarVisible(int n);

// Section "Edit".
inline constexpr std::string_view kDefaultFontName = "FixedSys";
inline constexpr int kDefaultFontSize = 9;
inline constexpr TIntKey History{kEdit, "History", 20, W::Options};  // absolute value taken
inline constexpr TIntKey WrapByte{kEdit, "WrapByte", 80, W::Options};
inline constexpr TFlagKey ShowLeftBar{kEdit, "ShowLeftBar", true, W::Options};
inline constexpr TFlagKey ShowRuler{kEdit, "ShowRuler", false, W::Options};
inline constexpr TFlagKey ShowEOF{kEdit, "ShowEOF", false, W::Options};
inline constexpr TFlagKey ShowRet{kEdit, "ShowRet", false, W::Options};
inline constexpr TFlagKey ShowSpace{kEdit, "ShowSpace", false, W::Options};
inline constexpr TFlagKey ShowDblSpace{kEdit, "ShowDblSpace", false, W::Options};
inline constexpr TFlagKey ShowTab{kEdit, "ShowTab", false, W::Options};
inline constexpr TFlagKey ShowUnderLine{kEdit, "ShowUnderLine", true, W::Options};
inline constexpr TIntKey HScrollBar{kEdit, "HScrollBar", 0, W::Options};
inline constexpr TIntKey VScrollBar{kEdit, "VScrollBar", 0, W::Options};
inline constexpr TFlagKey ShowDoubleBuf{kEdit, "ShowDoubleBuf", false, W::Options};
inline constexpr TIntKey UndoBuf{kEdit, "UndoBuf", 256, W::Options};
inline constexpr TIntKey TabCount{kEdit, "TabCount", 0, W::Options};
inline constexpr TIntKey LeftMargin{kEdit, "LeftMargin", 2, W::Options};
inline constexpr TIntKey TopMargin{kEdit, "TopMargin", 2, W::Options};
inline constexpr TIntKey LineMargin{kEdit, "LineMargin", 0, W::Options};
inline constexpr TIntKey CharacterMargin{kEdit, "CharacterMargin", 0, W::Options};
inline constexpr TFlagKey AutoIndent{kEdit, "AutoIndent", false, W::Options};
inline constexpr TFlagKey BackSpaceUnIndent{kEdit, "BackSpaceUnIndent", false, W::Options};
inline constexpr TFlagKey FreeCaret{kEdit, "FreeCaret", false, W::Options};
inline constexpr TFlagKey KeepCaret{kEdit, "KeepCaret", true, W::Options};
inline constexpr TFlagKey LockScroll{kEdit, "LockScroll", true, W::Options};
inline constexpr TFlagKey NextLine{kEdit, "NextLine", true, W::Options};
inline constexpr TFlagKey RowSelect{kEdit, "RowSelect", true, W::Options};
inline constexpr TFlagKey SelMove{kEdit, "SelMove", true, W::Options};
inline constexpr TFlagKey SoftTab{kEdit, "SoftTab", false, W::Options};
inline constexpr TFlagKey TabIndent{kEdit, "TabIndent", false, W::Options};
inline constexpr TFlagKey URL{kEdit, "URL", true, W::Options};
inline constexpr TFlagKey Mail{kEdit, "Mail", true, W::Options};
inline constexpr TFlagKey ClickableType{kEdit, "ClickableType", false, W::Options};
inline constexpr TFlagKey LeftBarBkColor{kEdit, "LeftBarBkColor", true, W::Options};
inline constexpr TFlagKey RulerBkColor{kEdit, "RulerBkColor", true, W::Options};
inline constexpr TFlagKey ZeroBase{kEdit, "ZeroBase", false, W::Options};
inline constexpr TFlagKey ZeroLead{kEdit, "ZeroLead", false, W::Options};
inline constexpr TFlagKey LeftEdge{kEdit, "LeftEdge", false, W::Options};
inline constexpr TIntKey Column{kEdit, "Column", 3, W::Options};
inline constexpr TFlagKey RulerEdge{kEdit, "RulerEdge", false, W::Options};
inline constexpr TIntKey GaugeRange{kEdit, "GaugeRange", 1, W::Options};  // 0: gauge 8, else 10
inline constexpr TFlagKey FollowRet{kEdit, "FollowRet", false, W::Options};
inline constexpr TFlagKey FollowPunctuation{kEdit, "FollowPunctuation", false, W::Options};
// Texts below are code page 932 bytes, as the settings file holds them.
inline constexpr TTextKey PunctuationStr{kEdit, "PunctuationStr",
    "\x81\x41\x81\x42\x81\x43\x81\x44,.\xA1\xA4", W::Options};  // 、。，．,.｡､
inline constexpr TFlagKey Leading{kEdit, "Leading", true, W::Options};
inline constexpr TTextKey FollowStr{kEdit, "FollowStr",
    "\x81\x41\x81\x42\x81\x43\x81\x44\x81\x45\x81\x48\x81\x49\x81\x4A\x81\x4B\x81\x52\x81\x53"
    "\x81\x54\x81\x55\x81\x58\x81\x5B\x81\x6A\x81\x6E\x81\x70\x81\x76\x81\x78"
    "!),.:;?]}\xA1\xA3\xA4\xA5\xB0\xDE\xDF",
    W::Options};  // 、。，．・？！゛゜ヽヾゝゞ々ー）］｝」』!),.:;?]}｡｣､･ｰﾞﾟ
inline constexpr TTextKey LeadStr{kEdit, "LeadStr",
    "\x81\x69\x81\x6D\x81\x6F\x81\x75\x81\x77([{\xA2", W::Options};  // （［｛「『([{｢
inline constexpr TFlagKey WordBreak{kEdit, "WordBreak", false, W::Options};
inline constexpr TFlagKey ReserveBk{kEdit, "ReserveBk", true, W::Options};
inline constexpr TIntKey ReserveStyle{kEdit, "ReserveStyle", 1, W::Options};

// Section "Color" (editor colours).
inline constexpr TColorKey ColorString{kColor, "String", clBlack};
inline constexpr TColorKey ColorBack{kColor, "Back", clWhite};
inline constexpr TColorKey ColorSelString{kColor, "SelString", clWhite};
inline constexpr TColorKey ColorSelBack{kColor, "SelBack", clNavy};
inline constexpr TColorKey ColorEOF{kColor, "EOF", clGray};
inline constexpr TColorKey ColorRet{kColor, "Ret", clGray};
inline constexpr TColorKey ColorSpace{kColor, "Space", clGray};
inline constexpr TColorKey ColorDblSpace{kColor, "DblSpace", clGray};
inline constexpr TColorKey ColorTab{kColor, "Tab", clGray};
inline constexpr TColorKey ColorUnderLine{kColor, "UnderLine", clGray};
inline constexpr TColorKey ColorURL{kColor, "URL", clHotLight};
inline constexpr TColorKey ColorMail{kColor, "Mail", clHotLight};
inline constexpr TColorKey ColorLeftBar{kColor, "LeftBar", clGray};
inline constexpr TColorKey ColorLeftBarBk{kColor, "LeftBarBk", clNone};
inline constexpr TColorKey ColorRuler{kColor, "Ruler", clGray};
inline constexpr TColorKey ColorRulerBk{kColor, "RulerBk", clNone};
inline constexpr TColorKey ColorRulerGaugeRange{kColor, "RulerGaugeRange", clBlack};
inline constexpr TColorKey ColorReserveStr{kColor, "ReserveStr", clBlack};
inline constexpr TColorKey ColorReserveBack{kColor, "ReserveBack", clNone};

// Section "Search": the check boxes of the find and replace windows,
// written when one of them closes.
inline constexpr TFlagKey SearchByte{kSearch, "Byte", false, W::Exit};  // match case
inline constexpr TFlagKey SearchRecursion{kSearch, "Recursion", false, W::Exit};  // wrap around

// Section "Boot": which loaders run at start.
inline constexpr TFlagKey LoadMenu{kBoot, "LoadMenu", true, W::Options};
inline constexpr TFlagKey LoadEditor{kBoot, "LoadEditor", true, W::Options};
inline constexpr TFlagKey LoadReserve{kBoot, "LoadReserve", true, W::Options};
inline constexpr TFlagKey LoadCoolBar{kBoot, "LoadCoolBar", true, W::Options};
inline constexpr TFlagKey LoadCoolBarResource{kBoot, "LoadCoolBarResource", true, W::Options};
inline constexpr TFlagKey LoadCalendar{kBoot, "LoadCalendar", true, W::Options};
inline constexpr TFlagKey LoadTask{kBoot, "LoadTask", true, W::Options};
inline constexpr TFlagKey LoadViewer{kBoot, "LoadViewer", true, W::Options};
inline constexpr TFlagKey LoadTitle{kBoot, "LoadTitle", true, W::Options};
inline constexpr TFlagKey LoadTitleResource{kBoot, "LoadTitleResource", true, W::Options};

// Panel pages: "OnCreate" decides whether the page is built at start.
inline constexpr TFlagKey CalendarOnCreate{kCalendar, "OnCreate", false, W::Exit};
inline constexpr TFlagKey TaskOnCreate{kTask, "OnCreate", false, W::Exit};
inline constexpr TFlagKey ViewerOnCreate{kViewer, "OnCreate", false, W::Exit};
inline constexpr TFlagKey TitleOnCreate{kTitle, "OnCreate", false, W::Exit};
inline constexpr TFlagKey BoldDays{kCalendar, "BoldDays", true, W::Exit};
inline constexpr TIntKey Ratio{kCalendar, "Ratio", 0, W::Exit};  // 0..4, else 0
inline constexpr TIntKey ViewerSize{kViewer, "Size", 96, W::Options};  // absolute value taken
inline constexpr TTextKey CachePath{kViewer, "CachePath", "", W::Options};  // default AppFolder + "Cache/"
inline constexpr TFlagKey SaveCache{kViewer, "SaveCache", true, W::Options};
inline constexpr TFlagKey ShowInformation{kViewer, "ShowInformation", false, W::Options};
inline constexpr TFlagKey SusieAppPath{kViewer, "SusieAppPath", true, W::Options};
inline constexpr TFlagKey SusieSystem{kViewer, "SusieSystem", true, W::Options};
inline constexpr TFlagKey SusieWindows{kViewer, "SusieWindows", true, W::Options};
inline constexpr TFlagKey SusieCommand{kViewer, "SusieCommand", true, W::Options};
inline constexpr TTextKey SusieCommandPath{kViewer, "SusieCommandPath", "", W::Options};  // default AppFolder + "Plugin/"

// Section "Task": the task page's look and behaviour, written by the options
// dialog (TTaskSettings reads them with their rules).
inline constexpr TColorKey TaskBackColor{kTask, "BackColor", clWindow};
inline constexpr TColorKey TaskStrColor{kTask, "StrColor", clWindowText};
inline constexpr TFlagKey TaskGridLines{kTask, "GridLines", true, W::Options};
inline constexpr TFlagKey TaskHotTrack{kTask, "HotTrack", false, W::Options};
inline constexpr TIntKey TaskHover{kTask, "Hover", 3000, W::Options};  // milliseconds
inline constexpr TFlagKey TaskDoubleBuf{kTask, "DoubleBuf", true, W::Options};
inline constexpr TFlagKey TaskAsk{kTask, "Ask", false, W::Options};
inline constexpr TFlagKey TaskLimitEmphasis{kTask, "LimitEmphasis", true, W::Options};
inline constexpr TIntKey TaskDblClickStyle{kTask, "DblClickStyle", 0, W::Options};  // 0 memo, 1 editor
inline constexpr TIntKey TaskLimitDate{kTask, "LimitDate", 3, W::Options};  // days
inline constexpr TIntKey TaskRowColoringStyle{kTask, "RowColoringStyle", 0, W::Options};
inline constexpr TColorKey TaskRowColor{kTask, "RowColor", 0x00EFFDE3};
inline constexpr TColorKey TaskTrailColor{kTask, "TrailColor", clSilver};
inline constexpr TColorKey TaskHighPriorityColor{kTask, "HighPriorityColor", clRed};
inline constexpr TColorKey TaskNormalPriorityColor{kTask, "NormalPriorityColor", clWindowText};
inline constexpr TColorKey TaskLowPriorityColor{kTask, "LowPriorityColor", clHotLight};

// Values read with their rules applied.
// |History|; a stored INT_MIN, whose absolute value int cannot hold, gives INT_MAX.
int ReadHistory(const THIniFile& ini);
// "Ratio" when it is 0..4, anything else 0.
int ReadRatio(const THIniFile& ini);
// |Size|, saturated like ReadHistory.
int ReadViewerSize(const THIniFile& ini);
// "FontName"/"FontSize" of "Edit", default "FixedSys" 9 (an empty name too).
TFontSpec ReadEditorFont(const THIniFile& ini);
void WriteEditorFont(THIniFile& ini, const TFontSpec& font);

}  // namespace keys
}  // namespace quillet
