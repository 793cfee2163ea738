#pragma once
// The state an analysis and the panes read besides the trace itself, brought back to what a fresh
// start leaves, so that one test's settings do not reach the next. For test binaries that link
// lumivane_measure.
#include "analysis/analysis_types.h"
#include "document/display_state.h"
#include "measure/analysis_settings.h"

namespace lumivane::test {

/// The display state, the analysis settings per wavelength and the analysis parameters as at start.
inline void ResetAnalysisState() {
  ResetDisplayState();
  ResetAnalysisWavelengthTables();
  g_AnalysisParams = AnalysisParams{};
}

}  // namespace lumivane::test
