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

inline int X(int i, const CurveMapping& m) { return Trunc(i * m.step); }

inline int Y(double levelDb, const CurveMapping& m) {
  return m.canvasHeight - Trunc((m.ceilingDb - levelDb) * m.pixelsPerDb);
}

}  // namespace

int CurveX(int i, const CurveMapping& mapping) { return X(i, mapping); }

int CurveY(double levelDb, const CurveMapping& mapping) { return Y(levelDb, mapping); }

SampleRange VisibleSampleRange(int sampleCount, const CurveMapping& mapping) {
  if (sampleCount <= 0) return {};
  if (!(mapping.step > 0.0) || !std::isfinite(mapping.step)) return {0, sampleCount - 1};
  const double first = std::floor(mapping.visibleLeft / mapping.step) - kCullMargin;
  const double last = std::ceil((mapping.visibleLeft + mapping.visibleWidth) / mapping.step) + kCullMargin;
  return {TruncToInt32(std::clamp(first, 0.0, sampleCount - 1.0)),
          TruncToInt32(std::clamp(last, 0.0, sampleCount - 1.0))};
}

void BuildCurveSegments(std::span<const double> db, const CurveMapping& mapping,
                        std::vector<CurveSegment>& out) {
  out.clear();
  const SampleRange range = VisibleSampleRange(static_cast<int>(db.size()), mapping);
  if (range.last <= range.first) return;
  int columnX = X(range.first, mapping);
  int lastY = Y(db[range.first], mapping);
  int lowY = lastY;
  int highY = lastY;
  for (int i = range.first + 1; i <= range.last; ++i) {
    const int x = X(i, mapping);
    const int y = Y(db[i], mapping);
    if (x == columnX) {
      lowY = std::min(lowY, y);
      highY = std::max(highY, y);
      lastY = y;
      continue;
    }
    if (lowY != highY) out.push_back({columnX, lowY, columnX, highY});
    out.push_back({columnX, lastY, x, y});
    columnX = x;
    lastY = lowY = highY = y;
  }
  if (lowY != highY) out.push_back({columnX, lowY, columnX, highY});
}

void BuildThinCurveSegments(std::span<const double> db, const CurveMapping& mapping,
                            std::vector<CurveSegment>& out) {
  out.clear();
  const SampleRange range = VisibleSampleRange(static_cast<int>(db.size()), mapping);
  if (range.last <= range.first) return;
  int columnX = X(range.first, mapping);
  int lastY = Y(db[range.first], mapping);
  int lowY = lastY;
  int highY = lastY;
  for (int i = range.first + 1; i <= range.last; ++i) {
    const int x = X(i, mapping);
    const int y = Y(db[i], mapping);
    if (x == columnX) {
      lowY = std::min(lowY, y);
      highY = std::max(highY, y);
      lastY = y;
      continue;
    }
    if (x == columnX + 1 && std::abs(y - lastY) < kLongestMergedJoin) {
      // The join's own column part runs from lastY to one row short of y.
      const int towards = y > lastY ? y - 1 : y < lastY ? y + 1 : y;
      lowY = std::min(lowY, towards);
      highY = std::max(highY, towards);
    } else {
      out.push_back({columnX, lastY, x, y});
    }
    out.push_back({columnX, lowY, columnX, highY});
    columnX = x;
    lastY = lowY = highY = y;
  }
  out.push_back({columnX, lowY, columnX, highY});
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
