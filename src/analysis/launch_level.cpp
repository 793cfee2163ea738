#include "analysis/launch_level.h"

#include <cmath>

#include "trace/display_records.h"

float StepUpLaunchLevel(float level) {
  if (level == kMissingValue || !(std::fabs(level) < 1e5f)) return level;
  const auto tenThousandths = static_cast<long long>(level * 10000.0f);
  if (tenThousandths % 10 >= 5) return (level * 1000.0f + 1.0f) / 1000.0f;
  return level;
}
