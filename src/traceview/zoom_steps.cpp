#include "traceview/zoom_steps.h"

#include <cmath>
#include <span>

#include "platform/saturate.h"

MaxViewExtent g_MaxViewExtent;

namespace {

constexpr int kStepLimitMargin = 20;

struct NearestStep {
  int index;
  float distance;
};

// Ties go to the earlier, coarser entry because only a strictly smaller distance replaces it.
NearestStep FindNearestStep(float c, std::span<const double> table) {
  NearestStep nearest{0, 1000.0f};
  for (int i = 0; i < static_cast<int>(table.size()); ++i) {
    const float d = std::fabs(c - static_cast<float>(table[i]));
    if (d < nearest.distance) nearest = {i, d};
  }
  return nearest;
}

int FinerIndex(float c, std::span<const double> table) {
  const NearestStep nearest = FindNearestStep(c, table);
  const float step = static_cast<float>(table[nearest.index]);
  const int last = static_cast<int>(table.size()) - 1;
  if (step / 10.0f > nearest.distance || c <= step) return std::min(nearest.index + 1, last);
  return nearest.index;
}

int CoarserIndex(float c, std::span<const double> table) {
  const NearestStep nearest = FindNearestStep(c, table);
  const float step = static_cast<float>(table[nearest.index]);
  if (step / 10.0f > nearest.distance || c >= step) return std::max(nearest.index - 1, 0);
  return nearest.index;
}

}  // namespace

float RoundToDecimals(float value, int decimals) {
  for (int i = 0; i < decimals; ++i) value = value * 10.0f;
  value = std::floor(value + 0.5f);
  for (int i = 0; i < decimals; ++i) value = value / 10.0f;
  return value;
}

float CurrentDbPerDiv(int cy, int H) { return static_cast<float>(H * 60.0 / (cy * 10.0)); }

float CurrentKmPerDiv(int cx, int W, double L) { return static_cast<float>(W * L / (cx * 10.0)); }

float PickZoomInStepVertical(int cy, int H, const MaxViewExtent& extent) {
  const float c = CurrentDbPerDiv(cy, H);
  float f = static_cast<float>(g_DbPerDivSteps[FinerIndex(c, g_DbPerDivSteps)]);
  const int limit = extent.y - kStepLimitMargin;
  if (lumivane::TruncToInt32(H * 6.0 / f) > limit) f = static_cast<float>(H * 6.0 / limit);
  return f;
}

float PickZoomOutStepVertical(int cy, int H) {
  const float c = CurrentDbPerDiv(cy, H);
  return static_cast<float>(g_DbPerDivSteps[CoarserIndex(c, g_DbPerDivSteps)]);
}

float PickZoomInStepHorizontal(int cx, int W, float L, int& limited, const MaxViewExtent& extent) {
  limited = 0;
  const float c = CurrentKmPerDiv(cx, W, L);
  float f = static_cast<float>(g_KmPerDivSteps[FinerIndex(c, g_KmPerDivSteps)]);
  const int limit = extent.x - kStepLimitMargin;
  if (lumivane::TruncToInt32(W * (L / 10.0) / f) > limit) {
    limited = 1;
    f = static_cast<float>(W * (L / 10.0) / limit);
  }
  return f;
}

float PickZoomOutStepHorizontal(int cx, int W, float L) {
  const float c = CurrentKmPerDiv(cx, W, L);
  const int i = CoarserIndex(c, g_KmPerDivSteps);
  float g = static_cast<float>(g_KmPerDivSteps[i]);
  const float fullView = L / 10.0f;
  if (std::fabs(g - fullView) < static_cast<float>(g_KmPerDivSteps[i]) / 10.0f) g = fullView;
  if (fullView < g) g = fullView;
  return g;
}
