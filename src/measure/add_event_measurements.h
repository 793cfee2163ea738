#pragma once
// The values Add Event proposes for a new event, measured on the document's current trace through
// four working points taken from the loss aux markers: splice loss, reflectance, cumulative loss,
// attenuation of the section before it and its time of flight. The Event Table pane owns one.
#include <array>
#include <cstdint>

#include "trace/display_records.h"

class COtdrDoc;

class AddEventMeasurements {
 public:
  explicit AddEventMeasurements(const COtdrDoc& doc) : m_Doc(doc) {}

  /// P0, P1 := loss aux markers 0 and 1 of `markerSet`, P2 := the lowest sample of the window from
  /// aux marker 1 to 2 (the top of a reflection); an empty window gives P2 the value 10000.
  void SetAddEventWindow(int markerSet);
  /// P0 .. P3 := the four loss aux markers of `markerSet`.
  void LoadLossAuxMarkers(int markerSet);
  /// Splice loss at sample `x` between the lines P0-P1 and P2-P3, or kMissingValue.
  float ComputeAuxMarkerLoss(int x) const;
  /// Reflectance of the peak P2 above the line P0-P1: -78 dB without height, kMissingValue when it
  /// cannot be measured.
  float ComputeAddEventReflectance() const;
  /// Cumulative loss from the launch to the active marker, read as the Marker Information pane reads
  /// it there (GetMarkerEventLossFromSamples), or kMissingValue.
  float ComputeAddEventLoss() const;
  /// Attenuation (dB per display unit) of the section from the previous event to a new event at
  /// `distance` (display unit) with `cumulativeLoss`; kMissingValue when it cannot be told.
  float ComputeAddEventAttenuation(float cumulativeLoss, float distance) const;
  /// Time of flight (0.1 ns from the user's zero, never before it) of a sample index of the current trace.
  std::int32_t SampleIndexToEventTime(int index) const;

  /// The working points P0 .. P3.
  const std::array<AuxMarker, 4>& WorkingPoints() const { return m_AddEventAux; }

 private:
  const COtdrDoc& m_Doc;
  std::array<AuxMarker, 4> m_AddEventAux{};
};
