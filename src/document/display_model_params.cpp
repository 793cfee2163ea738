#include "document/display_model_params.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "analysis/event_measurements.h"
#include "platform/saturate.h"
#include "trace/backscatter_field.h"
#include "trace/trace_conversions.h"
#include "trace/wavelength.h"

namespace {

/// Fibre-length factor: km per 0.1 ns of the data spacing, times the group-index field.
constexpr double kFibreLengthFactor = 0.299792458;
constexpr double kThousandths = 1000.0;
constexpr double kCorrectionParts = 100000.0;

// Whole seconds of the averaging-time field (0.1 s), truncated. Only the field's own 0 means
// "unlimited": an averaging shorter than a second shows as one second, not as 0.
std::int32_t AveragingSeconds(std::int16_t field) {
  if (field <= 0) return field / 10;
  return std::max(1, field / 10);
}

}  // namespace

std::int32_t FirstTracePointCount(const SorRecord& record) {
  return StoredPointCount(record.DataPts.Traces[0]);
}

std::int32_t KeyEventCountOf(const SorRecord& record) {
  return StoredKeyEventCount(record.KeyEvents);
}

bool IsReflectiveEventCode(const SorKeyEvent& event) { return event.EventCode[0] == u'1' || event.EventCode[0] == u'2'; }

double FibreLengthKm(std::int32_t pointCount, std::int32_t groupIndexField, std::int32_t dataSpacing) {
  if (pointCount < 1 || groupIndexField == 0) return 0.0;
  const double length = (pointCount - 1) * (kFibreLengthFactor / groupIndexField) * dataSpacing / 1000.0;
  return std::isfinite(length) ? length : 0.0;
}

double CorrectedDistance(double distanceKm, std::int32_t distanceCorrection) {
  if (distanceCorrection <= 0) return distanceKm;
  return (1.0 - distanceCorrection / kCorrectionParts) * distanceKm;
}

void BuildFibreParams(std::int32_t fileKind, const SorRecord& record, FibreParamsRecord& out,
                      double acquisitionRangeKm) {
  if (fileKind != kSorFileKind) return;
  const SorFxdParams& fxd = record.FxdParams;
  out.Range = static_cast<float>(acquisitionRangeKm);
  out.PulseWidth = fxd.PulseWidths[0];
  out.Wavelength = ConvertWavelengthField(fxd.ActualWavelength);
  out.GroupIndex = static_cast<float>(fxd.GroupIndex / 100000.0);
  out.Backscatter = static_cast<float>(-BackscatterMicrosecondDb(fxd.Backscatter, record.UserName.BackscatterMode));
  out.AveragingTime = AveragingSeconds(fxd.AveragingTime);
  out.EndThreshold = static_cast<float>(fxd.EndOfFibreThreshold / kThousandths);
  out.LossThreshold = static_cast<float>(fxd.LossThreshold / kThousandths);
  out.ReflectanceThreshold = static_cast<float>(fxd.ReflectanceThreshold / kThousandths);
}

void BuildLinkSummary(std::int32_t fileKind, const SorRecord& record, LinkSummaryRecord& out,
                      std::int32_t pointCount, double fibreLengthKm, std::int32_t distanceCorrection) {
  if (fileKind != kSorFileKind) return;
  const SorFxdParams& fxd = record.FxdParams;
  const SorKeyEvents& events = record.KeyEvents;
  out = LinkSummaryRecord{};
  out.TraceLength = static_cast<float>(FibreLengthKm(pointCount, fxd.GroupIndex, fxd.DataSpacing[0]));

  // The file's own link loss and ORL stand whether or not its first event lies at the user's zero;
  // without a stored launch the link starts at the zero, and an end alone makes a link.
  if (KeyEventCountOf(record) < 2 && IsLaunchEvent(0, record)) return;
  if (EndEventRowOf(record) == kNoEndEventRow) return;
  float linkLength = DistanceOfTime(lumivane::SaturatedDifference(events.EndToEndMarker2, events.EndToEndMarker1), fxd.GroupIndex);
  const float traceEnd = GetDistance_Position(pointCount - 1, kSorFileKind, record, fibreLengthKm);
  if (linkLength == 0.0f || linkLength > traceEnd) return;

  linkLength = static_cast<float>(CorrectedDistance(linkLength, distanceCorrection));
  out.LinkLength = linkLength;
  // Instruments store 0 for a loss or ORL they did not measure: no link has either.
  out.LinkLoss = events.EndToEndLoss == 0 ? kMissingValue : static_cast<float>(events.EndToEndLoss / kThousandths);
  out.LinkOrl = events.OpticalReturnLoss == 0 ? kMissingValue : static_cast<float>(events.OpticalReturnLoss / kThousandths);
  // A correction of 100,000 parts or more leaves no length to divide by.
  const float lossPerKm = out.LinkLoss / linkLength;
  out.LossPerKm = out.LinkLoss != kMissingValue && std::isfinite(lossPerKm) ? lossPerKm : kMissingValue;
}
