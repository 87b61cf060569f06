/*
 * tinyfmt.c - a complete import plug-in for Quillet: binary portable
 * pixmaps (netpbm "P6", files *.ppm and *.pnm).
 *
 * Build:  cc -shared -fPIC -O2 -I/usr/include tinyfmt.c -o tinyfmt.spi
 * Install: copy tinyfmt.spi into one of the plug-in folders (docs/plugins.md).
 *
 * The format: "P6", then width, height and the largest sample value (1 to
 * 65535) as decimal numbers separated by white space, where "#" starts a
 * comment up to the end of the line; one white-space byte; then red, green
 * and blue of each pixel, the top row first, one byte a sample when the
 * largest value is below 256, else two bytes, the high byte first.
 *
 * The plug-in keeps no state between calls, so Quillet may call it from
 * several threads at once.
 */
#include <quillet/spi.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const char* const kInfo[] = {
    "00IN",                                    /* 0: an import plug-in */
    "tinyfmt 1.0 - netpbm P6 pictures (example)", /* 1: shown to the user */
    "*.ppm;*.pnm",                             /* 2: the file masks */
    "Portable pixmap",                         /* 3: their type name */
};

int32_t GetPluginInfo(int32_t infono, char* buf, int32_t buflen) {
  size_t n;
  if (infono < 0 || infono >= (int32_t)(sizeof kInfo / sizeof kInfo[0]) || !buf || buflen < 1) return 0;
  n = strlen(kInfo[infono]);
  if (n > (size_t)buflen - 1) n = (size_t)buflen - 1;
  memcpy(buf, kInfo[infono], n);
  buf[n] = '\0';
  return (int32_t)n;
}

static int IsBlank(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

/* The parsed header of a P6 picture. */
typedef struct {
  unsigned long width, height, maxval;
  size_t pixels; /* offset of the first sample */
} Header;

/* Reads one decimal number at *pos, stepping over blanks and comments. */
static int ReadNumber(const unsigned char* data, size_t size, size_t* pos, unsigned long* value) {
  for (;;) {
    while (*pos < size && IsBlank(data[*pos])) ++*pos;
    if (*pos < size && data[*pos] == '#') {
      while (*pos < size && data[*pos] != '\n' && data[*pos] != '\r') ++*pos;
      continue;
    }
    break;
  }
  if (*pos >= size || data[*pos] < '0' || data[*pos] > '9') return 0;
  *value = 0;
  while (*pos < size && data[*pos] >= '0' && data[*pos] <= '9') {
    *value = *value * 10 + (unsigned long)(data[*pos] - '0');
    if (*value > 65535) return 0; /* larger than any side or sample Quillet takes */
    ++*pos;
  }
  return 1;
}

static int ParseHeader(const unsigned char* data, size_t size, Header* h) {
  size_t pos = 2;
  if (size < 3 || data[0] != 'P' || data[1] != '6') return 0;
  if (!ReadNumber(data, size, &pos, &h->width) || !ReadNumber(data, size, &pos, &h->height) ||
      !ReadNumber(data, size, &pos, &h->maxval))
    return 0;
  if (pos >= size || !IsBlank(data[pos])) return 0;
  h->pixels = pos + 1;
  return h->width >= 1 && h->height >= 1 && h->maxval >= 1;
}

/* IsSupported looks at the bytes, not at the name. The header buffer always
 * holds SPI_HEADER_SIZE bytes (zero-padded), so reading 3 is safe. */
int32_t IsSupported(const char* filename, const void* header) {
  const unsigned char* p = header;
  (void)filename;
  return p[0] == 'P' && p[1] == '6' && IsBlank(p[2]);
}

/* The whole input in a malloc()ed block: from memory, or from the file
 * `buf` starting at offset `len`. */
static unsigned char* LoadInput(const char* buf, intptr_t len, uint32_t flag, size_t* size) {
  unsigned char* data = NULL;
  if ((flag & SPI_INPUT_MASK) == SPI_INPUT_MEMORY) {
    if (len <= 0) return NULL;
    data = malloc((size_t)len);
    if (data) memcpy(data, buf, (size_t)len);
    *size = (size_t)len;
  } else {
    FILE* f = fopen(buf, "rb");
    long end;
    if (!f) return NULL;
    if (fseek(f, 0, SEEK_END) == 0 && (end = ftell(f)) > len && fseek(f, (long)len, SEEK_SET) == 0) {
      *size = (size_t)(end - len);
      data = malloc(*size);
      if (data && fread(data, 1, *size, f) != *size) {
        free(data);
        data = NULL;
      }
    }
    fclose(f);
  }
  return data;
}

int32_t GetPictureInfo(const char* buf, intptr_t len, uint32_t flag, SpiPictureInfo* info) {
  size_t size = 0;
  Header h;
  unsigned char* data = LoadInput(buf, len, flag, &size);
  int ok;
  if (!data) return SPI_FILE_READ_ERROR;
  ok = ParseHeader(data, size, &h);
  free(data);
  if (!ok) return SPI_NOT_SUPPORT;
  memset(info, 0, sizeof *info);
  info->width = (int32_t)h.width;
  info->height = (int32_t)h.height;
  info->color_depth = 24;
  return SPI_ALL_RIGHT;
}

int32_t GetPicture(const char* buf, intptr_t len, uint32_t flag, void** info, void** bits,
                   SpiProgressCallback progress, intptr_t user) {
  size_t size = 0, sample, stride, x, y;
  Header h;
  SpiBitmapInfoHeader* header = NULL;
  unsigned char* pixels = NULL;
  unsigned char* data = LoadInput(buf, len, flag, &size);
  int32_t result = SPI_ALL_RIGHT;
  if (!data) return SPI_FILE_READ_ERROR;
  if (!ParseHeader(data, size, &h)) {
    free(data);
    return SPI_NOT_SUPPORT;
  }
  sample = h.maxval < 256 ? 1 : 2;
  /* Sides are at most 65535, so these products fit in 64 bits. */
  if ((unsigned long long)h.width * h.height * 3 * sample > size - h.pixels) {
    free(data);
    return SPI_OUT_OF_ORDER; /* the file is cut off */
  }
  stride = (h.width * 3 + 3) / 4 * 4; /* rows are padded to four bytes */
  header = calloc(1, sizeof *header);
  pixels = malloc(stride * h.height);
  if (!header || !pixels) {
    result = SPI_NO_MEMORY;
    goto fail;
  }
  header->size = sizeof *header;
  header->width = (int32_t)h.width;
  header->height = (int32_t)h.height; /* positive: the bottom row comes first */
  header->planes = 1;
  header->bit_count = 24;
  header->compression = SPI_BI_RGB;
  header->size_image = (uint32_t)(stride * h.height);
  for (y = 0; y < h.height; ++y) {
    const unsigned char* src = data + h.pixels + y * h.width * 3 * sample;
    unsigned char* dst = pixels + (h.height - 1 - y) * stride;
    if (progress && progress((int32_t)y, (int32_t)h.height, user) != 0) {
      result = SPI_ABORT;
      goto fail;
    }
    for (x = 0; x < h.width * 3; ++x) {
      unsigned long v = sample == 1 ? src[x] : ((unsigned long)src[2 * x] << 8 | src[2 * x + 1]);
      if (v > h.maxval) v = h.maxval;
      /* PPM stores red, green, blue; the bitmap wants blue, green, red. */
      dst[x / 3 * 3 + 2 - x % 3] = (unsigned char)((v * 255 + h.maxval / 2) / h.maxval);
    }
    memset(dst + h.width * 3, 0, stride - h.width * 3);
  }
  if (progress) progress((int32_t)h.height, (int32_t)h.height, user);
  free(data);
  *info = header; /* from here on the blocks are Quillet's */
  *bits = pixels;
  return SPI_ALL_RIGHT;

fail:
  free(header);
  free(pixels);
  free(data);
  return result;
}

/* No smaller preview: Quillet then always calls GetPicture. */
int32_t GetPreview(const char* buf, intptr_t len, uint32_t flag, void** info, void** bits,
                   SpiProgressCallback progress, intptr_t user) {
  (void)buf, (void)len, (void)flag, (void)info, (void)bits, (void)progress, (void)user;
  return SPI_NO_FUNCTION;
}
