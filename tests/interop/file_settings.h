#pragma once
// The Trace Reanalysis settings a technician would apply to a sample file: its own.
#include "measure/analysis_settings.h"

class COtdrDoc;

namespace lumivane::test {

/// The file's own group index, backscatter and thresholds, each where the dialog would accept it.
AnalysisSettings FileSettings(const COtdrDoc& doc);

}  // namespace lumivane::test
