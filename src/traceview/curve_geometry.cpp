#include "traceview/curve_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/saturate.h"

using lumivane::TruncToInt32;

namespace {

constexpr int kCullMargin = 2;

// The raster engine steps a steep line's x in fixed point; from about 190 rows on, the step into the
// next column can come a row early, so only shorter joins are folded into their column's run.
constexpr int kLongestMergedJoin = 64;

// The curve loops truncate two values per sample; values well inside the int range, which is every
// value of a sane trace, skip the general conversion.
inline int Trunc(double value) {
  constexpr double kFastLimit = 1e9;
  if (value > -kFastLimit && value < kFastLimit) return static_cast<int>(value);
  return TruncToInt32(value);
}

inline int X(int i, const CurveMapping& m) { return Trunc(m.originX + i * m.step); }

inline int Y(double levelDb, const CurveMapping& m) {
  return m.canvasHeight - Trunc((m.ceilingDb - levelDb) * m.pixelsPerDb);
}

}  // namespace

int CurveX(int i, const CurveMapping& mapping) { return X(i, mapping); }

int CurveY(double levelDb, const CurveMapping& mapping) { return Y(levelDb, mapping); }

SampleRange VisibleSampleRange(int sampleCount, const CurveMapping& mapping) {
  if (sampleCount <= 0) return {};
  if (!(mapping.step > 0.0) || !std::isfinite(mapping.step)) return {0, sampleCount - 1};
  const double left = mapping.visibleLeft - mapping.originX;
  const double first = std::floor(left / mapping.step) - kCullMargin;
  const double last = std::ceil((left + mapping.visibleWidth) / mapping.step) + kCullMargin;
  return {TruncToInt32(std::clamp(first, 0.0, sampleCount - 1.0)),
          TruncToInt32(std::clamp(last, 0.0, sampleCount - 1.0))};
}

namespace {

// The samples of one pixel column seen so far: their lowest and highest row and the row of the
// last one, where the join into the next column starts.
struct Column {
  int x;
  int lastY;
  int lowY;
  int highY;
};

// Walks the visible samples column by column and hands each finished column to `close`, with the
// first pixel of the next column, or null after the last column.
template <typename Close>
void WalkColumns(std::span<const double> db, const CurveMapping& mapping, Close&& close) {
  const SampleRange range = VisibleSampleRange(static_cast<int>(db.size()), mapping);
  if (range.last <= range.first) return;
  const int firstY = Y(db[range.first], mapping);
  Column column{X(range.first, mapping), firstY, firstY, firstY};
  for (int i = range.first + 1; i <= range.last; ++i) {
    const PixelPoint next{X(i, mapping), Y(db[i], mapping)};
    if (next.x == column.x) {
      column.lowY = std::min(column.lowY, next.y);
      column.highY = std::max(column.highY, next.y);
      column.lastY = next.y;
      continue;
    }
    close(column, &next);
    column = {next.x, next.y, next.y, next.y};
  }
  close(column, nullptr);
}

}  // namespace

void BuildCurveSegments(std::span<const double> db, const CurveMapping& mapping,
                        std::vector<CurveSegment>& out) {
  out.clear();
  WalkColumns(db, mapping, [&out](const Column& c, const PixelPoint* next) {
    if (c.lowY != c.highY) out.push_back({c.x, c.lowY, c.x, c.highY});
    if (next != nullptr) out.push_back({c.x, c.lastY, next->x, next->y});
  });
}

void BuildThinCurveSegments(std::span<const double> db, const CurveMapping& mapping,
                            std::vector<CurveSegment>& out) {
  out.clear();
  WalkColumns(db, mapping, [&out](Column c, const PixelPoint* next) {
    if (next != nullptr) {
      if (next->x == c.x + 1 && std::abs(next->y - c.lastY) < kLongestMergedJoin) {
        // The join's own column part runs from lastY to one row short of the next pixel.
        const int towards = next->y > c.lastY ? next->y - 1 : next->y < c.lastY ? next->y + 1 : next->y;
        c.lowY = std::min(c.lowY, towards);
        c.highY = std::max(c.highY, towards);
      } else {
        out.push_back({c.x, c.lastY, next->x, next->y});
      }
    }
    out.push_back({c.x, c.lowY, c.x, c.highY});
  });
}

void BuildDottedPixels(std::span<const double> db, const CurveMapping& mapping,
                       std::vector<PixelPoint>& out) {
  out.clear();
  const SampleRange range = VisibleSampleRange(static_cast<int>(db.size()), mapping);
  for (int i = std::max(range.first, 1); i <= range.last; ++i) {
    const PixelPoint p{X(i, mapping), Y(db[i], mapping)};
    if (out.empty() || !(out.back() == p)) out.push_back(p);
  }
}
