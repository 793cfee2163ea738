#pragma once
// A loaded trace as the program shows it now. The trace the document holds is read from the
// document, with every edit, reanalysis and marker move the user made; every other loaded trace from
// its list record, which a save of the trace brings up to date. Every layout that prints loaded
// traces reads them through this one view.
#include <functional>
#include <span>

#include "document/document_settings.h"
#include "sor/sor_record.h"
#include "trace/display_records.h"

class COtdrDoc;
struct TraceRecord;

/// The limits a trace of a wavelength (nm) is judged with on paper, as on screen.
using LimitsOfWavelength = std::function<PassFailThresholds(int wavelengthNm)>;

/// Where the loaded traces are read from: the document (null: none holds a trace) and the limits of
/// the traces it does not hold.
struct LoadedTraceSources {
  const COtdrDoc* doc = nullptr;
  LimitsOfWavelength limitsOf;
};

struct LoadedTraceView {
  const SorRecord& record;
  const FibreParamsRecord& fibre;
  const TraceDateTime& dateTime;
  const LinkSummaryRecord& link;
  std::span<const EventRow> rows;
  int endRow = 0;
  std::span<const double> measured;  // dB, the samples the markers measure on
  int markerA = 0;
  int markerB = 0;
  int activeMarker = 0;  // 0: A, 1: B
  float linkOrl = 0.0f;  // dB, as the Total Fiber Information pane shows it
  PassFailThresholds limits{};
  bool current = false;  // the document holds this trace
};

/// `trace` as it is shown now; a trace the document does not hold has its markers where its record
/// keeps them and marker `activeMarker` active.
LoadedTraceView ViewOfLoadedTrace(const TraceRecord& trace, const LoadedTraceSources& sources, int activeMarker);
