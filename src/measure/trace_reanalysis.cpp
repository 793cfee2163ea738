#include "measure/trace_reanalysis.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <vector>

#include "analysis/analysis_engine.h"
#include "analysis/physical_events.h"
#include "document/display_model_events.h"
#include "document/display_model_params.h"
#include "document/display_state.h"
#include "document/otdr_doc.h"
#include "platform/saturate.h"
#include "trace/backscatter_field.h"
#include "trace/trace_conversions.h"
#include "trace/wavelength.h"

namespace {

// A data spacing counts 100 ps per 10,000 samples; the engine takes whole 100 ps per sample.
constexpr std::int32_t kSpacingPerSample = 10000;
constexpr double kThousandths = 1000.0;
constexpr double kGroupIndexScale = 100000.0;
// Units of the engine's comment that a key event keeps.
constexpr int kKeptCommentUnits = 10;
// What the standard puts into the fields of a key event nobody numbered: no landmark, losses
// measured by least squares (the engine's two fitted windows).
constexpr std::u16string_view kNoLandmark = u"9999";
constexpr std::u16string_view kLeastSquares = u"LS";

// Stored values are the engine's rounded half up to the thousandth the table shows them with, and
// saturate: an end loss of 35 dB does not fit the 16-bit splice-loss field.
double Thousandths(float value) { return static_cast<double>(value) * kThousandths; }

// The samples the engine can take: the first trace's stored samples, no more than the file's total.
int AnalysableSamples(const SorRecord& record) {
  const std::int32_t total = record.DataPts.TotalPointCount;
  const std::int32_t stored = record.DataPts.TraceCount > 0 ? StoredPointCount(record.DataPts.Traces[0]) : 0;
  return std::max(0, std::min(total, stored));
}

}  // namespace

ReanalysisOutcome CheckReanalysisInput(const COtdrDoc& doc) {
  if (!doc.HasTrace()) return ReanalysisOutcome::NoTrace;
  const SorRecord& record = doc.m_SorRecord;
  if (AnalysableSamples(record) < kMinAnalysisSamples || doc.m_nPointCount < kMinAnalysisSamples) {
    return ReanalysisOutcome::TooFewSamples;
  }
  if (record.FxdParams.DataSpacing[0] <= 0) return ReanalysisOutcome::BadDataSpacing;
  if (record.FxdParams.PulseWidths[0] <= 0) return ReanalysisOutcome::BadPulseWidth;
  return ReanalysisOutcome::Done;
}

namespace {

void StoreChoice(COtdrDoc& doc, const AnalysisSettings& s) {
  const auto slot = static_cast<std::size_t>(std::clamp(s.wavelengthIndex, 0, kAnalysisWavelengthCount - 1));
  g_ScatterByWavelength[slot] = s.scatterCoef;
  g_IorByWavelength[slot] = s.groupIndex;
  FibreParamsRecord& fibre = doc.m_FibreParams;
  fibre.GroupIndex = s.groupIndex;
  fibre.Backscatter = s.scatterCoef;
  fibre.EndThreshold = s.endThreshold;
  fibre.LossThreshold = s.nonReflThreshold;
  fibre.ReflectanceThreshold = s.reflThreshold;
}

void FillParams(AnalysisParams& p, const SorRecord& record, const AnalysisSettings& s) {
  const SorFxdParams& fxd = record.FxdParams;
  p.pulseWidth = fxd.PulseWidths[0];
  // The engine measures with the 1 ns magnitude; the scatter coefficient is the 1 us figure, negated.
  p.backscatterCoefficient = -(s.scatterCoef - static_cast<float>(kBackscatterNanosecondOffsetDb));
  p.reflectionThreshold = s.reflThreshold;
  p.nonReflectionThreshold = s.nonReflThreshold;
  p.endThreshold = s.endThreshold;
  p.filterPosition = 0;
  p.wavelength = static_cast<float>(WavelengthFieldTenths(fxd.ActualWavelength) / 10.0);
  p.endLossResult = 0;
  p.range = static_cast<float>(AcquisitionRangeKm(record));
  // Spacings below 10,000 would give the engine a step of 0 samples.
  p.dataSpacing = std::max<std::int32_t>(1, fxd.DataSpacing[0] / kSpacingPerSample);
  p.cutAfterEnd = 0;
}

// Where the analysis starts: the sample of the user's zero, so that nothing before it (the launch
// cable) is taken for fibre and distances and losses count from there, as the file's do. A zero
// outside the trace starts it at the nearest sample that leaves the engine enough to analyse.
struct AnalysedSpan {
  int first = 0;                 // sample index of the analysis' distance 0
  int end = 0;                   // one past the last sample analysed
  std::int32_t firstTime = 0;    // file time (0.1 ns from the user's zero) of sample `first`
  std::int32_t groupIndexField = 0;

  // File time of a distance the engine measured from sample `first`.
  std::int32_t FileTime(float distanceKm) const {
    return lumivane::SaturatedSum(TimeOfDistance(distanceKm, groupIndexField), firstTime);
  }
};

AnalysedSpan SpanFromUserZero(const SorRecord& record, int m, int pointCount, double lengthKm) {
  AnalysedSpan span;
  span.end = m;
  span.groupIndexField = record.FxdParams.GroupIndex;
  const std::int32_t zero = TimeToIndex(0, record);
  span.first = std::clamp(zero, 0, m - kMinAnalysisSamples);
  if (span.first != zero) {
    span.firstTime = lumivane::SaturatedDifference(
        TimeOfDistance(DistanceOfIndex(span.first, pointCount, lengthKm), span.groupIndexField),
        TimeFromFirstSample(0, record));
  }
  return span;
}

std::vector<TracePoint> TracePoints(const SorRecord& record, const AnalysedSpan& span, int pointCount, double lengthKm) {
  std::vector<TracePoint> points(static_cast<std::size_t>(span.end - span.first));
  const SorTraceData& trace = record.DataPts.Traces[0];
  for (int i = span.first; i < span.end; ++i) {
    TracePoint& point = points[static_cast<std::size_t>(i - span.first)];
    point.level = static_cast<float>(-SampleToDb(trace.Samples[i], trace.ScaleFactor));
    point.distance = DistanceOfIndex(i - span.first, pointCount, lengthKm);
  }
  return points;
}

// An end made up at the noise onset and a launch on plain fibre have no reflection, and a section
// too short to measure no attenuation: all are 0, which shows as missing and is judged by no limit,
// as once the file is saved and opened again.
float ShownReflectance(float reflectance) {
  return reflectance == kUnmeasuredReflectance || reflectance == kNoValue ? 0.0f : reflectance;
}
float ShownAttenuation(float attenuation) { return attenuation == kNoValue ? 0.0f : attenuation; }
// A loss the engine could not measure is stored as the format's "not measured".
float StoredLoss(float loss) { return loss == kNoValue ? 0.0f : loss; }

// A row the record did not have before holds zero bytes where the standard wants characters.
void FillNewKeyEvent(SorKeyEvent& k, int i) {
  if (k.EventCode[2] != u'\0' || k.LossTechnique[0] != u'\0') return;
  k.EventNumber = static_cast<std::int16_t>(i);
  std::copy(kNoLandmark.begin(), kNoLandmark.end(), k.EventCode + 2);
  std::copy(kLeastSquares.begin(), kLeastSquares.end(), k.LossTechnique);
  // The launch is the front panel's reflection.
  if (k.EventCode[0] == u'\0') k.EventCode[0] = u'1';
}

void WriteKeyEvent(COtdrDoc& doc, const AnalysisEvent& e, int i, std::span<const TracePoint> points,
                   const AnalysedSpan& span) {
  SorKeyEvents& events = doc.m_SorRecord.KeyEvents;
  SorKeyEvent& k = events.Events[i];
  FillNewKeyEvent(k, i);
  k.TimeOfFlight = span.FileTime(e.position);
  std::fill(std::begin(k.Comment), std::end(k.Comment), u'\0');
  std::copy_n(e.comment, kKeptCommentUnits, k.Comment);
  k.Reflectance = lumivane::RoundToInt32(Thousandths(ShownReflectance(e.reflectance)));
  k.Slope = lumivane::RoundToInt16(Thousandths(ShownAttenuation(e.attenuation)));
  k.SpliceLoss = lumivane::RoundToInt16(Thousandths(StoredLoss(e.loss)));
  // The windows of the old event at this position would measure this event in the wrong place.
  const int last = static_cast<int>(points.size()) - 1;
  for (int w = 0; w < kSorMarkerLocations; ++w) {
    const int index = std::clamp(e.markers[w], 0, last);
    k.MarkerLocations[w] = span.FileTime(points[static_cast<std::size_t>(index)].distance);
  }
  if (e.endFlag == kEndFlag) {
    k.EventCode[1] = u'E';
    doc.m_nEndEventRow = i;
    events.EndToEndMarker2 = k.TimeOfFlight;
  } else {
    k.EventCode[1] = u'F';
  }
  switch (e.type) {
    case kEventLaunch: events.EndToEndMarker1 = k.TimeOfFlight; break;
    case kEventEnd: events.EndToEndMarker2 = k.TimeOfFlight; break;
    case kEventReflective: k.EventCode[0] = u'1'; break;
    case kEventNonReflective: k.EventCode[0] = u'0'; break;
    default: break;
  }
}

void WriteLinkSummary(COtdrDoc& doc, const AnalysisParams& p, bool hasEnd) {
  // Save writes this field and reopening reads the link loss from it.
  doc.m_SorRecord.KeyEvents.EndToEndLoss = hasEnd ? p.endLossResult : 0;
  // The totals are read back from the key events as written, as opening the saved file reads them:
  // a link the trace does not reach, or a loss of 0 (not measured), shows as it will after a save.
  BuildLinkSummary(kSorFileKind, doc.m_SorRecord, doc.m_LinkSummary, doc.m_nPointCount, doc.m_dFibreLengthKm,
                   doc.m_SorRecord.UserName.DistanceCorrection);
}

}  // namespace

ReanalysisOutcome ReanalyzeDocument(COtdrDoc& doc, const AnalysisSettings& settings, const AnalysisEngineFn& engine) {
  if (const ReanalysisOutcome refusal = CheckReanalysisInput(doc); refusal != ReanalysisOutcome::Done) return refusal;
  SorRecord& record = doc.m_SorRecord;
  StoreChoice(doc, settings);

  record.FxdParams.GroupIndex = lumivane::RoundToInt32(static_cast<double>(settings.groupIndex) * kGroupIndexScale);
  // The same distance scale as the trace was loaded with: a group index that did not change moves nothing.
  const double lengthKm = FibreLengthKm(doc.m_nPointCount, record.FxdParams.GroupIndex, record.FxdParams.DataSpacing[0]);
  doc.m_dFibreLengthKm = lengthKm;
  // The range time at the new group index too, as the saved trace opens with it.
  doc.m_dAcquisitionRangeKm = AcquisitionRangeKm(record);
  doc.m_FibreParams.Range = static_cast<float>(doc.m_dAcquisitionRangeKm);

  AnalysisParams& p = g_AnalysisParams;
  FillParams(p, record, settings);
  doc.m_bReanalysed = 1;
  doc.m_bAnalysedOnce = 1;

  const AnalysedSpan span = SpanFromUserZero(record, AnalysableSamples(record), doc.m_nPointCount, lengthKm);
  std::vector<TracePoint> points = TracePoints(record, span, doc.m_nPointCount, lengthKm);
  std::vector<AnalysisEvent> found(kAnalysisEventCapacity);
  const int analysed = engine ? engine(points, found, p) : AnalyzeTrace(points, found, p, *doc.m_pAnalysisScratch);
  const int n = std::clamp(analysed, 0, kMaxEventRows);
  const std::span<const AnalysisEvent> events(found.data(), static_cast<std::size_t>(n));

  record.KeyEvents.EndToEndMarker1 = 0;
  record.KeyEvents.EndToEndMarker2 = 0;
  // A row is rewritten where the table held one, so the codes it carried stay; rows past the count
  // are no events and give way to empty ones.
  record.KeyEvents.Events.resize(static_cast<std::size_t>(StoredKeyEventCount(record.KeyEvents)));
  record.KeyEvents.Events.resize(static_cast<std::size_t>(n));
  doc.m_nEndEventRow = kNoEndEventRow;
  for (int i = 0; i < n; ++i) WriteKeyEvent(doc, events[static_cast<std::size_t>(i)], i, points, span);
  record.KeyEvents.KeyEventCount = static_cast<std::int16_t>(n);
  record.FxdParams.Backscatter =
      BackscatterFieldOf(p.backscatterCoefficient - kBackscatterNanosecondOffsetDb, record.UserName.BackscatterMode);

  g_DisplayState.TableRedrawRequest = 1;
  g_DisplayState.LinkOrlDirty = 1;
  WriteLinkSummary(doc, p, doc.m_nEndEventRow != kNoEndEventRow);
  // The rows are read back from the key events as written, as opening the saved file reads them:
  // a save followed by an open shows the table the reanalysis showed.
  BuildEventTable(kSorFileKind, record, doc.m_EventRows, doc.m_nEventCount, doc.m_nEndEventRow, doc.m_nPointCount,
                  doc.m_DbSamples, doc.m_dFibreLengthKm, record.UserName.DistanceCorrection);

  doc.UpdateAllViews(nullptr, kHintRefresh);
  doc.SetModifiedFlag(true);
  return ReanalysisOutcome::Done;
}
