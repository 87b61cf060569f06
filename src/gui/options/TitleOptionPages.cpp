// The title list pages of the options dialog: "表示設定" (TitleShowSheet:
// the open day's mark, grid lines, column headers, weekend emphasis, four
// colours and the font, with a preview list) and "動作設定"
// (TitleActionSheet: the collecting thread and its priority, which days are
// listed, following saves, sorting, the first line on selection and the
// four actions).
//
// Section "Title" is read by ReadTitleSettings, the running page's reader,
// and written by WriteTitleSettings; the column widths and the selection
// colours belong to the page and stay as they are. A key left as it was
// loaded keeps its stored text (TKeptValues), so a priority of 9, which the
// reader takes as "通常", stays 9 until the user picks a level.
//
// The preview is the page's own view and model over a few sample days of
// March 2005 (a Saturday, a Sunday, the open day and a substitute holiday),
// and follows every switch, colour and the font at once.
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPainter>
#include <QPixmap>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

#include "core/app/HIniFile.h"
#include "core/base/CodePage.h"
#include "core/options/KeptValues.h"
#include "core/titles/TitleSettings.h"
#include "gui/editor/EditorColors.h"
#include "gui/options/FmOption.h"
#include "gui/options/FontLabel.h"
#include "gui/options/OptionPageGroup.h"
#include "gui/options/OptionWidgets.h"
#include "gui/titles/TitleModel.h"
#include "gui/titles/TitleView.h"

namespace quillet {

namespace {

constexpr std::string_view kSection = keys::kTitle;

constexpr const char* kPriorities[] = {"アイドル", "低い", "通常以下", "通常", "通常以上", "高い", "リアルタイム"};
// In the order of TTitleAction's values.
constexpr const char* kActions[] = {"なし",   "移動",   "タイトル編集", "開く", "保存先を開く",
                                    "再描写", "ソート(日付)", "ソート(タイトル)"};

struct TCaptioned {
  const char* key;
  const char* caption;
};

constexpr TCaptioned kShowSwitches[] = {
    {"Mark", "表示中の日付にマークを付ける(&M)"},
    {"GridLines", "グリッド線を表示する(&G)"},
    {"ShowColumn", "列見出しを表示する(&H)"},
    {"WeekEmphasis", "土日・祝日を色分けする(&E)"},
};
constexpr TCaptioned kShowColors[] = {
    {"BKColor", "背景(&B)"},
    {"TextColor", "文字(&T)"},
    {"SaturdayColor", "土曜日(&S)"},
    {"SundayColor", "日曜日・祝日(&U)"},
};
constexpr TCaptioned kActionSwitches[] = {
    {"MultiThread", "別スレッドでタイトルを収集する(&T)"},
    {"OnlyExists", "本文かタイトルのある日付のみ表示する(&E)"},
    {"Synchronize", "タイトルの保存と連携する(&Y)"},
    {"Sort", "列見出しのクリックでソートする(&S)"},
    {"SelDrawSentence", "選択時に本文の1行目を表示する(&L)"},
};
constexpr TCaptioned kActionCombos[] = {
    {"SingleAction", "シングルクリック(&1)"},
    {"DblAction", "ダブルクリック・Enter(&2)"},
    {"SelectAction", "選択時(&3)"},
    {"ContextMenuAction", "コンテキストメニュー(&4)"},
};

std::string Cp932(const char* utf8) {
  std::string bytes;
  FromUtf8(utf8, bytes);
  return bytes;
}

QPixmap PreviewMark(int side) {
  QPixmap mark(side, side);
  mark.fill(Qt::transparent);
  QPainter painter(&mark);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QColor(0x80, 0x40, 0x00));
  painter.setBrush(QColor(0xF0, 0x90, 0x10));
  const QPointF points[] = {{side / 8.0, side / 8.0}, {side * 7 / 8.0, side / 2.0}, {side / 8.0, side * 7 / 8.0}};
  painter.drawPolygon(points, 3);
  return mark;
}

class TTitleOptionPages : public TOptionPageGroup {
public:
  explicit TTitleOptionPages(QWidget* dialog) : TOptionPageGroup(dialog) {
    m_show = BuildShowPage();
    m_action = BuildActionPage();
  }

  std::vector<std::pair<int, QWidget*>> Pages() const override {
    return {{opTitleShow, m_show}, {opTitleAction, m_action}};
  }

  void Load(const THIniFile& ini) override {
    m_loaded = ReadTitleSettings(ini);
    const TTitleSettings& s = m_loaded;
    const bool show[] = {s.Mark, s.GridLines, s.ShowColumn, s.WeekEmphasis};
    for (std::size_t i = 0; i < m_showSwitches.size(); ++i) m_showSwitches[i]->setChecked(show[i]);
    const TColorRef colors[] = {s.BKColor, s.TextColor, s.SaturdayColor, s.SundayColor};
    for (std::size_t i = 0; i < m_colors.size(); ++i) m_colors[i]->SetFontColor(colors[i]);
    std::u16string family;
    ToUtf16(s.Font.name, family);
    m_loadedFamily = QString::fromStdU16String(family);
    m_font->SetChoice({m_loadedFamily, s.Font.size, clWindowText});
    const bool action[] = {s.MultiThread, s.OnlyExists, s.Synchronize, s.Sort, s.SelDrawSentence};
    for (std::size_t i = 0; i < m_actionSwitches.size(); ++i) m_actionSwitches[i]->setChecked(action[i]);
    m_priority->setCurrentIndex(s.ThreadPriority);
    const TTitleAction actions[] = {s.SingleAction, s.DblAction, s.SelectAction, s.ContextMenuAction};
    for (std::size_t i = 0; i < m_actions.size(); ++i) m_actions[i]->setCurrentIndex(static_cast<int>(actions[i]));
    m_priority->setEnabled(s.MultiThread);
    THIniFile shown("", false);
    WriteTitleSettings(shown, FromControls());
    m_kept.Remember(ini, shown, kSection);
    UpdatePreview();
  }

  QString Check() const override {
    // A face as loaded is written back as stored (see the calendar pages).
    std::string bytes;
    if (m_font->Choice().family != m_loadedFamily && !FromUtf16(m_font->Choice().family.toStdU16String(), bytes))
      return QStringLiteral("タイトル一覧のフォント名「%1」は設定ファイルに保存できません。別のフォントを選んで下さい")
          .arg(m_font->Choice().family);
    return {};
  }

  void Write(THIniFile& ini) const override {
    THIniFile now("", false);
    WriteTitleSettings(now, FromControls());
    m_kept.Write(ini, now, kSection);
  }

private:
  QWidget* BuildShowPage() {
    auto* page = new QWidget;
    auto* columns = new QHBoxLayout(page);
    auto* left = new QVBoxLayout;
    for (std::size_t i = 0; i < std::size(kShowSwitches); ++i) {
      m_showSwitches[i] = MakeCheck(page, kShowSwitches[i].key, QString::fromUtf8(kShowSwitches[i].caption));
      left->addWidget(m_showSwitches[i]);
      connect(m_showSwitches[i], &QCheckBox::toggled, this, [this] { UpdatePreview(); });
    }
    auto* group = new QGroupBox("色・フォント", page);
    auto* form = new QFormLayout(group);
    for (std::size_t i = 0; i < std::size(kShowColors); ++i) {
      auto* label = new TColorLabelSE(group);
      label->setObjectName(QString::fromLatin1(kShowColors[i].key));
      m_colors[i] = label;
      form->addRow(MakeLabel(group, QString::fromUtf8(kShowColors[i].caption), label), label);
      connect(label, &TColorLabelSE::FontChanged, this, [this] { UpdatePreview(); });
    }
    m_font = new TFontLabel(group, false, true);
    m_font->setObjectName("FontName");
    form->addRow(MakeLabel(group, "フォント(&F)", m_font), m_font);
    connect(m_font, &TColorLabelSE::FontChanged, this, [this] { UpdatePreview(); });
    left->addWidget(group);
    left->addStretch();
    columns->addLayout(left, 1);

    auto* previewGroup = new QGroupBox("プレビュー", page);
    auto* previewLayout = new QVBoxLayout(previewGroup);
    m_model = new TTitleModel(previewGroup);
    m_view = new TTitleView(m_model, previewGroup);
    m_view->setObjectName("TitlePreview");
    m_view->setFocusPolicy(Qt::NoFocus);
    m_view->setMinimumWidth(150);
    m_view->setColumnWidth(0, 80);
    m_view->setColumnWidth(1, 80);
    m_model->Clear(2005, 3);
    // Friday, Saturday, Sunday, the open day (Monday) and the substitute
    // holiday of the equinox, in the collector's caption form.
    const struct {
      int day, weekday;
      const char* caption;
      const char* title;
    } rows[] = {{4, 5, "4日(金)", "買い物"},
                {5, 6, "5日(土)", "散歩"},
                {6, 7, "6日(日)", "映画"},
                {7, 1, "7日(月)", "今日"},
                {21, 1, "21日(月)", "振替休日"}};
    TTitleList records;
    for (const auto& row : rows) records.push_back({"", Cp932(row.caption), Cp932(row.title), "", row.day, row.weekday});
    m_model->SetRecords(std::move(records));
    previewLayout->addWidget(m_view);
    columns->addWidget(previewGroup, 1);
    return page;
  }

  QWidget* BuildActionPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* form = new QFormLayout;
    for (std::size_t i = 0; i < std::size(kActionSwitches); ++i) {
      m_actionSwitches[i] = MakeCheck(page, kActionSwitches[i].key, QString::fromUtf8(kActionSwitches[i].caption));
      form->addRow(m_actionSwitches[i]);
      if (i == 0) {
        m_priority = MakeCombo(page, "ThreadPriority", {});
        for (const char* level : kPriorities) m_priority->addItem(QString::fromUtf8(level));
        form->addRow(MakeLabel(page, "スレッドの優先度(&P)", m_priority), m_priority);
        // The priority is that of the collecting thread.
        connect(m_actionSwitches[0], &QCheckBox::toggled, m_priority, &QWidget::setEnabled);
      }
    }
    layout->addLayout(form);
    auto* group = new QGroupBox("操作時の動作", page);
    auto* actions = new QFormLayout(group);
    for (std::size_t i = 0; i < std::size(kActionCombos); ++i) {
      m_actions[i] = MakeCombo(group, kActionCombos[i].key, {});
      for (const char* action : kActions) m_actions[i]->addItem(QString::fromUtf8(action));
      actions->addRow(MakeLabel(group, QString::fromUtf8(kActionCombos[i].caption), m_actions[i]), m_actions[i]);
    }
    layout->addWidget(group);
    layout->addStretch();
    return page;
  }

  // The loaded settings with the controls' values.
  TTitleSettings FromControls() const {
    TTitleSettings s = m_loaded;
    s.Mark = m_showSwitches[0]->isChecked();
    s.GridLines = m_showSwitches[1]->isChecked();
    s.ShowColumn = m_showSwitches[2]->isChecked();
    s.WeekEmphasis = m_showSwitches[3]->isChecked();
    s.BKColor = m_colors[0]->FontColor();
    s.TextColor = m_colors[1]->FontColor();
    s.SaturdayColor = m_colors[2]->FontColor();
    s.SundayColor = m_colors[3]->FontColor();
    s.Font = {ToSetting(m_font->Choice().family), m_font->Choice().size};
    s.MultiThread = m_actionSwitches[0]->isChecked();
    s.OnlyExists = m_actionSwitches[1]->isChecked();
    s.Synchronize = m_actionSwitches[2]->isChecked();
    s.Sort = m_actionSwitches[3]->isChecked();
    s.SelDrawSentence = m_actionSwitches[4]->isChecked();
    s.ThreadPriority = m_priority->currentIndex();
    s.SingleAction = static_cast<TTitleAction>(m_actions[0]->currentIndex());
    s.DblAction = static_cast<TTitleAction>(m_actions[1]->currentIndex());
    s.SelectAction = static_cast<TTitleAction>(m_actions[2]->currentIndex());
    s.ContextMenuAction = static_cast<TTitleAction>(m_actions[3]->currentIndex());
    return s;
  }

  // Draws the sample rows as the title page draws its list.
  void UpdatePreview() {
    const TTitleSettings s = FromControls();
    m_view->ApplyLook(s);
    const QPixmap mark = PreviewMark(std::clamp(m_view->fontMetrics().height(), 10, 16));
    m_view->setIconSize(mark.size());
    m_view->FitRowHeight(mark.height());
    m_model->SetMark(7, s.Mark, mark);
  }

  QWidget* m_show = nullptr;
  QWidget* m_action = nullptr;
  TTitleSettings m_loaded;
  std::array<QCheckBox*, std::size(kShowSwitches)> m_showSwitches{};
  std::array<TColorLabelSE*, std::size(kShowColors)> m_colors{};
  TFontLabel* m_font = nullptr;
  QString m_loadedFamily;
  std::array<QCheckBox*, std::size(kActionSwitches)> m_actionSwitches{};
  QComboBox* m_priority = nullptr;
  std::array<QComboBox*, std::size(kActionCombos)> m_actions{};
  TTitleModel* m_model = nullptr;
  TTitleView* m_view = nullptr;
  TKeptValues m_kept;
};

}  // namespace

std::unique_ptr<TOptionPageGroup> MakeTitleOptionPages(TFmMain&, QWidget* dialog) {
  return std::make_unique<TTitleOptionPages>(dialog);
}

}  // namespace quillet
