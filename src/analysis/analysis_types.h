#pragma once
// Records that cross the analysis engine's boundary and the working records its stages share.
// Units inside the engine: distances in km, levels, losses and reflectances in dB, slopes and
// attenuations in dB/km, pulse widths in ns. Levels rise with returned power, so a backscatter slope
// is negative while an attenuation is reported positive.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

// The engine shares the event kinds (kEventLaunch ...) and the missing value with the event rows.
#include "trace/display_records.h"

/// One sample of a trace handed to the engine.
struct TracePoint {
  float distance;  // km from the first sample
  float level;     // dB, at most 0 for traces converted from files
};

/// The parameter block of one analysis; the engine writes only the two result fields.
struct AnalysisParams {
  float range = 0.0f;                   // acquisition range, km
  std::int32_t pulseWidth = 0;          // ns
  std::int32_t dataSpacing = 0;         // file data spacing / 10000, integer
  float wavelength = 0.0f;              // nm
  float backscatterCoefficient = 0.0f;  // dB, positive (82.1 for example)
  float reflectionThreshold = 0.0f;     // dB, negative (-52 for example)
  float nonReflectionThreshold = 0.0f;  // dB (0.2 for example)
  float endThreshold = 0.0f;            // dB (3.0 for example)
  std::int32_t filterPosition = 0;      // sample index, 0 = off
  std::int32_t endLossResult = 0;       // written: cumulative loss at the end event x 1000, rounded half up
  std::int32_t endPositionResult = 0;   // written: position of the end event in metres, truncated
  std::int32_t cutAfterEnd = 0;         // nonzero: events after the end event are discarded
};

/// The parameters of the last analysis; the settings dialog pre-fills from them.
extern AnalysisParams g_AnalysisParams;

inline constexpr std::int32_t kEndFlag = 3;           // end flag of the event that ends the fibre
inline constexpr int kAnalysisEventCapacity = 1000;   // events the caller provides room for
inline constexpr int kAnalysisCommentUnits = 26;
inline constexpr int kMarkerCount = 5;
inline constexpr float kNoValue = kMissingValue;      // "no measurement"; exact in f32

/// One event found by the engine (or converted from an event row).
struct AnalysisEvent {
  std::int32_t type = 0;                  // EventRowType: launch, end, reflective, non-reflective
  std::int32_t rowNumber = 0;             // only set by the conversion from event rows
  float position = 0.0f;                  // km; 0 for the launch
  float level = 0.0f;                     // dB: fibre level just before the event
  float reflectance = 0.0f;               // dB; 0 for non-reflective events
  float loss = 0.0f;                      // dB: positive loss, negative gain
  float attenuation = 0.0f;               // dB/km of the section ending at this event
  float cumulativeLoss = 0.0f;            // dB from the launch level to this level
  std::int32_t markers[kMarkerCount] = {};  // m0,m1 left window; m2,m3 right window; m4 flat-top centre
  std::int32_t endFlag = 0;               // kEndFlag on the event that ends the fibre
  char16_t comment[kAnalysisCommentUnits] = {};  // u"ghost" for an echo
  std::int32_t sampleIndex = 0;           // the event's own sample
  std::int32_t endIndex = 0;              // last sample (end of a reflection's falling edge)
  std::int32_t startIndex = 0;            // first sample
  std::int32_t peakIndex = 0;             // highest sample of a reflection; start index otherwise
};

inline constexpr int kMaxReflectiveCandidates = 50;
inline constexpr int kMaxSlopeChangeCandidates = 200;
inline constexpr int kNoiseWindowLength = 500;

/// A rise followed by a fall found in the trace (or the list's sentinel).
struct ReflectiveCandidate {
  std::int32_t kind = 0;  // 0 candidate, 1 sentinel
  std::int32_t start = 0;
  std::int32_t peak = 0;
  std::int32_t end = 0;
  float startPosition = 0.0f;  // km
};

/// Up to 50 candidates in order of start, plus the sentinel slot behind the last one.
using ReflectiveCandidateList = std::array<ReflectiveCandidate, kMaxReflectiveCandidates + 1>;

/// A run of samples whose slope departs from the backscatter slope.
struct SlopeChangeCandidate {
  std::int32_t start = 0;
  std::int32_t end = 0;
  float startPosition = 0.0f;               // km
  std::int32_t markers[kMarkerCount] = {};  // {0, start, end, 0, 0}
};

/// Slope of the gap-smoothed trace between a sample and the next.
struct SlopeSample {
  std::int32_t index = 0;
  double slope = 0.0;  // dB/km
};

/// Mean absolute smoothing residual per window of samples, sized from the trace length.
struct NoiseWindowTable {
  std::vector<float> values;
  std::int32_t windowLength = kNoiseWindowLength;

  /// The value of the window holding the sample; indices outside the table read its nearest window.
  float At(long long sampleIndex) const {
    if (values.empty()) return 0.0f;
    long long k = sampleIndex < 0 ? 0 : sampleIndex / windowLength;
    if (k >= static_cast<long long>(values.size())) k = static_cast<long long>(values.size()) - 1;
    return values[static_cast<std::size_t>(k)];
  }
};

/// What the ghost and end-of-fibre steps read of the analysis.
struct AnalysisContext {
  std::span<const TracePoint> raw;     // unsmoothed copy of the trace
  std::span<const TracePoint> points;  // gap-smoothed trace
  float backscatterSlope = 0.0f;       // dB/km, negative
  float backscatterIntercept = 0.0f;   // dB
  std::int32_t noiseStart = 0;         // NS
  std::int32_t count = 0;              // number of samples
  float reference = 0.0f;              // noise reference level, dB
};

/// Working storage of the smoothers, kept by the caller so repeated smoothing reuses it.
struct SmoothingBuffers {
  std::vector<std::int32_t> microDb;   // the levels in integer micro-dB
  std::vector<std::int32_t> averaged;  // one pass's averages before they are copied back
  std::vector<float> gapLevels;        // a gap's levels, twice: read by a pass and written by it
};

/// Working storage of the backscatter vote, kept by the caller so repeated estimates reuse it.
struct SlopeVoteBuffers {
  static constexpr int kInterceptBins = 800;

  std::vector<TracePoint> voters;      // the samples that vote, packed
  std::vector<std::int32_t> laneRows;  // one slope bin's intercept counters per vote lane
};

/// Working storage of the step scan: sums from a stretch's start of the levels and of the levels
/// times their place.
struct StepScanBuffers {
  std::vector<double> levelSums;
  std::vector<double> placedLevelSums;
};

/// The engine's working storage: empty until an analysis sizes it, then about 40 bytes per sample of
/// the trace. A caller that analyses many traces keeps one and hands it to every
/// analysis, so the buffers keep their size; each analysis resets what it reads before writing,
/// which keeps analyses independent.
struct AnalysisScratch {
  double noiseReference = 0.0;        // dB; every "level against the noise" test uses it
  NoiseWindowTable noiseWindows;      // filled once the reflective candidates are final
  SlopeVoteBuffers slopeVotes;
  SmoothingBuffers smoothing;
  StepScanBuffers stepScan;
  ReflectiveCandidateList reflectiveCandidates{};
  std::vector<SlopeChangeCandidate> slopeChanges;  // kMaxSlopeChangeCandidates, reset by each analysis
  std::vector<TracePoint> workCopy;   // smoothed copy for detection, then the raw trace
  std::vector<SlopeSample> slopes;    // one per sample, zero where no smoothing pass wrote
  std::vector<AnalysisEvent> events;  // kAnalysisEventCapacity, reset by each analysis
};
