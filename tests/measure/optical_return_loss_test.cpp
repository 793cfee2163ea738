#include "measure/optical_return_loss.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "document/display_state.h"
#include "document/otdr_doc.h"
#include "measure/link_orl_cache.h"

namespace {

EventRow Row(std::int32_t type, float distance, float reflectance) {
  EventRow row{};
  row.Type = type;
  row.Distance = distance;
  row.Reflectance = reflectance;
  return row;
}

// A launch at 0 and an end at `length`, with the given reflectances.
std::vector<EventRow> Link(float length, float launchReflectance, float endReflectance) {
  return {Row(kEventLaunch, 0.0f, launchReflectance), Row(kEventEnd, length, endReflectance)};
}

float LinkOrl(const std::vector<EventRow>& rows, float wavelength) {
  return ComputeLinkOrl(rows, static_cast<int>(rows.size()), wavelength);
}

TEST(ComputeLinkOrl, WorkedExamples) {
  const struct {
    const char* name;
    std::vector<EventRow> rows;
    float wavelength;
    float expected;
  } cases[] = {
      {"1310 nm, 10 km, no reflection counted", Link(10.0f, 0.0f, 0.0f), 1310.0f, 34.27f},
      {"1310 nm, 10 km, launch -45 and end -14.7", Link(10.0f, -45.0f, -14.7f), 1310.0f, 18.01f},
      {"1550 nm, 50 km: T less 3 dB, reflections ignored", Link(50.0f, -45.0f, -14.7f), 1550.0f, 30.07f},
      {"1550 nm, 20 km, one -40 dB reflection", Link(20.0f, 0.0f, -40.0f), 1550.0f, 33.23f},
      {"1310.5 nm takes the 1310 constants", Link(10.0f, 0.0f, 0.0f), 1310.5f, 34.27f},
  };
  for (const auto& c : cases) EXPECT_NEAR(LinkOrl(c.rows, c.wavelength), c.expected, 0.005f) << c.name;
}

TEST(ComputeLinkOrl, BandsAndLengthsChooseTheConstants) {
  // A laser off nominal takes its band's constants: 1308.4 and 1312.9 nm are 1310 nm (attenuation
  // 0.30); 1383 nm is "any other wavelength" (0.19).
  for (float nm : {1310.0f, 1308.4f, 1312.9f}) EXPECT_NEAR(LinkOrl(Link(10.0f, 0.0f, 0.0f), nm), 34.27f, 0.01f) << nm;
  EXPECT_GT(std::fabs(LinkOrl(Link(10.0f, 0.0f, 0.0f), 1383.0f) - 34.27f), 1.0f);
  EXPECT_FLOAT_EQ(LinkOrl(Link(50.0f, 0.0f, 0.0f), 1548.6f), LinkOrl(Link(50.0f, 0.0f, 0.0f), 1550.0f));
  // Beyond 85 km 1310 nm gets no 3 dB adjustment; 1490 nm does.
  const float t1310 = LinkOrl(Link(90.0f, 0.0f, 0.0f), 1310.0f);
  const float t1490 = LinkOrl(Link(90.0f, 0.0f, 0.0f), 1490.0f);
  EXPECT_NEAR(t1310, 33.01f, 0.01f);
  EXPECT_NEAR(t1490, 30.01f, 0.01f);
}

TEST(ComputeLinkOrl, CountsOnlyReflectionsBetween6And70Db) {
  const float plain = LinkOrl(Link(10.0f, 0.0f, 0.0f), 1310.0f);
  EXPECT_FLOAT_EQ(LinkOrl(Link(10.0f, -6.0f, -70.0f), 1310.0f), plain);
  EXPECT_LT(LinkOrl(Link(10.0f, -6.1f, 0.0f), 1310.0f), plain - 10.0f);
  // Non-reflective rows and rows past the end do not count.
  std::vector<EventRow> rows = Link(10.0f, 0.0f, 0.0f);
  rows.insert(rows.begin() + 1, Row(kEventNonReflective, 5.0f, -20.0f));
  rows.push_back(Row(kEventReflective, 12.0f, -20.0f));
  EXPECT_FLOAT_EQ(LinkOrl(rows, 1310.0f), plain);
}

TEST(ComputeLinkOrl, NothingToMeasureGivesZero) {
  EXPECT_EQ(LinkOrl({}, 1310.0f), 0.0f);
  EXPECT_EQ(LinkOrl({Row(kEventLaunch, 0.0f, 0.0f), Row(kEventReflective, 5.0f, -40.0f)}, 1310.0f), 0.0f);
  EXPECT_EQ(LinkOrl({Row(kEventEnd, 0.0f, -14.0f), Row(kEventEnd, 5.0f, -14.0f)}, 1310.0f), 0.0f);
  // An end row at distance 0 (not row 0) has no length: no infinity.
  EXPECT_EQ(LinkOrl({Row(kEventLaunch, 0.0f, 0.0f), Row(kEventEnd, 0.0f, -14.0f)}, 1550.0f), 0.0f);
}

TEST(EstimateOrl, MeasuresTheStretchBetweenTheDistances) {
  const std::vector<EventRow> rows = {Row(kEventLaunch, 0.0f, 0.0f), Row(kEventReflective, 5.0f, -40.0f),
                                      Row(kEventNonReflective, 8.0f, 0.0f), Row(kEventEnd, 30.0f, -14.0f)};
  const int n = static_cast<int>(rows.size());
  // 20 km at 1550 nm holding the -40 dB reflection, markers in either order.
  EXPECT_NEAR(EstimateOrl(rows, n, 1550.0f, 2.0f, 22.0f), 33.23f, 0.005f);
  EXPECT_NEAR(EstimateOrl(rows, n, 1550.0f, 22.0f, 2.0f), 33.23f, 0.005f);
  // Bounds are inclusive: a marker on the reflection counts it.
  EXPECT_NEAR(EstimateOrl(rows, n, 1550.0f, 5.0f, 25.0f), 33.23f, 0.005f);
  EXPECT_EQ(EstimateOrl(rows, n, 1550.0f, 3.0f, 3.0f), 0.0f);
  EXPECT_EQ(EstimateOrl(rows, n, 1550.0f, 30.0f, 35.0f), 0.0f);
  EXPECT_GT(EstimateOrl(rows, n, 1550.0f, 29.0f, 35.0f), 0.0f);
}

TEST(EstimateOrl, CountsReflectionsAsTheLinkOrlDoes) {
  const float plain = EstimateOrl(Link(10.0f, 0.0f, 0.0f), 2, 1310.0f, 0.0f, 10.0f);
  EXPECT_NEAR(plain, 34.27f, 0.005f);
  // The stretch from the start to the end is the link itself.
  for (const float reflectance : {-6.0f, -6.1f, -40.0f, -70.0f, 0.0001f, kMissingValue}) {
    EXPECT_FLOAT_EQ(EstimateOrl(Link(10.0f, reflectance, -20.0f), 2, 1310.0f, 0.0f, 10.0f),
                    LinkOrl(Link(10.0f, reflectance, -20.0f), 1310.0f))
        << reflectance;
  }
}

TEST(EstimateOrl, StopsAtTheEndOfTheFibre) {
  const std::vector<EventRow> rows = {Row(kEventLaunch, 0.0f, 0.0f), Row(kEventReflective, 5.0f, -40.0f),
                                      Row(kEventEnd, 10.0f, -14.0f)};
  // A far marker past the end measures to the end: the same as a marker on it.
  EXPECT_FLOAT_EQ(EstimateOrl(rows, 3, 1310.0f, 2.0f, 17.0f), EstimateOrl(rows, 3, 1310.0f, 2.0f, 10.0f));
  EXPECT_EQ(EstimateOrl(rows, 3, 1310.0f, 10.0f, 17.0f), 0.0f);
}

class LinkOrlCacheTest : public ::testing::Test {
 protected:
  LinkOrlCacheTest() : doc(std::make_unique<COtdrDoc>()) {
    ResetDisplayState();
    doc->m_SorRecord.FxdParams.ActualWavelength = 1310;
    doc->m_FibreParams.Wavelength = 1310;
    doc->m_EventRows[0] = Row(kEventLaunch, 0.0f, -45.0f);
    doc->m_EventRows[1] = Row(kEventEnd, 10.0f, -14.7f);
    doc->m_nEventCount = 2;
  }
  ~LinkOrlCacheTest() override { ResetDisplayState(); }
  std::unique_ptr<COtdrDoc> doc;
};

TEST_F(LinkOrlCacheTest, DirtyFlagRecomputesAndStoresTheThousandths) {
  doc->m_SorRecord.KeyEvents.OpticalReturnLoss = 40000;
  g_DisplayState.LinkOrlDirty = 1;
  EXPECT_NEAR(TakeLinkOrl(*doc), 18.01f, 0.005f);
  EXPECT_EQ(g_DisplayState.LinkOrlDirty, 0);
  EXPECT_NEAR(doc->m_SorRecord.KeyEvents.OpticalReturnLoss, 18010, 5);
  EXPECT_FLOAT_EQ(doc->m_PassFailThresholds.MeasuredLinkOrl, TakeLinkOrl(*doc));
}

TEST_F(LinkOrlCacheTest, CleanFlagReadsTheStoredValueUntilTheEventsChange) {
  doc->m_SorRecord.KeyEvents.OpticalReturnLoss = 27500;
  EXPECT_FLOAT_EQ(TakeLinkOrl(*doc), 27.5f);
  EXPECT_FLOAT_EQ(doc->m_PassFailThresholds.MeasuredLinkOrl, 27.5f);
  EXPECT_EQ(doc->m_SorRecord.KeyEvents.OpticalReturnLoss, 27500);
}

TEST_F(LinkOrlCacheTest, AnOrlNoLinkCanHaveIsMissingAndStoredAsNotMeasured) {
  // Strong reflections can drive the estimate below 0 dB, and without an end there is no link.
  for (int i = 1; i < 40; ++i) doc->m_EventRows[i] = Row(kEventReflective, 0.01f * i, -6.5f);
  doc->m_EventRows[40] = Row(kEventEnd, 0.5f, -6.5f);
  doc->m_nEventCount = 41;
  doc->m_SorRecord.KeyEvents.OpticalReturnLoss = 27500;
  g_DisplayState.LinkOrlDirty = 1;
  EXPECT_EQ(TakeLinkOrl(*doc), kMissingValue);
  EXPECT_EQ(doc->m_SorRecord.KeyEvents.OpticalReturnLoss, 0);
  doc->m_EventRows[40].Type = kEventReflective;
  g_DisplayState.LinkOrlDirty = 1;
  EXPECT_EQ(TakeLinkOrl(*doc), kMissingValue);
  // A file that stores 0 did not measure its link ORL.
  EXPECT_EQ(TakeLinkOrl(*doc), kMissingValue);
  EXPECT_EQ(doc->m_PassFailThresholds.MeasuredLinkOrl, kMissingValue);
}

TEST_F(LinkOrlCacheTest, TheStoredOrlIsRoundedHalfUp) {
  doc->m_EventRows[1] = Row(kEventEnd, 2.0f, -40.0f);
  doc->m_nEventCount = 2;
  g_DisplayState.LinkOrlDirty = 1;
  const float orl = TakeLinkOrl(*doc);
  EXPECT_EQ(doc->m_SorRecord.KeyEvents.OpticalReturnLoss, static_cast<int>(std::lround(orl * 1000.0)));
}

// A 1305.4 nm laser shows as 1305 nm, as near 1300 as 1310: the link ORL takes the constants of the
// band of the tenths the file stores, the band the analysis and the limits work at.
TEST_F(LinkOrlCacheTest, ALaserNearTheMidpointOfTwoBandsTakesTheConstantsOfItsStoredBand) {
  ASSERT_NE(ComputeLinkOrl(doc->m_EventRows, 2, 1310.0f), ComputeLinkOrl(doc->m_EventRows, 2, 1300.0f));
  doc->m_SorRecord.FxdParams.ActualWavelength = 13054;
  doc->m_FibreParams.Wavelength = 1305;
  g_DisplayState.LinkOrlDirty = 1;
  EXPECT_FLOAT_EQ(TakeLinkOrl(*doc), ComputeLinkOrl(doc->m_EventRows, 2, 1310.0f));
}

}  // namespace
