#include "analysis/analysis_types.h"

AnalysisParams g_AnalysisParams;
