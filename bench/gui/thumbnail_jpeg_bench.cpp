// The thumbnail of a 4000 × 3000 JPEG photo at the list's default size of
// 96: ours decodes through the bundled JPEG plug-in's preview (scaled in the
// transform) and the area-averaging scaler; the peer is Qt reading the same
// file at the same transform scale (QImageReader::setScaledSize) followed by
// Qt's smooth scaling to the same 96 × 72.
#include <QGuiApplication>
#include <QImageReader>

#include "ThumbnailBenchSupport.h"
#include "core/viewer/Picture.h"
#include "core/viewer/Scaler.h"

using namespace quillet;

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const std::string path = bench::PhotoFile(QUILLET_BENCH_DATA "/thumbnail/photo-4000x3000.jpg", 4000, 3000, "jpeg");
  TSPIs spis;
  bench::LoadBundledPlugins(spis);
  QSize peerSize;
  QSize ourSize;
  bool fromPreview = false;
  auto ours = [&] {
    const TSPIThumbnail picture = LoadPictureForThumbnail(path, 96, &spis);
    const TDib thumbnail = MakeThumbnail(picture.Picture, 96);
    ourSize = QSize(thumbnail.Width, thumbnail.Height);
    fromPreview = picture.FromPreview;
  };
  auto peer = [&] {
    QImageReader reader(QString::fromStdString(path));
    reader.setScaledSize(QSize(96, 72));
    peerSize = reader.read().scaled(96, 96, Qt::KeepAspectRatio, Qt::SmoothTransformation).size();
  };
  const int status = bench::Compare("thumbnail-jpeg", "qt-scaled-read", 15, ours, peer);
  std::fprintf(stderr, "thumbnails %dx%d (%s) and %dx%d\n", ourSize.width(), ourSize.height(),
               fromPreview ? "preview" : "full decode", peerSize.width(), peerSize.height());
  return ourSize == peerSize ? status : 2;
}
