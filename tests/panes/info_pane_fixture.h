#pragma once
// A document holding a made-up 10 km trace of 1001 samples, 0.2 dB/km from 2.0003 dB, at 1550 nm:
// key event 0 at the start with its launch window over samples 10-50, a non-reflective splice at
// 5 km (0.35 dB) and a reflective end at 8 km (-45 dB). Markers A and B stand at 3 and 7 km.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "document/display_state.h"
#include "document/otdr_doc.h"
#include "vocabulary/length_unit.h"
#include "vocabulary/text_table.h"

inline constexpr int kFixturePoints = 1001;
inline constexpr int kFixtureTimePerSample = 100;  // 0.1 ns

class InfoPaneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitLanguageTable();
    SelectLanguage(LanguageColumn::English);
    ResetDisplayState();
    ResetLengthUnit();
    LoadFixtureTrace(*doc);
  }
  void TearDown() override {
    ResetDisplayState();
    ResetLengthUnit();
  }

  static void SetKeyEvent(SorKeyEvent& event, int sample, const char* code, int spliceLoss, int reflectance) {
    event.TimeOfFlight = sample * kFixtureTimePerSample;
    for (int i = 0; i < kSorEventCodeLength; ++i) event.EventCode[i] = static_cast<char16_t>(code[i]);
    event.SpliceLoss = static_cast<std::int16_t>(spliceLoss);
    event.Reflectance = reflectance;
  }

  static EventRow Row(int index, std::int32_t type, float km, float reflectance) {
    EventRow row{};
    row.Index = index;
    row.Type = type;
    row.Distance = km;
    row.Reflectance = reflectance;
    return row;
  }

  static void LoadFixtureTrace(COtdrDoc& d) {
    d.m_strTracePath = "/data/fixture.sor";
    d.m_nPointCount = kFixturePoints;
    d.m_dFibreLengthKm = 10.0;
    SorRecord& r = d.m_SorRecord;
    r.FxdParams.DataSpacing[0] = kFixtureTimePerSample * 10000;
    r.FxdParams.ActualWavelength = 15500;
    r.FxdParams.AcquisitionRangeDistance = 100000;
    SorTraceData& trace = r.DataPts.Traces[0];
    trace.PointCount = kFixturePoints;
    trace.ScaleFactor = 10000;
    trace.Samples.resize(kFixturePoints);
    d.m_DbSamples.Values.resize(kFixturePoints);
    for (int i = 0; i < kFixturePoints; ++i) {
      trace.Samples[i] = static_cast<std::uint16_t>(20003 + 20 * i);
      d.m_DbSamples.Values[i] = trace.Samples[i] / 10000.0;
    }
    r.KeyEvents.KeyEventCount = 3;
    r.KeyEvents.Events.resize(3);
    SetKeyEvent(r.KeyEvents.Events[0], 0, "1F9999", 0, -50000);
    r.KeyEvents.Events[0].MarkerLocations[2] = 10 * kFixtureTimePerSample;
    r.KeyEvents.Events[0].MarkerLocations[3] = 50 * kFixtureTimePerSample;
    SetKeyEvent(r.KeyEvents.Events[1], 500, "0F9999", 350, 0);
    SetKeyEvent(r.KeyEvents.Events[2], 800, "1E9999", 0, -45000);
    d.m_EventRows[0] = Row(0, kEventLaunch, 0.0f, 0.0f);
    d.m_EventRows[1] = Row(1, kEventNonReflective, 5.0f, 0.0f);
    d.m_EventRows[2] = Row(2, kEventEnd, 8.0f, -45.0f);
    d.m_nEventCount = 3;
    d.m_FibreParams = {10.0f, 100, 1550, 1.4682f, -81.0f, 3725, 3.0f, 0.05f, -40.0f};
    d.m_LinkSummary = {10.0f, 8.0f, 1.95f, 0.0f, 0.24375f};
    d.m_TraceDateTime = {9, 5, 14, 7, 3, 2021};
    MarkerState& m = d.m_MarkerState;
    m.MarkerA = 300;
    m.MarkerB = 700;
    // Loss windows around each marker on the straight trace: no splice there.
    const int windows[2][4] = {{200, 290, 310, 400}, {600, 690, 710, 800}};
    for (int set = 0; set < 2; ++set) {
      for (int k = 0; k < 4; ++k) m.LossAuxMarkers[set][k].SampleIndex = windows[set][k];
    }
    g_DisplayState.TraceCount = 1;
  }

  static LengthUnit Unit(std::string_view name) { return {name, LengthUnitFactor(name).value_or(1.0)}; }

  std::unique_ptr<COtdrDoc> doc = std::make_unique<COtdrDoc>();
};
