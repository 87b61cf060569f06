// TToolImages: the tool-bar images, drawn as 16 x 16 pixel art with QPainter,
// and their replacement by a user's strip bitmap. See ToolImages.h.
//
// Drawing is done without antialiasing and with opaque colours only, so each
// pixel is fully opaque or fully transparent: a strip rendered on magenta and
// loaded back gives the same images. No colour below is magenta.
#include "gui/app/ToolImages.h"

#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygon>
#include <array>
#include <functional>

namespace quillet {

namespace {

constexpr int kS = TToolImages::kImageSize;

// A small palette, kept apart from magenta.
const QColor kInk(0x20, 0x20, 0x20);
const QColor kGrey(0x80, 0x80, 0x80);
const QColor kLight(0xC8, 0xC8, 0xC8);
const QColor kPaper(0xFF, 0xFF, 0xFF);
const QColor kNavy(0x1C, 0x30, 0x78);
const QColor kBlue(0x30, 0x68, 0xD0);
const QColor kPale(0xB0, 0xD0, 0xF4);
const QColor kGreen(0x1E, 0x96, 0x3C);
const QColor kRed(0xD0, 0x28, 0x20);
const QColor kBrown(0x8A, 0x58, 0x2C);
const QColor kTan(0xC8, 0x96, 0x5A);
const QColor kGold(0xF0, 0xC8, 0x30);

using TDraw = std::function<void(QPainter&)>;

QImage Blank() {
  QImage image(kS, kS, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  return image;
}

QImage Paint(const TDraw& draw) {
  QImage image = Blank();
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(Qt::NoPen);
  draw(painter);
  painter.end();
  return image;
}

// Solid polygon with no outline.
void Fill(QPainter& p, const QPolygon& polygon, const QColor& colour) {
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.drawPolygon(polygon);
}

void Line(QPainter& p, int x1, int y1, int x2, int y2, const QColor& colour, int width = 1) {
  p.setPen(QPen(colour, width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  p.drawLine(x1, y1, x2, y2);
  p.setPen(Qt::NoPen);
}

// A framed rectangle covering exactly (x, y, w, h).
void Box(QPainter& p, int x, int y, int w, int h, const QColor& frame, const QColor& inside) {
  p.fillRect(x, y, w, h, frame);
  p.fillRect(x + 1, y + 1, w - 2, h - 2, inside);
}

// A sheet of paper with a few text lines.
void Page(QPainter& p, int x, int y, int w, int h) {
  Box(p, x, y, w, h, kInk, kPaper);
  for (int row = y + 3; row < y + h - 2; row += 2) p.fillRect(x + 2, row, w - 4, 1, kGrey);
}

void Magnifier(QPainter& p, int x, int y, int lens, int handleEnd) {
  p.setBrush(kPale);
  p.setPen(QPen(kInk, 2));
  p.drawEllipse(x + 1, y + 1, lens - 2, lens - 2);
  p.setBrush(Qt::NoBrush);
  Line(p, x + lens - 1, y + lens - 1, handleEnd, handleEnd, kBrown, 3);
}

void DrawSave(QPainter& p) {
  Box(p, 1, 1, 14, 14, kNavy, kBlue);
  p.fillRect(4, 2, 8, 6, kPaper);
  p.fillRect(5, 4, 6, 1, kGrey);
  p.fillRect(4, 10, 8, 5, kLight);
  p.fillRect(9, 11, 2, 3, kNavy);
}

void DrawOption(QPainter& p) {
  // Eight teeth round a wheel, a hole in the middle.
  p.fillRect(6, 0, 4, 3, kGrey);
  p.fillRect(6, 13, 4, 3, kGrey);
  p.fillRect(0, 6, 3, 4, kGrey);
  p.fillRect(13, 6, 3, 4, kGrey);
  for (const QPoint corner : {QPoint(1, 1), QPoint(12, 1), QPoint(1, 12), QPoint(12, 12)})
    p.fillRect(corner.x(), corner.y(), 3, 3, kGrey);
  p.setBrush(kGrey);
  p.drawEllipse(2, 2, 12, 12);
  p.setBrush(kInk);
  p.drawEllipse(5, 5, 6, 6);
  p.setCompositionMode(QPainter::CompositionMode_Clear);
  p.fillRect(7, 7, 2, 2, Qt::transparent);
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void DrawExit(QPainter& p) {
  Box(p, 1, 1, 9, 14, kInk, kTan);
  p.fillRect(2, 2, 2, 12, kBrown);  // the door stands open into the room
  p.fillRect(8, 8, 1, 1, kGold);
  p.fillRect(6, 7, 6, 2, kGreen);
  Fill(p, QPolygon({QPoint(11, 3), QPoint(15, 7), QPoint(15, 8), QPoint(11, 12)}), kGreen);
}

void DrawUndo(QPainter& p) {
  // A hook from the lower right, up and over to an arrow head pointing left.
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(kBlue, 2, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
  QPainterPath path;
  path.moveTo(6, 5);
  path.lineTo(10, 5);
  path.quadTo(14, 5, 14, 9);
  path.quadTo(14, 13, 10, 13);
  path.lineTo(5, 13);
  p.drawPath(path);
  p.setPen(Qt::NoPen);
  Fill(p, QPolygon({QPoint(1, 5), QPoint(6, 0), QPoint(6, 10)}), kBlue);
}

void DrawCut(QPainter& p) {
  Line(p, 5, 9, 11, 1, kGrey, 2);
  Line(p, 10, 9, 4, 1, kGrey, 2);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(kRed, 2));
  p.drawEllipse(1, 10, 4, 4);
  p.drawEllipse(10, 10, 4, 4);
  p.setPen(Qt::NoPen);
}

void DrawCopy(QPainter& p) {
  Page(p, 1, 1, 9, 11);
  Page(p, 6, 4, 9, 11);
}

void DrawPaste(QPainter& p) {
  Box(p, 1, 2, 12, 14, kInk, kTan);
  Box(p, 4, 0, 6, 4, kInk, kLight);
  Page(p, 6, 6, 9, 10);
}

void DrawBoxSelect(QPainter& p) {
  p.fillRect(3, 3, 10, 10, kPale);
  // Marching ants: two pixels on, two off, around the edge.
  for (int i = 1; i < 15; ++i) {
    if ((i / 2) % 2 != 0) continue;
    for (const QPoint pt : {QPoint(i, 1), QPoint(i, 14), QPoint(1, i), QPoint(14, i)})
      p.fillRect(pt.x(), pt.y(), 1, 1, kInk);
  }
  p.fillRect(5, 6, 6, 1, kNavy);
  p.fillRect(5, 9, 6, 1, kNavy);
}

void DrawFind(QPainter& p) { Magnifier(p, 0, 0, 11, 14); }

void DrawReplace(QPainter& p) {
  Magnifier(p, 0, 0, 8, 9);
  // An arrow from the found text to its replacement.
  p.fillRect(5, 12, 7, 2, kRed);
  Fill(p, QPolygon({QPoint(11, 9), QPoint(15, 12), QPoint(15, 13), QPoint(11, 16)}), kRed);
  // The replacement text.
  p.fillRect(10, 2, 5, 2, kInk);
  p.fillRect(10, 6, 5, 2, kInk);
}

void DrawGrep(QPainter& p) {
  Page(p, 0, 0, 8, 10);
  Page(p, 3, 2, 8, 10);
  Magnifier(p, 6, 6, 7, 15);
}

// Text lines for the wrap images: each (y, from, to), drawn 2 pixels high.
void TextLine(QPainter& p, int y, int from, int to) { p.fillRect(from, y, to - from + 1, 2, kInk); }

// A return arrow from (x, y) down to row y2 and back left to column left.
void ReturnArrow(QPainter& p, int x, int y, int y2, int left) {
  p.fillRect(x, y, 1, y2 - y + 1, kBlue);
  p.fillRect(left + 2, y2, x - left - 1, 1, kBlue);
  Fill(p, QPolygon({QPoint(left, y2), QPoint(left + 3, y2 - 3), QPoint(left + 3, y2 + 3)}), kBlue);
}

void DrawNonWrap(QPainter& p) {
  p.fillRect(11, 0, 1, 16, kGrey);
  TextLine(p, 2, 1, 15);
  TextLine(p, 7, 1, 8);
  TextLine(p, 12, 1, 15);
}

void DrawWordWrap(QPainter& p) {
  p.fillRect(14, 0, 2, 16, kInk);  // the window edge
  TextLine(p, 1, 1, 11);
  ReturnArrow(p, 12, 2, 7, 2);
  TextLine(p, 11, 1, 11);
}

void DrawByteWrap(QPainter& p) {
  for (int x = 1; x < 16; x += 2) p.fillRect(x, 0, 1, x % 4 == 1 ? 2 : 1, kGrey);  // ruler
  for (int y = 3; y < 16; y += 2) p.fillRect(10, y, 1, 1, kRed);                   // the wrap column
  TextLine(p, 3, 1, 8);
  ReturnArrow(p, 9, 4, 9, 2);
  TextLine(p, 12, 1, 6);
}

// Date bar images point left; the forward ones are their mirror images.
void Triangle(QPainter& p, int apex, int base, int top, int bottom) {
  const int mid = (top + bottom) / 2;
  Fill(p, QPolygon({QPoint(apex, mid), QPoint(base, top), QPoint(base, bottom), QPoint(apex, mid + 1)}), kNavy);
}

void DrawPrevMonth(QPainter& p) {
  p.fillRect(1, 2, 2, 12, kNavy);
  Triangle(p, 4, 9, 2, 13);
  Triangle(p, 9, 14, 2, 13);
}

void DrawPrevSeven(QPainter& p) {
  Triangle(p, 0, 5, 3, 12);
  Triangle(p, 5, 10, 3, 12);
  Triangle(p, 10, 15, 3, 12);
}

void DrawPrevThree(QPainter& p) {
  Triangle(p, 1, 7, 2, 13);
  Triangle(p, 8, 14, 2, 13);
}

void DrawPrevOne(QPainter& p) { Triangle(p, 4, 11, 1, 14); }

void DrawToday(QPainter& p) {
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(kRed, 2));
  p.drawEllipse(2, 2, 11, 11);
  p.setPen(Qt::NoPen);
  p.fillRect(6, 6, 4, 4, kRed);
}

void DrawCalendar(QPainter& p) {
  Box(p, 1, 2, 14, 13, kInk, kPaper);
  p.fillRect(1, 2, 14, 4, kRed);
  p.fillRect(4, 1, 1, 3, kInk);
  p.fillRect(11, 1, 1, 3, kInk);
  for (int y = 7; y < 14; y += 2)
    for (int x = 3; x < 14; x += 2) p.fillRect(x, y, 1, 1, kGrey);
}

QImage Mirror(const QImage& image) { return image.mirrored(true, false); }

}  // namespace

QImage TToolImages::DesignedImage(int index) {
  switch (index) {
    case tiSave: return Paint(DrawSave);
    case tiOption: return Paint(DrawOption);
    case tiExit: return Paint(DrawExit);
    case tiUndo: return Paint(DrawUndo);
    case tiRedo: return Mirror(Paint(DrawUndo));
    case tiCut: return Paint(DrawCut);
    case tiCopy: return Paint(DrawCopy);
    case tiPaste: return Paint(DrawPaste);
    case tiBoxSelect: return Paint(DrawBoxSelect);
    case tiFind: return Paint(DrawFind);
    case tiReplace: return Paint(DrawReplace);
    case tiGrep: return Paint(DrawGrep);
    case tiNonWrap: return Paint(DrawNonWrap);
    case tiWordWrap: return Paint(DrawWordWrap);
    case tiByteWrap: return Paint(DrawByteWrap);
    case tiPrevMonth: return Paint(DrawPrevMonth);
    case tiPrevSeven: return Paint(DrawPrevSeven);
    case tiPrevThree: return Paint(DrawPrevThree);
    case tiPrevOne: return Paint(DrawPrevOne);
    case tiNextOne: return Mirror(Paint(DrawPrevOne));
    case tiNextThree: return Mirror(Paint(DrawPrevThree));
    case tiNextSeven: return Mirror(Paint(DrawPrevSeven));
    case tiNextMonth: return Mirror(Paint(DrawPrevMonth));
    case tiToday: return Paint(DrawToday);
    case tiCalendar: return Paint(DrawCalendar);
    default: return {};
  }
}

TToolImages::TToolImages(QObject* parent) : QObject(parent) {
  m_images.reserve(kDesignedCount);
  for (int i = 0; i < kDesignedCount; ++i) m_images.push_back(DesignedImage(i));
}

TToolImages::~TToolImages() = default;

QImage TToolImages::Image(int index) const {
  if (index < 0 || index >= Count()) return {};
  return m_images[static_cast<size_t>(index)];
}

QIcon TToolImages::Icon(int index) const {
  if (index < 0 || index >= Count()) return {};
  return QIcon(QPixmap::fromImage(m_images[static_cast<size_t>(index)]));
}

bool TToolImages::LoadFromStrip(const QImage& strip) {
  if (strip.isNull() || Count() < 2 || strip.height() != kImageSize || strip.width() != StripWidth())
    return false;
  // The mask colour is the only transparency: a strip's own alpha is ignored.
  const QImage rgb = strip.convertToFormat(QImage::Format_RGB32);
  std::vector<QImage> images;
  const int count = strip.width() / kImageSize;
  images.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    QImage image(kImageSize, kImageSize, QImage::Format_ARGB32);
    for (int y = 0; y < kImageSize; ++y) {
      const auto* src = reinterpret_cast<const QRgb*>(rgb.constScanLine(y)) + i * kImageSize;
      auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
      for (int x = 0; x < kImageSize; ++x) dst[x] = src[x] == kTransparent ? 0u : (src[x] | 0xFF000000u);
    }
    images.push_back(std::move(image));
  }
  m_images = std::move(images);
  emit Changed();
  return true;
}

QImage TToolImages::RenderStrip(int count) const {
  if (count < 0 || count > Count()) count = Count();
  if (count == 0) return {};
  QImage strip(count * kImageSize, kImageSize, QImage::Format_RGB32);
  strip.fill(kTransparent);
  QPainter painter(&strip);
  for (int i = 0; i < count; ++i) painter.drawImage(i * kImageSize, 0, m_images[static_cast<size_t>(i)]);
  return strip;
}

void TToolImages::Reset() {
  m_images.clear();
  for (int i = 0; i < kDesignedCount; ++i) m_images.push_back(DesignedImage(i));
  emit Changed();
}

}  // namespace quillet
