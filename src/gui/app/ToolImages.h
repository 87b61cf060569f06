// TToolImages: the image list of the tool bars, 16 x 16 images in the order of
// the bars' buttons, drawn at run time so the program ships no image files.
//
// The list starts with kDesignedCount images: the 24 button images and one
// spare (a calendar) that no button uses. A tool-bar bitmap "CoolBar.bmp"
// must be exactly 16 pixels high and (Count() - 1) x 16 wide, one image less
// than the list holds, and then replaces the whole list with the images cut
// from it (so the list then holds Count() - 1 images and the spare is gone).
// Magenta (255, 0, 255) is the transparent colour of such a bitmap; every
// other pixel is opaque.
//
// Invariants: every image is 16 x 16 in QImage::Format_ARGB32, each pixel
// either fully transparent or fully opaque, and no opaque pixel is magenta,
// so RenderStrip(Count() - 1) loads back into the same images.
//
// After a replacement the list emits Changed(); whoever set icons from it
// (the main window) re-applies them then. Runs on the user-interface thread.
#pragma once

#include <QIcon>
#include <QImage>
#include <QObject>
#include <QRgb>
#include <vector>

namespace quillet {

class TToolImages : public QObject {
  Q_OBJECT

public:
  // Image indices, in the order of the tool bars' buttons.
  enum TIndex : int {
    // EditorBar
    tiSave, tiOption, tiExit, tiUndo, tiRedo, tiCut, tiCopy, tiPaste, tiBoxSelect,
    tiFind, tiReplace, tiGrep, tiNonWrap, tiWordWrap, tiByteWrap,
    // DateBar
    tiPrevMonth, tiPrevSeven, tiPrevThree, tiPrevOne, tiNextOne, tiNextThree,
    tiNextSeven, tiNextMonth, tiToday,
    // Spare, on no bar: it makes the list one longer than a CoolBar.bmp.
    tiCalendar,
    kDesignedCount
  };
  static constexpr int kImageSize = 16;             // pixels, both ways
  static constexpr QRgb kTransparent = 0xFFFF00FF;  // magenta in a strip

  explicit TToolImages(QObject* parent = nullptr);
  ~TToolImages() override;

  int Count() const { return static_cast<int>(m_images.size()); }
  // Image `index` (0-based); a null image or icon when out of range.
  QImage Image(int index) const;
  QIcon Icon(int index) const;

  // The width LoadFromStrip accepts: (Count() - 1) x 16 pixels.
  int StripWidth() const { return (Count() - 1) * kImageSize; }
  // Replaces the list with `strip` cut into 16 x 16 images, magenta
  // transparent, and emits Changed(). Any other size than StripWidth() x 16
  // (or a null image) is refused: false, the list unchanged, no signal.
  bool LoadFromStrip(const QImage& strip);
  // The first `count` images side by side (all of them when count is
  // negative or too large) on magenta, in QImage::Format_RGB32. Saved as BMP,
  // RenderStrip(Count() - 1) is a CoolBar.bmp to start one's own from.
  QImage RenderStrip(int count = -1) const;
  // Back to the drawn images (emits Changed()).
  void Reset();

  // The drawn image `index` of the designed list, whatever the list holds now.
  static QImage DesignedImage(int index);

signals:
  void Changed();

private:
  std::vector<QImage> m_images;
};

}  // namespace quillet
