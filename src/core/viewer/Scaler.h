// Thumbnails: the size rule of the image list and the area-averaging scaler
// that makes them.
//
// Size rule (ThumbnailSize): a picture no larger than S in both directions
// keeps its size; otherwise the longer side becomes S and the other keeps the
// aspect ratio, truncated and never below 1 (200 × 100 at S 96 gives 96 × 48).
//
// Area averaging (AreaAverage), from W × H to w × h with sx = W / w and
// sy = H / h as real numbers: destination pixel (x, y) covers the source
// rectangle from (x·sx, y·sy) to ((x+1)·sx − 0.000001, (y+1)·sy − 0.000001).
// Every source pixel the rectangle touches contributes with the part of it
// that lies inside, in x times in y (1 inside, 1 − the fraction before the
// start for the first pixel of a span, the fraction up to the end for the
// last). The small shortening keeps a span from reaching into the pixel that
// belongs to its right or lower neighbour.
//
// A channel is the weighted sum divided by the weights taken (in x times in
// y), rounded to the nearest integer. Dividing by sx·sy instead, with the
// 0.000001 shortening, loses that part of each span: 255 came out as 254 in
// a uniform picture after truncation, and when enlarging a picture many
// times (sx far below 1) the loss grows to whole levels (a 1-pixel white
// picture enlarged 10000 times became 252). With the weights taken as the
// divisor a uniform picture stays exactly its colour at every size; for
// reductions the two divisors differ by less than a millionth.
//
// Cost: the scaler is separable. Each destination row first sums its source
// rows into one row of column sums (whole rows inside the span as integers,
// the two partial rows weighted), then each destination pixel sums its
// columns from per-column spans computed once. About one addition per
// source byte plus one pass over W·3 column sums per destination row: a
// 4000 × 3000 photo to 96 × 72 takes a few milliseconds (bench/scaler_bench).
//
// Pure functions on their arguments; any thread.
#pragma once

#include <cstdint>
#include <string>

#include "core/viewer/Dib.h"

namespace quillet {

struct TThumbSize {
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  bool operator==(const TThumbSize&) const = default;
};

// The thumbnail size of a `width` × `height` picture (both ≥ 1) for the
// list's "Size" `size`; a size below 1 counts as 1.
TThumbSize ThumbnailSize(std::int32_t width, std::int32_t height, std::int32_t size);

// `source` scaled to `width` × `height` by area averaging. A width or height
// below 1 counts as 1. Empty with `error` set (one English line) when the
// source has no pixels, its Bits do not hold Width × Height × 3 bytes, or
// the destination would have a side above kMaxDibSide.
TDib AreaAverage(const TDib& source, std::int32_t width, std::int32_t height, std::string* error = nullptr);
// The same over rows read in place (a plug-in's pixel block), so that a
// thumbnail of a large picture needs no full-size copy.
TDib AreaAverage(const TDibView& source, std::int32_t width, std::int32_t height, std::string* error = nullptr);

// The thumbnail of `source` for the list's "Size" `size`: a copy when the
// picture is no larger than the size both ways, else AreaAverage to
// ThumbnailSize. Empty with `error` set as AreaAverage.
TDib MakeThumbnail(const TDib& source, std::int32_t size, std::string* error = nullptr);
TDib MakeThumbnail(const TDibView& source, std::int32_t size, std::string* error = nullptr);

}  // namespace quillet
