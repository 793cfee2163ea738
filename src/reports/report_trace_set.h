#pragma once
// The one input every report page draws from: a trace (the document's current one, or a batch file
// read into the work trace) with its records, samples and markers, and the values the panes show
// of it, computed by the same functions the panes use. A page never reads a pane.
#include <array>
#include <functional>
#include <span>
#include <string>

#include "document/document_settings.h"
#include "sor/sor_record.h"
#include "trace/display_records.h"

class COtdrDoc;
struct TraceDisplayModel;
struct TraceRecord;

/// What the markers block prints: the Marker Information pane's readings with their labels, and the
/// 2-point ORL.
struct ReportMarkerValues {
  std::array<std::string, kMarkerReadingCount> texts;   // A-B, 2-point loss, 2-point attn, LSA attn,
                                                         // insertion loss, reflectance, cumulative loss
  std::array<std::string, kMarkerReadingCount> labels;  // the pane's labels of the same readings
  float orl = 0.0f;                                     // 2-point ORL, dB
  int eventNumber = 0;                                  // event under the active marker, from 1; 0: none
};

struct ReportTraceSet {
  const SorRecord& record;
  const TraceDateTime& dateTime;
  const FibreParamsRecord& fibre;
  const LinkSummaryRecord& link;
  std::span<const EventRow> rows;
  int endRow = 0;
  double lengthKm = 0.0;          // km covered by the samples
  int pointCount = 0;
  std::span<const double> samples{};  // dB, pointCount of them
  double ceilingDb = 0.0;         // the level the plot draws on its bottom edge
  double offsetDb = 0.0;          // the current trace's vertical offset
  int markerA = 0;
  int markerB = 0;
  int activeMarker = 0;           // 0: A, 1: B
  std::string path{};
  bool batchFile = false;         // a batch file: the whole trace at a fixed 60 dB full height
  ReportMarkerValues marker{};
  int verdict = 0;                // 1: Fail
  float linkOrl = 0.0f;           // dB
  PassFailThresholds limits{};    // the limits of the trace's own wavelength
};

/// The document's current trace, with the values the panes show of it.
ReportTraceSet DocumentTraceSet(const COtdrDoc& doc);

/// A batch file read into `work` from `path`, judged against `limits` (those of its wavelength); the
/// markers are where opening the file puts them and the values are what the panes would show of it.
ReportTraceSet WorkTraceSet(const TraceDisplayModel& work, const std::string& path, const PassFailThresholds& limits,
                            int activeMarker);

/// The limits a trace of a band (TraceBandNm, nm) is judged with on paper, as on screen.
using LimitsOfWavelength = std::function<PassFailThresholds(int wavelengthNm)>;

/// Where the loaded traces are read from: the document (null: none holds a trace) and the limits of
/// the traces it does not hold.
struct LoadedTraceSources {
  const COtdrDoc* doc = nullptr;
  LimitsOfWavelength limitsOf;
};

/// A loaded trace as the program shows it now. The trace the document holds is the document's
/// (DocumentTraceSet), with every edit, reanalysis and marker move; every other one its list
/// record's, which a save of the trace brings up to date, with its markers where the record keeps
/// them, marker `activeMarker` active, and their readings as the Marker Information pane shows them
/// once the trace is opened. Every layout that prints loaded traces reads them here.
ReportTraceSet LoadedTraceSet(const TraceRecord& trace, const LoadedTraceSources& sources, int activeMarker);
