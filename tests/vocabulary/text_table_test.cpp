#include "vocabulary/text_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct RowText {
  LangRow row;
  std::string text;
};

class TextTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitLanguageTable();
    SelectLanguage(LanguageColumn::English);
  }
};

// The texts as the rest of the program quotes them where it shows them; blanks and line feeds count.
TEST_F(TextTableTest, RowsHoldTheTextsTheirReadersQuote) {
  const std::vector<RowText> quoted = {
      {0, "Delete the Event ?"},
      {1, "Can't find file !"},
      {2, "User modify"},
      {3, "User add"},
      {4, "Event Number:   "},
      {5, "Waveleng:           "},
      {6, "PulseWidth:         "},
      {7, "Range:                  "},
      {8, "Measure Date(m/d/y): "},
      {9, "CRC in file wrong!\nContinue please click 'Yes',or Cancel please click 'No'"},
      {10, "Format of file wrong!"},
      {12, "Format of file wrong!"},
      {13, "File too large !"},
      {14, "Non-Zero Dispersion Shifted Singlemode Fiber"},
      {15, "Multi-Mode Fiber"},
      {16, "Conventional Singlemode Fiber"},
      {17, "Dispersion Shifted Fiber"},
      {22, "There's No File In OTDR!"},
      {23, "Connecting Port......"},
      {24, "Can't Read Data,Ensure the OTDR is Connected."},
      {25, "Can't Open Port,Ensure the Port is Free!"},
      {26, "Select Directory"},
      {27, "Lumivane V3.30.007"},
      {28, "Type of file wrong !"},
      {32, "Start "},
      {34, "Add Event"},
      {36, "Dist.End"},
      {37, "Dist.Prev."},
      {38, "NonRefl."},
      {39, "Refl."},
      {40, "End"},
      {41, "Start"},
      {42, "Lumivane"},
      {43, "Fiber Type"},
      {44, "Term.Location"},
      {45, "Orig.Location"},
      {46, "Fiber ID"},
      {47, "Cable ID"},
      {54, "Version of file wrong !"},
      {55, "Not Bellcore File !"},
      {56, "Read file failed !"},
      {67, "Unlimited"},
      {69, "Total Length:"},
      {70, "Total Loss:"},
      {71, "Total Attn.:"},
      {72, "Comment"},
      {73, "No."},
      {74, "Type"},
      {75, "Location"},
      {76, "Refl."},
      {77, "Ins.Loss"},
      {78, "Attn."},
      {79, "Cum.Loss"},
      {80, "Trace"},
      {81, "Event Table"},
      {82, "Parameters"},
      {83, "Marker Information"},
      {84, "Total Fiber Information"},
      {86, "Range : "},
      {87, "Measure Date"},
      {88, "Operator"},
      {89, "PulseWidth : "},
      {90, "Wavelength : "},
      {91, "IOR : "},
      {92, "Scatter Coef. : "},
      {93, "Average Time : "},
      {94, "Refl. Threshold : "},
      {95, "NRefl.Threshold : "},
      {96, "End Threshold : "},
      {105, "OK"},
      {106, "Cancel"},
      {107, "Trace Information"},
      {126, "Port"},
      {127, "RS232"},
      {128, "BaudRate"},
      {129, "DataBit"},
      {130, "Parity"},
      {131, "StopBit"},
      {132, "Communications Settings"},
      {133, "Show Grid"},
      {134, "Dotted Trace"},
      {135, "Show Event Bar"},
      {136, "View Preferences"},
      {137, "Event Type"},
      {138, "Location"},
      {139, "Reflectance"},
      {140, "Attenuation"},
      {141, "Ins. Loss"},
      {142, "Cum. Loss"},
      {151, "Print Options"},
      {152, "Upload Trace File"},
      {153, "About Lumivane"},
      {156, "Measure Date   = "},
      {157, "CableID        = "},
      {158, "FiberID        = "},
      {159, "FiberType      = "},
      {160, "Orig. Location = "},
      {161, "Term. Location = "},
      {162, "Operator       = "},
      {164, "Auto               "},
      {165, "Range            = "},
      {166, "PulseWidth       = "},
      {167, "WaveLength       = "},
      {168, "IOR              = "},
      {169, "Scatter Coef.    = "},
      {170, "Avg. Time        = "},
      {171, "End Threshold    = "},
      {172, "NRelf. Threshold = "},
      {173, "Relf. Threshold  = "},
      {175, "    No. "},
      {176, "Type  "},
      {177, "Loc.["},
      {178, "Reflect[dB]   "},
      {179, "Ins.Loss[dB]  "},
      {180, "Attn.[dB/"},
      {182, "Start "},
      {183, "End   "},
      {184, "Relf. "},
      {185, "NRelf."},
      {187, "Files more than "},
      {188, "Batch Edit"},
      {201, "   Continue ?   "},
      {202, "Format Error"},
      {212, "Warning! Select new version please!"},
      {213, "Markers A/B"},
      {214, "Marker "},
      {215, "A-B: "},
      {216, "2pt. Loss: "},
      {217, "2pt. Attenuation: "},
      {218, "LSA-Attenuation: "},
      {219, "Position: "},
      {220, "Ins. Loss at #"},
      {221, "Reflectance at #"},
      {222, "Cum.Loss to "},
      {223, "Length Unit"},
      {224, "Meters"},
      {225, "Feet"},
      {226, "Miles"},
      {227, "Length Units"},
      {230, "Loss Prev."},
      {231, "File"},
      {232, "Device : "},
      {236, "Event Table"},
      {250, "2pt. ORL:"},
      {251, "Total ORL:"},
      {322, "Signature :"},
      {334, "OverThre"},
      {335, "Range:"},
      {336, "JobID"},
      {337, "Customer"},
      {338, "Open Max Trace is 4"},
      {339, "OTDR Report"},
  };
  for (const RowText& expected : quoted) {
    EXPECT_EQ(g_CurrentStrings[expected.row], expected.text) << "row " << expected.row;
  }
}

TEST_F(TextTableTest, BlankSensitiveRowsKeepTheirExactLength) {
  const std::vector<RowText> cases = {
      {TextRow::Blank, " "},
      {4, "Event Number:" + std::string(3, ' ')},
      {5, "Waveleng:" + std::string(11, ' ')},
      {6, "PulseWidth:" + std::string(9, ' ')},
      {7, "Range:" + std::string(18, ' ')},
      {164, "Auto" + std::string(15, ' ')},
      {TextRow::ContinueQuestion, "   Continue ?   "},
  };
  for (const RowText& expected : cases) {
    EXPECT_EQ(g_CurrentStrings[expected.row], expected.text) << "row " << expected.row;
  }
  // The text export lines its values up behind these labels.
  for (LangRow row : {156, 157, 158, 159, 160, 161, 162}) {
    EXPECT_EQ(g_CurrentStrings[row].size(), 17u) << "row " << row;
  }
  for (LangRow row : {165, 166, 167, 168, 169, 170, 171, 172, 173}) {
    EXPECT_EQ(g_CurrentStrings[row].size(), 19u) << "row " << row;
  }
}

TEST_F(TextTableTest, FillLeavesUnassignedRowsEmptyAndTheLastAssignmentStands) {
  EXPECT_EQ(g_CurrentStrings[TextRow::Apply], "Apply");
  EXPECT_EQ(g_CurrentStrings[TextRow::OtdrReport], "OTDR Report");
  for (LangRow row = 203; row <= 210; ++row) {
    for (int column = 0; column < kLanguageCount; ++column) {
      EXPECT_EQ(g_LanguageTable[row][column], "") << "row " << row << " column " << column;
    }
  }
  // Every row of the original table the program reads has an English text: none lost or shifted
  // by the fill. The program's own messages from row 341 on are counted by their users' tests.
  int filled = 0;
  for (LangRow row = 0; row < 341; ++row) {
    filled += g_CurrentStrings[row].empty() ? 0 : 1;
  }
  EXPECT_EQ(filled, 282);
}

TEST_F(TextTableTest, EditionBrandingFillsTheFirstFourColumns) {
  struct BrandingCase {
    LangRow row;
    std::vector<std::string> texts;  // English, Chinese, Spanish, Portuguese, Italian, Polish
  };
  const std::vector<BrandingCase> cases = {
      {TextRow::ProductTitleVersion,
       {"Lumivane V3.30.007", "Lumivane V3.30.007", "Lumivane V3.30.007", "Lumivane V3.30.007", "", ""}},
      {TextRow::MainWindowTitle, {"Lumivane", "Lumivane", "Lumivane", "Lumivane", "", ""}},
      {TextRow::AboutCaption,
       {"About Lumivane", "\xE5\x85\xB3\xE4\xBA\x8E Lumivane", "About Lumivane", "About Lumivane", "", ""}},
      {TextRow::ExportHeader,
       {"\nLumivane Output Data\n\n", "\nLumivane\xE8\xBE\x93\xE5\x87\xBA\xE6\x95\xB0\xE6\x8D\xAE\n\n",
        "\nDatos de salida de Lumivane\n\n", "\nLumivane Output Data\n\n", "", ""}},
      {TextRow::AboutLowerLine, {"", "", "", "", "", ""}},
      {TextRow::AboutMiddleLine, {"", "", "", "", "", ""}},
  };
  for (const BrandingCase& expected : cases) {
    for (int column = 0; column < kLanguageCount; ++column) {
      EXPECT_EQ(g_LanguageTable[expected.row][column], expected.texts[column])
          << "row " << expected.row << " column " << column;
    }
  }
}

TEST_F(TextTableTest, SelectLanguageCopiesOneColumn) {
  struct LanguageCase {
    int column;
    std::string deleteEvent;   // row 0
    std::string cantFindFile;  // row 1
    std::string notBellcore;   // row 55
    std::string cancel;       // row 106
  };
  // UTF-8 bytes are spelled out so the check does not depend on the source file's encoding.
  const std::vector<LanguageCase> cases = {
      {LanguageColumn::English, "Delete the Event ?", "Can't find file !", "Not Bellcore File !", "Cancel"},
      {LanguageColumn::Chinese, "\xE5\x88\xA0\xE9\x99\xA4\xE8\xAF\xA5\xE4\xBA\x8B\xE4\xBB\xB6?",
       "\xE6\x89\xBE\xE4\xB8\x8D\xE5\x88\xB0\xE6\x96\x87\xE4\xBB\xB6",
       "\xE9\x9D\x9E" "Bellcore\xE6\xA0\xBC\xE5\xBC\x8F\xE6\x96\x87\xE4\xBB\xB6!", "\xE5\x8F\x96\xE6\xB6\x88"},
      {LanguageColumn::Spanish, "\xC2\xBF" "Eliminar el Evento?", "No se puede encontrar el archivo!",
       "No Archivo Bellcore!", "Cancelar"},
      {LanguageColumn::Portuguese, "Delete the Event ?", "Can't find file !", "Sem arq Bellcore", "Cancelar"},
      {LanguageColumn::Italian, "Elimina evento ?", "Non trovo File!", "File non Bellcore!", "Cancella"},
      {LanguageColumn::Polish, "Usunac zdarzenie?", "Nie znaleziono pliku!", "Zly plik - nie Bellcore!", "Anuluj"},
  };
  for (const LanguageCase& expected : cases) {
    SelectLanguage(expected.column);
    EXPECT_EQ(g_CurrentStrings[TextRow::DeleteTheEvent], expected.deleteEvent) << "column " << expected.column;
    EXPECT_EQ(g_CurrentStrings[TextRow::CantFindFile], expected.cantFindFile) << "column " << expected.column;
    EXPECT_EQ(g_CurrentStrings[TextRow::NotBellcoreFile], expected.notBellcore) << "column " << expected.column;
    EXPECT_EQ(g_CurrentStrings[TextRow::Cancel], expected.cancel) << "column " << expected.column;
    // A row without a translation shows its English text rather than nothing.
    EXPECT_EQ(g_CurrentStrings[TextRow::TracePane], "Trace") << "column " << expected.column;
    for (LangRow row = 0; row < kLangRowCount; ++row) {
      ASSERT_EQ(g_CurrentStrings[row], g_LanguageTable[row][expected.column]) << "row " << row;
    }
  }
}

TEST_F(TextTableTest, ColumnOutOfRangeSelectsEnglish) {
  for (int column : {-1, kLanguageCount}) {
    SelectLanguage(LanguageColumn::Chinese);
    SelectLanguage(column);
    EXPECT_EQ(g_CurrentStrings[TextRow::CantFindFile], "Can't find file !") << "column " << column;
  }
}

}  // namespace
