#pragma once
// Trace records built in memory for the display-model tests. The geometry is chosen so that
// sample index, time of flight and distance convert exactly: one sample every 100 time units
// (0.1 ns), 2.0422 m per sample.
#include <cstdint>
#include <memory>
#include <string_view>

#include "document/trace_display_model.h"
#include "sor/sor_record.h"
#include "sor/sor_text.h"

namespace lumivane::test {

inline constexpr std::int32_t kGroupIndexField = 146800;
inline constexpr std::int32_t kDataSpacing = 1000000;      // 100 time units per sample
inline constexpr std::int32_t kTimePerSample = 100;
inline constexpr double kKmPerTime = 2.99792458 / kGroupIndexField;
inline constexpr double kKmPerSample = kKmPerTime * kTimePerSample;

/// A trace of `points` samples, flat at `sample`, with scale factor 1000, units "mt" and 1550 nm.
inline std::unique_ptr<SorRecord> MakeTraceRecord(std::int32_t points, std::uint16_t sample = 5000) {
  auto record = std::make_unique<SorRecord>();
  SorFxdParams& fxd = record->FxdParams;
  SetSorText(fxd.DistanceUnits, std::string_view("mt"));
  fxd.ActualWavelength = 15500;
  fxd.PulseWidthCount = 1;
  fxd.PulseWidths[0] = 1000;
  fxd.DataSpacing[0] = kDataSpacing;
  fxd.DataPointCounts[0] = points;
  fxd.GroupIndex = kGroupIndexField;
  SorTraceData& trace = record->DataPts.Traces[0];
  record->DataPts.TotalPointCount = points;
  record->DataPts.TraceCount = 1;
  trace.PointCount = points;
  trace.ScaleFactor = 1000;
  trace.Samples.assign(static_cast<std::size_t>(std::clamp(points, 0, kSorMaxSamples)), sample);
  return record;
}

/// Appends a key event at sample `index` with the given code; its five marker locations are the
/// sample indices given, as times of flight.
inline SorKeyEvent& AddKeyEvent(SorRecord& record, std::int32_t index, std::string_view code,
                                const std::int32_t (&markers)[5] = {0, 0, 0, 0, 0}) {
  SorKeyEvents& events = record.KeyEvents;
  events.Events.resize(static_cast<std::size_t>(events.KeyEventCount));
  SorKeyEvent& event = events.Events.emplace_back();
  ++events.KeyEventCount;
  event.EventNumber = events.KeyEventCount;
  event.TimeOfFlight = index * kTimePerSample;
  SetSorText(event.EventCode, code);
  for (int m = 0; m < 5; ++m) event.MarkerLocations[m] = markers[m] * kTimePerSample;
  return event;
}

/// A holder of the display model, as the loaded-trace list keeps one.
inline std::unique_ptr<TraceDisplayModel> NewModel() { return std::make_unique<TraceDisplayModel>(); }

}  // namespace lumivane::test
