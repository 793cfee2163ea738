#include "measure/trace_reanalysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/synthetic_trace.h"
#include "document/display_model.h"
#include "document/display_model_params.h"
#include "document/display_state.h"
#include "document/otdr_doc.h"
#include "document/trace_save.h"
#include "measure/pass_fail_check.h"
#include "measure/pass_fail_document.h"
#include "sor/sor_reader.h"
#include "sor/sor_text.h"
#include "sor/sor_writer.h"
#include "trace/backscatter_field.h"
#include "trace/trace_conversions.h"
#include "trace/wavelength.h"
#include "vocabulary/length_unit.h"
#include "analysis_state.h"
#include "counting_view.h"
#include "recording_message_sink.h"
#include "temp_dir.h"

namespace {

// How far apart two distances stored as whole 0.1 ns times of flight can lie (with rounding).
constexpr float kTimeStepKm = 2e-5f;

// Data spacing (100 ps per 10,000 samples) of 1 m samples at group index 1.4666.
constexpr std::int32_t kMetreSpacing = 489207;

using lumivane::test::CountingView;

class TraceReanalysisTest : public ::testing::Test {
 protected:
  TraceReanalysisTest() : doc(std::make_unique<COtdrDoc>()) {
    lumivane::test::ResetAnalysisState();
    doc->m_strTracePath = "link.sor";
    doc->AddView(view, PaneKind::EventTable);
    settings.wavelengthIndex = 5;
    settings.groupIndex = 1.4666f;
    settings.scatterCoef = -50.0f;
    settings.reflThreshold = -52.0f;
  }
  ~TraceReanalysisTest() override {
    doc->RemoveView(view);
    lumivane::test::ResetAnalysisState();
    ResetLengthUnit();
  }

  // A trace of `n` samples 1 m apart at 1550 nm; `levels` in dB (0 and below) or a plain fibre.
  void SetTrace(int n, const std::vector<TracePoint>& levels = {}) {
    SorRecord& r = doc->m_SorRecord;
    r.FxdParams.DataSpacing[0] = kMetreSpacing;
    r.FxdParams.PulseWidthCount = 1;
    r.FxdParams.PulseWidths[0] = 100;
    r.FxdParams.ActualWavelength = 15500;
    r.FxdParams.GroupIndex = 146800;
    SetSorText(r.FxdParams.DistanceUnits, std::string_view("mt"));
    r.FxdParams.AcquisitionRangeDistance = 200000;  // 20 km, the range time being 0
    r.DataPts.TotalPointCount = n;
    r.DataPts.TraceCount = 1;
    r.DataPts.Traces[0].PointCount = n;
    r.DataPts.Traces[0].ScaleFactor = 1000;
    r.DataPts.Traces[0].Samples.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
      const double level = levels.empty() ? -10.0 - 0.0002 * i : levels[static_cast<std::size_t>(i)].level;
      const long sample = std::clamp(std::lround(-level * 1000.0), 0L, 65535L);
      r.DataPts.Traces[0].Samples[i] = static_cast<std::uint16_t>(sample);
    }
    // The display model's dB samples, as an open leaves them beside the record.
    doc->m_DbSamples.Values.resize(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
      doc->m_DbSamples.Values[static_cast<std::size_t>(i)] = SampleToDb(r.DataPts.Traces[0].Samples[i], 1000);
    }
    doc->m_nPointCount = n;
    doc->m_FibreParams.Wavelength = 1550;
  }

  // Rows and key events left by an earlier analysis.
  void SetOldEvents(int count) {
    doc->m_SorRecord.KeyEvents.Events.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
      doc->m_EventRows[static_cast<std::size_t>(i)] = EventRow{i, kEventReflective, 0, 99.0f, -40.0f, 1, 1, 1, 1, 1, 1,
                                                               1};
      SorKeyEvent& k = doc->m_SorRecord.KeyEvents.Events[i];
      k.TimeOfFlight = 123456;
      k.EventCode[0] = u'1';
      k.EventCode[1] = u'D';
      for (int w = 0; w < kSorMarkerLocations; ++w) k.MarkerLocations[w] = 777777;
    }
    doc->m_nEventCount = count;
    doc->m_SorRecord.KeyEvents.KeyEventCount = static_cast<std::int16_t>(count);
    doc->m_nEndEventRow = count - 1;
  }

  void SetShortLink();

  std::unique_ptr<COtdrDoc> doc;
  CountingView view;
  AnalysisSettings settings;
};

AnalysisEvent Event(std::int32_t type, float position, float loss, float reflectance, std::int32_t endFlag = 0) {
  AnalysisEvent e;
  e.type = type;
  e.position = position;
  e.loss = loss;
  e.reflectance = reflectance;
  e.endFlag = endFlag;
  e.cumulativeLoss = position == 0.0f ? kMissingValue : position * 0.2f;
  e.attenuation = 0.2f;
  e.markers[0] = 10;
  e.markers[1] = 20;
  e.markers[2] = 30;
  e.markers[3] = 40;
  e.markers[4] = 25;
  return e;
}

// An engine that returns the given events and records what it was handed.
struct CannedEngine {
  std::vector<AnalysisEvent> result;
  std::int32_t endLoss = 0;
  std::size_t pointsSeen = 0;
  float lastDistance = 0.0f;
  float firstLevel = 0.0f;
  AnalysisParams paramsSeen{};
  AnalysisEngineFn Fn() {
    return [this](std::span<TracePoint> points, std::span<AnalysisEvent> events, AnalysisParams& p) {
      pointsSeen = points.size();
      lastDistance = points.empty() ? 0.0f : points.back().distance;
      firstLevel = points.empty() ? 0.0f : points.front().level;
      paramsSeen = p;
      std::copy(result.begin(), result.end(), events.begin());
      p.endLossResult = endLoss;
      return static_cast<int>(result.size());
    };
  }
};

// 20 km at 1 m spacing, 300 ns: a splice at 3 km, a connector at 5 km and a reflective end at 12 km.
void TraceReanalysisTest::SetShortLink() {
  SyntheticTraceSpec spec;
  spec.pointCount = 20000;
  spec.pulseWidthNs = 300;
  spec.noiseSigmaDb = 0.5;
  spec.steps = {{3.0, 0.5}};
  spec.reflections = {{5.0, -40.0, 0.3}, {12.0, -30.0}};
  spec.fibreEndKm = 12.0 + PulseSamples(spec) * spec.spacingKm;
  SetTrace(spec.pointCount, MakeSyntheticTrace(spec));
  doc->m_SorRecord.FxdParams.PulseWidths[0] = 300;
}

TEST_F(TraceReanalysisTest, FindsTheEventsOfASyntheticLinkAndWritesThemBack) {
  SetShortLink();
  SetOldEvents(40);

  std::vector<AnalysisEvent> engineEvents;
  const AnalysisEngineFn engine = [&engineEvents](std::span<TracePoint> p, std::span<AnalysisEvent> e,
                                                  AnalysisParams& params) {
    const int n = AnalyzeTrace(p, e, params);
    engineEvents.assign(e.begin(), e.begin() + n);
    return n;
  };
  ASSERT_EQ(ReanalyzeDocument(*doc, settings, engine), ReanalysisOutcome::Done);

  const int n = doc->m_nEventCount;
  ASSERT_EQ(n, static_cast<int>(engineEvents.size()));
  ASSERT_GE(n, 4);
  ASSERT_LT(n, 40);
  const SorRecord& r = doc->m_SorRecord;
  EXPECT_EQ(r.KeyEvents.KeyEventCount, n);
  auto rowNear = [&](float km) {
    for (int i = 0; i < n; ++i) {
      if (std::fabs(doc->m_EventRows[i].Distance - km) < 0.05f) return i;
    }
    return -1;
  };
  const int splice = rowNear(3.0f);
  const int connector = rowNear(5.0f);
  const int end = rowNear(12.0f);
  ASSERT_GE(splice, 0);
  ASSERT_GE(connector, 0);
  ASSERT_GE(end, 0);
  EXPECT_EQ(doc->m_EventRows[splice].Type, kEventNonReflective);
  EXPECT_EQ(r.KeyEvents.Events[splice].EventCode[0], u'0');
  EXPECT_EQ(r.KeyEvents.Events[splice].EventCode[1], u'F');
  EXPECT_NEAR(doc->m_EventRows[splice].SpliceLoss, 0.5f, 0.1f);
  EXPECT_EQ(doc->m_EventRows[connector].Type, kEventReflective);
  EXPECT_EQ(r.KeyEvents.Events[connector].EventCode[0], u'1');
  EXPECT_EQ(doc->m_EventRows[end].Type, kEventEnd);
  EXPECT_EQ(r.KeyEvents.Events[end].EventCode[1], u'E');
  EXPECT_EQ(doc->m_nEndEventRow, end);

  for (int i = 0; i < n; ++i) {
    const SorKeyEvent& k = r.KeyEvents.Events[i];
    EXPECT_NEAR(TimeToDistance(k.TimeOfFlight, r), doc->m_EventRows[i].Distance, 0.001f) << i;
    EXPECT_NEAR(k.SpliceLoss, engineEvents[i].loss * 1000.0f, 1.0f) << i;
    EXPECT_EQ(doc->m_EventRows[i].Index, i);
    // The key event's windows are this event's, read back as the same samples.
    for (int w = 0; w < kSorMarkerLocations; ++w) {
      EXPECT_NEAR(TimeToIndex(k.MarkerLocations[w], r), std::clamp(engineEvents[i].markers[w], 0, 19999), 1)
          << i << " window " << w;
    }
  }
  for (int i = n; i < 40; ++i) EXPECT_EQ(doc->m_EventRows[i].Distance, 0.0f) << i;
  EXPECT_EQ(r.KeyEvents.Events.size(), static_cast<std::size_t>(n)) << "key events of the earlier analysis";

  EXPECT_EQ(r.FxdParams.GroupIndex, 146660);
  EXPECT_EQ(r.FxdParams.Backscatter, 800);
  EXPECT_NEAR(doc->m_dFibreLengthKm, 19.999, 0.001);
  EXPECT_EQ(r.KeyEvents.EndToEndMarker1, 0);
  EXPECT_EQ(r.KeyEvents.EndToEndMarker2, r.KeyEvents.Events[end].TimeOfFlight);
  EXPECT_EQ(r.KeyEvents.EndToEndLoss, g_AnalysisParams.endLossResult);
  EXPECT_NEAR(doc->m_LinkSummary.LinkLength, 12.0f, 0.05f);
  EXPECT_FLOAT_EQ(doc->m_LinkSummary.LinkLoss, g_AnalysisParams.endLossResult / 1000.0f);
  EXPECT_FLOAT_EQ(doc->m_LinkSummary.LossPerKm, doc->m_LinkSummary.LinkLoss / doc->m_LinkSummary.LinkLength);
  EXPECT_NEAR(doc->m_LinkSummary.LinkLoss, 12.0f * 0.33f + 0.5f + 0.3f, 0.2f);
}

TEST_F(TraceReanalysisTest, SavedResultReadsBackAsTheSameTable) {
  SetShortLink();
  // Another group index than the file's: the range and the lengths shown follow it.
  settings.groupIndex = doc->m_SorRecord.FxdParams.GroupIndex / 100000.0f + 0.01f;
  ASSERT_EQ(ReanalyzeDocument(*doc, settings), ReanalysisOutcome::Done);
  std::vector<std::uint8_t> image;
  ASSERT_EQ(AssembleSorImage(doc->m_SorRecord, image), SorWriteResult::kOk);
  auto reread = std::make_unique<SorRecord>();
  ASSERT_EQ(ReadSorImage(image, *reread), SorReadResult::kOk);
  auto model = std::make_unique<TraceDisplayModel>();
  LoadDisplayModel(kSorFileKind, *reread, DisplayModelInputs{}, DisplayModelTargetOf(*model));

  ASSERT_EQ(model->m_nEventCount, doc->m_nEventCount);
  EXPECT_EQ(model->m_nEndEventRow, doc->m_nEndEventRow);
  EXPECT_NEAR(model->m_dFibreLengthKm, doc->m_dFibreLengthKm, 1e-4);
  for (int i = 0; i < model->m_nEventCount; ++i) {
    const EventRow& before = doc->m_EventRows[i];
    const EventRow& after = model->m_EventRows[i];
    EXPECT_EQ(after.Type, before.Type) << i;
    EXPECT_NEAR(after.Distance, before.Distance, 0.001f) << i;
    if (i > 1) {
      EXPECT_NEAR(after.Attenuation, before.Attenuation, 0.001f) << i;
    }
    // The table the reanalysis shows is the one the saved file opens with.
    EXPECT_EQ(after.CumulativeLoss, before.CumulativeLoss) << i;
    EXPECT_EQ(after.SpliceLoss, before.SpliceLoss) << i;
    EXPECT_EQ(after.Reflectance, before.Reflectance) << i;
  }
  EXPECT_NEAR(model->m_LinkSummary.LinkLength, doc->m_LinkSummary.LinkLength, 0.001f);
  EXPECT_FLOAT_EQ(model->m_LinkSummary.LinkLoss, doc->m_LinkSummary.LinkLoss);
  EXPECT_FLOAT_EQ(model->m_LinkSummary.TraceLength, doc->m_LinkSummary.TraceLength);
  EXPECT_FLOAT_EQ(model->m_FibreParams.Range, doc->m_FibreParams.Range);
}

TEST_F(TraceReanalysisTest, HandsTheEngineLevelsInTheFilesScaleFactor) {
  SetTrace(200);  // -10 dB at the first sample
  SorTraceData& trace = doc->m_SorRecord.DataPts.Traces[0];
  trace.ScaleFactor = 2000;
  for (int i = 0; i < 200; ++i) trace.Samples[i] = static_cast<std::uint16_t>(trace.Samples[i] * 2);
  CannedEngine engine{{Event(kEventLaunch, 0.0f, 0.0f, -40.0f)}};
  ASSERT_EQ(ReanalyzeDocument(*doc, settings, engine.Fn()), ReanalysisOutcome::Done);
  EXPECT_NEAR(engine.firstLevel, -10.0f, 1e-4f);
}

TEST_F(TraceReanalysisTest, StoresTheSettingsAndTellsThePanes) {
  SetTrace(200);
  CannedEngine engine{{Event(kEventLaunch, 0.0f, 0.0f, -40.0f)}};
  settings.groupIndex = 1.4659f;
  settings.scatterCoef = -49.6f;
  settings.nonReflThreshold = 0.15f;
  settings.endThreshold = 5.0f;
  ASSERT_EQ(ReanalyzeDocument(*doc, settings, engine.Fn()), ReanalysisOutcome::Done);

  // Stored rounded half up: 1.4659 x 100000 is 146589.994 as a float product, -49.6 gives 79.6 x 10.
  EXPECT_EQ(doc->m_SorRecord.FxdParams.GroupIndex, 146590);
  EXPECT_EQ(doc->m_SorRecord.FxdParams.Backscatter, 796);
  EXPECT_FLOAT_EQ(engine.paramsSeen.backscatterCoefficient, 79.6f);
  EXPECT_FLOAT_EQ(engine.paramsSeen.wavelength, 1550.0f);
  EXPECT_FLOAT_EQ(engine.paramsSeen.range, 20.0f);
  EXPECT_EQ(engine.paramsSeen.dataSpacing, 48);
  EXPECT_EQ(engine.paramsSeen.pulseWidth, 100);
  EXPECT_FLOAT_EQ(engine.paramsSeen.nonReflectionThreshold, 0.15f);
  EXPECT_FLOAT_EQ(engine.paramsSeen.endThreshold, 5.0f);
  EXPECT_FLOAT_EQ(doc->m_FibreParams.GroupIndex, 1.4659f);
  EXPECT_FLOAT_EQ(doc->m_FibreParams.Backscatter, -49.6f);
  EXPECT_FLOAT_EQ(doc->m_FibreParams.LossThreshold, 0.15f);
  EXPECT_FLOAT_EQ(g_IorByWavelength[5], 1.4659f);
  EXPECT_FLOAT_EQ(g_ScatterByWavelength[5], -49.6f);
  EXPECT_EQ(doc->m_bReanalysed, 1);
  EXPECT_EQ(doc->m_bAnalysedOnce, 1);
  EXPECT_EQ(g_DisplayState.TableRedrawRequest, 1);
  EXPECT_EQ(g_DisplayState.LinkOrlDirty, 1);
  EXPECT_EQ(view.updates, 1);
  EXPECT_EQ(view.lastSender, nullptr);
  EXPECT_EQ(view.lastHint, kHintRefresh);
  EXPECT_TRUE(doc->IsModified());
}

// Reanalysing with the coefficient the file shows, then again with the dialog prefilled from that
// run, stores the field in the file's own convention: a mode 100 file must not drift by 30 dB.
TEST_F(TraceReanalysisTest, BackscatterFieldKeepsTheFilesConvention) {
  struct Case {
    std::int32_t mode;
    std::int16_t field;
    float engineCoefficient;
  } cases[] = {
      {0, 800, 80.0f},
      {0, 796, 79.6f},
      {kBackscatterModeMicrosecond, 800, 110.0f},
      {kBackscatterModeMicrosecond, 496, 79.6f},
  };
  for (const Case& c : cases) {
    SetTrace(200);
    doc->m_SorRecord.UserName.BackscatterMode = c.mode;
    doc->m_SorRecord.FxdParams.Backscatter = c.field;
    FibreParamsRecord shown{};
    BuildFibreParams(kSorFileKind, doc->m_SorRecord, shown, 20.0);
    settings.scatterCoef = shown.Backscatter;
    CannedEngine engine{{Event(kEventLaunch, 0.0f, 0.0f, -40.0f)}};
    ASSERT_EQ(ReanalyzeDocument(*doc, settings, engine.Fn()), ReanalysisOutcome::Done);
    EXPECT_EQ(doc->m_SorRecord.FxdParams.Backscatter, c.field) << "mode " << c.mode << " field " << c.field;
    EXPECT_FLOAT_EQ(engine.paramsSeen.backscatterCoefficient, c.engineCoefficient) << c.field;

    const AnalysisSettings again = PrefillAnalysisSettings(doc->m_FibreParams);
    ASSERT_EQ(ReanalyzeDocument(*doc, again, engine.Fn()), ReanalysisOutcome::Done);
    EXPECT_EQ(doc->m_SorRecord.FxdParams.Backscatter, c.field) << "second run, mode " << c.mode;
  }
}

TEST_F(TraceReanalysisTest, WholeNanometreWavelengthFieldsAreNotReadAsTenths) {
  SetTrace(200);
  doc->m_SorRecord.FxdParams.ActualWavelength = 1550;
  CannedEngine engine{{Event(kEventLaunch, 0.0f, 0.0f, -40.0f)}};
  ReanalyzeDocument(*doc, settings, engine.Fn());
  EXPECT_FLOAT_EQ(engine.paramsSeen.wavelength, 1550.0f);
}

// A laser within half a nanometre of the midpoint between two listed wavelengths: 1305.4 nm shows
// as 1305 nm, which lies as near 1300 as 1310. The engine works at the band of the tenths the file
// stores, and the limits that judge the trace are that band's, whichever section lies nearer the
// shown whole nanometres.
TEST_F(TraceReanalysisTest, ALaserNearTheMidpointOfTwoBandsIsAnalysedAndJudgedAtOneBand) {
  SetTrace(200);
  const struct {
    std::int16_t field;
    std::int32_t band;
  } cases[] = {{13054, 1310}, {13046, 1300}, {15196, 1490}, {15204, 1550}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.field);
    doc->m_SorRecord.FxdParams.ActualWavelength = c.field;
    BuildFibreParams(kSorFileKind, doc->m_SorRecord, doc->m_FibreParams, 20.0);
    CannedEngine engine{{Event(kEventLaunch, 0.0f, 0.0f, -40.0f)}};
    ASSERT_EQ(ReanalyzeDocument(*doc, settings, engine.Fn()), ReanalysisOutcome::Done);
    EXPECT_EQ(TraceBandNm(doc->m_SorRecord), c.band);
    EXPECT_EQ(WavelengthBandNm(engine.paramsSeen.wavelength), c.band) << "the band the engine works at";

    lumivane::test::TempDir folder;
    folder.WriteFile("otdr config.ini", "[1300]\nSplice Loss=0.3\n[1310]\nSplice Loss=0.31\n"
                                        "[1490]\nSplice Loss=0.49\n[1550]\nSplice Loss=0.55\n");
    doc->m_PassFailThresholds = PassFailThresholds{};
    LoadPassFailLimits(*doc, folder.path().string());
    EXPECT_FLOAT_EQ(doc->m_PassFailThresholds.Limit[kLimitSpliceLoss], c.band == 1300 ? 0.3f
                                                                     : c.band == 1310 ? 0.31f
                                                                     : c.band == 1490 ? 0.49f
                                                                                      : 0.55f);
    EXPECT_EQ(PreparePassFailDialog(*doc, folder.path().string()).wavelength, std::to_string(c.band));
  }
}

TEST_F(TraceReanalysisTest, KeyEventFieldsSaturateAndKeepThousandths) {
  SetTrace(200);
  SetLengthUnit("kft");  // slopes stay in 0.001 dB/km whatever unit distances show in
  AnalysisEvent end = Event(kEventNonReflective, 0.15f, 35.0f, -45.6786f, kEndFlag);
  end.attenuation = 0.3456f;
  const char16_t comment[] = u"ghost of the far end";
  std::copy(std::begin(comment), std::end(comment), end.comment);
  AnalysisEvent launch = Event(kEventLaunch, 0.0f, -40.0f, 0.0f);
  SetOldEvents(1);
  std::fill(std::begin(doc->m_SorRecord.KeyEvents.Events[0].EventCode), std::end(doc->m_SorRecord.KeyEvents.Events[0].EventCode), u'\0');
  doc->m_SorRecord.KeyEvents.Events[0].EventCode[0] = u'1';
  CannedEngine engine{{launch, end}, 12345};
  ASSERT_EQ(ReanalyzeDocument(*doc, settings, engine.Fn()), ReanalysisOutcome::Done);
  const SorKeyEvent& k0 = doc->m_SorRecord.KeyEvents.Events[0];
  const SorKeyEvent& k = doc->m_SorRecord.KeyEvents.Events[1];
  EXPECT_EQ(k0.EventCode[0], u'1');  // a launch keeps its first code character
  EXPECT_EQ(k0.EventCode[1], u'F');
  EXPECT_EQ(k0.SpliceLoss, -32768);
  EXPECT_EQ(k.SpliceLoss, 32767);
  EXPECT_EQ(k.Reflectance, -45679) << "rounded half up as the table shows it, not cut";
  EXPECT_EQ(k.Slope, 346);
  EXPECT_EQ(k.EventCode[0], u'0');
  EXPECT_EQ(k.EventCode[1], u'E');
  EXPECT_EQ(std::u16string(k.Comment), u"ghost of t");
  EXPECT_EQ(k.Comment[10], u'\0');
  EXPECT_EQ(doc->m_EventRows[1].Type, kEventEnd);
  EXPECT_EQ(doc->m_EventRows[1].DistanceToEnd, 0.0f);
  // Distances are those of the stored times, as the file shows them once saved and opened again.
  EXPECT_NEAR(doc->m_EventRows[0].DistanceToEnd, 0.15f, kTimeStepKm);
  EXPECT_NEAR(doc->m_EventRows[1].SectionLength, 0.15f, kTimeStepKm);
  EXPECT_EQ(doc->m_SorRecord.KeyEvents.EndToEndLoss, 12345);
  EXPECT_FLOAT_EQ(doc->m_LinkSummary.LinkLoss, 12.345f);
}

TEST_F(TraceReanalysisTest, WithoutAnEndEventTheLinkIsEmptyNotNan) {
  SetTrace(200);
  SetOldEvents(5);
  doc->m_SorRecord.KeyEvents.EndToEndLoss = 7000;
  CannedEngine engine{{Event(kEventLaunch, 0.0f, 0.0f, -40.0f), Event(kEventReflective, 0.1f, 0.4f, -50.0f)}};
  ASSERT_EQ(ReanalyzeDocument(*doc, settings, engine.Fn()), ReanalysisOutcome::Done);
  EXPECT_EQ(doc->m_nEndEventRow, kNoEndEventRow);
  EXPECT_EQ(doc->m_SorRecord.KeyEvents.EndToEndMarker2, 0);
  EXPECT_EQ(doc->m_SorRecord.KeyEvents.EndToEndLoss, 0);
  EXPECT_EQ(doc->m_LinkSummary.LinkLength, 0.0f);
  EXPECT_EQ(doc->m_LinkSummary.LinkLoss, 0.0f);
  EXPECT_EQ(doc->m_LinkSummary.LossPerKm, 0.0f);
  EXPECT_EQ(doc->m_nEventCount, 2);
  EXPECT_EQ(doc->m_EventRows[2].Distance, 0.0f);
  EXPECT_EQ(doc->m_SorRecord.KeyEvents.Events.size(), 2u);
}

TEST_F(TraceReanalysisTest, EngineFindingNothingEmptiesTheTable) {
  SetTrace(200);
  SetOldEvents(3);
  CannedEngine engine;
  ASSERT_EQ(ReanalyzeDocument(*doc, settings, engine.Fn()), ReanalysisOutcome::Done);
  EXPECT_EQ(doc->m_nEventCount, 0);
  EXPECT_EQ(doc->m_SorRecord.KeyEvents.KeyEventCount, 0);
  EXPECT_EQ(doc->m_EventRows[0].Type, 0);
  EXPECT_TRUE(doc->m_SorRecord.KeyEvents.Events.empty());
}

TEST_F(TraceReanalysisTest, EngineGetsTheStoredSamplesOnAnEvenAxis) {
  SetTrace(300);
  doc->m_SorRecord.DataPts.TotalPointCount = 150000;  // more than the trace stores
  CannedEngine engine{{Event(kEventLaunch, 0.0f, 0.0f, -40.0f)}};
  ASSERT_EQ(ReanalyzeDocument(*doc, settings, engine.Fn()), ReanalysisOutcome::Done);
  EXPECT_EQ(engine.pointsSeen, 300u);
  EXPECT_NEAR(engine.lastDistance, doc->m_dFibreLengthKm, 1e-6);
}

// Offsets a hostile or damaged file may hold: the user's zero lies far before or past the samples.
// The analysis starts at the nearest sample it can and the stored times stop at the field's bounds.
TEST_F(TraceReanalysisTest, OffsetsAtTheFieldsExtremesSaturateTheStoredTimes) {
  constexpr std::int32_t lo = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t hi = std::numeric_limits<std::int32_t>::max();
  struct Case {
    std::int32_t userOffset, frontPanelOffset, acquisitionOffset;
    std::int32_t launchTime;  // file time of the first sample analysed, within the trace's extent
  };
  // A user offset that puts the zero off the trace counts from the first sample.
  const Case cases[] = {
      {lo, 0, 0, 0},
      {0, 0, hi, hi},
      {lo, lo, 0, 0},
      {hi, 0, 0, 0},
      {0, 0, lo, lo},
      {hi, hi, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.userOffset << ", " << c.frontPanelOffset << ", " << c.acquisitionOffset);
    SetTrace(400);
    SorRecord& r = doc->m_SorRecord;
    r.GenParams.UserOffset = c.userOffset;
    r.FxdParams.FrontPanelOffset = c.frontPanelOffset;
    r.FxdParams.AcquisitionOffset = c.acquisitionOffset;
    CannedEngine engine{{Event(kEventLaunch, 0.0f, 0.0f, -40.0f), Event(kEventReflective, 0.05f, 0.4f, -50.0f, kEndFlag)}};
    ASSERT_EQ(ReanalyzeDocument(*doc, settings, engine.Fn()), ReanalysisOutcome::Done);
    ASSERT_EQ(r.KeyEvents.KeyEventCount, 2);
    const double extent = TimeOfDistance(static_cast<float>(doc->m_dFibreLengthKm), r.FxdParams.GroupIndex);
    EXPECT_NEAR(r.KeyEvents.Events[0].TimeOfFlight, c.launchTime, extent);
    EXPECT_EQ(r.KeyEvents.EndToEndMarker1, r.KeyEvents.Events[0].TimeOfFlight);
    for (int i = 0; i < doc->m_nEventCount; ++i) EXPECT_TRUE(std::isfinite(doc->m_EventRows[i].Distance)) << i;
    EXPECT_TRUE(std::isfinite(doc->m_LinkSummary.LinkLength));
  }
}

TEST_F(TraceReanalysisTest, TracesTheEngineCannotTakeAreRefusedUntouched) {
  const struct {
    const char* name;
    void (*damage)(COtdrDoc&);
    ReanalysisOutcome expected;
  } cases[] = {
      {"no trace", [](COtdrDoc& d) { d.m_strTracePath = "space"; }, ReanalysisOutcome::NoTrace},
      {"total 0", [](COtdrDoc& d) { d.m_SorRecord.DataPts.TotalPointCount = 0; }, ReanalysisOutcome::TooFewSamples},
      {"total 1", [](COtdrDoc& d) { d.m_SorRecord.DataPts.TotalPointCount = 1; }, ReanalysisOutcome::TooFewSamples},
      {"negative total", [](COtdrDoc& d) { d.m_SorRecord.DataPts.TotalPointCount = -5; },
       ReanalysisOutcome::TooFewSamples},
      {"few stored", [](COtdrDoc& d) { d.m_SorRecord.DataPts.Traces[0].PointCount = 100; },
       ReanalysisOutcome::TooFewSamples},
      {"no trace data", [](COtdrDoc& d) { d.m_SorRecord.DataPts.TraceCount = 0; }, ReanalysisOutcome::TooFewSamples},
      {"spacing 0", [](COtdrDoc& d) { d.m_SorRecord.FxdParams.DataSpacing[0] = 0; }, ReanalysisOutcome::BadDataSpacing},
      {"negative spacing", [](COtdrDoc& d) { d.m_SorRecord.FxdParams.DataSpacing[0] = -10; },
       ReanalysisOutcome::BadDataSpacing},
      {"pulse width 0", [](COtdrDoc& d) { d.m_SorRecord.FxdParams.PulseWidths[0] = 0; },
       ReanalysisOutcome::BadPulseWidth},
      {"negative pulse width", [](COtdrDoc& d) { d.m_SorRecord.FxdParams.PulseWidths[0] = -100; },
       ReanalysisOutcome::BadPulseWidth},
  };
  for (const auto& c : cases) {
    SetTrace(200);
    SetOldEvents(3);
    doc->m_strTracePath = "link.sor";
    doc->SetModifiedFlag(false);
    g_AnalysisParams = AnalysisParams{};
    c.damage(*doc);
    CannedEngine engine{{Event(kEventLaunch, 0.0f, 0.0f, -40.0f)}};
    EXPECT_EQ(ReanalyzeDocument(*doc, settings, engine.Fn()), c.expected) << c.name;
    EXPECT_EQ(CheckReanalysisInput(*doc), c.expected) << c.name;
    EXPECT_EQ(engine.pointsSeen, 0u) << c.name;
    EXPECT_EQ(doc->m_nEventCount, 3) << c.name;
    EXPECT_EQ(doc->m_SorRecord.FxdParams.GroupIndex, 146800) << c.name;
    EXPECT_EQ(g_AnalysisParams.pulseWidth, 0) << c.name;
    EXPECT_FLOAT_EQ(g_IorByWavelength[5], 1.4666f) << c.name;
    EXPECT_EQ(doc->m_bAnalysedOnce, 0) << c.name;
    EXPECT_FALSE(doc->IsModified()) << c.name;
    EXPECT_EQ(view.updates, 0) << c.name;
  }
}

// Reflections behind the end stay in the table; distances to the end still count to the end event.
TEST_F(TraceReanalysisTest, DistancesToTheEndCountToTheEndEventNotTheLastRow) {
  SetTrace(200);
  CannedEngine engine{{Event(kEventLaunch, 0.0f, 0.0f, -40.0f), Event(kEventNonReflective, 0.05f, 0.3f, 0.0f),
                       Event(kEventReflective, 0.1f, 20.0f, -30.0f, kEndFlag),
                       Event(kEventReflective, 0.18f, 0.0f, -45.0f)}};
  ASSERT_EQ(ReanalyzeDocument(*doc, settings, engine.Fn()), ReanalysisOutcome::Done);
  ASSERT_EQ(doc->m_nEndEventRow, 2);
  const float expected[] = {0.1f, 0.05f, 0.0f, 0.08f};
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(doc->m_EventRows[i].DistanceToEnd, expected[i], kTimeStepKm) << i;
}

// An end made up at the noise onset and a launch on plain fibre (a zero inside the fibre) have no
// measured reflection: they show as missing, as they do after saving and opening the file again, and
// a section too short to measure has no attenuation.
TEST_F(TraceReanalysisTest, UnmeasuredValuesShowAsMissing) {
  SetTrace(200);
  AnalysisEvent madeUpEnd = Event(kEventNonReflective, 0.15f, 0.0001f, 0.0001f, kEndFlag);
  madeUpEnd.attenuation = kNoValue;
  CannedEngine engine{{Event(kEventLaunch, 0.0f, 0.0f, kNoValue), madeUpEnd}};
  ASSERT_EQ(ReanalyzeDocument(*doc, settings, engine.Fn()), ReanalysisOutcome::Done);
  for (int i : {0, 1}) {
    EXPECT_EQ(doc->m_EventRows[i].Reflectance, 0.0f) << i;
    EXPECT_EQ(doc->m_SorRecord.KeyEvents.Events[i].Reflectance, 0) << i;
  }
  EXPECT_EQ(doc->m_EventRows[1].Attenuation, 0.0f);
  EXPECT_EQ(doc->m_SorRecord.KeyEvents.Events[1].Slope, 0);
}

// Rows the record did not have get the standard's characters; rows it had keep theirs.
TEST_F(TraceReanalysisTest, NewKeyEventsGetTheStandardsCodesAndTechnique) {
  SetTrace(200);
  SetOldEvents(1);
  SorKeyEvent& old = doc->m_SorRecord.KeyEvents.Events[0];
  std::copy_n(u"1F0003", 6, old.EventCode);
  std::copy_n(u"2P", 2, old.LossTechnique);
  CannedEngine engine{{Event(kEventLaunch, 0.0f, 0.0f, -40.0f), Event(kEventNonReflective, 0.05f, 0.3f, 0.0f),
                       Event(kEventReflective, 0.1f, 0.4f, -30.0f, kEndFlag)}};
  ASSERT_EQ(ReanalyzeDocument(*doc, settings, engine.Fn()), ReanalysisOutcome::Done);
  const SorKeyEvents& k = doc->m_SorRecord.KeyEvents;
  EXPECT_EQ(std::u16string(k.Events[0].EventCode), u"1F0003");
  EXPECT_EQ(std::u16string(k.Events[0].LossTechnique), u"2P");
  EXPECT_EQ(std::u16string(k.Events[1].EventCode), u"0F9999");
  EXPECT_EQ(std::u16string(k.Events[2].EventCode), u"1E9999");
  for (int i = 1; i < 3; ++i) {
    EXPECT_EQ(std::u16string(k.Events[i].LossTechnique), u"LS") << i;
    EXPECT_EQ(k.Events[i].EventNumber, i) << i;
  }
}

// A launch nobody coded before is written as the front panel's reflection.
TEST_F(TraceReanalysisTest, ANewLaunchIsCodedAsAReflection) {
  SetTrace(200);
  CannedEngine engine{{Event(kEventLaunch, 0.0f, 0.0f, -40.0f)}};
  ASSERT_EQ(ReanalyzeDocument(*doc, settings, engine.Fn()), ReanalysisOutcome::Done);
  EXPECT_EQ(std::u16string(doc->m_SorRecord.KeyEvents.Events[0].EventCode), u"1F9999");
}

// A reanalysis saved under a new name opens again as it was shown: the thresholds chosen, the new
// group index, and distances that agree with it.
TEST_F(TraceReanalysisTest, SaveAsKeepsTheReanalysisSettingsAndItsDistances) {
  lumivane::test::RecordingMessageSink sink;
  const lumivane::ScopedMessageSink scoped(sink);
  lumivane::test::TempDir dir;
  SetShortLink();
  doc->m_SorRecord.FxdParams.AcquisitionRange = 979000;  // about 20 km
  const std::string path = dir.Path("link.sor");
  ASSERT_EQ(WriteSorFile(doc->m_SorRecord, path), SorWriteResult::kOk);
  ASSERT_EQ(doc->OpenTraceFile(path, kSorFileKind, doc->m_SorRecord), 1);
  LoadDisplayModel(kSorFileKind, doc->m_SorRecord, {}, doc->DisplayModelMembers());
  settings.groupIndex = 1.4750f;
  settings.reflThreshold = -56.0f;
  settings.nonReflThreshold = 0.2f;
  settings.endThreshold = 5.0f;
  ASSERT_EQ(ReanalyzeDocument(*doc, settings), ReanalysisOutcome::Done);
  const std::vector<EventRow> shown(doc->m_EventRows.begin(), doc->m_EventRows.begin() + doc->m_nEventCount);
  const double rangeKm = doc->m_dAcquisitionRangeKm;
  EXPECT_DOUBLE_EQ(rangeKm, DistanceOfTime(979000, 147500)) << "the range time at the new group index";

  const std::string copy = dir.Path("copy.sor");
  SaveEnvironment env;
  env.chooseSaveAsPath = [&] { return std::optional<SaveAsChoice>(SaveAsChoice{copy, false}); };
  ASSERT_TRUE(OnFileSaveAs(*doc, env));
  auto reopened = std::make_unique<COtdrDoc>();
  ASSERT_EQ(reopened->OpenTraceFile(copy, kSorFileKind, reopened->m_SorRecord), 1);
  LoadDisplayModel(kSorFileKind, reopened->m_SorRecord, {}, reopened->DisplayModelMembers());
  const FibreParamsRecord& fibre = reopened->m_FibreParams;
  EXPECT_FLOAT_EQ(fibre.GroupIndex, 1.475f);
  EXPECT_FLOAT_EQ(fibre.ReflectanceThreshold, 56.0f);
  EXPECT_FLOAT_EQ(fibre.LossThreshold, 0.2f);
  EXPECT_FLOAT_EQ(fibre.EndThreshold, 5.0f);
  EXPECT_EQ(reopened->m_dAcquisitionRangeKm, rangeKm);
  EXPECT_EQ(reopened->m_LinkSummary.TraceLength, doc->m_LinkSummary.TraceLength);
  EXPECT_FLOAT_EQ(fibre.Range, doc->m_FibreParams.Range);
  ASSERT_EQ(reopened->m_nEventCount, static_cast<int>(shown.size()));
  for (std::size_t i = 0; i < shown.size(); ++i) {
    EXPECT_NEAR(reopened->m_EventRows[i].Distance, shown[i].Distance, kTimeStepKm) << i;
  }
  EXPECT_TRUE(sink.messages().empty());

  const std::vector<std::uint8_t> first = lumivane::test::TempDir::ReadFile(copy);
  ASSERT_TRUE(OnFileSave(*reopened, env));
  EXPECT_EQ(lumivane::test::TempDir::ReadFile(copy), first);
}

}  // namespace

// A launch cable ends 150 m in, where the user put the zero: the reanalysis starts there. The Start
// is its connector, nothing before it is listed, and the link is measured from it.
TEST_F(TraceReanalysisTest, TheStartStaysAtTheUsersZero) {
  SyntheticTraceSpec spec;
  spec.pointCount = 20000;
  spec.pulseWidthNs = 300;
  spec.noiseSigmaDb = 0.5;
  spec.reflections = {{0.15, -45.0, 0.3}, {5.0, -40.0, 0.3}, {12.0, -30.0}};
  spec.fibreEndKm = 12.0 + PulseSamples(spec) * spec.spacingKm;
  SetTrace(spec.pointCount, MakeSyntheticTrace(spec));
  SorRecord& r = doc->m_SorRecord;
  r.FxdParams.PulseWidths[0] = 300;
  r.GenParams.UserOffset = TimeOfDistance(0.15f, r.FxdParams.GroupIndex);
  settings.groupIndex = 1.468f;
  ASSERT_EQ(TimeToIndex(0, r), 150);

  ASSERT_EQ(ReanalyzeDocument(*doc, settings), ReanalysisOutcome::Done);
  const std::int32_t pulseTime = TimeOfDistance(0.03f, r.FxdParams.GroupIndex);
  ASSERT_GE(doc->m_nEventCount, 3);
  EXPECT_EQ(r.KeyEvents.Events[0].TimeOfFlight, 0);
  EXPECT_EQ(doc->m_EventRows[0].Type, kEventLaunch);
  // The launch cable's connector is the Start, not a row of its own.
  EXPECT_GT(r.KeyEvents.Events[1].TimeOfFlight, pulseTime);
  EXPECT_NEAR(TimeToDistance(r.KeyEvents.Events[1].TimeOfFlight, r) - TimeToDistance(0, r), 5.0 - 0.15, 0.03);
  ASSERT_NE(doc->m_nEndEventRow, kNoEndEventRow);
  EXPECT_NEAR(TimeToDistance(r.KeyEvents.EndToEndMarker2, r) - TimeToDistance(0, r), 12.0 - 0.15, 0.03);
  EXPECT_EQ(r.KeyEvents.EndToEndMarker1, 0);
  EXPECT_NEAR(doc->m_LinkSummary.LinkLength, 12.0 - 0.15, 0.03);
  // The windows stay on the trace behind the zero.
  for (int i = 0; i < doc->m_nEventCount; ++i) {
    for (int w = 0; w < kSorMarkerLocations; ++w) EXPECT_GE(TimeToIndex(r.KeyEvents.Events[i].MarkerLocations[w], r), 150) << i;
  }
}
