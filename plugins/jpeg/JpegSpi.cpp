// jpeg.spi: the bundled JPEG import plug-in, on libjpeg-turbo.
//
// Decodes baseline, extended and progressive JPEG in grayscale, YCbCr, RGB,
// CMYK and YCCK into 24-bit blue-green-red rows, the top row first; libjpeg-
// turbo writes blue-green-red itself (JCS_EXT_BGR) for every colour space but
// CMYK and YCCK, which it gives as CMYK and this file converts (see CmykRow).
// The EXIF orientation is not applied: the picture comes as it is stored.
//
// Broken data: libjpeg reports a fatal error through error_exit, which here
// jumps back to the setjmp() in Decode; everything allocated by then is either
// in libjpeg's pools (released by jpeg_destroy_decompress) or in the caller's
// TSpiBitmap (freed there). A file that ends before its picture does is
// treated as broken, not shown half grey: libjpeg only warns about it
// (JWRN_JPEG_EOF), so that one warning is made fatal. Other warnings, such as
// stray bytes before a marker, which many cameras write, are ignored.
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <iterator>

#include <jpeglib.h>
#include <jerror.h>

#include "SpiSupport.h"

namespace quillet::plugin {
namespace {

const char* const kInfo[] = {"00IN", "Quillet JPEG plug-in 1.0 (libjpeg-turbo)", "*.jpg;*.jpeg;*.jpe;*.jfif",
                             "JPEG picture"};

// The longer side a preview must keep; see PreviewDenominator.
constexpr JDIMENSION kPreviewSide = 256;

struct TJpegError {
  jpeg_error_mgr Manager;
  std::jmp_buf Jump;
};

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<TJpegError*>(cinfo->err)->Jump, 1);
}

void EmitMessage(j_common_ptr cinfo, int level) {
  if (level >= 0) return;  // trace messages
  if (cinfo->err->msg_code == JWRN_JPEG_EOF) ErrorExit(cinfo);
  ++cinfo->err->num_warnings;
}

void OutputMessage(j_common_ptr) {}

// CMYK as libjpeg delivers it to blue, green, red. Files with an Adobe marker
// (nearly every CMYK JPEG, written by Adobe's applications or by libjpeg with
// that marker) store the inks inverted, 255 meaning no ink; the rare file
// without the marker stores them plainly. Either way this is the simple
// "ink times black" conversion, with no colour profile.
void CmykRow(const JSAMPLE* cmyk, std::uint8_t* bgr, JDIMENSION width, bool inverted) {
  for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
    std::uint32_t c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
    if (!inverted) {
      c = 255u - c;
      m = 255u - m;
      y = 255u - y;
      k = 255u - k;
    }
    bgr[0] = static_cast<std::uint8_t>((y * k + 127u) / 255u);
    bgr[1] = static_cast<std::uint8_t>((m * k + 127u) / 255u);
    bgr[2] = static_cast<std::uint8_t>((c * k + 127u) / 255u);
  }
}

std::uint16_t Dpi(const jpeg_decompress_struct& cinfo, UINT16 density) {
  switch (cinfo.density_unit) {
    case 1:
      return density;
    case 2:
      return DpiFromPerMetre(static_cast<std::uint32_t>(density) * 100u);
    default:
      return 0;
  }
}

// The preview rule: the smallest of the scales 1/8, 1/4 and 1/2 whose longer
// side is still at least kPreviewSide pixels, else the full size. These three
// scales are the ones libjpeg's reduced inverse transforms make cheap, and
// 256 pixels covers every usual thumbnail size, so a preview is never the
// reason for a blurred thumbnail. Call after jpeg_read_header.
unsigned PreviewDenominator(jpeg_decompress_struct& cinfo) {
  for (unsigned denominator : {8u, 4u, 2u}) {
    cinfo.scale_num = 1;
    cinfo.scale_denom = denominator;
    jpeg_calc_output_dimensions(&cinfo);
    if (std::max(cinfo.output_width, cinfo.output_height) >= kPreviewSide) return denominator;
  }
  cinfo.scale_denom = 1;
  return 1;
}

// Everything Decode touches after setjmp() lives here, in memory, so that a
// longjmp() cannot leave it in a register with a stale value.
struct TJob {
  TSpiInput* Input = nullptr;
  TSpiBitmap* Bitmap = nullptr;  // null: header only
  SpiPictureInfo* Info = nullptr;
  TSpiProgress Progress;
  bool Preview = false;
};

// A file source with a buffer of 64 KiB. libjpeg's own file source reads
// 4 KiB at a time, and libjpeg-turbo decodes with its fast Huffman path only
// while a few kilobytes are buffered, so the small buffer costs time on
// every photo.
struct TFileSource {
  jpeg_source_mgr Manager;  // first: libjpeg sees a pointer to it
  TSpiInput* Input;
  JOCTET Buffer[1u << 16];
};

void InitSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr cinfo) {
  auto* source = reinterpret_cast<TFileSource*>(cinfo->src);
  std::size_t got = source->Input->Read(source->Buffer, sizeof source->Buffer);
  if (got == 0) {
    // The end of the file before the end of the picture: a warning, which
    // EmitMessage turns into an error, then a fake end marker as libjpeg's
    // own sources insert.
    WARNMS(cinfo, JWRN_JPEG_EOF);
    source->Buffer[0] = 0xFF;
    source->Buffer[1] = JPEG_EOI;
    got = 2;
  }
  source->Manager.next_input_byte = source->Buffer;
  source->Manager.bytes_in_buffer = got;
  return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
  jpeg_source_mgr& manager = *cinfo->src;
  while (count > static_cast<long>(manager.bytes_in_buffer)) {
    count -= static_cast<long>(manager.bytes_in_buffer);
    FillInputBuffer(cinfo);
  }
  if (count > 0) {
    manager.next_input_byte += count;
    manager.bytes_in_buffer -= static_cast<std::size_t>(count);
  }
}

void TermSource(j_decompress_ptr) {}

void SetSource(jpeg_decompress_struct& cinfo, TSpiInput& input) {
  if (input.File() != nullptr) {
    auto* source = static_cast<TFileSource*>(
        (*cinfo.mem->alloc_small)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_PERMANENT, sizeof(TFileSource)));
    source->Manager.init_source = InitSource;
    source->Manager.fill_input_buffer = FillInputBuffer;
    source->Manager.skip_input_data = SkipInputData;
    source->Manager.resync_to_restart = jpeg_resync_to_restart;
    source->Manager.term_source = TermSource;
    source->Manager.bytes_in_buffer = 0;
    source->Manager.next_input_byte = nullptr;
    source->Input = &input;
    cinfo.src = &source->Manager;
  } else {
    jpeg_mem_src(&cinfo, input.Data(), static_cast<unsigned long>(input.Size()));
  }
}

std::int32_t Decode(TJob& job) {
  jpeg_decompress_struct cinfo;
  TJpegError error;
  cinfo.err = jpeg_std_error(&error.Manager);
  error.Manager.error_exit = ErrorExit;
  error.Manager.emit_message = EmitMessage;
  error.Manager.output_message = OutputMessage;
  if (setjmp(error.Jump) != 0) {
    jpeg_destroy_decompress(&cinfo);
    if (job.Bitmap != nullptr) job.Bitmap->Free();
    return SPI_OUT_OF_ORDER;
  }
  jpeg_create_decompress(&cinfo);
  SetSource(cinfo, *job.Input);
  if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) {  // tables only, no picture
    jpeg_destroy_decompress(&cinfo);
    return SPI_OUT_OF_ORDER;
  }

  if (job.Info != nullptr) {
    *job.Info = SpiPictureInfo{};
    job.Info->width = static_cast<std::int32_t>(cinfo.image_width);
    job.Info->height = static_cast<std::int32_t>(cinfo.image_height);
    job.Info->x_density = Dpi(cinfo, cinfo.X_density);
    job.Info->y_density = Dpi(cinfo, cinfo.Y_density);
    job.Info->color_depth = static_cast<std::int16_t>(cinfo.num_components * 8);
    jpeg_destroy_decompress(&cinfo);
    return SPI_ALL_RIGHT;
  }

  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
  if (job.Preview) {
    PreviewDenominator(cinfo);
    // A preview is for speed: the faster transform and plain chroma
    // upsampling differ from the exact ones by a level or two, which no
    // thumbnail shows.
    cinfo.dct_method = JDCT_IFAST;
    cinfo.do_fancy_upsampling = FALSE;
  }
  jpeg_start_decompress(&cinfo);

  const std::int32_t allocated = job.Bitmap->Allocate(cinfo.output_width, cinfo.output_height,
                                                      Dpi(cinfo, cinfo.X_density), Dpi(cinfo, cinfo.Y_density));
  if (allocated != SPI_ALL_RIGHT) {
    jpeg_destroy_decompress(&cinfo);
    return allocated;
  }
  // CMYK rows go through a buffer in libjpeg's pool, freed with cinfo.
  JSAMPARRAY cmykRows =
      cmyk ? (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                        cinfo.output_width * 4u, static_cast<JDIMENSION>(cinfo.rec_outbuf_height))
           : nullptr;
  const bool inverted = cinfo.saw_Adobe_marker != 0;
  while (cinfo.output_scanline < cinfo.output_height) {
    const JDIMENSION y = cinfo.output_scanline;
    if (cmyk) {
      const JDIMENSION count = jpeg_read_scanlines(&cinfo, cmykRows, static_cast<JDIMENSION>(cinfo.rec_outbuf_height));
      for (JDIMENSION i = 0; i < count; ++i) CmykRow(cmykRows[i], job.Bitmap->Row(y + i), cinfo.output_width, inverted);
    } else {
      JSAMPROW row = job.Bitmap->Row(y);
      jpeg_read_scanlines(&cinfo, &row, 1);
    }
    if (job.Progress.Band(cinfo.output_scanline, cinfo.output_height)) {
      jpeg_destroy_decompress(&cinfo);
      job.Bitmap->Free();
      return SPI_ABORT;
    }
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return SPI_ALL_RIGHT;
}

std::int32_t DecodePicture(const char* buf, std::intptr_t len, std::uint32_t flag, void** info, void** bits,
                           SpiProgressCallback progress, std::intptr_t user, bool preview) {
  if (info == nullptr || bits == nullptr) return SPI_MEMORY_ERROR;
  TSpiInput input;
  if (const std::int32_t opened = input.Open(buf, len, flag); opened != SPI_ALL_RIGHT) return opened;
  TSpiBitmap bitmap;
  TJob job;
  job.Input = &input;
  job.Bitmap = &bitmap;
  job.Progress = {progress, user};
  job.Preview = preview;
  const std::int32_t result = input.Blame(Decode(job));
  if (result == SPI_ALL_RIGHT) bitmap.Release(info, bits);
  return result;
}

}  // namespace
}  // namespace quillet::plugin

using namespace quillet::plugin;

extern "C" {

SPI_EXPORT int32_t GetPluginInfo(int32_t infono, char* buf, int32_t buflen) {
  return CopyPluginInfo(kInfo, static_cast<std::int32_t>(std::size(kInfo)), infono, buf, buflen);
}

// A JPEG stream starts with SOI (FF D8) and then another marker.
SPI_EXPORT int32_t IsSupported(const char*, const void* header) {
  const auto* bytes = static_cast<const unsigned char*>(header);
  return bytes != nullptr && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF ? 1 : 0;
}

SPI_EXPORT int32_t GetPictureInfo(const char* buf, intptr_t len, uint32_t flag, SpiPictureInfo* info) {
  if (info == nullptr) return SPI_MEMORY_ERROR;
  TSpiInput input;
  if (const std::int32_t opened = input.Open(buf, len, flag); opened != SPI_ALL_RIGHT) return opened;
  TJob job;
  job.Input = &input;
  job.Info = info;
  return input.Blame(Decode(job));
}

SPI_EXPORT int32_t GetPicture(const char* buf, intptr_t len, uint32_t flag, void** info, void** bits,
                              SpiProgressCallback progress, intptr_t user) {
  return DecodePicture(buf, len, flag, info, bits, progress, user, false);
}

// The preview is the picture decoded at a reduced scale: the smallest of 1/8,
// 1/4 and 1/2 whose longer side is at least 256 pixels, or the full size when
// even 1/2 is smaller than that (see PreviewDenominator).
SPI_EXPORT int32_t GetPreview(const char* buf, intptr_t len, uint32_t flag, void** info, void** bits,
                              SpiProgressCallback progress, intptr_t user) {
  return DecodePicture(buf, len, flag, info, bits, progress, user, true);
}

}  // extern "C"
