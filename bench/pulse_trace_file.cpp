#include "pulse_trace_file.h"

#include <algorithm>
#include <cmath>

#include "sor/sor_crc.h"
#include "sor/sor_text.h"
#include "sor/sor_writer.h"
#include "bench_link.h"
#include "analysis/synthetic_trace.h"

namespace {

void AddKeyEvent(SorRecord& r, double distanceKm, const char16_t* code, int spliceLossMilliDb, int dataSpacing,
                 double spacingKm) {
  SorKeyEvent& e = r.KeyEvents.Events.emplace_back();
  e.EventNumber = static_cast<std::int16_t>(++r.KeyEvents.KeyEventCount);
  e.TimeOfFlight = static_cast<std::int32_t>(std::lround(distanceKm / spacingKm * dataSpacing / 10000.0));
  e.Slope = 200;
  e.SpliceLoss = static_cast<std::int16_t>(spliceLossMilliDb);
  e.Reflectance = code[0] == u'1' ? -45000 : 0;
  SetSorText(e.EventCode, code);
  SetSorText(e.LossTechnique, u"LS");
}

}  // namespace

std::unique_ptr<SorRecord> PulseTraceRecord(int points) {
  const SyntheticTraceSpec spec = BenchLink(std::clamp(points, 1, kSorMaxSamples));
  const std::vector<TracePoint> trace = MakeSyntheticTrace(spec);
  const int dataSpacing = MakeSyntheticParams(spec).dataSpacing * 10000;

  auto r = std::make_unique<SorRecord>();
  SetSorText(r->GenParams.LanguageCode, u"EN");
  SetSorText(r->GenParams.CableId, u"Cable 12 / Tray 4");
  SetSorText(r->GenParams.FiberId, u"Fibre 7");
  r->GenParams.FiberType = 652;
  r->GenParams.NominalWavelength = 1550;
  SetSorText(r->GenParams.OriginatingLocation, u"Exchange A");
  SetSorText(r->GenParams.TerminatingLocation, u"Cabinet B");
  SetSorText(r->GenParams.CurrentDataFlag, u"BC");
  SetSorText(r->GenParams.Operator, u"Night shift");
  SetSorText(r->GenParams.Comment, u"Acceptance test, span A to B");
  SetSorText(r->SupParams.SupplierName, u"Bench");
  SetSorText(r->SupParams.MainframeId, u"OTDR-1");
  SetSorText(r->SupParams.SoftwareRevision, u"1.0");
  r->FxdParams.DateTime = 1700000000;
  SetSorText(r->FxdParams.DistanceUnits, u"mt");
  r->FxdParams.ActualWavelength = 15500;
  r->FxdParams.PulseWidthCount = 1;
  r->FxdParams.PulseWidths[0] = static_cast<std::int16_t>(spec.pulseWidthNs);
  r->FxdParams.DataSpacing[0] = dataSpacing;
  r->FxdParams.DataPointCounts[0] = spec.pointCount;
  r->FxdParams.GroupIndex = 146800;
  r->FxdParams.Backscatter = -800;
  r->FxdParams.AverageCount = 4096;
  r->FxdParams.AveragingTime = 300;
  r->FxdParams.AcquisitionRange = static_cast<std::int32_t>(std::lround(spec.pointCount * dataSpacing / 10000.0));
  r->FxdParams.LossThreshold = 200;
  r->FxdParams.ReflectanceThreshold = 52000;
  r->FxdParams.EndOfFibreThreshold = 3000;
  SetSorText(r->FxdParams.TraceType, u"ST");

  for (const SyntheticStep& s : spec.steps) {
    AddKeyEvent(*r, s.distanceKm, u"0F9999", static_cast<int>(s.lossDb * 1000), dataSpacing, spec.spacingKm);
  }
  for (const SyntheticReflection& s : spec.reflections) {
    AddKeyEvent(*r, s.distanceKm, u"1F9999", static_cast<int>(s.lossDb * 1000), dataSpacing, spec.spacingKm);
  }
  AddKeyEvent(*r, spec.fibreEndKm, u"1E9999", 0, dataSpacing, spec.spacingKm);
  std::sort(r->KeyEvents.Events.begin(), r->KeyEvents.Events.end(),
            [](const SorKeyEvent& a, const SorKeyEvent& b) { return a.TimeOfFlight < b.TimeOfFlight; });
  for (int k = 0; k < r->KeyEvents.KeyEventCount; ++k) r->KeyEvents.Events[k].EventNumber = static_cast<std::int16_t>(k + 1);

  SorTraceData& data = r->DataPts.Traces[0];
  r->DataPts.TotalPointCount = spec.pointCount;
  r->DataPts.TraceCount = 1;
  data.PointCount = spec.pointCount;
  data.ScaleFactor = 1000;
  data.Samples.resize(static_cast<std::size_t>(spec.pointCount));
  for (int i = 0; i < spec.pointCount; ++i) {
    data.Samples[i] = static_cast<std::uint16_t>(std::lround(-trace[static_cast<std::size_t>(i)].level * 1000.0));
  }
  return r;
}

std::vector<std::uint8_t> PulseTraceImage(int points) {
  std::vector<std::uint8_t> image;
  AssembleSorImage(*PulseTraceRecord(points), image);
  return image;
}

std::vector<std::uint8_t> WithForeignChecksum(std::vector<std::uint8_t> image) {
  const std::size_t n = image.size();
  // CRC from 0 over the same bytes: the register's start value enters linearly, so the
  // difference to the standard CRC is the CRC of the 0xFFFF start over n - 2 zero bytes.
  const std::vector<std::uint8_t> zeros(n - 2, 0);
  const auto fromZero = static_cast<std::uint16_t>(SorCrc16(image.data(), n - 2) ^ SorCrc16(zeros.data(), n - 2));
  image[n - 2] = static_cast<std::uint8_t>(fromZero & 0xFF);
  image[n - 1] = static_cast<std::uint8_t>(fromZero >> 8);
  return image;
}

std::string PointsLabel(int points) { return std::to_string(points / 1000) + "k"; }
