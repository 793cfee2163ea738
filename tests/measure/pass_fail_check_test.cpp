#include "measure/pass_fail_check.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

// Limits chosen apart so that the limit each case is judged against shows in the verdict.
PassFailThresholds Limits() {
  PassFailThresholds t;
  t.Limit = {0.3f, 0.75f, 40.0f, 0.35f, 20.0f, 30.0f};
  return t;
}

struct Case {
  const char* name;
  std::int32_t type;
  int kind;
  float value;
  int expected;
};

TEST(CheckLimit, JudgesEachTypeAndKindAgainstItsOwnLimit) {
  const std::vector<Case> cases = {
      {"reflective reflectance beyond the limit", kEventReflective, kLimitKindReflectance, -45.0f, 1},
      {"reflective reflectance short of the limit", kEventReflective, kLimitKindReflectance, -35.0f, 0},
      {"reflective loss under connector limit", kEventReflective, kLimitKindLoss, 0.7f, 1},
      {"reflective loss over connector limit", kEventReflective, kLimitKindLoss, 0.8f, 0},
      {"reflective attenuation over limit", kEventReflective, kLimitKindAttenuation, 0.4f, 0},
      {"non-reflective loss over splice limit", kEventNonReflective, kLimitKindLoss, 0.5f, 0},
      {"non-reflective loss under splice limit", kEventNonReflective, kLimitKindLoss, 0.2f, 1},
      {"non-reflective reflectance always passes", kEventNonReflective, kLimitKindReflectance, -10.0f, 1},
      {"non-reflective attenuation under limit", kEventNonReflective, kLimitKindAttenuation, 0.3f, 1},
      {"out-of-range loss uses the splice limit", kEventOutOfRange, kLimitKindLoss, 0.5f, 0},
      {"out-of-range attenuation over limit", kEventOutOfRange, kLimitKindAttenuation, 0.36f, 0},
      {"end reflectance is judged", kEventEnd, kLimitKindReflectance, -14.0f, 0},
      {"end loss passes", kEventEnd, kLimitKindLoss, 25.0f, 1},
      {"end attenuation passes", kEventEnd, kLimitKindAttenuation, 5.0f, 1},
      {"launch passes everything", kEventLaunch, kLimitKindLoss, 99.0f, 1},
      {"unknown type passes", 7, kLimitKindReflectance, -1.0f, 1},
      {"link loss over limit whatever the type", kEventLaunch, kLimitKindLinkLoss, 20.5f, 0},
      {"link loss under limit", kEventEnd, kLimitKindLinkLoss, 19.0f, 1},
      {"link ORL beyond limit", kEventEnd, kLimitKindLinkOrl, 32.0f, 1},
      {"link ORL short of limit", kEventReflective, kLimitKindLinkOrl, 28.0f, 0},
      {"signs are ignored: positive reflectance", kEventReflective, kLimitKindReflectance, 45.0f, 1},
      {"signs are ignored: negative loss", kEventNonReflective, kLimitKindLoss, -0.5f, 0},
      {"missing loss fails", kEventNonReflective, kLimitKindLoss, kMissingValue, 0},
      {"missing reflectance passes", kEventReflective, kLimitKindReflectance, kMissingValue, 1},
  };
  const PassFailThresholds limits = Limits();
  for (const Case& c : cases) {
    EXPECT_EQ(CheckLimit(&c.value, &c.type, c.kind, limits), c.expected) << c.name;
  }
}

TEST(CheckLimit, ToleranceFavoursTheValue) {
  PassFailThresholds limits;
  limits.Limit = {1.0f, 1.0f, -40.0f, 0.5f, 45.0f, 30.0f};
  const std::int32_t reflective = kEventReflective;
  const std::int32_t splice = kEventNonReflective;
  const struct {
    float value;
    int kind;
    std::int32_t type;
    int expected;
  } cases[] = {
      {-40.00005f, kLimitKindReflectance, reflective, 0},  // 0.00005 beyond: not enough
      {-40.0002f, kLimitKindReflectance, reflective, 1},
      {-40.0f, kLimitKindReflectance, reflective, 0},
      {1.00005f, kLimitKindLoss, splice, 1},               // 0.00005 over: within the tolerance
      {1.0002f, kLimitKindLoss, splice, 0},
      {0.5f, kLimitKindAttenuation, splice, 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CheckLimit(&c.value, &c.type, c.kind, limits), c.expected) << c.value;
  }
}

TEST(CheckLimit, ZeroLimitsFailEveryLossAndPassEveryReflectance) {
  const PassFailThresholds none;
  const std::int32_t type = kEventReflective;
  const float loss = 0.0002f;
  const float reflectance = -0.0001f;
  EXPECT_EQ(CheckLimit(&loss, &type, kLimitKindLoss, none), 0);
  EXPECT_EQ(CheckLimit(&loss, &type, kLimitKindAttenuation, none), 0);
  EXPECT_EQ(CheckLimit(&reflectance, &type, kLimitKindReflectance, none), 1);
}

// Each box, unticked alone, stops exactly the values judged against its limit.
TEST(IsLimitEnabled, EachBoxGatesTheValuesJudgedAgainstItsLimit) {
  struct Judged {
    std::int32_t type;
    int kind;
    PassFailLimit box;
  };
  const std::vector<Judged> judged = {
      {kEventNonReflective, kLimitKindLoss, kLimitSpliceLoss},
      {kEventOutOfRange, kLimitKindLoss, kLimitSpliceLoss},
      {kEventReflective, kLimitKindLoss, kLimitConnectorLoss},
      {kEventReflective, kLimitKindReflectance, kLimitReflectance},
      {kEventNonReflective, kLimitKindAttenuation, kLimitAttenuation},
      {kEventReflective, kLimitKindAttenuation, kLimitAttenuation},
      {kEventEnd, kLimitKindLinkLoss, kLimitLinkLoss},
      {kEventEnd, kLimitKindLinkOrl, kLimitLinkOrl},
  };
  for (int off = 0; off < kPassFailLimitCount; ++off) {
    PassFailThresholds limits = Limits();
    limits.Enabled = {1, 1, 1, 1, 1, 1};
    limits.Enabled[static_cast<std::size_t>(off)] = 0;
    for (const Judged& j : judged) {
      SCOPED_TRACE(testing::Message() << "box " << off << " off, type " << j.type << " kind " << j.kind);
      EXPECT_EQ(IsLimitEnabled(limits, j.type, j.kind), j.box != off);
      // A value far beyond every limit fails exactly where its box is ticked.
      const float bad = j.kind == kLimitKindReflectance || j.kind == kLimitKindLinkOrl ? -1.0f : 99.0f;
      EXPECT_EQ(FailsLimit(limits, bad, j.type, j.kind), j.box != off);
    }
  }
  PassFailThresholds limits;
  EXPECT_FALSE(IsLimitEnabled(limits, kEventEnd, 3));
}

TEST(IsLimitEnabled, NothingIsJudgedWithoutLimits) {
  PassFailThresholds limits;
  limits.Judged = 0;
  for (int kind : {kLimitKindReflectance, kLimitKindLoss, kLimitKindAttenuation, kLimitKindLinkLoss, kLimitKindLinkOrl}) {
    EXPECT_FALSE(IsLimitEnabled(limits, kEventNonReflective, kind)) << kind;
    EXPECT_FALSE(FailsLimit(limits, 99.0f, kEventReflective, kind)) << kind;
  }
}

// The link map marks a splice's loss while the splice-loss box is ticked and a connector's while the
// connector-loss box is, each against its own limit.
TEST(LossLimitFails, EachLossBoxGatesItsOwnEvents) {
  PassFailThresholds limits;
  limits.Limit[kLimitSpliceLoss] = 0.3f;
  limits.Limit[kLimitConnectorLoss] = 0.5f;
  const auto row = [](std::int32_t index, std::int32_t type, float reflectance, float loss) {
    EventRow r{};
    r.Index = index;
    r.Type = type;
    r.Distance = static_cast<float>(index);
    r.Reflectance = reflectance;
    r.SpliceLoss = loss;
    return r;
  };
  const EventRow rows[] = {row(0, kEventLaunch, -40.0f, 2.0f), row(1, kEventNonReflective, 0.0f, 0.4f),
                           row(2, kEventReflective, -45.0f, 0.6f), row(3, kEventEnd, -20.0f, 9.0f)};
  const struct {
    std::array<std::int32_t, 6> enabled;
    std::vector<bool> fails;
  } cases[] = {
      {{1, 1, 1, 1, 1, 1}, {false, true, true, false}},
      {{0, 1, 1, 1, 1, 1}, {false, false, true, false}},
      {{1, 0, 1, 1, 1, 1}, {false, true, false, false}},
      {{0, 0, 0, 0, 0, 0}, {false, false, false, false}},
  };
  for (const auto& c : cases) {
    limits.Enabled = c.enabled;
    EXPECT_EQ(LossLimitFails(rows, limits), c.fails);
  }
}

}  // namespace
