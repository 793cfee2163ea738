#include "panes/trace_values.h"

#include "document/otdr_doc.h"
#include "measure/link_orl_cache.h"
#include "measure/pass_fail_document.h"
#include "measure/pass_fail_verdict.h"
#include "panes/event_table_cells.h"
#include "panes/event_table_rules.h"
#include "panes/marker_info_text.h"
#include "panes/marker_readings.h"
#include "trace/trace_conversions.h"
#include "trace/wavelength.h"

namespace {

// The pane's lines hold the ORL between the cumulative-loss line and the others.
constexpr std::size_t kOrlLine = 6;

}  // namespace

void UpdateTraceValues(COtdrDoc& doc, DocView* sender, int hint, std::string_view programFolder) {
  if (sender == nullptr) LoadPassFailLimits(doc, programFolder);
  UpdateMarkerReadings(doc, hint, doc.m_MarkerReadings);
  if (doc.HasTrace()) TakeLinkOrl(doc);
}

void InstallTraceValues(COtdrDoc& doc, std::string programFolder) {
  doc.SetValuesUpdate([folder = std::move(programFolder)](COtdrDoc& d, DocView* sender, int hint) {
    UpdateTraceValues(d, sender, hint, folder);
  });
}

std::array<PaneLine, kMarkerReadingCount> MarkerReadingLines(int activeMarker, const MarkerReadings& readings,
                                                            const LengthUnit& unit) {
  const PaneLines lines = MarkerInfoLines(activeMarker, readings, 0.0f, unit);
  std::array<PaneLine, kMarkerReadingCount> shown;
  std::size_t slot = 0;
  for (std::size_t i = 0; i < lines.size() && slot < shown.size(); ++i) {
    if (i != kOrlLine) shown[slot++] = lines[i];
  }
  return shown;
}

std::array<std::string, kMarkerReadingCount> MarkerReadingTexts(const COtdrDoc& doc, const LengthUnit& unit) {
  std::array<std::string, kMarkerReadingCount> texts;
  const auto lines = MarkerReadingLines(doc.m_MarkerState.ActiveMarker, doc.m_MarkerReadings, unit);
  for (std::size_t i = 0; i < texts.size(); ++i) texts[i] = lines[i].value;
  return texts;
}

float MarkerOrlOf(const COtdrDoc& doc) {
  return ComputeMarkerOrl(doc, doc.m_EventRows, doc.m_nEventCount, static_cast<float>(TraceBandNm(doc.m_SorRecord)));
}

int MarkerEventNumber(const COtdrDoc& doc) {
  const MarkerState& markers = doc.m_MarkerState;
  const int marker = markers.ActiveMarker == 0 ? markers.MarkerA : markers.MarkerB;
  const double distance = GetDistance_Position(marker, kSorFileKind, doc.m_SorRecord, doc.m_dFibreLengthKm);
  const double traceEnd = DistanceFromUserZero(doc.m_dFibreLengthKm, doc.m_SorRecord);
  return FindMarkerEventNumber(EventRowsInUse(doc.m_EventRows, doc.m_nEventCount), traceEnd, distance).value_or(0);
}

int PassFailVerdict(const EventTableSource& source, const LinkSummaryRecord& link, float linkOrl) {
  const bool failed = ComputeEventTable(source, 1.0).anyFailed || JudgeLinkLimits(link, source.limits, linkOrl).Any();
  return failed ? 1 : 0;
}
