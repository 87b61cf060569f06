// THStatusBar: fixed-width panels in one strip, a stretched message panel and
// a self-clearing message timer. See HStatusBar.h for the invariants.
#include "gui/app/HStatusBar.h"

#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QResizeEvent>
#include <QStringList>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>

namespace quillet {

namespace {

// Pixels left between a panel's sunken frame and its right neighbour, taken
// out of the panel's own width so that the widths still add up exactly.
constexpr int kPanelGap = 2;

// The UI font the program's dialogs use; "MS UI Gothic" stays first so that a
// substitution installed by the application wins, IPAPGothic is the installed
// Japanese proportional font it maps to.
QFont StatusFont(const QFont& base) {
  QFont font = base;
  font.setFamilies({QStringLiteral("MS UI Gothic"), QStringLiteral("IPAPGothic")});
  font.setPointSize(9);
  return font;
}

QLabel* MakePanelLabel(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  label->setLineWidth(1);
  label->setIndent(2);
  label->setTextFormat(Qt::PlainText);  // messages quote file names and user text
  label->setWordWrap(false);
  return label;
}

}  // namespace

// The strip that holds the panels. It only reports its size to the status
// bar's layout and hands every resize back to the bar, which places panels.
class THStatusBar::TPanelStrip : public QWidget {
public:
  explicit TPanelStrip(THStatusBar* bar) : QWidget(bar), m_bar(bar) {}

  QSize sizeHint() const override {
    int width = 0;
    for (const TPanel& panel : m_bar->m_panels) width += panel.width;
    return {width, RowHeight()};
  }
  // The strip may shrink to nothing: panels are clipped, never the window held wide.
  QSize minimumSizeHint() const override { return {0, RowHeight()}; }

protected:
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    m_bar->m_stripSized = true;
    m_bar->LayoutPanels();
  }

private:
  int RowHeight() const { return fontMetrics().height() + 6; }

  THStatusBar* m_bar;
};

THStatusBar::THStatusBar(QWidget* parent) : QStatusBar(parent) {
  setFont(StatusFont(font()));
  m_strip = new TPanelStrip(this);
  m_strip->setObjectName(QStringLiteral("PanelStrip"));
  m_simpleLabel = MakePanelLabel(m_strip);
  m_simpleLabel->setObjectName(QStringLiteral("SimplePanel"));
  m_simpleLabel->hide();
  // Permanent, so QStatusBar's temporary messages never hide the panels;
  // stretch 1 gives the strip all the room the size grip leaves.
  addPermanentWidget(m_strip, 1);

  m_timer.setSingleShot(true);
  m_timer.setTimerType(Qt::PreciseTimer);  // a message stays its full interval
  connect(&m_timer, &QTimer::timeout, this, &THStatusBar::OnTimer);
}

THStatusBar::~THStatusBar() = default;

void THStatusBar::SetAutoReSize(bool on) {
  m_autoReSize = on;
  LayoutPanels();
}

void THStatusBar::SetDefaultInterval(int ms) { m_defaultInterval = std::max(0, ms); }

void THStatusBar::SetReSizePanel(int index) {
  m_reSizePanel = index;
  LayoutPanels();
}

void THStatusBar::SetSimplePanel(bool on) {
  if (m_simplePanel == on) return;
  m_simplePanel = on;
  LayoutPanels();
}

QString THStatusBar::SimpleText() const { return m_simpleLabel->text(); }

void THStatusBar::SetSimpleText(const QString& text) { m_simpleLabel->setText(text); }

int THStatusBar::AddPanel(int width, Qt::Alignment alignment) {
  TPanel panel;
  panel.label = MakePanelLabel(m_strip);
  panel.label->setObjectName(QStringLiteral("Panel%1").arg(m_panels.size()));
  panel.width = std::max(0, width);
  panel.alignment = alignment & Qt::AlignHorizontal_Mask;
  panel.label->setAlignment(panel.alignment | Qt::AlignVCenter);
  m_panels.push_back(panel);
  m_strip->updateGeometry();
  LayoutPanels();
  return PanelCount() - 1;
}

QString THStatusBar::PanelText(int index) const {
  if (index < 0 || index >= PanelCount()) return {};
  return m_panels[static_cast<size_t>(index)].label->text();
}

void THStatusBar::SetPanelText(int index, const QString& text) {
  if (index < 0 || index >= PanelCount()) return;
  m_panels[static_cast<size_t>(index)].label->setText(text);
}

int THStatusBar::PanelWidth(int index) const {
  if (index < 0 || index >= PanelCount()) return 0;
  return m_panels[static_cast<size_t>(index)].width;
}

void THStatusBar::SetPanelWidth(int index, int width) {
  if (index < 0 || index >= PanelCount()) return;
  m_panels[static_cast<size_t>(index)].width = std::max(0, width);
  m_strip->updateGeometry();
  LayoutPanels();
}

Qt::Alignment THStatusBar::PanelAlignment(int index) const {
  if (index < 0 || index >= PanelCount()) return {};
  return m_panels[static_cast<size_t>(index)].alignment;
}

QRect THStatusBar::PanelRect(int index) const {
  if (index < 0 || index >= PanelCount()) return {};
  int left = 0;
  for (int i = 0; i < index; ++i) left += m_panels[static_cast<size_t>(i)].width;
  const QPoint origin = m_strip->geometry().topLeft();
  return {origin.x() + left, origin.y(), m_panels[static_cast<size_t>(index)].width, m_strip->height()};
}

int THStatusBar::PanelAreaWidth() const { return m_strip->width(); }

void THStatusBar::ShowStatusMessage(const QString& text) { ShowStatusMessage(text, m_defaultInterval); }

void THStatusBar::ShowStatusMessage(const QString& text, int intervalMs) {
  if (m_simplePanel)
    SetSimpleText(text);
  else if (HasMessagePanel())
    SetPanelText(m_reSizePanel, text);
  // The timer restarts even when no panel showed the text; its expiry then
  // clears an already empty place, which is harmless.
  m_timer.start(std::max(0, intervalMs));
}

void THStatusBar::ClearAll() {
  for (TPanel& panel : m_panels) panel.label->clear();
}

void THStatusBar::OnTimer() {
  m_timer.stop();
  if (m_simplePanel)
    SetSimpleText({});
  else if (HasMessagePanel())
    SetPanelText(m_reSizePanel, {});
  emit MessageExpired();
}

void THStatusBar::ApplyReSize() {
  // Before its first layout the strip's width means nothing; applying the
  // rule then would throw away the designed width of the message panel.
  if (!m_stripSized || m_simplePanel || !m_autoReSize || !HasMessagePanel()) return;
  int others = 0;
  for (int i = 0; i < PanelCount(); ++i)
    if (i != m_reSizePanel) others += m_panels[static_cast<size_t>(i)].width;
  m_panels[static_cast<size_t>(m_reSizePanel)].width = std::max(0, PanelAreaWidth() - others);
}

void THStatusBar::LayoutPanels() {
  ApplyReSize();
  const int height = m_strip->height();
  m_simpleLabel->setVisible(m_simplePanel);
  m_simpleLabel->setGeometry(0, 0, m_strip->width(), height);
  int left = 0;
  for (size_t i = 0; i < m_panels.size(); ++i) {
    const TPanel& panel = m_panels[i];
    const bool last = i + 1 == m_panels.size();
    const int shown = last ? panel.width : std::max(0, panel.width - kPanelGap);
    panel.label->setGeometry(left, 0, shown, height);
    panel.label->setVisible(!m_simplePanel);
    left += panel.width;
  }
}

void THStatusBar::paintEvent(QPaintEvent* /*event*/) {
  // Only the bar's background: QStatusBar would also frame the strip as one
  // item, around the panels' own sunken frames.
  QPainter painter(this);
  QStyleOption option;
  option.initFrom(this);
  style()->drawPrimitive(QStyle::PE_PanelStatusBar, &option, &painter, this);
}

THStatusBar* CreateMainStatusBar(QWidget* parent) {
  auto* bar = new THStatusBar(parent);
  bar->SetDefaultInterval(15000);
  bar->SetReSizePanel(0);
  bar->SetSimplePanel(false);
  bar->AddPanel(306, Qt::AlignLeft);     // messages
  bar->AddPanel(50, Qt::AlignHCenter);   // "変更あり"
  bar->AddPanel(50, Qt::AlignHCenter);   // "暗号化"
  bar->AddPanel(60, Qt::AlignHCenter);   // "暗号文章"
  bar->AddPanel(40, Qt::AlignHCenter);   // "閲覧"
  bar->AddPanel(50, Qt::AlignLeft);
  return bar;
}

}  // namespace quillet
