// The options dialog's task pages: 表示設定 (colours, grid lines, hot
// tracking, hover time, row colouring, double buffering) and 動作設定 (the
// delete question, the emphasis of tasks whose limit is near, the number of
// days counted as near, the double-click action). Section "Task", read back
// by the running page with ReadTaskSettings.
//
// Controls are named after their key constants ("TaskBackColor",
// "TaskGridLines"...): the title pages have keys of the same name in their
// own section.
#include <QFormLayout>
#include <QGroupBox>
#include <QSpinBox>
#include <QVBoxLayout>
#include <climits>

#include "core/tasks/TaskFile.h"
#include "gui/options/ColorLabelSE.h"
#include "gui/options/OptionPageGroup.h"
#include "gui/options/OptionWidgets.h"

namespace quillet {

namespace {

// The colour entries of the show page, in the order the page lists them.
struct TTaskColorEntry {
  const char* name;
  const char* caption;
  TColorRef TTaskSettings::* color;
};
constexpr TTaskColorEntry kColors[] = {
    {"TaskBackColor", "背景色(&B)", &TTaskSettings::BackColor},
    {"TaskLowPriorityColor", "優先度「低」(&L)", &TTaskSettings::LowPriorityColor},
    {"TaskNormalPriorityColor", "優先度「中」(&N)", &TTaskSettings::NormalPriorityColor},
    {"TaskHighPriorityColor", "優先度「高」(&H)", &TTaskSettings::HighPriorityColor},
    {"TaskRowColor", "行の着色(&R)", &TTaskSettings::RowColor},
    {"TaskStrColor", "文字色(&S)", &TTaskSettings::StrColor},
    {"TaskTrailColor", "期限切れ(&P)", &TTaskSettings::TrailColor},
};

QSpinBox* MakeSpin(QWidget* parent, const char* name, int maximum) {
  auto* spin = new QSpinBox(parent);
  spin->setObjectName(QString::fromLatin1(name));
  spin->setRange(0, maximum);
  return spin;
}

class TTaskOptionPages : public TOptionPageGroup {
public:
  explicit TTaskOptionPages(QWidget* dialog) : TOptionPageGroup(dialog) {
    BuildShowPage();
    BuildActionPage();
  }

  std::vector<std::pair<int, QWidget*>> Pages() const override {
    return {{opTaskShow, m_showPage}, {opTaskAction, m_actionPage}};
  }

  void Load(const THIniFile& ini) override {
    const TTaskSettings s = ReadTaskSettings(ini);
    for (std::size_t i = 0; i < std::size(kColors); ++i) m_colors[i]->SetFontColor(s.*kColors[i].color);
    m_gridLines->setChecked(s.GridLines);
    m_hotTrack->setChecked(s.HotTrack);
    m_doubleBuf->setChecked(s.DoubleBuf);
    // A value outside a control's range is shown, and written back, as the
    // nearest one the control holds.
    m_hover->setValue(s.Hover);
    m_rowColoring->setCurrentIndex(s.RowColoringStyle >= 0 && s.RowColoringStyle <= 2 ? s.RowColoringStyle : 0);
    m_ask->setChecked(s.Ask);
    m_limitEmphasis->setChecked(s.LimitEmphasis);
    m_limitDate->setValue(s.LimitDate);
    m_dblClick->setCurrentIndex(s.DblClickStyle == 1 ? 1 : 0);
  }

  void Write(THIniFile& ini) const override {
    TTaskSettings s;
    for (std::size_t i = 0; i < std::size(kColors); ++i) s.*kColors[i].color = m_colors[i]->FontColor();
    s.GridLines = m_gridLines->isChecked();
    s.HotTrack = m_hotTrack->isChecked();
    s.DoubleBuf = m_doubleBuf->isChecked();
    s.Hover = m_hover->value();
    s.RowColoringStyle = m_rowColoring->currentIndex();
    s.Ask = m_ask->isChecked();
    s.LimitEmphasis = m_limitEmphasis->isChecked();
    s.LimitDate = m_limitDate->value();
    s.DblClickStyle = m_dblClick->currentIndex();
    WriteTaskSettings(ini, s);
  }

private:
  void BuildShowPage() {
    m_showPage = new QWidget;
    auto* layout = new QVBoxLayout(m_showPage);
    auto* group = new QGroupBox("色", m_showPage);
    auto* colors = new QFormLayout(group);
    for (std::size_t i = 0; i < std::size(kColors); ++i) {
      m_colors[i] = new TColorLabelSE(group);
      m_colors[i]->setObjectName(QString::fromLatin1(kColors[i].name));
      colors->addRow(MakeLabel(group, QString::fromUtf8(kColors[i].caption), m_colors[i]), m_colors[i]);
    }
    layout->addWidget(group);
    m_gridLines = MakeCheck(m_showPage, "TaskGridLines", "グリッド線を表示する(&G)");
    m_hotTrack = MakeCheck(m_showPage, "TaskHotTrack", "ホットトラックする(&T)");
    m_doubleBuf = MakeCheck(m_showPage, "TaskDoubleBuf", "ダブルバッファリングで描画する(&D)");
    layout->addWidget(m_gridLines);
    layout->addWidget(m_hotTrack);
    layout->addWidget(m_doubleBuf);
    auto* form = new QFormLayout;
    m_hover = MakeSpin(m_showPage, "TaskHover", INT_MAX);
    m_hover->setSuffix(" ms");
    form->addRow(MakeLabel(m_showPage, "ホバー時間(&V)", m_hover), m_hover);
    m_rowColoring = MakeCombo(m_showPage, "TaskRowColoringStyle", {"非着色", "奇数行着色", "偶数行着色"});
    form->addRow(MakeLabel(m_showPage, "行の着色方法(&K)", m_rowColoring), m_rowColoring);
    layout->addLayout(form);
    layout->addStretch();
  }

  void BuildActionPage() {
    m_actionPage = new QWidget;
    auto* layout = new QVBoxLayout(m_actionPage);
    m_ask = MakeCheck(m_actionPage, "TaskAsk", "削除時に確認する(&D)");
    m_limitEmphasis = MakeCheck(m_actionPage, "TaskLimitEmphasis", "期限の近いタスクを強調する(&E)");
    layout->addWidget(m_ask);
    layout->addWidget(m_limitEmphasis);
    auto* form = new QFormLayout;
    m_limitDate = MakeSpin(m_actionPage, "TaskLimitDate", 36500);
    m_limitDate->setSuffix(" 日");
    form->addRow(MakeLabel(m_actionPage, "期限が近いとみなす日数(&N)", m_limitDate), m_limitDate);
    m_dblClick = MakeCombo(m_actionPage, "TaskDblClickStyle", {"メモを表示", "当該タスクを編集"});
    form->addRow(MakeLabel(m_actionPage, "ダブルクリック時の動作(&W)", m_dblClick), m_dblClick);
    layout->addLayout(form);
    layout->addStretch();
    // The day count matters only while near limits are emphasised.
    connect(m_limitEmphasis, &QCheckBox::toggled, m_limitDate, &QWidget::setEnabled);
  }

  QWidget* m_showPage = nullptr;
  QWidget* m_actionPage = nullptr;
  TColorLabelSE* m_colors[std::size(kColors)] = {};
  QCheckBox* m_gridLines = nullptr;
  QCheckBox* m_hotTrack = nullptr;
  QCheckBox* m_doubleBuf = nullptr;
  QSpinBox* m_hover = nullptr;
  QComboBox* m_rowColoring = nullptr;
  QCheckBox* m_ask = nullptr;
  QCheckBox* m_limitEmphasis = nullptr;
  QSpinBox* m_limitDate = nullptr;
  QComboBox* m_dblClick = nullptr;
};

}  // namespace

std::unique_ptr<TOptionPageGroup> MakeTaskOptionPages(TFmMain&, QWidget* dialog) {
  return std::make_unique<TTaskOptionPages>(dialog);
}

}  // namespace quillet
