/*
 * quillet/spi.h - the image plug-in interface of Quillet on Linux.
 *
 * An image plug-in is an ELF shared object whose file name ends in ".spi".
 * Quillet loads it with dlopen() and looks up the entry points below with
 * dlsym(), so every entry point must be exported with C linkage and exactly
 * the signature declared here. A plug-in needs nothing from Quillet: this
 * header is the whole contract, and it is plain C99.
 *
 * Kinds of plug-in, told apart by GetPluginInfo(0):
 *   "00IN"  import plug-in: decodes pictures. Required: GetPluginInfo,
 *           IsSupported, GetPictureInfo, GetPicture. Optional: GetPreview,
 *           ConfigurationDlg.
 *   "00AM"  archive plug-in: lists and extracts files. Required:
 *           GetPluginInfo, IsSupported, GetArchiveInfo, GetFileInfo, GetFile.
 *   "00XN"  an extension kind: loaded and listed, never asked to decode.
 * A library that lacks an entry point its kind requires is not loaded.
 *
 * Text: every string a plug-in returns is UTF-8 and NUL-terminated; file
 * names passed to a plug-in are the file system's bytes (UTF-8 on a normal
 * system), NUL-terminated.
 *
 * Memory: GetPicture and GetPreview hand back two blocks that the plug-in
 * allocates with malloc() from the C library (not new, not a private
 * allocator). From the moment the call returns SPI_ALL_RIGHT the blocks
 * belong to Quillet, which releases them with free() once it has built its
 * picture from them, also when it refuses them. Quillet compares the size
 * each header promises with the size of the block malloc() really gave
 * (malloc_usable_size), so a block must be at least as long as its header
 * says; a shorter one is refused instead of being read past its end. On any
 * other return value the plug-in must free what it allocated itself and
 * leave both pointers untouched or NULL.
 *
 * Threads: Quillet may call a plug-in from a worker thread, and from more
 * than one thread at a time for different files; an entry point must not keep
 * state between calls except read-only tables.
 *
 * Example: docs/plugins.md walks through a complete import plug-in.
 */
#ifndef QUILLET_SPI_H
#define QUILLET_SPI_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Visibility of the entry points when a plug-in is built with
 * -fvisibility=hidden; harmless otherwise. */
#if defined(__GNUC__)
#define SPI_EXPORT __attribute__((visibility("default")))
#else
#define SPI_EXPORT
#endif

/* Return codes of every entry point except GetPluginInfo and IsSupported. */
enum {
  SPI_NO_FUNCTION = -1,      /* this plug-in does not implement the call */
  SPI_ALL_RIGHT = 0,         /* success */
  SPI_ABORT = 1,             /* the progress callback asked to stop */
  SPI_NOT_SUPPORT = 2,       /* not a format this plug-in knows */
  SPI_OUT_OF_ORDER = 3,      /* the data is broken */
  SPI_NO_MEMORY = 4,         /* an allocation failed */
  SPI_MEMORY_ERROR = 5,      /* a memory block could not be used */
  SPI_FILE_READ_ERROR = 6,   /* the file could not be read */
  SPI_WINDOW_ERROR = 7,      /* a dialog could not be opened */
  SPI_OTHER_ERROR = 8        /* any other failure */
};

/* The low three bits of every `flag` argument say where the data is. */
enum {
  SPI_INPUT_FILE = 0,   /* `buf` is a file name, `len` the offset of the data in it */
  SPI_INPUT_MEMORY = 1, /* `buf` points to the data, `len` is its size in bytes */
  SPI_INPUT_MASK = 7
};

/* Bytes of a picture's beginning that IsSupported receives. Shorter data is
 * padded with zero bytes, so the buffer always holds this many. */
#define SPI_HEADER_SIZE 2176

/*
 * Progress: called now and then during a long call with the work done so
 * far and the whole work (0 <= done <= total, total > 0). Return 0 to go on,
 * anything else to stop; the plug-in then frees what it holds and returns
 * SPI_ABORT. `user` is passed through unchanged. The callback may be NULL:
 * a plug-in must check before calling it.
 */
typedef int32_t (*SpiProgressCallback)(int32_t done, int32_t total, intptr_t user);

/*
 * The bitmap information block that GetPicture and GetPreview return: this
 * 40-byte header, little-endian as in the BMP file format, followed directly
 * by the colour table when bit_count is 1, 4 or 8 (colors_used entries, or
 * 2^bit_count when colors_used is 0; each entry blue, green, red, 0).
 *
 * The pixel block holds the rows of the picture, each padded to a multiple of
 * four bytes, the bottom row first when height > 0 and the top row first when
 * height < 0. Pixel layouts, by bit_count:
 *   1, 4, 8   indices into the colour table, the leftmost pixel in the high bits
 *   24        blue, green, red
 *   32        blue, green, red, one byte that is ignored
 * compression must be SPI_BI_RGB. width and |height| are at least 1 and at
 * most 65535 each.
 */
#define SPI_BI_RGB 0
#pragma pack(push, 1)
typedef struct SpiBitmapInfoHeader {
  uint32_t size;           /* sizeof(SpiBitmapInfoHeader), 40 */
  int32_t width;
  int32_t height;          /* > 0 bottom-up, < 0 top-down */
  uint16_t planes;         /* 1 */
  uint16_t bit_count;      /* 1, 4, 8, 24 or 32 */
  uint32_t compression;    /* SPI_BI_RGB */
  uint32_t size_image;     /* bytes of the pixel block, or 0 */
  int32_t x_pels_per_meter;
  int32_t y_pels_per_meter;
  uint32_t colors_used;    /* entries of the colour table, 0 = 2^bit_count */
  uint32_t colors_important;
} SpiBitmapInfoHeader;

/* What GetPictureInfo reports without decoding the pixels. */
typedef struct SpiPictureInfo {
  int32_t left, top;       /* where the picture is placed, usually 0 */
  int32_t width, height;   /* size in pixels */
  uint16_t x_density;      /* pixels per inch, 0 when unknown */
  uint16_t y_density;
  int16_t color_depth;     /* bits per pixel of the stored picture */
  char* text;              /* malloc()ed UTF-8 text about the picture that the
                              caller frees, or NULL */
} SpiPictureInfo;

/* One file of an archive. `method` names the packing ("-lh5-", "store"...);
 * the list that GetArchiveInfo returns ends with an entry whose method[0] is 0. */
typedef struct SpiFileInfo {
  char method[8];
  uint64_t position;       /* where the entry starts in the archive */
  uint64_t compressed_size;
  uint64_t file_size;
  int64_t timestamp;       /* seconds since 1970-01-01 UTC */
  char path[200];          /* folder inside the archive, UTF-8 */
  char file_name[200];     /* UTF-8 */
  uint32_t crc;
} SpiFileInfo;
#pragma pack(pop)

/*
 * GetPluginInfo: the plug-in's texts by number. 0 the kind ("00IN"), 1 a
 * description shown to the user (name, version, author), then pairs: 2, 4, 6
 * ... a file mask, several separated by ";" ("*.jpg;*.jpeg"), and 3, 5, 7 ...
 * the name of that file type ("JPEG picture"). Copies at most buflen - 1
 * bytes and a NUL into buf and returns the number of bytes copied without the
 * NUL; returns 0 for a number it does not have. Quillet reads the pairs until
 * the first number that gives 0.
 */
SPI_EXPORT int32_t GetPluginInfo(int32_t infono, char* buf, int32_t buflen);

/*
 * IsSupported: non-zero when this plug-in can decode the data whose name is
 * `filename` (may be a name only, without folder, for data in memory) and
 * whose first SPI_HEADER_SIZE bytes are at `header`. Should look at the bytes
 * rather than at the name.
 */
SPI_EXPORT int32_t IsSupported(const char* filename, const void* header);

/* GetPictureInfo: fills `info` for the picture in `buf` (see SPI_INPUT_*). */
SPI_EXPORT int32_t GetPictureInfo(const char* buf, intptr_t len, uint32_t flag, SpiPictureInfo* info);

/*
 * GetPicture: decodes the picture in `buf`. On SPI_ALL_RIGHT *info points to
 * a malloc()ed SpiBitmapInfoHeader (with its colour table) and *bits to the
 * malloc()ed pixel block, both now Quillet's.
 */
SPI_EXPORT int32_t GetPicture(const char* buf, intptr_t len, uint32_t flag, void** info, void** bits,
                              SpiProgressCallback progress, intptr_t user);

/*
 * GetPreview: like GetPicture, but may give a smaller picture sooner (a JPEG
 * decoder scales in the transform). Quillet uses a preview for a thumbnail
 * when it is at least as large as the thumbnail; SPI_NO_FUNCTION when the
 * plug-in offers none.
 */
SPI_EXPORT int32_t GetPreview(const char* buf, intptr_t len, uint32_t flag, void** info, void** bits,
                              SpiProgressCallback progress, intptr_t user);

/*
 * GetArchiveInfo: *list receives a malloc()ed array of SpiFileInfo, ended by
 * an entry with method[0] == 0, which the caller frees with free().
 */
SPI_EXPORT int32_t GetArchiveInfo(const char* buf, intptr_t len, uint32_t flag, void** list);

/* GetFileInfo: the entry of `filename` inside the archive `buf`. Bit 7 of
 * `flag` set compares names without regard to case. */
SPI_EXPORT int32_t GetFileInfo(const char* buf, intptr_t len, const char* filename, uint32_t flag,
                               SpiFileInfo* info);

/*
 * GetFile: extracts the entry at position `len` of the archive `src`. Bits
 * 8-10 of `flag` give the destination: 0 a folder named by `dest` (the entry
 * is written under its own name), 1 memory (`dest` is a void** that receives
 * a malloc()ed block the caller frees).
 */
SPI_EXPORT int32_t GetFile(const char* src, intptr_t len, char* dest, uint32_t flag,
                           SpiProgressCallback progress, intptr_t user);

/* ConfigurationDlg: optional; `parent` is an X11 window id or 0, `function`
 * 0 about box, 1 settings. Quillet does not call it today. */
SPI_EXPORT int32_t ConfigurationDlg(uintptr_t parent, int32_t function);

#ifdef __cplusplus
}
#endif

#endif /* QUILLET_SPI_H */
