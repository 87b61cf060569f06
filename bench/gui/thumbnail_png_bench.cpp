// The thumbnail of a 4000 × 3000 PNG at the list's default size of 96: ours
// decodes through the bundled PNG plug-in and the area-averaging scaler; the
// peer is QImage loading the same file and Qt's smooth scaling to 96 × 72.
#include <QGuiApplication>
#include <QImage>

#include "ThumbnailBenchSupport.h"
#include "core/viewer/Picture.h"
#include "core/viewer/Scaler.h"

using namespace quillet;

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const std::string path = bench::PhotoFile(QUILLET_BENCH_DATA "/thumbnail/photo-4000x3000.png", 4000, 3000, "png");
  TSPIs spis;
  bench::LoadBundledPlugins(spis);
  QSize ourSize, peerSize;
  auto ours = [&] {
    const TSPIThumbnail picture = LoadPictureForThumbnail(path, 96, &spis);
    const TDib thumbnail = MakeThumbnail(picture.Picture, 96);
    ourSize = QSize(thumbnail.Width, thumbnail.Height);
  };
  auto peer = [&] {
    const QImage image(QString::fromStdString(path));
    peerSize = image.scaled(96, 96, Qt::KeepAspectRatio, Qt::SmoothTransformation).size();
  };
  const int status = bench::Compare("thumbnail-png", "qt-load-smooth-scale", 7, ours, peer);
  return ourSize == peerSize ? status : 2;
}
