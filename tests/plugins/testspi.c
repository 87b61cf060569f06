/*
 * testspi.c - image plug-ins for the loader's tests, written against
 * quillet/spi.h alone. One source, several plug-ins chosen by macros:
 *
 *   (none)          import plug-in of the test format below, with GetPreview
 *   TEST_ARCHIVE    archive plug-in ("00AM") that claims every file
 *   TEST_NO_PICTURE "00IN" without GetPicture (and GetPreview): must be refused
 *   TEST_SHORT      GetPicture's pixel block lacks the last row its header promises
 *   TEST_TWO_MASKS  masks "*.jpg;*.jpeg"
 *   TEST_PROGRESS   reports progress once per row and stops when asked
 *   TEST_COUNTING   answers no to everything and counts IsSupported calls
 *                   (read back through TestSupportedCalls)
 *
 * The test format: "QTST", width (1 byte), height (1 byte), then red, green,
 * blue for each pixel, the top row first.
 */
#include <quillet/spi.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#if defined(TEST_ARCHIVE)
static const char* const kInfo[] = {"00AM", "Quillet test archive", "*.qar", "Quillet test archive"};
#elif defined(TEST_TWO_MASKS)
static const char* const kInfo[] = {"00IN", "Quillet test pictures as jpg", "*.jpg;*.jpeg", "JPEG test picture"};
#else
static const char* const kInfo[] = {"00IN", "Quillet test pictures", "*.qtst", "Quillet test picture"};
#endif

SPI_EXPORT int32_t GetPluginInfo(int32_t infono, char* buf, int32_t buflen) {
  size_t n;
  if (infono < 0 || infono >= (int32_t)(sizeof kInfo / sizeof kInfo[0]) || !buf || buflen < 1) return 0;
  n = strlen(kInfo[infono]);
  if (n > (size_t)buflen - 1) n = (size_t)buflen - 1;
  memcpy(buf, kInfo[infono], n);
  buf[n] = '\0';
  return (int32_t)n;
}

#ifdef TEST_COUNTING
static int32_t g_supportedCalls;
SPI_EXPORT int32_t TestSupportedCalls(void) { return g_supportedCalls; }
#endif

SPI_EXPORT int32_t IsSupported(const char* filename, const void* header) {
  (void)filename;
#if defined(TEST_COUNTING)
  (void)header;
  ++g_supportedCalls;
  return 0;
#elif defined(TEST_ARCHIVE)
  (void)header;
  return 1;
#else
  return memcmp(header, "QTST", 4) == 0;
#endif
}

#ifdef TEST_ARCHIVE
SPI_EXPORT int32_t GetArchiveInfo(const char* buf, intptr_t len, uint32_t flag, void** list) {
  (void)buf, (void)len, (void)flag, (void)list;
  return SPI_NO_FUNCTION;
}
SPI_EXPORT int32_t GetFileInfo(const char* buf, intptr_t len, const char* filename, uint32_t flag, SpiFileInfo* info) {
  (void)buf, (void)len, (void)filename, (void)flag, (void)info;
  return SPI_NO_FUNCTION;
}
SPI_EXPORT int32_t GetFile(const char* src, intptr_t len, char* dest, uint32_t flag, SpiProgressCallback progress,
                           intptr_t user) {
  (void)src, (void)len, (void)dest, (void)flag, (void)progress, (void)user;
  return SPI_NO_FUNCTION;
}
#else

/* The whole data, from a file (at offset len) or from memory, malloc()ed. */
static unsigned char* LoadData(const char* buf, intptr_t len, uint32_t flag, size_t* size) {
  unsigned char* data;
  if ((flag & SPI_INPUT_MASK) == SPI_INPUT_MEMORY) {
    if (len < 0) return NULL;
    data = malloc(len > 0 ? (size_t)len : 1);
    if (data) memcpy(data, buf, (size_t)len);
    *size = (size_t)len;
    return data;
  } else {
    FILE* f = fopen(buf, "rb");
    long end;
    if (!f) return NULL;
    if (fseek(f, 0, SEEK_END) != 0 || (end = ftell(f)) < len || fseek(f, (long)len, SEEK_SET) != 0) {
      fclose(f);
      return NULL;
    }
    *size = (size_t)(end - len);
    data = malloc(*size > 0 ? *size : 1);
    if (data && fread(data, 1, *size, f) != *size) {
      free(data);
      data = NULL;
    }
    fclose(f);
    return data;
  }
}

/* Width and height of the test picture in `data`, 0 when it is not one. */
static int Measure(const unsigned char* data, size_t size, int* w, int* h) {
  if (size < 6 || memcmp(data, "QTST", 4) != 0 || data[4] == 0 || data[5] == 0) return 0;
  *w = data[4];
  *h = data[5];
  return size >= 6 + (size_t)*w * (size_t)*h * 3;
}

SPI_EXPORT int32_t GetPictureInfo(const char* buf, intptr_t len, uint32_t flag, SpiPictureInfo* info) {
  size_t size = 0;
  int w, h, ok;
  unsigned char* data = LoadData(buf, len, flag, &size);
  if (!data) return SPI_FILE_READ_ERROR;
  ok = Measure(data, size, &w, &h);
  free(data);
  if (!ok) return SPI_OUT_OF_ORDER;
  memset(info, 0, sizeof *info);
  info->width = w;
  info->height = h;
  info->color_depth = 24;
  return SPI_ALL_RIGHT;
}

#ifndef TEST_NO_PICTURE
/* A 24-bit bottom-up picture of every `step`-th pixel of the test picture. */
static int32_t Decode(const char* buf, intptr_t len, uint32_t flag, void** info, void** bits,
                      SpiProgressCallback progress, intptr_t user, int step) {
  size_t size = 0, stride, bitsSize;
  int w, h, ow, oh, x, y;
  SpiBitmapInfoHeader* header;
  unsigned char* pixels;
  unsigned char* data = LoadData(buf, len, flag, &size);
  if (!data) return SPI_FILE_READ_ERROR;
  if (!Measure(data, size, &w, &h)) {
    free(data);
    return SPI_OUT_OF_ORDER;
  }
  ow = (w + step - 1) / step;
  oh = (h + step - 1) / step;
  stride = ((size_t)ow * 3 + 3) / 4 * 4;
  bitsSize = stride * (size_t)oh;
#ifdef TEST_SHORT
  bitsSize -= stride; /* a whole row, more than malloc's rounding can hide */
#endif
  header = calloc(1, sizeof *header);
  pixels = calloc(1, bitsSize);
  if (!header || !pixels) {
    free(header);
    free(pixels);
    free(data);
    return SPI_NO_MEMORY;
  }
  header->size = sizeof *header;
  header->width = ow;
  header->height = oh;
  header->planes = 1;
  header->bit_count = 24;
  for (y = 0; y < oh; ++y) {
#ifdef TEST_PROGRESS
    if (progress && progress(y, oh, user) != 0) {
      free(header);
      free(pixels);
      free(data);
      return SPI_ABORT;
    }
#endif
    for (x = 0; x < ow && ((size_t)(oh - 1 - y) * stride + (size_t)x * 3 + 3 <= bitsSize); ++x) {
      const unsigned char* src = data + 6 + ((size_t)(y * step) * (size_t)w + (size_t)(x * step)) * 3;
      unsigned char* dst = pixels + (size_t)(oh - 1 - y) * stride + (size_t)x * 3;
      dst[0] = src[2];
      dst[1] = src[1];
      dst[2] = src[0];
    }
  }
#ifdef TEST_PROGRESS
  if (progress && progress(oh, oh, user) != 0) {
    free(header);
    free(pixels);
    free(data);
    return SPI_ABORT;
  }
#else
  (void)progress, (void)user;
#endif
  free(data);
  *info = header;
  *bits = pixels;
  return SPI_ALL_RIGHT;
}

SPI_EXPORT int32_t GetPicture(const char* buf, intptr_t len, uint32_t flag, void** info, void** bits,
                              SpiProgressCallback progress, intptr_t user) {
  return Decode(buf, len, flag, info, bits, progress, user, 1);
}

/* A preview of half the size in each direction. */
SPI_EXPORT int32_t GetPreview(const char* buf, intptr_t len, uint32_t flag, void** info, void** bits,
                              SpiProgressCallback progress, intptr_t user) {
  return Decode(buf, len, flag, info, bits, progress, user, 2);
}
#endif

#endif /* TEST_ARCHIVE */
