#include "document/trace_preview.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "sor_image_builder.h"
#include "preview_fixture.h"
#include "preview_matches_open.h"
#include "sor_map_edits.h"
#include "sor_test_util.h"
#include "temp_dir.h"
#include "vocabulary/text_table.h"

namespace {

using lumivane::test::Bytes;
using lumivane::test::SorImageBuilder;

struct PreviewSpec {
  std::uint32_t stamp = 1330956429;  // 2012-03-05 14:07:09
  std::string units = "mt";
  std::int16_t wavelength = 15500;
  std::vector<std::int16_t> pulseWidths = {1000};
  std::int32_t groupIndex = 146800;
  std::int32_t acquisitionRange = 0;
  std::int32_t rangeDistance = 500000;
  std::int16_t events = 7;
  std::int32_t userOffset = 0;         // GenParams
  std::int32_t acquisitionOffset = 0;  // FxdParams
};

void PreviewFxdParams(SorImageBuilder& b, const PreviewSpec& spec) {
  b.Block("FxdParams").U32(spec.stamp).Fixed(spec.units, 2).I16(spec.wavelength).I32(spec.acquisitionOffset).I32(0);
  b.I16(static_cast<std::int16_t>(spec.pulseWidths.size()));
  for (std::int16_t width : spec.pulseWidths) b.I16(width);
  for (std::size_t i = 0; i < spec.pulseWidths.size(); ++i) b.I32(50000);
  for (std::size_t i = 0; i < spec.pulseWidths.size(); ++i) b.I32(3);
  b.I32(spec.groupIndex).I16(-800).I32(4000).I16(300).I32(spec.acquisitionRange).I32(spec.rangeDistance);
  b.I32(0).U16(45000).I16(1000).U16(0).U16(50).U16(40000).U16(3000).Fixed("ST", 2).I32(0).I32(0).I32(0).I32(0);
}

void PreviewKeyEvents(SorImageBuilder& b, std::int16_t events) {
  b.Block("KeyEvents").I16(events);
  for (int k = 0; k < events; ++k) {
    b.I16(static_cast<std::int16_t>(k + 1)).I32(k * 100).I16(0).I16(0).I32(0).Fixed("0F9999", 6).Fixed("LS", 2);
    for (int m = 0; m < 5; ++m) b.I32(k * 100);
    b.Text("");
  }
  b.I32(0).I32(0).I32(0).U16(0).I32(0).I32(0);
}

/// A revision-2 file with the header fields the preview shows and a short trace.
Bytes MakePreviewImage(const PreviewSpec& spec = {}) {
  SorImageBuilder b;
  b.Block("GenParams").Fixed("EN", 2).Text("CABLE").Text("FIBRE").I16(652).I16(1550).Text("A").Text("B");
  b.Text("CODE").Fixed("BC", 2).I32(spec.userOffset).I32(0).Text("OP").Text(std::string(150, 'g'));
  PreviewFxdParams(b, spec);
  PreviewKeyEvents(b, spec.events);
  b.Block("DataPts").I32(3).I16(1).I32(3).I16(1000).U16(1000).U16(1100).U16(1200);
  b.Block("Cksum");
  return b.BuildV2();
}

std::string Text(const std::string& label, const std::string& value) { return label + value + "\r\n"; }

using TracePreviewTest = lumivane::test::PreviewFixture;

TEST_F(TracePreviewTest, ShowsTheFiveHeaderLinesOfAFile) {
  PreviewSpec feet;
  feet.stamp = 951825599;  // 2000-02-29 11:59:59
  feet.units = "ft";
  feet.rangeDistance = 10000;
  feet.pulseWidths = {100, 1000, 10000};
  feet.wavelength = 13105;
  feet.events = 0;
  PreviewSpec miles;
  miles.stamp = 0;
  miles.units = "mi";
  miles.wavelength = 1625;
  miles.rangeDistance = 1234567;
  miles.events = 1000;
  struct Case {
    const char* name;
    PreviewSpec spec;
    std::string text;
    const char* unit;
  };
  const Case cases[] = {
      {"metres", PreviewSpec{},
       Text("Measure Date(m/d/y): ", "  03/05/2012 14:07:09") + Text("Range:                  ", "50.000km") +
           Text("PulseWidth:         ", "1000ns") + Text("Waveleng:           ", "1550nm") +
           Text("Event Number:   ", "7"),
       "km"},
      {"feet", feet,
       Text("Measure Date(m/d/y): ", "  02/29/2000 11:59:59") + Text("Range:                  ", "3.281kft") +
           Text("PulseWidth:         ", "10000ns") + Text("Waveleng:           ", "1311nm") +
           Text("Event Number:   ", "0"),
       "kft"},
      {"miles", miles,
       Text("Measure Date(m/d/y): ", "  01/01/1970 00:00:00") + Text("Range:                  ", "76.712mi") +
           Text("PulseWidth:         ", "1000ns") + Text("Waveleng:           ", "1625nm") +
           Text("Event Number:   ", "1000"),
       "mi"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir_.WriteFile(std::string(c.name) + ".sor", MakePreviewImage(c.spec));
    EXPECT_EQ(TracePreviewTextOfPath(path), c.text);
    EXPECT_EQ(g_FileUnitName, c.unit);
    EXPECT_EQ(g_PreviewUnitName, c.unit);
  }
}

TEST_F(TracePreviewTest, ConvertsRangeUnitsWavelengthAndPulseWidths) {
  struct Case {
    const char* name;
    PreviewSpec spec;
    float range;
    std::int16_t pulseWidth;
    std::int16_t wavelength;
    const char* fileUnit;
    const char* previewUnit;
  };
  PreviewSpec feet;
  feet.units = "ft";
  feet.rangeDistance = 10000;
  PreviewSpec miles;
  miles.units = "mi";
  miles.rangeDistance = 100000;
  PreviewSpec wholeNm;
  wholeNm.wavelength = 1625;
  PreviewSpec tenths;
  tenths.wavelength = 16250;
  PreviewSpec widths;
  widths.pulseWidths = {100, 1000, 10000};
  PreviewSpec noDistance;
  noDistance.rangeDistance = 0;
  noDistance.acquisitionRange = 489700;
  PreviewSpec noGroupIndex = noDistance;
  noGroupIndex.groupIndex = 0;
  PreviewSpec kilometres;
  kilometres.units = "km";
  kilometres.rangeDistance = 500;  // 0.1 km
  // The range is a duration: offsets move where it starts, not how long it is.
  PreviewSpec offsets = noDistance;
  offsets.userOffset = 400;
  offsets.acquisitionOffset = 100;
  const Case cases[] = {
      {"feet", feet, 3.280839895f, 1000, 1550, "kft", "kft"},
      {"miles", miles, 6.2137119f, 1000, 1550, "mi", "mi"},
      {"whole nm", wholeNm, 50.0f, 1000, 1625, "km", "km"},
      {"tenths", tenths, 50.0f, 1000, 1625, "km", "km"},
      {"last pulse width wins", widths, 50.0f, 10000, 1550, "km", "km"},
      {"range from the time range", noDistance, static_cast<float>(2.99792458 / 146800 * 489700), 1000, 1550,
       "km", "km"},
      {"no group index", noGroupIndex, 0.0f, 1000, 1550, "km", "km"},
      {"other units kept", kilometres, 50.0f, 1000, 1550, "km", "km"},
      {"offsets", offsets, static_cast<float>(2.99792458 / 146800 * 489700), 1000, 1550, "km", "km"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Bytes image = MakePreviewImage(c.spec);
    TracePreview preview;
    std::string fileUnit;
    std::string previewUnit;
    ASSERT_EQ(ReadTracePreview(image, preview, fileUnit, previewUnit), -1);
    EXPECT_FLOAT_EQ(preview.Range, c.range);
    EXPECT_EQ(preview.PulseWidth, c.pulseWidth);
    EXPECT_EQ(preview.Wavelength, c.wavelength);
    EXPECT_EQ(preview.EventCount, 7);
    EXPECT_EQ(fileUnit, c.fileUnit);
    EXPECT_EQ(previewUnit, c.previewUnit);
  }
}

TEST_F(TracePreviewTest, RefusesWhatItCannotShow) {
  Bytes exact = MakePreviewImage();
  exact.resize(MaxTraceFileSize, 0);
  Bytes tooLarge = exact;
  tooLarge.push_back(0);
  Bytes shortMap = MakePreviewImage();
  shortMap.resize(250);
  const Bytes revision1 = [] {
    Bytes image = MakePreviewImage();
    image[0] = 'X';
    return image;
  }();
  SorImageBuilder wrongRevision;
  wrongRevision.Block("GenParams").Raw(Bytes(300, 'g'));
  wrongRevision.Block("FxdParams").Raw(Bytes(60, 0));

  struct Case {
    const char* name;
    Bytes bytes;
    std::string expected;
  };
  const std::string crcText = "CRC in file wrong!\nContinue please click 'Yes',or Cancel please click 'No'";
  const Case cases[] = {
      {"exact.sor", exact, "Measure Date(m/d/y):   03/05/2012 14:07:09\r\n"},
      {"large.sor", tooLarge, "File too large !"},
      {"a.sor", Bytes(199, 'M'), crcText},
      {"A.SOR", Bytes(199, 'M'), "Format of file wrong!"},  // short files: suffix compared as selected
      {"a.dat", Bytes(199, 'M'), "Format of file wrong!"},
      {"short.sor", shortMap, g_CurrentStrings[TextRow::FileHoldsNoTrace]},
      {"old.sor", revision1, "Format of file wrong!"},
      {"rev100.sor", wrongRevision.BuildV2(100), ""},
      {"trace.trc", MakePreviewImage(), ""},
      {"empty.sor", Bytes{}, crcText},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string text = TracePreviewTextOfPath(dir_.WriteFile(c.name, c.bytes));
    if (c.expected.ends_with("\r\n")) {
      EXPECT_TRUE(text.starts_with(c.expected)) << text;
    } else {
      EXPECT_EQ(text, c.expected);
    }
  }
}

TEST_F(TracePreviewTest, ShowsBlanksForWhatIsNotARegularFile) {
  const std::string fifo = dir_.Path("pipe.sor");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(TracePreviewTextOfPath(fifo), "   ");  // and does not block on it
  EXPECT_EQ(TracePreviewTextOfPath(dir_.path().string()), "   ");
  EXPECT_EQ(TracePreviewTextOfPath(dir_.Path("missing.sor")), "   ");
}

// The preview reads every file as File Open does: a map that lies, a block of size 0 or listed
// twice, a damaged block name and a file cut short show what the open shows, with its warning.
TEST_F(TracePreviewTest, ShowsWhatOpeningTheFileShows) {
  using namespace lumivane::test;
  const Bytes sample = MakeSampleSorV2();
  Bytes cut = sample;
  cut.resize(cut.size() - 100);
  const struct {
    const char* name;
    Bytes bytes;
  } cases[] = {
      {"sound", sample},
      {"map count 1", WithMapCount(sample, 1)},
      {"map count beyond the entries", WithMapCount(sample, 30)},
      {"KeyEvents of size 0", WithMapEntrySize(sample, "KeyEvents", 0)},
      {"FxdParams of size 0", WithMapEntrySize(sample, "FxdParams", 0)},
      {"DataPts listed twice", WithMapEntryRepeated(sample, "DataPts")},
      {"KeyEvents listed twice", WithMapEntryRepeated(sample, "KeyEvents")},
      {"FxdParams named fxdParams", WithBlockNameDamaged(sample, "FxdParams", 'f')},
      {"KeyEvents named keyEvents", WithBlockNameDamaged(sample, "KeyEvents", 'k')},
      {"cut short", cut},
      {"no data points", WithMapEntrySize(sample, "DataPts", 0)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectPreviewMatchesOpen(dir_.WriteFile(std::string(c.name) + ".sor", c.bytes));
  }
}

TEST_F(TracePreviewTest, ShowsTheOpensWarningAfterTheLinesAndItsRefusalAlone) {
  Bytes cut = MakePreviewImage();
  cut.resize(cut.size() - 4);
  const std::string damaged = TracePreviewTextOfPath(dir_.WriteFile("cut.sor", cut));
  EXPECT_TRUE(damaged.starts_with("Measure Date(m/d/y):   03/05/2012 14:07:09\r\n")) << damaged;
  EXPECT_TRUE(damaged.ends_with("\r\n" + g_CurrentStrings[TextRow::FileDamaged])) << damaged;

  SorImageBuilder noTrace;
  noTrace.Block("GenParams").Fixed("EN", 2).Text(std::string(300, 'g'));
  noTrace.Block("Cksum");
  EXPECT_EQ(TracePreviewTextOfPath(dir_.WriteFile("empty.sor", noTrace.BuildV2())),
            g_CurrentStrings[TextRow::FileHoldsNoTrace]);
  EXPECT_EQ(g_FileUnitName, "km") << "a refused file leaves the unit of the file read before";
}

TEST_F(TracePreviewTest, ReadsWhatTheOpenReadsForTheBatchCounts) {
  TracePreview preview;
  std::string fileUnit = "unchanged";
  std::string previewUnit = "unchanged";
  EXPECT_EQ(ReadTracePreview(Bytes(400, 0), preview, fileUnit, previewUnit), TextRow::FileHoldsNoTrace);
  SorImageBuilder b;
  b.Block("GenParams").Raw(Bytes(300, 'g'));
  EXPECT_EQ(ReadTracePreview(b.BuildV2(100), preview, fileUnit, previewUnit), TextRow::VersionWrong);
  EXPECT_EQ(fileUnit, "unchanged");
  // Revision 1 opens, so its header is read too.
  EXPECT_EQ(ReadTracePreview(lumivane::test::MakeSampleSorV1(), preview, fileUnit, previewUnit), -1);
  EXPECT_EQ(preview.EventCount, 3);
  EXPECT_EQ(fileUnit, "km");
}

}  // namespace
