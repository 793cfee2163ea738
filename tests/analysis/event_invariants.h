#pragma once
// What every result of the engine must satisfy, whatever the trace: shared by the random-trace tests
// and the tests over real files.
#include <gtest/gtest.h>

#include <cmath>
#include <span>

#include "analysis/analysis_types.h"

/// At most 251 events, the launch first at distance 0, positions in order, at most one end flag,
/// every value finite or the missing value, every index inside the trace of `pointCount` samples.
inline void ExpectWellFormedEvents(std::span<const AnalysisEvent> events, int count, int pointCount) {
  ASSERT_GE(count, 1);
  ASSERT_LE(count, 251);
  EXPECT_EQ(events[0].type, kEventLaunch);
  EXPECT_EQ(events[0].position, 0.0f);
  int endFlags = 0;
  for (int i = 0; i < count; ++i) {
    SCOPED_TRACE(testing::Message() << "event " << i);
    const AnalysisEvent& e = events[static_cast<std::size_t>(i)];
    endFlags += e.endFlag == kEndFlag ? 1 : 0;
    if (i > 0) {
      EXPECT_GE(e.position, events[static_cast<std::size_t>(i - 1)].position);
    }
    for (float v : {e.position, e.level, e.reflectance, e.loss, e.attenuation, e.cumulativeLoss}) {
      EXPECT_TRUE(std::isfinite(v) || v == kNoValue) << v;
    }
    for (int m : e.markers) {
      EXPECT_GE(m, 0);
      EXPECT_LT(m, pointCount);
    }
    EXPECT_GE(e.sampleIndex, 0);
    EXPECT_LT(e.sampleIndex, pointCount);
  }
  EXPECT_LE(endFlags, 1);
}
