#pragma once
// One row of the KeyEvents block. Key event i and event row i describe the same event.
#include <cstdint>

inline constexpr int kSorEventCodeLength = 6;
inline constexpr int kSorEventCommentCapacity = 20;  // 19 characters
inline constexpr int kSorMarkerLocations = 5;

struct SorKeyEvent {
  std::int16_t EventNumber;
  std::int32_t TimeOfFlight;  // 0.1 ns
  std::int16_t Slope;         // attenuation of the fibre before the event, 0.001 dB/km
  std::int16_t SpliceLoss;    // 0.001 dB
  std::int32_t Reflectance;   // 0.001 dB
  // 6 characters: first '1' reflective or '0' non-reflective; second the origin or end mark
  // ('E'/'D' end of fibre, 'A' added, 'F' found, 'M' modified, 'O' over threshold).
  char16_t EventCode[kSorEventCodeLength + 1];
  char16_t LossTechnique[3];  // 2 characters
  // Least-squares windows as times of flight: 1-2 before the event, 3-4 after it, 5 its peak.
  // Revision 2 only.
  std::int32_t MarkerLocations[kSorMarkerLocations];
  char16_t Comment[kSorEventCommentCapacity];
};
