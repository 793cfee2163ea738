#pragma once
// Trace Reanalysis on the document: runs the analysis engine over the current trace with settings
// the user chose and replaces the document's event table, the key events of its record and its link
// summary with the result.
#include <functional>
#include <span>

#include "analysis/analysis_engine.h"
#include "analysis/analysis_types.h"
#include "measure/analysis_settings.h"

class COtdrDoc;

/// How a reanalysis ended. Anything but Done leaves the document, the tables and g_AnalysisParams as they were.
enum class ReanalysisOutcome {
  Done,
  NoTrace,         // the document holds no trace
  TooFewSamples,   // fewer samples than the engine can analyse
  BadDataSpacing,  // the record's data spacing is not positive
  BadPulseWidth,   // the record's first pulse width is not positive
};

/// An engine in place of AnalyzeTrace (tests give canned results).
using AnalysisEngine = int(std::span<TracePoint>, std::span<AnalysisEvent>, AnalysisParams&);
using AnalysisEngineFn = std::function<AnalysisEngine>;

/// Done when the document's trace can be reanalysed, else the reason it cannot.
ReanalysisOutcome CheckReanalysisInput(const COtdrDoc& doc);

/// Stores `settings` in the per-wavelength tables, the document and g_AnalysisParams, recomputes the
/// fibre length, analyses the first trace from its user's zero on and writes the events back, their
/// times counted from that zero; then asks the panes to redraw and recompute the link ORL,
/// broadcasts and marks the document modified. Without `engine` AnalyzeTrace runs in the
/// document's kept working storage.
ReanalysisOutcome ReanalyzeDocument(COtdrDoc& doc, const AnalysisSettings& settings,
                                    const AnalysisEngineFn& engine = {});
