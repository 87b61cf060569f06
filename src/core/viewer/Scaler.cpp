// The thumbnail size rule and the area-averaging scaler (see Scaler.h).
#include "core/viewer/Scaler.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace quillet {
namespace {

// How much a span ends short of the next destination pixel's start.
constexpr double kSpanShortening = 0.000001;

// The source pixels one destination pixel covers along one axis: First..Last
// with the partial weights of the two ends (whole pixels between weigh 1)
// and the sum of all weights.
struct TSpan {
  std::int32_t First = 0;
  std::int32_t Last = 0;
  double FirstWeight = 0;
  double LastWeight = 0;  // unused when First == Last
  double Total = 0;
};

// The spans of the `dst` destination pixels along an axis of `src` source
// pixels (src, dst ≥ 1, dst ≤ kMaxDibSide so a span never shrinks to
// nothing). The weight of source pixel i is the length of [i, i + 1) that
// lies in [start, end].
std::vector<TSpan> Spans(std::int32_t src, std::int32_t dst) {
  const double scale = static_cast<double>(src) / static_cast<double>(dst);
  std::vector<TSpan> spans(static_cast<std::size_t>(dst));
  for (std::int32_t i = 0; i < dst; ++i) {
    const double start = static_cast<double>(i) * scale;
    const double end = static_cast<double>(i + 1) * scale - kSpanShortening;
    TSpan& span = spans[static_cast<std::size_t>(i)];
    span.Last = std::clamp(static_cast<std::int32_t>(std::floor(end)), 0, src - 1);
    span.First = std::clamp(static_cast<std::int32_t>(std::floor(start)), 0, span.Last);
    const auto weight = [&](std::int32_t p) {
      return std::min(end, static_cast<double>(p) + 1) - std::max(start, static_cast<double>(p));
    };
    span.FirstWeight = weight(span.First);
    span.Total = span.FirstWeight;
    if (span.Last > span.First) {
      span.LastWeight = weight(span.Last);
      span.Total += static_cast<double>(span.Last - span.First - 1) + span.LastWeight;
    }
  }
  return spans;
}

// The hot loop of a reduction: one addition per source byte. The pointers
// never overlap; saying so lets the compiler use vector additions.
void AddRow(std::uint32_t* __restrict sums, const std::uint8_t* __restrict row, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) sums[i] += row[i];
}

std::uint8_t ToByte(double value) {
  return static_cast<std::uint8_t>(std::clamp(std::floor(value + 0.5), 0.0, 255.0));
}

}  // namespace

TThumbSize ThumbnailSize(std::int32_t width, std::int32_t height, std::int32_t size) {
  size = std::max(size, 1);
  width = std::max(width, 1);
  height = std::max(height, 1);
  if (width <= size && height <= size) return {width, height};
  // 64-bit products: size × side reaches 2^32 for the largest pictures.
  if (width >= height) {
    const auto other = static_cast<std::int64_t>(size) * height / width;
    return {size, static_cast<std::int32_t>(std::max<std::int64_t>(other, 1))};
  }
  const auto other = static_cast<std::int64_t>(size) * width / height;
  return {static_cast<std::int32_t>(std::max<std::int64_t>(other, 1)), size};
}

TDib AreaAverage(const TDib& source, std::int32_t width, std::int32_t height, std::string* error) {
  if (!source.Empty() && source.Bits.size() != static_cast<std::size_t>(source.Width) *
                                                    static_cast<std::size_t>(source.Height) * 3) {
    if (error) *error = "the picture's pixels do not match its size";
    return {};
  }
  return AreaAverage(ViewOf(source), width, height, error);
}

TDib AreaAverage(const TDibView& source, std::int32_t width, std::int32_t height, std::string* error) {
  const auto fail = [&](const char* why) {
    if (error) *error = why;
    return TDib{};
  };
  if (source.Width <= 0 || source.Height <= 0 || !source.Top) return fail("the picture has no pixels");
  const std::size_t srcW = static_cast<std::size_t>(source.Width);
  width = std::max(width, 1);
  height = std::max(height, 1);
  if (width > kMaxDibSide || height > kMaxDibSide) return fail("the scaled picture would be too large");

  const std::vector<TSpan> columns = Spans(source.Width, width);
  const std::vector<TSpan> rows = Spans(source.Height, height);
  TDib out;
  out.Width = width;
  out.Height = height;
  out.Bits.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);

  const std::size_t rowBytes = srcW * 3;
  // Whole rows inside a span add up as integers: 65535 rows of 255 fit.
  std::vector<std::uint32_t> whole(rowBytes);
  std::vector<double> columnSums(rowBytes);
  for (std::int32_t y = 0; y < height; ++y) {
    const TSpan& rs = rows[static_cast<std::size_t>(y)];
    const std::uint8_t* first = source.Row(rs.First);
    if (rs.Last == rs.First) {
      for (std::size_t i = 0; i < rowBytes; ++i) columnSums[i] = rs.FirstWeight * first[i];
    } else {
      std::fill(whole.begin(), whole.end(), 0u);
      for (std::int32_t r = rs.First + 1; r < rs.Last; ++r) AddRow(whole.data(), source.Row(r), rowBytes);
      const std::uint8_t* last = source.Row(rs.Last);
      for (std::size_t i = 0; i < rowBytes; ++i)
        columnSums[i] = rs.FirstWeight * first[i] + static_cast<double>(whole[i]) + rs.LastWeight * last[i];
    }
    std::uint8_t* dst = out.Row(y);
    for (const TSpan& cs : columns) {
      const double* sums = columnSums.data() + static_cast<std::size_t>(cs.First) * 3;
      double b = cs.FirstWeight * sums[0];
      double g = cs.FirstWeight * sums[1];
      double r = cs.FirstWeight * sums[2];
      if (cs.Last > cs.First) {
        const double* end = columnSums.data() + static_cast<std::size_t>(cs.Last) * 3;
        for (const double* p = sums + 3; p < end; p += 3) {
          b += p[0];
          g += p[1];
          r += p[2];
        }
        b += cs.LastWeight * end[0];
        g += cs.LastWeight * end[1];
        r += cs.LastWeight * end[2];
      }
      const double divisor = cs.Total * rs.Total;
      dst[0] = ToByte(b / divisor);
      dst[1] = ToByte(g / divisor);
      dst[2] = ToByte(r / divisor);
      dst += 3;
    }
  }
  return out;
}

TDib MakeThumbnail(const TDibView& source, std::int32_t size, std::string* error) {
  if (source.Width <= 0 || source.Height <= 0 || !source.Top) {
    if (error) *error = "the picture has no pixels";
    return {};
  }
  const TThumbSize thumb = ThumbnailSize(source.Width, source.Height, size);
  if (thumb.Width == source.Width && thumb.Height == source.Height) {
    TDib copy{source.Width, source.Height, {}};
    copy.Bits.reserve(static_cast<std::size_t>(source.Width) * static_cast<std::size_t>(source.Height) * 3);
    for (std::int32_t y = 0; y < source.Height; ++y)
      copy.Bits.insert(copy.Bits.end(), source.Row(y), source.Row(y) + static_cast<std::ptrdiff_t>(source.Width) * 3);
    return copy;
  }
  return AreaAverage(source, thumb.Width, thumb.Height, error);
}

TDib MakeThumbnail(const TDib& source, std::int32_t size, std::string* error) {
  if (source.Empty()) {
    if (error) *error = "the picture has no pixels";
    return {};
  }
  const TThumbSize thumb = ThumbnailSize(source.Width, source.Height, size);
  if (thumb.Width == source.Width && thumb.Height == source.Height) {
    if (source.Bits.size() != static_cast<std::size_t>(source.Width) * static_cast<std::size_t>(source.Height) * 3) {
      if (error) *error = "the picture's pixels do not match its size";
      return {};
    }
    return source;
  }
  return AreaAverage(source, thumb.Width, thumb.Height, error);
}

}  // namespace quillet
