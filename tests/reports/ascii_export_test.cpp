#include "reports/ascii_export.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "document/otdr_doc.h"
#include "panes/parameters_text.h"
#include "reports/report_page_texts.h"
#include "sor/sor_text.h"
#include "vocabulary/length_unit.h"
#include "vocabulary/text_table.h"

namespace {

constexpr ExportUnit kKm{"km", 1.0};
constexpr ExportUnit kKft{"kft", 3.280839895};

EventRow Row(int type, float km, float refl, float splice, float atten, float cum) {
  EventRow row{};
  row.Type = type;
  row.Distance = km;
  row.Reflectance = refl;
  row.SpliceLoss = splice;
  row.Attenuation = atten;
  row.CumulativeLoss = cum;
  return row;
}

std::string Crlf(std::string text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

AsciiExportOptions Only(int info, int para, int event, int data, int separator = 0) {
  return AsciiExportOptions{info, para, event, data, separator};
}

// A generated three-event link of three samples; every value is chosen so that each column's
// rounding is visible.
class AsciiExportTest : public ::testing::Test {
 protected:
  AsciiExportTest() : doc_(std::make_unique<COtdrDoc>()) {
    InitLanguageTable();
    SelectLanguage(LanguageColumn::English);
    COtdrDoc& d = *doc_;
    d.m_TraceDateTime = TraceDateTime{1, 3, 9, 7, 5, 2023};
    SorGenParams& gen = d.m_SorRecord.GenParams;
    SetSorText(gen.CableId, std::string_view("C1"));
    SetSorText(gen.FiberId, std::string_view("F01"));
    gen.FiberType = 652;
    SetSorText(gen.OriginatingLocation, std::string_view("Site A"));
    SetSorText(gen.TerminatingLocation, std::string_view("Site \xC4"));  // a Latin-1 byte stays one byte
    SetSorText(gen.Operator, std::string_view("Op"));
    d.m_SorRecord.FxdParams.AcquisitionRangeDistance = 200000;
    d.m_FibreParams = FibreParamsRecord{20.0f, 1000, 1550, 1.4682f, -79.4f, 30, 3.0f, 0.2f, 52.0f};
    d.m_EventRows[0] = Row(kEventLaunch, 0.0f, -45.123f, 0.0f, 0.0f, 0.0f);
    d.m_EventRows[1] = Row(kEventNonReflective, 5.0f, 0.0f, 0.123f, 0.2f, 1.123f);
    d.m_EventRows[2] = Row(kEventEnd, 12.34567f, -14.5f, 0.0f, 0.19f, 3.456f);
    d.m_nEventCount = 3;
    d.m_nPointCount = 3;
    d.m_SorRecord.DataPts.Traces[0].PointCount = 3;
    d.m_dFibreLengthKm = 0.004;
    d.m_DbSamples.Values = {2.5, 4.999, 5.0};
  }

  std::string Export(const AsciiExportOptions& options, const ExportUnit& unit = kKm) const {
    return ComposeAsciiExport(*doc_, options, unit);
  }

  std::unique_ptr<COtdrDoc> doc_;
};

const std::string kInfo = Crlf(
    "\n"
    "Lumivane Output Data\n"
    "\n"
    "[Base Information]\n"
    "Measure Date   = 2023-05-07 09:03:01\n"
    "CableID        = C1\n"
    "FiberID        = F01\n"
    "FiberType      = Conventional Singlemode Fiber\n"
    "Orig. Location = Site A\n"
    "Term. Location = Site \xC4\n"
    "Operator       = Op\n"
    "\n");

const std::string kParameters = Crlf(
    "[Parameters]\n"
    "Range            = 20.0 km\n"
    "PulseWidth       = 1000 ns\n"
    "WaveLength       = 1550 nm\n"
    "IOR              = 1.46820\n"
    "Scatter Coef.    = -79.4 dB\n"
    "Avg. Time        = 00:00:30\n"
    "End Threshold    = 3.000 dB\n"
    "NRelf. Threshold = 0.200 dB\n"
    "Relf. Threshold  = -52.000 dB\n"
    "\n");

TEST_F(AsciiExportTest, WholeFileWithCommasMatchesTheLayoutByteForByte) {
  const std::string expected = kInfo + kParameters +
                               Crlf("[Event Table]\n"
                                    "    No. ,Type  ,Loc.[km]  Reflect[dB]   ,Ins.Loss[dB]  ,Attn.[dB/km]    Cum.Loss[dB]\n"
                                    "    1,   Start ,0.00000     ,-45.123       ,-.---         ,-.---          ,-.---\n"
                                    "    2,   NRelf.,5.00000     ,-.---       ,0.123         ,0.200          ,1.123\n"
                                    "    3,   End   ,12.34567     ,-14.500       ,-.---         ,0.190          ,3.456\n"
                                    "\n"
                                    "[TraceData]\n"
                                    "0.000,2.500\n"
                                    "0.002,0.001\n"
                                    "0.004,0.000\n");
  EXPECT_EQ(Export(Only(1, 1, 1, 1, 1)), expected);
}

TEST_F(AsciiExportTest, SeparatorGoesBetweenEveryColumnButAfterTheUnitLabels) {
  struct Case {
    int intervalType;
    std::string heading;
    std::string line;
    std::string data;
  };
  const Case cases[] = {
      {0, "    No.  Type   Loc.[km]  Reflect[dB]    Ins.Loss[dB]   Attn.[dB/km]    Cum.Loss[dB]",
       "    2    NRelf. 5.00000      -.---        0.123          0.200           1.123", "0.002 0.001"},
      {2, "    No. \tType  \tLoc.[km]  Reflect[dB]   \tIns.Loss[dB]  \tAttn.[dB/km]    Cum.Loss[dB]",
       "    2\t   NRelf.\t5.00000     \t-.---       \t0.123         \t0.200          \t1.123", "0.002\t0.001"},
      // Any other value writes blanks.
      {7, "    No.  Type   Loc.[km]  Reflect[dB]    Ins.Loss[dB]   Attn.[dB/km]    Cum.Loss[dB]",
       "    2    NRelf. 5.00000      -.---        0.123          0.200           1.123", "0.002 0.001"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.intervalType);
    const std::string text = Export(Only(0, 0, 1, 1, c.intervalType));
    EXPECT_NE(text.find("\r\n" + c.heading + "\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n" + c.line + "\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n" + c.data + "\r\n"), std::string::npos) << text;
  }
}

TEST_F(AsciiExportTest, SectionSwitchesLeaveOutWholeSectionsHeaderIncluded) {
  const std::string all = Export(Only(1, 1, 1, 1));
  const std::size_t events = all.find("[Event Table]");
  const std::size_t data = all.find("[TraceData]");
  ASSERT_NE(events, std::string::npos);
  ASSERT_NE(data, std::string::npos);
  const std::string eventPart = all.substr(events, data - events);
  const std::string dataPart = all.substr(data);

  EXPECT_EQ(all, kInfo + kParameters + eventPart + dataPart);
  EXPECT_EQ(Export(Only(1, 0, 0, 0)), kInfo);
  EXPECT_EQ(Export(Only(0, 1, 0, 0)), kParameters);
  EXPECT_EQ(Export(Only(0, 0, 1, 0)), eventPart);
  EXPECT_EQ(Export(Only(0, 0, 0, 1)), dataPart);
  EXPECT_EQ(Export(Only(0, 1, 0, 1)), kParameters + dataPart);
  EXPECT_EQ(Export(Only(0, 0, 0, 0)), "");
  // The data section has no closing empty line; the file ends with the last pair's line end.
  EXPECT_TRUE(dataPart.ends_with("0.004 0.000\r\n"));
}

TEST_F(AsciiExportTest, OtherUnitsScaleLocationsAndAttenuationsOnly) {
  const std::string kft = Export(Only(0, 1, 1, 1), kKft);
  EXPECT_NE(kft.find("Loc.[kft]  Reflect[dB]    Ins.Loss[dB]   Attn.[dB/kft]    Cum.Loss[dB]\r\n"), std::string::npos);
  // 5 km = 16.40420 kft; 0.2 dB/km = 0.061 dB/kft; cumulative losses and distances of the data stay.
  EXPECT_NE(kft.find("    2    NRelf. 16.40420      -.---        0.123          0.061           1.123\r\n"),
            std::string::npos)
      << kft;
  EXPECT_NE(kft.find("[TraceData]\r\n0.000 2.500\r\n0.002 0.001\r\n"), std::string::npos);

  const std::string mi = Export(Only(0, 0, 1, 0), ExportUnit{"mi", 0.62137119});
  EXPECT_NE(mi.find("    3    End    7.67124      -14.500        -.---          0.306           3.456\r\n"),
            std::string::npos)
      << mi;
}

// The Range line's number is in the unit its label names, and reads as the Parameters pane and the
// report header read it for the same trace.
TEST_F(AsciiExportTest, RangeNumberAndLabelAgreeInEveryLengthUnit) {
  struct Case {
    LengthUnit unit;
    std::string_view number;
  };
  const Case cases[] = {{kLengthUnits[0], "20.0"}, {kLengthUnits[1], "65.6"}, {kLengthUnits[2], "12.4"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.unit.name));
    const std::string text = Export(Only(0, 1, 0, 0), ExportUnit{c.unit.name, c.unit.factor});
    const std::string shown = std::string(c.number) + " " + std::string(c.unit.name);
    EXPECT_NE(text.find("Range            = " + shown + "\r\n"), std::string::npos) << text;
    EXPECT_EQ(ParametersLines(*doc_, c.unit)[0].value, " " + shown);
    const TraceInfoInputs header{doc_->m_SorRecord, doc_->m_TraceDateTime, doc_->m_FibreParams, "", c.unit.name,
                                 c.unit.factor, false, {}};
    EXPECT_EQ(TraceInfoLines(header)[4], "Range :   " + shown);
  }
}

// The reflectance threshold is a negative value (files store its magnitude, a reanalysis the value
// itself): the Parameters pane, the page header and the export format that value, and a threshold
// of 0 carries no sign.
TEST_F(AsciiExportTest, ReflectanceThresholdReadsAsItsNegativeValueOnThePaneThePageAndTheExport) {
  struct Case {
    float stored;
    std::string pane;
    std::string page;
    std::string exported;
  };
  const Case cases[] = {
      {0.0f, "  0.000 dB", "  0.00 dB", "0.000 dB"},        {-0.0f, "  0.000 dB", "  0.00 dB", "0.000 dB"},
      {-9.5f, " -9.500 dB", " -9.50 dB", "-9.500 dB"},      {9.5f, " -9.500 dB", " -9.50 dB", "-9.500 dB"},
      {-65.535f, " -65.535 dB", "-65.54 dB", "-65.535 dB"}, {65.535f, " -65.535 dB", "-65.54 dB", "-65.535 dB"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    doc_->m_FibreParams.ReflectanceThreshold = c.stored;
    EXPECT_EQ(ParametersLines(*doc_, kLengthUnits[0])[8].value, c.pane);
    const TraceInfoInputs header{doc_->m_SorRecord, doc_->m_TraceDateTime, doc_->m_FibreParams, "", "km", 1.0, false, {}};
    EXPECT_EQ(TraceInfoLines(header)[20], "Refl. Threshold : " + c.page);
    const std::string text = Export(Only(0, 1, 0, 0));
    EXPECT_NE(text.find("Relf. Threshold  = " + c.exported + "\r\n"), std::string::npos) << text;
  }
}

TEST_F(AsciiExportTest, MissingValuesAndUnknownEventTypesKeepTheColumns) {
  COtdrDoc& d = *doc_;
  d.m_EventRows[0].CumulativeLoss = kMissingValue;
  d.m_EventRows[1] = Row(kEventReflective, 5.0f, kMissingValue, kMissingValue, kMissingValue, kMissingValue);
  d.m_EventRows[2] = Row(kEventOutOfRange, 7.0f, -30.0f, 0.5f, 0.25f, 2.0f);
  const std::string text = Export(Only(0, 0, 1, 0, 1));
  EXPECT_NE(text.find("    1,   Start ,0.00000     ,-45.123       ,-.---         ,-.---          ,-.---\r\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("    2,   Relf. ,5.00000     ,-.---       ,-.---         ,-.---          ,-.---\r\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("    3,   OverTh,7.00000     ,-30.000       ,0.500         ,0.250          ,2.000\r\n"),
            std::string::npos)
      << text;
}

// A value the event table shows as missing (none measured, or too small to show a sign) is missing
// in the export too, and the launch has no cumulative loss in either.
TEST_F(AsciiExportTest, EventValuesReadAsTheEventTableShowsThem) {
  COtdrDoc& d = *doc_;
  d.m_EventRows[1].SpliceLoss = 0.0f;
  d.m_EventRows[1].Attenuation = 0.00004f;
  d.m_EventRows[2].Reflectance = 0.0f;
  const std::string text = Export(Only(0, 0, 1, 0, 1));
  EXPECT_NE(text.find("    1,   Start ,0.00000     ,-45.123       ,-.---         ,-.---          ,-.---\r\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("    2,   NRelf.,5.00000     ,-.---       ,-.---         ,-.---          ,1.123\r\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("    3,   End   ,12.34567     ,-.---       ,-.---         ,0.190          ,3.456\r\n"),
            std::string::npos)
      << text;
}

TEST_F(AsciiExportTest, ParameterEdgeCases) {
  COtdrDoc& d = *doc_;
  d.m_FibreParams.Range = 0.0f;
  d.m_FibreParams.ReflectanceThreshold = -56.0f;  // as a reanalysis stores it
  d.m_SorRecord.GenParams.FiberType = 654;
  const std::string para = Export(Only(0, 1, 0, 0));
  EXPECT_NE(para.find("Range            = Auto               \r\n"), std::string::npos) << para;
  EXPECT_NE(para.find("Relf. Threshold  = -56.000 dB\r\n"), std::string::npos) << para;
  EXPECT_NE(Export(Only(1, 0, 0, 0)).find("FiberType      = \r\n"), std::string::npos);
}

TEST_F(AsciiExportTest, FirstSampleIsLeftOutOfTheReferenceLevel) {
  doc_->m_DbSamples.Values[0] = 9.0;
  const std::string data = Export(Only(0, 0, 0, 1));
  EXPECT_EQ(data, "[TraceData]\r\n0.000 -4.000\r\n0.002 0.001\r\n0.004 0.000\r\n");
}

TEST_F(AsciiExportTest, TraceDataDistancesCountFromTheUsersZero) {
  // The user's zero lies 49 time units (1.0 m at this group index) after the first sample.
  doc_->m_SorRecord.FxdParams.GroupIndex = 146800;
  doc_->m_SorRecord.GenParams.UserOffset = 49;
  const std::string data = Export(Only(0, 0, 0, 1));
  EXPECT_EQ(data, "[TraceData]\r\n-0.001 2.500\r\n0.001 0.001\r\n0.003 0.000\r\n");
}

TEST_F(AsciiExportTest, TextsBeyondEightBitsBecomeQuestionMarks) {
  SelectLanguage(LanguageColumn::Chinese);
  const std::string text = Export(Only(1, 0, 0, 0));
  SelectLanguage(LanguageColumn::English);
  EXPECT_TRUE(text.starts_with("\r\nLumivane????\r\n\r\n")) << text;
  EXPECT_EQ(text.find('\0'), std::string::npos);
}

TEST(AsciiExportTimeTest, AveragingTimes) {
  InitLanguageTable();
  SelectLanguage(LanguageColumn::English);
  const std::pair<int, const char*> cases[] = {
      {0, "Unlimited"}, {59, "00:00:59"}, {30, "00:00:30"},     {3599, "00:59:59"},
      {7200, "02:00:00"}, {7201, "Over Limit"}, {3661, "01:01:01"}, {-1, "Over Limit"},
  };
  for (const auto& [seconds, text] : cases) EXPECT_EQ(ExportAveragingTime(seconds), text) << seconds;
}

TEST(AsciiExportFileNameTest, TxtIsAppendedUnlessTheNameEndsSoInAnyCase) {
  const std::pair<const char*, const char*> cases[] = {
      {"/tmp/trace", "/tmp/trace.txt"},
      {"/tmp/trace.TXT", "/tmp/trace.TXT"},
      {"/tmp/trace.txt", "/tmp/trace.txt"},
      {"/tmp/trace.txt.bak", "/tmp/trace.txt.bak.txt"},
      {"txt", "txt.txt"},
  };
  for (const auto& [chosen, written] : cases) EXPECT_EQ(AsciiExportFileName(chosen), written);
}

}  // namespace
