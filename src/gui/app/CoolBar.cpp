// TCoolBar: band order, breaks, widths and visibility over the main window's
// three tool bars, and their load and save. See CoolBar.h for the choices.
#include "gui/app/CoolBar.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QLayout>
#include <QMainWindow>
#include <QRect>
#include <QScreen>
#include <QToolBar>
#include <algorithm>
#include <vector>

#include "core/app/SettingsKeys.h"
#include "gui/app/ToolImages.h"

namespace quillet {

namespace {

constexpr Qt::ToolBarArea kArea = Qt::TopToolBarArea;
const char* const kBandNames[TCoolBar::kBandCount] = {"EditorBar", "DateBar", "TitleBar"};
const char* const kBandTitles[TCoolBar::kBandCount] = {"エディタバー", "日付バー", "タイトルバー"};

}  // namespace

// The empty last item of a band: it asks for `extra` pixels but may shrink to
// none, which is what turns a stored width into a preferred one.
class TBandPad : public QWidget {
public:
  explicit TBandPad(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  }
  void SetExtra(int extra) {
    if (extra == m_extra) return;
    m_extra = extra;
    updateGeometry();
  }
  QSize sizeHint() const override { return {m_extra, TToolImages::kImageSize}; }
  QSize minimumSizeHint() const override { return {0, TToolImages::kImageSize}; }

private:
  int m_extra = 0;
};

TCoolBar::TCoolBar(QMainWindow* window, QToolBar* editorBar, QToolBar* dateBar, QToolBar* titleBar,
                   QObject* parent)
    : QObject(parent), m_window(window), m_bands{editorBar, dateBar, titleBar},
      m_heightHint(keys::kDesignedCoolHeight) {
  for (int id = 0; id < kBandCount; ++id) {
    QToolBar* band = m_bands[static_cast<size_t>(id)];
    if (band->objectName().isEmpty()) band->setObjectName(QString::fromLatin1(kBandNames[id]));
    if (band->windowTitle().isEmpty()) band->setWindowTitle(QString::fromUtf8(kBandTitles[id]));
    // Bands live in the band area only: they neither float nor dock at the
    // sides, which the stored layout could not express.
    band->setAllowedAreas(kArea);
    band->setFloatable(false);
    band->setIconSize(QSize(TToolImages::kImageSize, TToolImages::kImageSize));
    band->setMinimumHeight(kDesignedMinHeights[static_cast<size_t>(id)]);
    band->installEventFilter(this);
    auto* pad = new TBandPad(band);
    pad->setObjectName(QStringLiteral("BandPad"));
    band->addWidget(pad);
    m_pads[static_cast<size_t>(id)] = pad;
  }
  ApplyLayout({true, true, true});
}

TCoolBar::~TCoolBar() = default;

QToolBar* TCoolBar::Band(int id) const { return ValidId(id) ? m_bands[static_cast<size_t>(id)] : nullptr; }

int TCoolBar::BandAt(int position) const {
  if (position < 0 || position >= kBandCount) return -1;
  return CurrentOrder()[static_cast<size_t>(position)];
}

int TCoolBar::PositionOf(int id) const {
  const TOrder order = CurrentOrder();
  const auto it = std::find(order.begin(), order.end(), id);
  return it == order.end() ? -1 : static_cast<int>(it - order.begin());
}

bool TCoolBar::IsBandVisible(int id) const { return ValidId(id) && !Band(id)->isHidden(); }

void TCoolBar::SetBandVisible(int id, bool visible) {
  if (!ValidId(id) || IsBandVisible(id) == visible) return;
  Band(id)->setHidden(!visible);
  emit BandVisibilityChanged(id, visible);
}

bool TCoolBar::AnyBandVisible() const {
  for (int id = 0; id < kBandCount; ++id)
    if (IsBandVisible(id)) return true;
  return false;
}

bool TCoolBar::BandBreak(int id) const {
  if (!ValidId(id)) return false;
  // The first band's flag is not visible in the window; it is only kept.
  if (PositionOf(id) == 0) return m_break[static_cast<size_t>(id)];
  return m_window->toolBarBreak(Band(id));
}

int TCoolBar::BandWidth(int id) const {
  if (!ValidId(id)) return 0;
  QToolBar* band = Band(id);
  return band->isVisible() ? band->width() : m_width[static_cast<size_t>(id)];
}

int TCoolBar::CoveredHeight() const {
  QRect covered;
  for (QToolBar* band : m_bands)
    if (band->isVisible() && m_window->toolBarArea(band) == kArea) covered |= band->geometry();
  return covered.isValid() ? covered.height() : 0;
}

int TCoolBar::Height() const {
  if (QLayout* layout = m_window->layout()) layout->activate();
  const int covered = CoveredHeight();
  return covered > 0 ? covered : m_heightHint;
}

bool TCoolBar::eventFilter(QObject* watched, QEvent* event) {
  // Follow the area's height as the layout moves the bands, so that it is
  // still known once the last band is hidden.
  if (event->type() == QEvent::Resize || event->type() == QEvent::Move) {
    if (const int covered = CoveredHeight(); covered > 0) m_heightHint = covered;
  }
  return QObject::eventFilter(watched, event);
}

TCoolBar::TOrder TCoolBar::CurrentOrder() const {
  // Geometry is only meaningful for shown bands after the layout ran; hidden
  // bands stay in the places they had, shown ones are re-read.
  if (QLayout* layout = m_window->layout()) layout->activate();
  TOrder order = m_order;
  std::vector<size_t> places;
  std::vector<QToolBar*> shown;
  for (size_t n = 0; n < order.size(); ++n) {
    QToolBar* band = m_bands[static_cast<size_t>(order[n])];
    if (band->isVisible() && m_window->toolBarArea(band) == kArea) {
      places.push_back(n);
      shown.push_back(band);
    }
  }
  std::stable_sort(shown.begin(), shown.end(), [](const QToolBar* a, const QToolBar* b) {
    const QPoint pa = a->geometry().topLeft(), pb = b->geometry().topLeft();
    return pa.y() != pb.y() ? pa.y() < pb.y() : pa.x() < pb.x();
  });
  for (size_t i = 0; i < places.size(); ++i) {
    const auto it = std::find(m_bands.begin(), m_bands.end(), shown[i]);
    order[places[i]] = static_cast<int>(it - m_bands.begin());
  }
  return order;
}

void TCoolBar::SyncFromWindow() {
  m_order = CurrentOrder();
  for (int id = 0; id < kBandCount; ++id) {
    const auto i = static_cast<size_t>(id);
    m_break[i] = BandBreak(id);
    m_width[i] = BandWidth(id);
  }
  m_heightHint = Height();
}

bool TCoolBar::EndsRow(int position) const {
  const int next = position + 1;
  return next >= kBandCount || m_break[static_cast<size_t>(m_order[static_cast<size_t>(next)])];
}

void TCoolBar::ApplyLayout(const std::array<bool, kBandCount>& visible) {
  for (QToolBar* band : m_bands) m_window->removeToolBar(band);
  // addToolBarBreak ends the area's last row, so breaks go in as the bands
  // are appended; none before the first band, which would add an empty row.
  for (size_t n = 0; n < m_order.size(); ++n) {
    const auto id = static_cast<size_t>(m_order[n]);
    if (n > 0 && m_break[id]) m_window->addToolBarBreak(kArea);
    m_window->addToolBar(kArea, m_bands[id]);
  }
  for (size_t n = 0; n < m_order.size(); ++n) {
    const int id = m_order[n];
    SetPreferredWidth(id, EndsRow(static_cast<int>(n)) ? 0 : m_width[static_cast<size_t>(id)]);
  }
  // removeToolBar hid every band; show those that are meant to be seen.
  for (size_t id = 0; id < m_bands.size(); ++id) m_bands[id]->setHidden(!visible[id]);
  if (QLayout* layout = m_window->layout()) layout->activate();
}

void TCoolBar::SetPreferredWidth(int id, int width) {
  QToolBar* band = Band(id);
  TBandPad* pad = m_pads[static_cast<size_t>(id)];
  // Measure the band without its pad's extra, then ask for the difference.
  pad->SetExtra(0);
  if (QLayout* layout = band->layout()) layout->invalidate();
  const QScreen* screen = m_window->screen();
  const int cap = screen ? screen->availableGeometry().width() / 2 : 1024;
  pad->SetExtra(std::max(0, std::min(width, cap) - band->sizeHint().width()));
}

bool TCoolBar::Load(const THIniFile& ini, const QString& optionFolder, TToolImages& images) {
  // 1. The user's tool-bar bitmap; a bad one stops everything below.
  if (keys::LoadCoolBarResource.Read(ini)) {
    const QString path = QDir(optionFolder).filePath(QStringLiteral("CoolBar.bmp"));
    if (QFileInfo::exists(path)) {
      QImageReader reader(path);
      const QImage strip = reader.read();
      if (strip.isNull() || !images.LoadFromStrip(strip)) return false;
    }
  }

  // 2. The layout, every key defaulting to what the window shows now.
  SyncFromWindow();
  std::array<bool, kBandCount> visible{};
  for (int id = 0; id < kBandCount; ++id) visible[static_cast<size_t>(id)] = IsBandVisible(id);
  const bool updates = m_window->updatesEnabled();
  m_window->setUpdatesEnabled(false);
  m_heightHint = keys::CoolHeight.Read(ini, Height());
  for (int n = 0; n < kBandCount; ++n) {
    const auto pos = static_cast<size_t>(n);
    const int wanted = ini.ReadInteger(keys::kWindow, keys::CoolBarID(n), m_order[pos]);
    // Move the wanted band to n, shifting those between; an identifier that
    // names no band leaves the position's band where it is.
    const auto it = std::find(m_order.begin(), m_order.end(), wanted);
    if (it != m_order.end()) {
      const auto from = static_cast<size_t>(it - m_order.begin());
      if (from < pos)
        std::rotate(m_order.begin() + static_cast<long>(from), m_order.begin() + static_cast<long>(from) + 1,
                    m_order.begin() + static_cast<long>(pos) + 1);
      else if (from > pos)
        std::rotate(m_order.begin() + static_cast<long>(pos), m_order.begin() + static_cast<long>(from),
                    m_order.begin() + static_cast<long>(from) + 1);
    }
    const auto id = static_cast<size_t>(m_order[pos]);
    m_break[id] = ini.ReadBool(keys::kWindow, keys::CoolBarBreak(n), m_break[id]);
    m_width[id] = ini.ReadInteger(keys::kWindow, keys::CoolBarWidth(n), m_width[id]);
    visible[id] = ini.ReadBool(keys::kWindow, keys::CoolBarVisible(n), visible[id]);
  }
  ApplyLayout(visible);
  m_window->setUpdatesEnabled(updates);

  // 3. The bar toggles follow the bands; with none shown the area is empty
  // and takes no room.
  for (int id = 0; id < kBandCount; ++id) emit BandVisibilityChanged(id, IsBandVisible(id));
  return true;
}

void TCoolBar::Save(THIniFile& ini) {
  SyncFromWindow();
  keys::CoolHeight.Write(ini, m_heightHint);
  for (int n = 0; n < kBandCount; ++n) {
    const int id = m_order[static_cast<size_t>(n)];
    const auto i = static_cast<size_t>(id);
    ini.WriteInteger(keys::kWindow, keys::CoolBarID(n), id);
    ini.WriteInteger(keys::kWindow, keys::CoolBarWidth(n), m_width[i]);
    ini.WriteBool(keys::kWindow, keys::CoolBarBreak(n), m_break[i]);
    ini.WriteBool(keys::kWindow, keys::CoolBarVisible(n), IsBandVisible(id));
  }
}

}  // namespace quillet
