#include "gui/calendar/UCalendar.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QBoxLayout>
#include <QTimer>

#include "core/app/AppFolder.h"
#include "core/app/HIniFile.h"
#include "core/app/SettingsKeys.h"
#include "core/calendar/EntryDays.h"
#include "core/store/EntryStore.h"
#include "gui/app/UMain.h"
#include "gui/calendar/HCalendar.h"

namespace quillet {

namespace {

constexpr std::string_view kSection = keys::kCalendar;

const char* const kJapaneseWeek[] = {"日", "月", "火", "水", "木", "金", "土"};
const char* const kEnglishWeek[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

// The zoom items' tags 0..4 give Ratio 5..9.
constexpr int kRatioBase = 5;

int RatioTag(const TFmMain& window) { return window.property("calendarRatio").toInt(); }

}  // namespace

const std::array<TCalendarFontKey, 9> kCalendarFontKeys{{
    {"TitleFont", &THFonts::TitleFont},
    {"WeekSunFont", &THFonts::WeekSunFont},
    {"WeekStrFont", &THFonts::WeekStrFont},
    {"WeekSatFont", &THFonts::WeekSatFont},
    {"TrailFont", &THFonts::TrailFont},
    {"AtSelFont", &THFonts::AtSelFont},
    {"SunFont", &THFonts::SunFont},
    {"StrFont", &THFonts::StrFont},
    {"SatFont", &THFonts::SatFont},
}};

TCalPopup::TCalPopup(TFmMain& window, QWidget* parent) : QMenu(parent) {
  setObjectName("CalPopup");
  QMenu* move = addMenu(QStringLiteral("移動(&M)"));
  move->menuAction()->setObjectName("CalPopMove");
  const char* const moves[][3] = {{"CalPopPrevYear", "一年前(&W)", "ActPrevYear"},
                                  {"CalPopPrevMonth", "一ヶ月前(&X)", "ActPrevMonth"},
                                  {"CalPopNextMonth", "一ヵ月後(&Y)", "ActNextMonth"},
                                  {"CalPopNextYear", "一年後(&Z)", "ActNextYear"}};
  for (const auto& item : moves) {
    QAction* action = move->addAction(QString::fromUtf8(item[1]));
    action->setObjectName(item[0]);
    // The main window's own commands, so that the items behave as the menu's.
    QAction* command = window.Action(QString::fromLatin1(item[2]));
    connect(action, &QAction::triggered, command, &QAction::trigger);
  }
  addSeparator()->setObjectName("CalPopSep1");
  QAction* openFile = addAction(QStringLiteral("選択日付を開く(&O)"));
  openFile->setObjectName("CalPopOpenFile");
  connect(openFile, &QAction::triggered, this, &TCalPopup::OpenFile);
  QAction* openDir = addAction(QStringLiteral("保存先を開く(&D)"));
  openDir->setObjectName("CalPopOpenDir");
  connect(openDir, &QAction::triggered, this, &TCalPopup::OpenDir);
  addSeparator()->setObjectName("CalPopSep2");
  addAction(QStringLiteral("キャンセル(&X)"))->setObjectName("CalPopCancel");
}

TCalendarObject::TCalendarObject(TFmMain& window)
    : TPanelPage(kKind, QStringLiteral("CalendarSheet"), QStringLiteral("カレンダー")),
      m_window(window),
      m_popup(new TCalPopup(window, Sheet())),
      m_calendar(new THCalendar(Sheet())) {
  m_calendar->setObjectName("Calendar");
  m_calendar->SetPopupMenu(m_popup);
  m_calendar->SetCurrent(window.CurrentDate());
  m_calendar->SetRatio(RatioTag(window) + kRatioBase);

  // Centred at the top of the page, whatever width the panel is given.
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(m_calendar);
  row->addStretch();
  auto* column = new QVBoxLayout(Sheet());
  column->setContentsMargins(0, 4, 0, 0);
  column->addLayout(row);
  column->addStretch();

  // Every connection has the control as its context, so none outlives the page.
  QObject::connect(m_calendar, &THCalendar::DoubleClicked, m_calendar, [this] { OpenEntry(); });
  QObject::connect(m_calendar, &THCalendar::MoveDate, m_calendar, [this](TDate date) { OnMoveDate(date); });
  QObject::connect(m_popup, &TCalPopup::OpenFile, m_calendar, [this] { OpenEntry(); });
  QObject::connect(m_popup, &TCalPopup::OpenDir, m_calendar, [this] { OpenFolder(); });
  QObject::connect(window.Action("ActCalendarBoldDays"), &QAction::triggered, m_calendar, [this](bool checked) {
    if (checked)
      MarkDays();
    else
      ClearMarks();
  });
  for (int tag = 0; tag < 5; ++tag) {
    QAction* item = window.Action(QStringLiteral("ActCalendarRatio%1").arg(tag + 1));
    QObject::connect(item, &QAction::triggered, m_calendar, [this, tag] { OnRatio(tag); });
  }
  if (window.Action("ActCalendarBoldDays")->isChecked()) MarkDays();
}

TCalendarObject::~TCalendarObject() = default;

void TCalendarObject::ReadSettings(const THIniFile& ini) { LoadCalendarSettings(ini); }

void TCalendarObject::OnDayLoaded(TDate, bool) { SetDate(); }

void TCalendarObject::OnSaved(TDate date, const TSaveResult& result) {
  // Marked or not, the saved day shows what is on disk now, whether or not
  // the marking command is on: a deleted empty entry loses its mark at once.
  if (!result.Ok || !result.Acted || IsOtherMonth(date, m_calendar->Current())) return;
  SetDayMark(DayOf(date), result.Marked);
  RedrawDay(DayOf(date));
}

void ApplyCalendarSettings(THCalendar& c, const THIniFile& ini) {
  c.BeginUpdate();
  THProperty p = c.HProperty();
  const bool frame = ini.ReadBool(kSection, "FrameVisible", p.Frame);
  p.Frame = frame;
  p.GridLines = frame;
  p.Title = ini.ReadBool(kSection, "TitleVisible", p.Title);
  p.Week = ini.ReadBool(kSection, "WeekVisible", p.Week);
  p.Select = ini.ReadBool(kSection, "SelectVisible", p.Select);
  p.Trail = ini.ReadBool(kSection, "TrailVisible", p.Trail);
  p.Holiday = ini.ReadBool(kSection, "Holiday", p.Holiday);
  c.SetHotTrack(ini.ReadBool(kSection, "HotTrackVisible", c.HotTrack()));
  p.TitleArrangement =
      ini.ReadInteger(kSection, "TitleStyle", 0) == 0 ? TTitleArrangement::taRight : TTitleArrangement::taLeft;
  p.SelectType = ini.ReadInteger(kSection, "SelectStyle", 0) == 0 ? TSelectType::stFill : TSelectType::stFrame;
  c.SetHProperty(p);
  const auto& labels = ini.ReadInteger(kSection, "WeekStyle", 0) == 0 ? kJapaneseWeek : kEnglishWeek;
  for (int i = 0; i < 7; ++i) c.SetWeekLabel(i, QString::fromUtf8(labels[i]));

  THColors colors = c.HColors();
  colors.Color = ini.ReadColor(kSection, "Color", colors.Color);
  colors.FrameColor = ini.ReadColor(kSection, "FrameColor", colors.FrameColor);
  colors.GridLinesColor = colors.FrameColor;
  colors.HotTrackColor = ini.ReadColor(kSection, "HotTrackColor", colors.HotTrackColor);
  colors.SelectColor = ini.ReadColor(kSection, "SelectColor", colors.SelectColor);
  colors.TitleColor = ini.ReadColor(kSection, "TitleColor", colors.TitleColor);
  colors.WeekColor = ini.ReadColor(kSection, "WeekColor", colors.WeekColor);
  c.SetHColors(colors);

  THFonts fonts = c.HFonts();
  for (const TCalendarFontKey& key : kCalendarFontKeys) {
    THFont& font = fonts.*key.font;
    const std::string stem = key.name;
    font.Color = ini.ReadColor(kSection, stem + "Color", font.Color);
    // Face names are code page 932 like every text of the file; an empty
    // or missing one keeps the face.
    const std::string name = ini.ReadString(kSection, stem + "Name", "");
    if (!name.empty()) font.Font.setFamily(QString::fromStdString(PathFromSetting(name)));
    const int size = ini.ReadInteger(kSection, stem + "Size", font.Font.pointSize());
    if (size > 0) font.Font.setPointSize(size);
  }
  c.SetHFonts(fonts);
  c.EndUpdate();
}

void TCalendarObject::LoadCalendarSettings(const THIniFile& ini) { ApplyCalendarSettings(*m_calendar, ini); }

void TCalendarObject::MarkDays() {
  THCalendar& c = *m_calendar;
  c.BeginUpdate();
  c.ClearBoldDays();
  const TDate shown = c.Current();
  const std::bitset<32> days = DaysWithEntries(m_window.StoreSettings(), YearOf(shown), MonthOf(shown));
  for (int day = 1; day <= 31; ++day)
    if (days.test(static_cast<std::size_t>(day))) c.SetBoldDay(day, true);
  c.EndUpdate();
}

void TCalendarObject::ClearMarks() { m_calendar->ClearBoldDays(); }

void TCalendarObject::SetDayMark(int day, bool on) { m_calendar->SetBoldDay(day, on); }

void TCalendarObject::RedrawDay(int day) { m_calendar->DrawDay(day); }

void TCalendarObject::SetDate() {
  const TDate date = m_window.CurrentDate();
  if (m_calendar->Current() == date) return;
  // A click on another month arrives here from inside the control's own
  // change, while it still shows the old month: the marks are computed for
  // the month now set.
  m_calendar->SetCurrent(date);
  if (m_window.Action("ActCalendarBoldDays")->isChecked()) MarkDays();
}

void TCalendarObject::Centre() { Sheet()->layout()->activate(); }

void TCalendarObject::OnMoveDate(TDate toDate) {
  if (toDate == m_window.CurrentDate()) return;
  m_window.ChangeDay(toDate);
  if (m_window.CurrentDate() != toDate) {
    // The open day could not be saved and stays open; the control, which
    // stores the date after reporting it, is set back once it has.
    QTimer::singleShot(0, m_calendar, [this] { m_calendar->SetCurrent(m_window.CurrentDate()); });
  }
}

void TCalendarObject::OnRatio(int tag) {
  if (tag == RatioTag(m_window)) return;
  m_window.setProperty("calendarRatio", tag);
  m_calendar->SetRatio(tag + kRatioBase);
  Centre();
}

void TCalendarObject::OpenEntry() {
  const TStoreSettings& settings = m_window.StoreSettings();
  const TDate date = m_window.CurrentDate();
  const std::string path = EntryPath(settings, date);
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    // The outside editor is given a file to open: an empty one, which is no
    // entry until something is written into it.
    const int fd = EnsureEntryFolder(settings, date).empty()
                       ? -1
                       : ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno != EEXIST) {
      m_window.ShowStatusMessage(QString::fromUtf8(kMsgFolderFailed.data(), kMsgFolderFailed.size()));
      return;
    }
    if (fd >= 0) ::close(fd);
  } else if ((info.st_mode & S_IWUSR) == 0) {
    // Saves leave entries read-only; the outside editor must be able to write.
    ::chmod(path.c_str(), info.st_mode | S_IWUSR);
  }
  m_window.OpenWithTool(keys::ToolEditor, QString::fromStdString(path));
  m_window.SetExternalEditPending();
}

void TCalendarObject::OpenFolder() {
  std::string failed;
  const std::string folder = EnsureEntryFolder(m_window.StoreSettings(), m_window.CurrentDate(), &failed);
  if (folder.empty()) {
    m_window.ShowStatusMessage(QString::fromUtf8(kMsgFolderFailed.data(), kMsgFolderFailed.size()));
    return;
  }
  m_window.OpenWithTool(keys::ToolFiler, QString::fromStdString(folder));
}

}  // namespace quillet
