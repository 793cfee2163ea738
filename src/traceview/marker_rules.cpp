#include "traceview/marker_rules.h"

#include <algorithm>
#include <cmath>
#include <tuple>
#include <utility>

#include "platform/saturate.h"
#include "trace/least_squares.h"

namespace {

constexpr int kSegmentSpan = 500;      // default length of a fitted segment
constexpr int kSecondSegmentGap = 60;  // second loss segment starts this far after the first
constexpr int kReflectancePeak = 20;   // reflectance level point after its marker
constexpr int kReflectanceNudge = 10;  // a level point before its segment end moves this far past it

// A missing value stays missing whatever the offset.
double WithOffset(double value, double offsetDb) { return value >= kMissingValue ? kMissingValue : value + offsetDb; }

// Aux indices can lie outside the trace (shifts and locked moves carry them without a bound), so the
// fit and the level treat such an index as no value instead of reading a sample there.
double FitAt(const MarkerTrace& trace, int a, int b, int x) {
  return LeastSquaresValueAt(a, b, x, trace.pointCount, trace.samples);
}

int Hold(int index, int pointCount) { return std::clamp(index, 0, std::max(pointCount - 1, 0)); }

void ValuePair(AuxMarker& first, AuxMarker& second, const MarkerTrace& trace, double offsetDb) {
  const int a = first.SampleIndex;
  const int b = second.SampleIndex;
  if (a == b) {
    first.Value = WithOffset(AuxLevelAt(trace, a), offsetDb);
    second.Value = WithOffset(AuxLevelAt(trace, b), offsetDb);
  } else {
    first.Value = WithOffset(FitAt(trace, a, b, a), offsetDb);
    second.Value = WithOffset(FitAt(trace, a, b, b), offsetDb);
  }
}

// Held within the trace, ordered, and an empty segment opened to 500 samples where the trace allows.
std::pair<int, int> OrderedSegment(int first, int second, int pointCount) {
  int c = Hold(first, pointCount);
  int b = Hold(second, pointCount);
  if (b < c) std::swap(b, c);
  if (c == b && c > kSegmentSpan && c < pointCount - 1) c -= kSegmentSpan;
  return {c, b};
}

int SetOf(int set) { return set == 0 ? 0 : 1; }

int MarkerOf(const MarkerState& markers, int set) { return SetOf(set) == 0 ? markers.MarkerA : markers.MarkerB; }

int& ActiveIndex(MarkerState& markers) { return markers.ActiveMarker == 0 ? markers.MarkerA : markers.MarkerB; }

void ShiftSet(MarkerState& markers, int set, int delta, int holdWithin) {
  auto move = [&](AuxMarker& aux) {
    aux.SampleIndex += delta;
    if (holdWithin > 0) aux.SampleIndex = Hold(aux.SampleIndex, holdWithin);
  };
  for (AuxMarker& aux : markers.LossAuxMarkers[SetOf(set)]) move(aux);
  for (AuxMarker& aux : markers.ReflectanceAuxMarkers[SetOf(set)]) move(aux);
}

void UpdateForMode(MarkerState& markers, int set, const MarkerTrace& trace, double offsetDb, bool modeZeroBoth) {
  const int mode = markers.AnalysisMode;
  if (mode == 1 || (mode == 0 && modeZeroBoth)) UpdateLossAuxMarkers(markers, set, trace, offsetDb);
  if (mode == 2 || (mode == 0 && modeZeroBoth)) UpdateReflectanceAuxMarkers(markers, set, trace, offsetDb);
}

}  // namespace

int SampleAxis::ClientX(int index) const { return lumivane::TruncToInt32(index * pixelsPerSample - originX); }

int SampleAxis::SampleAt(double x) const {
  if (!(pixelsPerSample > 0.0)) return 0;
  return lumivane::TruncToInt32((x + originX) / pixelsPerSample);
}

double AuxLevelAt(const MarkerTrace& trace, int index) {
  const int count = std::min<int>(trace.pointCount, static_cast<int>(trace.samples.size()));
  if (index < 0 || index >= count) return kMissingValue;
  return trace.samples[static_cast<std::size_t>(index)];
}

void UpdateLossAuxMarkers(MarkerState& markers, int set, const MarkerTrace& trace, double offsetDb) {
  const int n = trace.pointCount;
  if (n <= 0) return;
  auto& aux = markers.LossAuxMarkers[SetOf(set)];
  const bool modeZero = markers.AnalysisMode == 0;

  auto [c, b] = OrderedSegment(aux[0].SampleIndex, aux[1].SampleIndex, n);
  aux[0].SampleIndex = c;
  aux[1].SampleIndex = b;
  if (c == b) {
    if (modeZero && c >= kSegmentSpan) {
      c -= kSegmentSpan;
      aux[0].SampleIndex = c;
    }
    aux[0].Value = WithOffset(AuxLevelAt(trace, c), offsetDb);
    aux[1].Value = WithOffset(AuxLevelAt(trace, b), offsetDb);
  } else {
    aux[0].Value = WithOffset(FitAt(trace, c, b, c), offsetDb);
    aux[1].Value = WithOffset(FitAt(trace, c, b, b), offsetDb);
  }

  std::tie(c, b) = OrderedSegment(aux[2].SampleIndex, aux[3].SampleIndex, n);
  if (c < aux[1].SampleIndex) {
    c = std::min(aux[1].SampleIndex + kSecondSegmentGap, n - 1);
  } else if (modeZero && std::abs(c - b) < kSegmentSpan && c > kSegmentSpan) {
    c = MarkerOf(markers, set);
    b = c + kSegmentSpan;
  }
  aux[2].SampleIndex = c;
  aux[3].SampleIndex = b;
  ValuePair(aux[2], aux[3], trace, offsetDb);
}

void UpdateReflectanceAuxMarkers(MarkerState& markers, int set, const MarkerTrace& trace, double offsetDb) {
  const int n = trace.pointCount;
  if (n <= 0) return;
  auto& aux = markers.ReflectanceAuxMarkers[SetOf(set)];
  int c = Hold(aux[0].SampleIndex, n);
  int a = Hold(aux[1].SampleIndex, n);
  if (a < c) std::swap(a, c);
  int b = Hold(aux[2].SampleIndex, n);
  if (b < a) b = std::min(a + kReflectanceNudge, n - 1);
  if (markers.AnalysisMode == 0) {
    if (c == a && c > kSegmentSpan) c = a - kSegmentSpan;
    b = a;
  }
  aux[0].SampleIndex = c;
  aux[1].SampleIndex = a;
  ValuePair(aux[0], aux[1], trace, offsetDb);
  aux[2].SampleIndex = b;
  aux[2].Value = WithOffset(AuxLevelAt(trace, b), offsetDb);
}

void RefitActiveAuxMarkers(MarkerState& markers, int set, const MarkerTrace& trace, double offsetDb) {
  // A refit after the trace changed reads single levels at the nearest sample the trace has.
  auto held = [&trace](int index) { return AuxLevelAt(trace, Hold(index, trace.pointCount)); };
  auto pair = [&](AuxMarker& first, AuxMarker& second) {
    if (first.SampleIndex != second.SampleIndex) {
      ValuePair(first, second, trace, offsetDb);
      return;
    }
    first.Value = WithOffset(held(first.SampleIndex), offsetDb);
    second.Value = WithOffset(held(second.SampleIndex), offsetDb);
  };
  auto& loss = markers.LossAuxMarkers[SetOf(set)];
  pair(loss[0], loss[1]);
  pair(loss[2], loss[3]);
  auto& reflectance = markers.ReflectanceAuxMarkers[SetOf(set)];
  pair(reflectance[0], reflectance[1]);
  reflectance[2].Value = WithOffset(held(reflectance[2].SampleIndex), offsetDb);
}

std::array<int, 4> LossAuxPlaces(int marker, const std::array<int, 4>& shift, int pointCount) {
  std::array<int, 4> places{std::max(marker - kSegmentSpan + shift[0], 0), marker + shift[1],
                            marker + kSecondSegmentGap + shift[2], marker + kSegmentSpan + shift[3]};
  if (places[3] >= pointCount) places[3] = pointCount - 2;
  return places;
}

std::array<int, 3> ReflectanceAuxPlaces(int marker, const std::array<int, 3>& shift, int pointCount) {
  std::array<int, 3> places{std::max(marker - kSegmentSpan + shift[0], 0), marker + shift[1],
                            marker + kReflectancePeak + shift[2]};
  if (places[2] >= pointCount) places[2] = pointCount - 2;
  return places;
}

int HoldDraggedAux(int mode, int k, int index, std::span<const int> indices, int marker, int pointCount,
                   const SampleAxis& axis) {
  const int last = mode == 1 ? 3 : 2;
  if (k < 0 || k > last || indices.size() < static_cast<std::size_t>(last + 1)) return index;
  const int lower = k == 0 ? 0 : (k == 1 ? indices[0] : (k == 2 ? marker : indices[2]));
  int upper = 0;
  if (k == 0) upper = indices[1];
  if (k == 1) upper = marker;
  if (k == 2) upper = mode == 1 ? indices[3] : pointCount - 1;
  if (k == 3) upper = pointCount - 1;
  int j = index;
  if (j < lower) {
    j = lower;
  } else if (j > upper) {
    j = upper;
  }
  // The last aux marker stays inside the window so that it can be picked again.
  if (k == last && j * axis.pixelsPerSample - axis.originX > axis.clientWidth) {
    j = axis.SampleAt(axis.clientWidth);
  }
  return j;
}

void PlaceAuxMarkersForPaint(MarkerState& markers, const std::array<int, 4> (&lossShift)[2],
                             const std::array<int, 3> (&reflShift)[2], int auxDrag, const MarkerTrace& trace,
                             const SampleAxis& axis, double offsetDb) {
  const int mode = markers.AnalysisMode;
  if (mode != 1 && mode != 2) return;
  const int n = trace.pointCount;
  const int active = SetOf(markers.ActiveMarker);
  const int marker = MarkerOf(markers, active);
  if (mode == 1) {
    for (int s = 0; s < 2; ++s) {
      const auto places = LossAuxPlaces(MarkerOf(markers, s), lossShift[s], n);
      for (int k = 0; k < 4; ++k) markers.LossAuxMarkers[s][k].SampleIndex = places[static_cast<std::size_t>(k)];
    }
    auto& aux = markers.LossAuxMarkers[active];
    if (auxDrag >= 0 && auxDrag < 4) {
      const std::array<int, 4> indices{aux[0].SampleIndex, aux[1].SampleIndex, aux[2].SampleIndex,
                                       aux[3].SampleIndex};
      aux[auxDrag].SampleIndex =
          HoldDraggedAux(1, auxDrag, aux[auxDrag].SampleIndex, indices, marker, n, axis);
    }
    ValuePair(aux[0], aux[1], trace, offsetDb);
    ValuePair(aux[2], aux[3], trace, offsetDb);
    return;
  }
  for (int s = 0; s < 2; ++s) {
    const auto places = ReflectanceAuxPlaces(MarkerOf(markers, s), reflShift[s], n);
    for (int k = 0; k < 3; ++k) {
      markers.ReflectanceAuxMarkers[s][k].SampleIndex = places[static_cast<std::size_t>(k)];
    }
  }
  auto& aux = markers.ReflectanceAuxMarkers[active];
  if (auxDrag >= 0 && auxDrag < 3) {
    const std::array<int, 3> indices{aux[0].SampleIndex, aux[1].SampleIndex, aux[2].SampleIndex};
    aux[auxDrag].SampleIndex = HoldDraggedAux(2, auxDrag, aux[auxDrag].SampleIndex, indices, marker, n, axis);
  }
  ValuePair(aux[0], aux[1], trace, offsetDb);
  aux[2].Value = WithOffset(AuxLevelAt(trace, aux[2].SampleIndex), offsetDb);
}

bool StepActiveMarker(MarkerState& markers, int step, const MarkerTrace& trace, double offsetDb) {
  const int n = trace.pointCount;
  auto inside = [n](long long j) { return j >= 0 && j < n; };
  if (markers.LockAB == 0) {
    int& m = ActiveIndex(markers);
    if (!inside(static_cast<long long>(m) + step)) return false;
    m += step;
    ShiftSet(markers, markers.ActiveMarker, step, 0);
    UpdateForMode(markers, markers.ActiveMarker, trace, offsetDb, false);
    return true;
  }
  if (!inside(static_cast<long long>(markers.MarkerA) + step) ||
      !inside(static_cast<long long>(markers.MarkerB) + step)) {
    return false;
  }
  markers.MarkerA += step;
  markers.MarkerB += step;
  for (int s = 0; s < 2; ++s) {
    ShiftSet(markers, s, step, 0);
    UpdateForMode(markers, s, trace, offsetDb, false);
  }
  return true;
}

int ToggledInsertionLossMode(int mode) { return mode == 1 ? 0 : 1; }
int ToggledReflectanceMode(int mode) { return mode == 2 ? 0 : 2; }

double MarkerDistanceKm(int index, double fibreLengthKm, int pointCount) {
  if (pointCount < 2) return 0.0;
  return index * fibreLengthKm / (pointCount - 1);
}

MarkerDragResult DragActiveMarker(MarkerState& markers, int x, const SampleAxis& axis, int indexA, int indexB,
                                  const MarkerTrace& trace, double offsetDb) {
  const int n = trace.pointCount;
  if (n <= 0 || !(axis.pixelsPerSample > 0.0)) return MarkerDragResult::Unchanged;
  const double pps = axis.pixelsPerSample;
  const double ox = axis.originX;
  const int width = axis.clientWidth;
  int& m = ActiveIndex(markers);
  const int d = lumivane::TruncToInt32((x + ox) / pps - m);
  if (d == 0) return MarkerDragResult::Unchanged;
  const long long target = static_cast<long long>(m) + d;
  if (markers.LockAB == 0) {
    if (x < 0 || x > width || target > n - 1 || target < 0) {
      const double edge = x > 0 ? (width + ox) / pps : ox / pps;
      const int placed = std::clamp(m + lumivane::TruncToInt32(edge - m), 0, n - 1);
      const int dd = placed - m;
      m = placed;
      ShiftSet(markers, markers.ActiveMarker, dd, 0);
      UpdateForMode(markers, markers.ActiveMarker, trace, offsetDb, false);
      return MarkerDragResult::SnappedToEdge;
    }
    m += d;
    ShiftSet(markers, markers.ActiveMarker, d, n);
    UpdateForMode(markers, markers.ActiveMarker, trace, offsetDb, true);
    return MarkerDragResult::Moved;
  }
  auto outside = [n](long long j) { return j < 0 || j > n - 1; };
  if (outside(static_cast<long long>(indexA) + d) || outside(static_cast<long long>(indexB) + d)) {
    return MarkerDragResult::Unchanged;
  }
  const double targetX = static_cast<double>(target) * pps - ox;
  if ((d <= 0 && targetX < 0.0) || (d >= 1 && targetX > width)) return MarkerDragResult::Unchanged;
  markers.MarkerA += d;
  markers.MarkerB += d;
  for (int s = 0; s < 2; ++s) {
    ShiftSet(markers, s, d, 0);
    UpdateForMode(markers, s, trace, offsetDb, false);
  }
  return MarkerDragResult::Moved;
}
