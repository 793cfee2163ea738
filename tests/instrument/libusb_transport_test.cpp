#include "instrument/libusb_transport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>

#include "instrument/upload_progress_view.h"
#include "sor/sor_record.h"
#include "upload_test_support.h"
#include "usbdevfs_instrument.h"
#include "vocabulary/text_table.h"

using namespace lumivane::test;

namespace {

const UsbDeviceConfig kInstrument = *ParseUsbDeviceConfig("1209:a5a5");
constexpr ReceiveLimits kLimits{1500, 500};

class LibusbTransportTest : public UploadRunTest {
 protected:
  void SetUp() override {
    const char* preload = std::getenv("LD_PRELOAD");
    ASSERT_TRUE(preload != nullptr && std::strstr(preload, "libumockdev-preload") != nullptr)
        << "run the test under umockdev-wrapper";
    InitLanguageTable();
    SelectLanguage(LanguageColumn::English);
  }

  std::string Message() {
    ProgressCreep creep;
    return UpdateProgressView(progress_.count.load(), progress_.index.load(),
                              {progress_.unwritten.load(), progress_.renamed.load()}, creep).text;
  }
};

std::vector<Bytes> CommandsOf(const std::vector<UsbExchange>& conversation, std::size_t count) {
  std::vector<Bytes> commands;
  for (std::size_t i = 0; i < count; ++i) commands.push_back(conversation[i].command);
  return commands;
}

}  // namespace

// Without a named device the link never looks at the bus: the upload ends at once with "no instrument".
TEST_F(LibusbTransportTest, WithoutANamedDeviceNoInstrumentIsFound) {
  LibusbTransport link(UsbDeviceConfig{});
  Run(link);
  EXPECT_EQ(progress_.count.load(), UploadOpenFailed);
  EXPECT_EQ(progress_.index.load(), 0);
  EXPECT_FALSE(std::filesystem::exists(folder_));
}

// The link opens only the named device whose interface it can claim, and starts only when that
// interface has both endpoints; a failed start gives the interface back.
TEST_F(LibusbTransportTest, OnlyTheNamedClaimableDeviceWithBothEndpointsIsUsed) {
  struct Case {
    const char* what;
    UsbDeviceConfig device;
    bool busy;
    std::int32_t status;
  };
  UsbDeviceConfig otherDevice = kInstrument, otherEndpoint = kInstrument;
  otherDevice.productId = 0x0001;
  otherEndpoint.replyEndpoint = 0x83;
  const Case cases[] = {
      {"another device", otherDevice, false, UploadOpenFailed},
      {"the interface held by another program", kInstrument, true, UploadOpenFailed},
      {"no reply endpoint", otherEndpoint, false, UploadStartFailed},
  };
  const InstrumentScript script{1, {{Record11("A.SOR"), Content(FixedUploadFileSize, 1)}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::create_directory(folder_);
    UsbdevfsInstrument instrument(c.device, ConversationOf(script));
    instrument.interfaceBusy = c.busy;
    LibusbTransport link(kInstrument, kLimits);
    Run(link);
    EXPECT_EQ(progress_.count.load(), c.status);
    EXPECT_TRUE(instrument.Commands().empty());
    EXPECT_EQ(instrument.ClaimedInterfaces(), 0);
    EXPECT_FALSE(std::filesystem::exists(folder_));
  }
}

TEST_F(LibusbTransportTest, AWholeUploadIsStoredByteForByte) {
  struct Case {
    const char* what;
    InstrumentScript script;
    std::map<std::string, Bytes> stored;
  };
  Bytes everyByteValue(FixedUploadFileSize);
  for (std::size_t i = 0; i < everyByteValue.size(); ++i) everyByteValue[i] = static_cast<std::uint8_t>(i);
  const Bytes a = Content(FixedUploadFileSize, 1), c = Content(FixedUploadFileSize, 3);
  const Bytes small = Content(1000, 4), large = Content(0x10001, 5);
  const Case cases[] = {
      {"three fixed-length files",
       {3, {{Record11("A.SOR"), a}, {Record11("BYTES.SOR"), everyByteValue}, {Record11("C.SOR"), c}}},
       {{"A.SOR", a}, {"BYTES.SOR", everyByteValue}, {"C.SOR", c}}},
      // The length field carries only the low 16 bits: 0x10001 goes on the wire as 1.
      {"explicit lengths past 16 bits",
       {20002, {{Record16("S.SOR", 1000), small}, {Record16("L.SOR", 0x10001), large}}},
       {{"S.SOR", small}, {"L.SOR", large}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::create_directory(folder_);
    const auto conversation = ConversationOf(c.script);
    UsbdevfsInstrument instrument(kInstrument, conversation);
    LibusbTransport link(kInstrument, kLimits);
    Run(link);
    const auto files = static_cast<std::int32_t>(c.script.files.size());
    EXPECT_EQ(progress_.count.load(), files);
    EXPECT_EQ(progress_.index.load(), files);
    EXPECT_EQ(instrument.Commands(), CommandsOf(conversation, conversation.size()));
    EXPECT_TRUE(instrument.ClearedHalts().empty());
    EXPECT_EQ(instrument.ClaimedInterfaces(), 0);
    EXPECT_EQ(FilesIn(folder_), c.stored);
    std::filesystem::remove_all(folder_);
  }
}

// A fixed-length file is asked for with 0x4000 in the length field, and all of its 147,456 bytes are read.
TEST_F(LibusbTransportTest, TheFixedFileLengthGoesOnTheWireAsItsLow16Bits) {
  const InstrumentScript script{1, {{Record11("A.SOR"), Content(FixedUploadFileSize, 1)}}};
  UsbdevfsInstrument instrument(kInstrument, ConversationOf(script));
  LibusbTransport link(kInstrument, kLimits);
  Run(link);
  const std::vector<Bytes> sent = {{0, 0, 0, 4, 0, 0x81}, {0, 0, 0, 11, 0, 0x82}, {0, 0, 0, 0x00, 0x40, 0x83}};
  EXPECT_EQ(instrument.Commands(), sent);
  EXPECT_EQ(FilesIn(folder_).at("A.SOR").size(), FixedUploadFileSize);
}

TEST_F(LibusbTransportTest, AFailingDeviceEndsTheUploadWithItsStatusAndNothingHalfStored) {
  using enum DeviceFault::Kind;
  struct Case {
    const char* what;
    InstrumentScript script;
    std::optional<DeviceFault> fault;
    std::size_t shortReply;                  // the reply that ends early with a short packet, or 0
    std::size_t commands;                    // the commands the host gets to send
    std::vector<std::uint8_t> clearedHalts;
    std::map<std::string, Bytes> stored;     // none: the empty folder is removed
    int status = UploadTransferFailed;
    const char* message = "Can't Read Data,Ensure the OTDR is Connected.";
  };
  const Bytes a = Content(FixedUploadFileSize, 1), b = Content(FixedUploadFileSize, 2);
  const InstrumentScript oneFile{1, {{Record11("A.SOR"), a}}};
  const InstrumentScript twoFiles{2, {{Record11("A.SOR"), a}, {Record11("B.SOR"), b}}};
  const Case cases[] = {
      {"stalls mid-file", oneFile, DeviceFault{Stall, 2, 40000}, 0, 3, {0x82}, {}},
      {"stalls in the second file", twoFiles, DeviceFault{Stall, 4, 1000}, 0, 5, {0x82}, {{"A.SOR", a}}},
      {"announces an oversize length", {20001, {{Record16("BIG.SOR", MaxTraceFileSize + 1), Content(16, 1)}}},
       std::nullopt, 0, 2, {}, {}, UploadFileTooLarge, "File too large !"},
      {"disappears mid-transfer", oneFile, DeviceFault{Unplug, 2, 70000}, 0, 3, {}, {}},
      {"sends a short record", oneFile, std::nullopt, 1, 2, {0x82}, {}},
      {"never answers", oneFile, DeviceFault{Silence, 0, 0}, 0, 1, {0x82}, {}},
      {"falls silent mid-file", oneFile, DeviceFault{Silence, 2, 100000}, 0, 3, {0x82}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::create_directory(folder_);
    auto conversation = ConversationOf(c.script);
    if (c.shortReply != 0) conversation[c.shortReply].reply.resize(5);
    UsbdevfsInstrument instrument(kInstrument, conversation);
    instrument.fault = c.fault;
    LibusbTransport link(kInstrument, kLimits);
    Run(link);
    EXPECT_EQ(progress_.count.load(), c.status);
    EXPECT_EQ(progress_.index.load(), 0);
    EXPECT_EQ(Message(), c.message);
    EXPECT_EQ(instrument.Commands(), CommandsOf(conversation, c.commands));
    EXPECT_EQ(instrument.ClearedHalts(), c.clearedHalts);
    if (c.stored.empty()) {
      EXPECT_FALSE(std::filesystem::exists(folder_));
    } else {
      EXPECT_EQ(FilesIn(folder_), c.stored);
    }
    std::filesystem::remove_all(folder_);
  }
}

// A refused command halts the command endpoint in the device, where the halt outlives the
// conversation: the link clears it, so the next upload from the same instrument works.
TEST_F(LibusbTransportTest, ARefusedCommandLeavesTheLinkUsableForTheNextUpload) {
  const InstrumentScript script{1, {{Record11("A.SOR"), Content(FixedUploadFileSize, 6)}}};
  const auto upload = ConversationOf(script);
  // The first upload ends at its refused record command; the second one runs whole.
  std::vector<UsbExchange> conversation = {upload[0], upload[1]};
  conversation.insert(conversation.end(), upload.begin(), upload.end());
  UsbdevfsInstrument instrument(kInstrument, conversation);
  instrument.fault = DeviceFault{DeviceFault::Refuse, 1, 0};

  LibusbTransport first(kInstrument, kLimits);
  Run(first);
  EXPECT_EQ(progress_.count.load(), UploadTransferFailed);
  EXPECT_FALSE(std::filesystem::exists(folder_));

  std::filesystem::create_directory(folder_);
  LibusbTransport second(kInstrument, kLimits);
  Run(second);
  EXPECT_EQ(progress_.index.load(), 1) << Message();
  EXPECT_EQ(instrument.Commands(), CommandsOf(conversation, conversation.size()));
  EXPECT_EQ(FilesIn(folder_), (std::map<std::string, Bytes>{{"A.SOR", script.files[0].content}}));
}

// A reply slower than one read slice arrives over several transfers, each ended by its time limit
// with what came so far; the pieces join into the file exactly, whether the kernel takes each
// transfer whole or libusb cuts it into URBs of 16 KiB.
TEST_F(LibusbTransportTest, ASlowFixedFileCutIntoTimedTransfersReassemblesExactly) {
  const InstrumentScript script{1, {{Record11("A.SOR"), Content(FixedUploadFileSize, 9)}}};
  for (const bool scatterGather : {true, false}) {
    SCOPED_TRACE(scatterGather ? "one URB per transfer" : "URBs of 16 KiB");
    std::filesystem::create_directory(folder_);
    UsbdevfsInstrument instrument(kInstrument, ConversationOf(script));
    instrument.scatterGather = scatterGather;
    instrument.bytesPerMs = 400;  // about 370 ms for the file
    LibusbTransport link(kInstrument, kLimits);
    Run(link);
    EXPECT_EQ(progress_.index.load(), 1) << Message();
    EXPECT_EQ(FilesIn(folder_), (std::map<std::string, Bytes>{{"A.SOR", script.files[0].content}}));

    // The content's URBs in the order they ended: each piece follows the one before, so nothing
    // was read twice or skipped, and more than one transfer ended on its time limit.
    std::vector<ReplyTransfer> content = instrument.ReplyTransfers();
    content.erase(content.begin(), content.begin() + 2);
    std::size_t received = 0, timedOut = 0;
    for (const ReplyTransfer& urb : content) {
      received += urb.got;
      timedOut += urb.status == -ENOENT && urb.got > 0 ? 1 : 0;
    }
    EXPECT_EQ(received, FixedUploadFileSize);
    EXPECT_GE(timedOut, 2u);
    std::filesystem::remove_all(folder_);
  }
}
