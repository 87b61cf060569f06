// The calendar pages of the options dialog: "表示設定" (CalendarPropertySheet:
// the calendar's switches and styles, national holidays included) and
// "色設定" (CalendarColorSheet: six colours and nine fonts), each with a
// preview calendar of a fixed month.
//
// Section "Calendar" is read and written with the rules of the running
// calendar page (ApplyCalendarSettings): the controls show what the page
// makes of each key, the previews are drawn by that same routine from the
// controls written into a scratch file, so every change of a switch, a
// combo, a colour or a font redraws both previews exactly as the page will
// look after the apply. The stored size of each font is used by the page
// and the previews alike.
//
// A key left as it was loaded keeps its stored text (TKeptValues): a
// "TitleStyle" of 5, a font size of 0 or a colour the reader cannot read
// stay in the file as they were.
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <array>

#include "core/app/HIniFile.h"
#include "core/app/SettingsKeys.h"
#include "core/base/CodePage.h"
#include "core/options/KeptValues.h"
#include "gui/calendar/HCalendar.h"
#include "gui/calendar/UCalendar.h"
#include "gui/options/FmOption.h"
#include "gui/options/FontLabel.h"
#include "gui/options/OptionPageGroup.h"
#include "gui/options/OptionWidgets.h"

namespace quillet {

namespace {

constexpr std::string_view kSection = keys::kCalendar;

struct TCaptioned {
  const char* key;
  const char* caption;
};

// The switches of "表示設定", each a flag of the section.
constexpr TCaptioned kSwitches[] = {
    {"FrameVisible", "枠(&F)"},          {"TitleVisible", "年月(&T)"},
    {"WeekVisible", "曜日(&W)"},         {"TrailVisible", "前後の月の日付(&R)"},
    {"SelectVisible", "選択日(&S)"},     {"HotTrackVisible", "ホットトラック(&H)"},
    {"Holiday", "祝日を日曜日と同じに表示(&D)"},
};

// The three styles: the item index is the stored integer (the reader takes
// 0 as the first item and any other value as the second).
const struct {
  const char* key;
  const char* caption;
  const char* items[2];
} kStyles[] = {
    {"TitleStyle", "年月の位置(&P)", {"右端", "左端"}},
    {"WeekStyle", "曜日の表記(&N)", {"日..土", "Sun..Sat"}},
    {"SelectStyle", "選択日の表示(&Y)", {"領域塗り潰し", "領域縁取り"}},
};

constexpr TCaptioned kColors[] = {
    {"Color", "背景(&B)"},       {"FrameColor", "枠(&F)"},   {"HotTrackColor", "ホットトラック(&H)"},
    {"SelectColor", "選択(&S)"}, {"TitleColor", "年月(&T)"}, {"WeekColor", "曜日(&W)"},
};

// Captions of the fonts in the order of kCalendarFontKeys. Access keys stay
// clear of the dialog's buttons (O, A, C).
constexpr const char* kFontCaptions[] = {"年月(&I)",   "曜日・日曜(&U)", "曜日・平日(&K)",
                                         "曜日・土曜(&E)", "前後の月(&R)",   "選択日(&L)",
                                         "日曜・祝日(&N)", "平日(&D)",       "土曜(&Y)"};

// The previews show a month with national holidays on weekdays (3 to 5 May)
// and a selected day away from them.
const TDate kPreviewDate = MakeDate(2005, 5, 10);

class TCalendarOptionPages : public TOptionPageGroup {
public:
  explicit TCalendarOptionPages(QWidget* dialog) : TOptionPageGroup(dialog) {
    m_property = BuildPropertyPage();
    m_color = BuildColorPage();
  }

  std::vector<std::pair<int, QWidget*>> Pages() const override {
    return {{opCalendarProperty, m_property}, {opCalendarColor, m_color}};
  }

  void Load(const THIniFile& ini) override {
    // What the running page makes of the file, read by its own routine.
    THCalendar read;
    ApplyCalendarSettings(read, ini);
    const THProperty& p = read.HProperty();
    const bool switches[] = {p.Frame, p.Title, p.Week, p.Trail, p.Select, read.HotTrack(), p.Holiday};
    for (std::size_t i = 0; i < m_switches.size(); ++i) m_switches[i]->setChecked(switches[i]);
    m_styles[0]->setCurrentIndex(p.TitleArrangement == TTitleArrangement::taRight ? 0 : 1);
    m_styles[1]->setCurrentIndex(ini.ReadInteger(kSection, "WeekStyle", 0) == 0 ? 0 : 1);
    m_styles[2]->setCurrentIndex(p.SelectType == TSelectType::stFill ? 0 : 1);
    const THColors& c = read.HColors();
    const TColorRef colors[] = {c.Color, c.FrameColor, c.HotTrackColor, c.SelectColor, c.TitleColor, c.WeekColor};
    for (std::size_t i = 0; i < m_colors.size(); ++i) m_colors[i]->SetFontColor(colors[i]);
    for (std::size_t i = 0; i < m_fonts.size(); ++i) {
      const THFont& font = read.HFonts().*kCalendarFontKeys[i].font;
      m_fonts[i]->SetChoice({font.Font.family(), font.Font.pointSize(), font.Color});
      m_loadedFamilies[i] = font.Font.family();
    }
    THIniFile shown("", false);
    WriteControls(shown);
    m_kept.Remember(ini, shown, kSection);
    UpdatePreviews();
  }

  QString Check() const override {
    // A face the code page cannot spell would be stored as something else.
    // A face as loaded is written back as stored and is not the user's to
    // fix here.
    for (std::size_t i = 0; i < m_fonts.size(); ++i) {
      std::string bytes;
      if (m_fonts[i]->Choice().family == m_loadedFamilies[i]) continue;
      if (!FromUtf16(m_fonts[i]->Choice().family.toStdU16String(), bytes))
        return QStringLiteral("カレンダーのフォント名「%1」は設定ファイルに保存できません。別のフォントを選んで下さい")
            .arg(m_fonts[i]->Choice().family);
    }
    return {};
  }

  void Write(THIniFile& ini) const override {
    THIniFile now("", false);
    WriteControls(now);
    m_kept.Write(ini, now, kSection);
  }

private:
  QWidget* BuildPropertyPage() {
    auto* page = new QWidget;
    auto* columns = new QHBoxLayout(page);
    auto* left = new QVBoxLayout;
    auto* group = new QGroupBox("表示する項目", page);
    auto* grid = new QGridLayout(group);
    for (std::size_t i = 0; i < std::size(kSwitches); ++i) {
      QCheckBox* box = MakeCheck(group, kSwitches[i].key, QString::fromUtf8(kSwitches[i].caption));
      m_switches[i] = box;
      // The holiday switch is a sentence of its own; the rest pair up.
      if (i + 1 == std::size(kSwitches))
        grid->addWidget(box, static_cast<int>(i / 2) + 1, 0, 1, 2);
      else
        grid->addWidget(box, static_cast<int>(i / 2), static_cast<int>(i % 2));
      connect(box, &QCheckBox::toggled, this, [this] { UpdatePreviews(); });
    }
    left->addWidget(group);
    auto* form = new QFormLayout;
    for (std::size_t i = 0; i < std::size(kStyles); ++i) {
      QComboBox* box = MakeCombo(page, kStyles[i].key, {kStyles[i].items[0], kStyles[i].items[1]});
      m_styles[i] = box;
      form->addRow(MakeLabel(page, QString::fromUtf8(kStyles[i].caption), box), box);
      connect(box, &QComboBox::currentIndexChanged, this, [this] { UpdatePreviews(); });
    }
    left->addLayout(form);
    left->addStretch();
    columns->addLayout(left, 1);
    columns->addWidget(BuildPreview(page, 0), 0, Qt::AlignTop);
    return page;
  }

  QWidget* BuildColorPage() {
    auto* page = new QWidget;
    auto* columns = new QHBoxLayout(page);
    auto* left = new QVBoxLayout;
    auto* colorGroup = new QGroupBox("色", page);
    auto* colorForm = new QFormLayout(colorGroup);
    for (std::size_t i = 0; i < std::size(kColors); ++i) {
      auto* label = new TColorLabelSE(colorGroup);
      label->setObjectName(QString::fromLatin1(kColors[i].key));
      m_colors[i] = label;
      colorForm->addRow(MakeLabel(colorGroup, QString::fromUtf8(kColors[i].caption), label), label);
      connect(label, &TColorLabelSE::FontChanged, this, [this] { UpdatePreviews(); });
    }
    left->addWidget(colorGroup);
    auto* fontGroup = new QGroupBox("フォント", page);
    auto* fontForm = new QFormLayout(fontGroup);
    for (std::size_t i = 0; i < kCalendarFontKeys.size(); ++i) {
      auto* label = new TFontLabel(fontGroup);
      label->setObjectName(QString::fromLatin1(kCalendarFontKeys[i].name));
      m_fonts[i] = label;
      fontForm->addRow(MakeLabel(fontGroup, QString::fromUtf8(kFontCaptions[i]), label), label);
      connect(label, &TColorLabelSE::FontChanged, this, [this] { UpdatePreviews(); });
    }
    left->addWidget(fontGroup);
    left->addStretch();
    columns->addLayout(left, 1);
    columns->addWidget(BuildPreview(page, 1), 0, Qt::AlignTop);
    return page;
  }

  QWidget* BuildPreview(QWidget* page, std::size_t index) {
    auto* group = new QGroupBox("プレビュー", page);
    auto* layout = new QVBoxLayout(group);
    auto* preview = new THCalendar(group);
    preview->setObjectName(QStringLiteral("CalendarPreview%1").arg(index + 1));
    preview->SetCurrent(kPreviewDate);
    // A preview shows the look; it does not move to other days.
    preview->SetMoveByClick(false);
    m_previews[index] = preview;
    layout->addWidget(preview, 0, Qt::AlignHCenter | Qt::AlignTop);
    return group;
  }

  // The controls as section "Calendar" stores them.
  void WriteControls(THIniFile& ini) const {
    for (std::size_t i = 0; i < m_switches.size(); ++i)
      ini.WriteBool(kSection, kSwitches[i].key, m_switches[i]->isChecked());
    for (std::size_t i = 0; i < m_styles.size(); ++i)
      ini.WriteInteger(kSection, kStyles[i].key, m_styles[i]->currentIndex());
    for (std::size_t i = 0; i < m_colors.size(); ++i)
      ini.WriteColor(kSection, kColors[i].key, m_colors[i]->FontColor());
    for (std::size_t i = 0; i < m_fonts.size(); ++i) {
      const std::string stem = kCalendarFontKeys[i].name;
      const TFontChoice& font = m_fonts[i]->Choice();
      ini.WriteColor(kSection, stem + "Color", font.color);
      ini.WriteString(kSection, stem + "Name", ToSetting(font.family));
      ini.WriteInteger(kSection, stem + "Size", font.size);
    }
  }

  void UpdatePreviews() {
    THIniFile now("", false);
    WriteControls(now);
    for (THCalendar* preview : m_previews) ApplyCalendarSettings(*preview, now);
  }

  QWidget* m_property = nullptr;
  QWidget* m_color = nullptr;
  std::array<QCheckBox*, std::size(kSwitches)> m_switches{};
  std::array<QComboBox*, std::size(kStyles)> m_styles{};
  std::array<TColorLabelSE*, std::size(kColors)> m_colors{};
  std::array<TFontLabel*, 9> m_fonts{};
  std::array<QString, 9> m_loadedFamilies;
  std::array<THCalendar*, 2> m_previews{};
  TKeptValues m_kept;
};

}  // namespace

std::unique_ptr<TOptionPageGroup> MakeCalendarOptionPages(TFmMain&, QWidget* dialog) {
  return std::make_unique<TCalendarOptionPages>(dialog);
}

}  // namespace quillet
