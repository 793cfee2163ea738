#pragma once
// Settings of the run that several subsystems keep in the document: print and export choices, the
// instrument port, the pass/fail limits and the colours of the loaded traces.
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

/// Which parts the text export writes, and its column separator.
struct AsciiExportOptions {
  std::int32_t OutputTraceInfo = 1;
  std::int32_t OutputPara = 1;
  std::int32_t OutputEvent = 1;
  std::int32_t OutputTraceData = 1;
  std::int32_t IntervalType = 0;  // 0 space, 1 comma, 2 tab
};

/// Gates of the printed report; only the constructor sets them, so every gate passes for the run.
struct ConfigReport {
  std::int32_t PrintEventTable = 1;   // the single-trace report's event table goes on over further pages
  std::int32_t PrintMarkerTable = 1;  // the markers block may print
  std::int32_t PrintGqlInfo = 1;      // the totals block may print
  std::int32_t PrintMark = 1;         // the graph's event pictograms and markers may print
  std::int32_t PrintMarkInfo = 1;
  std::int32_t PrintPara = 1;
  std::int32_t PrintTraceGraph = 1;   // the graph block may print
  std::int32_t PrintBackGrid = 1;     // the graph caption and grid may print
};

/// Values of PrintOptions::Layout.
inline constexpr std::int32_t kLayoutNormal = 0;
inline constexpr std::int32_t kLayoutMultiTrace = 1;
inline constexpr std::int32_t kLayoutCombined = 2;

/// What a printed report holds and how it is laid out.
struct PrintOptions {
  std::int32_t TraceInfo = 1;
  std::int32_t Trace = 1;
  std::int32_t ShowGrid = 1;
  std::int32_t ShowMarker = 1;
  std::int32_t FiberInfo = 1;
  std::int32_t EventTable = 1;
  std::int32_t MarkerInfo = 1;
  std::int32_t Layout = 0;         // 0 normal, 1 several traces per page, 2 combined traces
  std::int32_t EventOption = 0;    // combined traces: 0 the current trace's events, 1 all traces' events
  std::int32_t PerPageIndex = -1;  // several per page: 0..3 = 2, 4, 6, 8 traces; -1 none chosen yet
  std::int32_t Logo = 0;
  std::string LogoPath;
};

/// The instrument port of the upload, kept for the run only.
struct PortSettings {
  std::string m_strPortType = "USB";
  std::string m_strPortName = "COM1";
  std::int32_t m_nBaudRate = 115200;
  std::int32_t m_nDataBits = 8;
  std::int32_t m_nParity = 0;    // index into the port dialog's parity list
  std::int32_t m_nStopBits = 0;  // index into the port dialog's stop-bit list
};

/// Limits judged: splice loss, connector loss, reflectance, attenuation, link loss, link ORL.
inline constexpr int kPassFailLimitCount = 6;

/// The pass/fail limits of the current trace's wavelength and the values printed with them.
struct PassFailThresholds {
  std::array<float, kPassFailLimitCount> Limit = {};  // dB (attenuation as stored)
  std::array<std::int32_t, kPassFailLimitCount> Enabled = {1, 1, 1, 1, 1, 1};
  // 0 for a limit the file holds no usable number for (1e308, inf): it is not judged, whatever
  // its enable flag says, and the dialog neither shows nor stores a value for it.
  std::array<std::int32_t, kPassFailLimitCount> Set = {1, 1, 1, 1, 1, 1};
  std::int32_t Verdict = 0;
  float MeasuredLinkOrl = 0.0f;  // link ORL last shown, dB
  // 0 while there are no limits to judge against (no file, no section for the trace): nothing is
  // judged then, whatever the enable flags say.
  std::int32_t Judged = 1;
  // 1 when the limits file was found too large to read at the last load: nothing is judged from it.
  std::int32_t FileTooLarge = 0;
  // Limits the user confirmed that the file could not keep: in force for traces of that section
  // for the rest of the run.
  std::string UnsavedSection;
  std::array<float, kPassFailLimitCount> UnsavedLimit = {};
};

/// One colour, red, green and blue.
struct TraceColour {
  std::uint8_t Red = 0;
  std::uint8_t Green = 0;
  std::uint8_t Blue = 0;
  friend bool operator==(const TraceColour&, const TraceColour&) = default;
};

/// Colours a loaded trace can take; trace colour indices run 0 .. kTraceColourCount - 1 and wrap.
inline constexpr int kTraceColourCount = 16;

/// The colour of each colour index.
inline constexpr std::array<TraceColour, kTraceColourCount> kDefaultTraceColours = {{
    {255, 0, 0}, {128, 128, 0}, {0, 155, 78}, {128, 0, 0},
    {0, 52, 128}, {8, 210, 168}, {55, 10, 190}, {255, 200, 0},
    {255, 0, 200}, {155, 200, 40}, {155, 100, 100}, {45, 200, 128},
    {26, 52, 240}, {205, 100, 200}, {0, 240, 123}, {255, 168, 168},
}};

/// The colour `colours` give trace colour index `index`; an index outside the table, which no
/// loaded trace has, takes the nearest entry.
inline const TraceColour& TraceColourAt(const std::array<TraceColour, kTraceColourCount>& colours, int index) {
  return colours[static_cast<std::size_t>(std::clamp(index, 0, kTraceColourCount - 1))];
}

/// The marker readings of the Marker Information pane, in display order.
enum MarkerReading : int {
  kReadingDistanceAB,
  kReadingTwoPointLoss,
  kReadingTwoPointAttenuation,
  kReadingLsaAttenuation,
  kReadingInsertionLoss,
  kReadingReflectance,
  kReadingCumulativeLoss,
  kMarkerReadingCount,
};

/// What the two markers of the current trace measure, as of the last broadcast: distances km,
/// losses dB, attenuations dB/km; kMissingValue means no value. All 0 until the first update.
struct MarkerReadings {
  double m_dDistanceAB = 0.0;
  double m_dTwoPointLoss = 0.0;
  double m_dLsaLoss = 0.0;
  double m_dTwoPointAttn = 0.0;
  double m_dLsaAttn = 0.0;
  double m_dInsLoss = 0.0;
  double m_dReflectance = 0.0;
  double m_dCumLoss = 0.0;
  // The sample on which the chosen event put the active marker (`m_nEventMarker`, 0 A, 1 B) while
  // the readings are that event's; -1 while they are measured at the marker.
  int m_nEventSample = -1;
  int m_nEventMarker = -1;
};
