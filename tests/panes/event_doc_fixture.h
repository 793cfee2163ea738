#pragma once
// A document holding a 20 km trace of 10,000 samples, as an open leaves it: a launch, a reflective
// connector at sample 2000, a splice at 5000 and the fibre end at 8000, followed by noise. One
// sample every 100 time units (0.1 ns), so samples, times and distances convert exactly.
#include <cstdint>
#include <memory>
#include <string_view>

#include "document/display_model_events.h"
#include "document/display_state.h"
#include "document/otdr_doc.h"
#include "panes/event_table_cells.h"
#include "sor/sor_text.h"
#include "trace/trace_conversions.h"
#include "vocabulary/length_unit.h"
#include "vocabulary/text_table.h"

namespace eventtest {

inline constexpr std::int32_t kPoints = 10000;
inline constexpr std::int32_t kTimePerSample = 100;
inline constexpr std::int32_t kGroupIndexField = 146800;
inline constexpr double kKmPerSample = 2.99792458 / kGroupIndexField * kTimePerSample;

inline void ResetGlobals() {
  InitLanguageTable();
  SelectLanguage(LanguageColumn::English);
  ResetDisplayState();
  ResetLengthUnit();
  g_PassFailFailed = 0;
}

inline void AddKeyEvent(SorRecord& record, std::int32_t sample, std::u16string_view code, std::int16_t spliceLoss,
                        std::int32_t reflectance) {
  SorKeyEvents& events = record.KeyEvents;
  events.Events.resize(static_cast<std::size_t>(events.KeyEventCount));
  SorKeyEvent& event = events.Events.emplace_back();
  event.EventNumber = static_cast<std::int16_t>(events.KeyEventCount + 1);
  event.TimeOfFlight = sample * kTimePerSample;
  event.SpliceLoss = spliceLoss;
  event.Reflectance = reflectance;
  std::copy(code.begin(), code.end(), event.EventCode);
  event.LossTechnique[0] = u'L';
  event.LossTechnique[1] = u'S';
  const std::int32_t windows[5] = {std::max(sample - 400, 1), std::max(sample - 40, 2), sample + 40, sample + 400, sample};
  for (int m = 0; m < 5; ++m) event.MarkerLocations[m] = windows[m] * kTimePerSample;
  ++events.KeyEventCount;
}

// Trace level in dB at sample i: 0.2 dB/km of fibre, 0.5 dB at the connector, 0.3 dB at the splice,
// reflection peaks at the connector and the end, noise beyond the end.
inline double Level(int i) {
  double level = 5.0 + 0.2 * i * kKmPerSample;
  if (i >= 2000) level += 0.5;
  if (i >= 5000) level += 0.3;
  if (i >= 1998 && i <= 2002) level -= 4.0;
  if (i >= 7998 && i <= 8002) level -= 6.0;
  if (i > 8005) level = 28.0 + (i % 7) * 0.1;
  return level;
}

// Builds the event rows from the key events, as an open does.
inline void Rebuild(COtdrDoc& doc) {
  BuildEventTable(kSorFileKind, doc.m_SorRecord, doc.m_EventRows, doc.m_nEventCount, doc.m_nEndEventRow,
                  doc.m_nPointCount, doc.m_DbSamples, doc.m_dFibreLengthKm, 0);
}

inline std::unique_ptr<COtdrDoc> MakeEventDoc() {
  auto doc = std::make_unique<COtdrDoc>();
  doc->m_strTracePath = "/data/trace.sor";
  SorRecord& record = doc->m_SorRecord;
  SorFxdParams& fxd = record.FxdParams;
  fxd.ActualWavelength = 15500;
  fxd.PulseWidthCount = 1;
  fxd.PulseWidths[0] = 1000;
  fxd.DataSpacing[0] = kTimePerSample * 10000;
  fxd.DataPointCounts[0] = kPoints;
  fxd.GroupIndex = kGroupIndexField;
  fxd.Backscatter = -800;
  record.DataPts.TotalPointCount = kPoints;
  record.DataPts.TraceCount = 1;
  record.DataPts.Traces[0].PointCount = kPoints;
  record.DataPts.Traces[0].ScaleFactor = 1000;
  record.DataPts.Traces[0].Samples.resize(kPoints);
  doc->m_DbSamples.Values.resize(kPoints);
  for (int i = 0; i < kPoints; ++i) {
    doc->m_DbSamples.Values[i] = Level(i);
    record.DataPts.Traces[0].Samples[i] = static_cast<std::uint16_t>(Level(i) * 1000 + 0.5);
  }
  doc->m_nPointCount = kPoints;
  doc->m_dFibreLengthKm = (kPoints - 1) * kKmPerSample;
  AddKeyEvent(record, 0, u"1F9999", 0, 0);
  AddKeyEvent(record, 2000, u"1F9999", 500, -45000);
  AddKeyEvent(record, 5000, u"0F9999", 300, 0);
  AddKeyEvent(record, 8000, u"1E9999", 0, -30000);
  for (int i = 0; i < 4; ++i) record.UserName.EventLossTable[i] = 1000 * (i + 1);
  Rebuild(*doc);
  return doc;
}

inline std::int32_t SampleOfKm(double km) { return static_cast<std::int32_t>(km / kKmPerSample + 0.5); }

}  // namespace eventtest
