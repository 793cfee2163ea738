#include "instrument/upload_worker.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <thread>

#include "document/otdr_doc.h"
#include "instrument/upload_launch.h"
#include "instrument/uploaded_file_store.h"
#include "simulated_instrument.h"
#include "sor/sor_record.h"
#include "temp_dir.h"
#include "upload_test_support.h"

namespace fs = std::filesystem;
using namespace lumivane::test;

namespace {

using UploadWorkerTest = UploadRunTest;

}  // namespace

TEST_F(UploadWorkerTest, EveryFileIsStoredByteForByteInEachLayout) {
  using enum UploadTransportKind;
  struct Case {
    const char* what;
    UploadTransportKind transport;
    InstrumentScript script;
    std::map<std::string, Bytes> stored;
  };
  const Bytes a = Content(FixedUploadFileSize, 1), b = Content(FixedUploadFileSize, 2);
  const Bytes small = Content(1000, 3), empty, largest = Content(MaxTraceFileSize, 4);
  const std::vector<Case> cases = {
      {"fixed 11 over usb", Usb, {2, {{Record11("A.SOR"), a}, {Record11("B.SOR"), b}}}, {{"A.SOR", a}, {"B.SOR", b}}},
      {"fixed 16 over serial", Serial, {10001, {{Record16Name("SIXTEEN_CHARS.SO"), a}}}, {{"SIXTEEN_CHARS.SO", a}}},
      {"explicit 16, a file of no bytes", Usb,
       {20003, {{Record16("S.SOR", 1000), small}, {Record16("E.SOR", 0), empty}, {Record16("L.SOR", MaxTraceFileSize), largest}}},
       {{"S.SOR", small}, {"E.SOR", empty}, {"L.SOR", largest}}},
      {"explicit 32", Serial, {30001, {{Record32("A_LONG_NAME_OF_28_CHARACTERS", 1000), small}}},
       {{"A_LONG_NAME_OF_28_CHARACTERS", small}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(folder_);
    fs::create_directory(folder_);
    SimulatedInstrumentLink link(c.transport, StreamOf(c.script));
    Run(link);
    const auto files = static_cast<std::int32_t>(c.script.files.size());
    EXPECT_EQ(progress_.count.load(), files);
    EXPECT_EQ(progress_.index.load(), files);
    EXPECT_EQ(progress_.unwritten.load(), 0);
    EXPECT_FALSE(link.open);
    EXPECT_EQ(FilesIn(folder_), c.stored);
  }
}

TEST_F(UploadWorkerTest, UsbAsksForEveryReplyWithItsBlock) {
  const InstrumentScript script{20001, {{Record16("A.SOR", 0x12345), Content(0x12345, 1)}}};
  SimulatedInstrumentLink link(UploadTransportKind::Usb, StreamOf(script));
  Run(link);
  const std::vector<Bytes> expected = {
      {0, 0, 0, 0x04, 0x00, 0x81}, {0, 0, 0, 0x10, 0x00, 0x82}, {0, 0, 0, 0x45, 0x23, 0x83}};
  EXPECT_EQ(link.requests, expected);

  // A fixed-length file is asked for with the low 16 bits of its length, yet read whole.
  SimulatedInstrumentLink fixed(UploadTransportKind::Usb, StreamOf({1, {{Record11("F.SOR"), Content(FixedUploadFileSize, 5)}}}));
  Run(fixed);
  ASSERT_EQ(fixed.requests.size(), 3u);
  EXPECT_EQ(fixed.requests[2], (Bytes{0, 0, 0, 0x00, 0x40, 0x83}));
  EXPECT_EQ(FilesIn(folder_).at("F.SOR").size(), FixedUploadFileSize);
}

TEST_F(UploadWorkerTest, AnInstrumentWithoutFilesIsAskedNoRecordAndItsFolderStays) {
  SimulatedInstrumentLink link(UploadTransportKind::Usb, StreamOf({0, {}}));
  Run(link);
  EXPECT_EQ(link.requests.size(), 1u);
  EXPECT_EQ(progress_.count.load(), 0);
  EXPECT_EQ(progress_.index.load(), 0);
  EXPECT_FALSE(link.open);
  EXPECT_TRUE(fs::is_directory(folder_));
}

TEST_F(UploadWorkerTest, EveryFailureEndsWithItsStatusTheLinkClosedAndAnEmptyFolderRemoved) {
  const Bytes content = Content(FixedUploadFileSize, 9);
  std::vector<InstrumentFile> ten;
  for (int k = 0; k < 10; ++k) ten.push_back({Record11("F" + std::to_string(k + 1) + ".SOR"), content});
  const InstrumentScript three{3, {ten[0], ten[1], ten[2]}};
  const std::size_t fileBytes = 11 + FixedUploadFileSize;

  struct Case {
    const char* what;
    InstrumentScript script;
    std::function<void(SimulatedInstrumentLink&)> fault;
    std::int32_t status;
    std::size_t filesLeft;
    std::size_t requests;  // command blocks the instrument was sent
  };
  const std::vector<Case> cases = {
      {"no instrument", three, [](auto& l) { l.refuseOpen = true; }, UploadOpenFailed, 0, 0},
      {"no command channel", three, [](auto& l) { l.refuseStart = true; }, UploadStartFailed, 0, 0},
      {"count refused", three, [](auto& l) { l.refuseRequest = 0; }, UploadTransferFailed, 0, 0},
      {"count short", three, [](auto& l) { l.streamEnd = 3; }, UploadTransferFailed, 0, 1},
      {"40000 announced", {40000, {}}, {}, UploadUnsupportedCount, 0, 1},
      {"negative count", {-1, {}}, {}, UploadUnsupportedCount, 0, 1},
      {"record refused", three, [](auto& l) { l.refuseRequest = 1; }, UploadTransferFailed, 0, 1},
      {"record short", three, [](auto& l) { l.streamEnd = 4 + 5; }, UploadTransferFailed, 0, 2},
      {"content refused", three, [](auto& l) { l.refuseRequest = 2; }, UploadTransferFailed, 0, 2},
      {"content short in file 5 of 10", {10, ten}, [&](auto& l) { l.streamEnd = 4 + 4 * fileBytes + 11 + 100; },
       UploadTransferFailed, 4, 1 + 2 * 5},
      // Longer than any trace file: refused before the content is asked for, nothing past the buffer.
      {"length over the largest file", {20001, {{Record16("BIG.SOR", MaxTraceFileSize + 1), {}}}}, {},
       UploadFileTooLarge, 0, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::create_directory(folder_);
    for (const auto& entry : fs::directory_iterator(folder_)) fs::remove(entry.path());
    SimulatedInstrumentLink link(UploadTransportKind::Usb, StreamOf(c.script));
    if (c.fault) c.fault(link);
    Run(link);
    EXPECT_EQ(progress_.count.load(), c.status);
    EXPECT_EQ(progress_.index.load(), 0);
    EXPECT_FALSE(link.open);
    EXPECT_EQ(link.requests.size(), c.requests);
    EXPECT_EQ(fs::exists(folder_), c.filesLeft > 0);
    if (c.filesLeft > 0) {
      EXPECT_EQ(FilesIn(folder_).size(), c.filesLeft);
    }
  }
}

TEST_F(UploadWorkerTest, AShortReplyPutsTheLinkInOrderAgain) {
  SimulatedInstrumentLink link(UploadTransportKind::Usb, StreamOf({1, {{Record11("A.SOR"), Content(10, 1)}}}));
  link.streamEnd = 4 + 11 + 5;
  Run(link);
  EXPECT_EQ(progress_.count.load(), UploadTransferFailed);
  EXPECT_EQ(link.recoveries, 1);
}

TEST_F(UploadWorkerTest, FilesOfOneNameAreAllKeptUnderNumberedNames) {
  const Bytes first = Content(2000, 1), second = Content(500, 2), third = Content(700, 3), other = Content(90, 4);
  SimulatedInstrumentLink link(UploadTransportKind::Serial,
                               StreamOf({20004,
                                         {{Record16("SAME.SOR", 2000), first},
                                          {Record16("SAME.SOR", 500), second},
                                          {Record16("SAME (2).SOR", 90), other},
                                          {Record16("SAME.SOR", 700), third}}}));
  Run(link);
  EXPECT_EQ(progress_.index.load(), 4);
  EXPECT_EQ(progress_.renamed.load(), 3);
  EXPECT_EQ(progress_.unwritten.load(), 0);
  EXPECT_EQ(FilesIn(folder_), (std::map<std::string, Bytes>{{"SAME.SOR", first},
                                                            {"SAME (2).SOR", second},
                                                            {"SAME (2) (2).SOR", other},
                                                            {"SAME (3).SOR", third}}));
}

TEST(NumberedUploadFileName, TheNumberGoesBeforeTheExtension) {
  EXPECT_EQ(NumberedUploadFileName("A.SOR", 2), "A (2).SOR");
  EXPECT_EQ(NumberedUploadFileName("A.B.sor", 3), "A.B (3).sor");
  EXPECT_EQ(NumberedUploadFileName("file2", 2), "file2 (2)");
  EXPECT_EQ(NumberedUploadFileName(".hidden", 2), ".hidden (2)");
}

TEST_F(UploadWorkerTest, NamesThatWouldLeaveTheFolderStayInIt) {
  const Bytes c1 = Content(10, 1), c2 = Content(20, 2), c3 = Content(30, 3), c4 = Content(40, 4), c5 = Content(50, 5);
  SimulatedInstrumentLink link(UploadTransportKind::Serial,
                               StreamOf({30005,
                                         {{Record32("../OUT.SOR", 10), c1},
                                          {Record32("", 20), c2},
                                          {Record32("..", 30), c3},
                                          {Record32("DIR/B.SOR", 40), c4},
                                          {Record32("CAF\xC9.SOR", 50), c5}}}));
  Run(link);
  EXPECT_EQ(progress_.index.load(), 5);
  const std::map<std::string, Bytes> expected = {
      {".._OUT.SOR", c1}, {"file2", c2}, {"file3", c3}, {"DIR_B.SOR", c4}, {"CAF\xC3\x89.SOR", c5}};
  EXPECT_EQ(FilesIn(folder_), expected);
  EXPECT_FALSE(fs::exists(dir_.path() / "OUT.SOR"));
}

TEST_F(UploadWorkerTest, AFileThatCannotBeStoredIsCountedAndTheOthersAreKept) {
  // A limit on the size of files this process writes makes storing the larger file fail, much as a
  // full disk would (the limit counts for root too).
  const Bytes a = Content(100, 1), b = Content(200, 2), c = Content(50, 3);
  SimulatedInstrumentLink link(UploadTransportKind::Usb,
                               StreamOf({20003, {{Record16("A.SOR", 100), a}, {Record16("B.SOR", 200), b}, {Record16("C.SOR", 50), c}}}));
  rlimit before{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = before;
  small.rlim_cur = 150;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  Run(link);
  ::setrlimit(RLIMIT_FSIZE, &before);
  std::signal(SIGXFSZ, previousHandler);
  EXPECT_EQ(progress_.count.load(), 3);
  EXPECT_EQ(progress_.index.load(), 3);
  EXPECT_EQ(progress_.unwritten.load(), 1);
  EXPECT_EQ(FilesIn(folder_), (std::map<std::string, Bytes>{{"A.SOR", a}, {"C.SOR", c}})) << "no part of B, no temporary";
}

TEST_F(UploadWorkerTest, AWorkerWaitingOnASilentInstrumentIsCancelledAndJoined) {
  auto doc = std::make_unique<COtdrDoc>();
  auto link = std::make_unique<SimulatedInstrumentLink>(UploadTransportKind::Usb, StreamOf({2, {}}));
  link->streamEnd = 4;
  link->silentUntilCancelled = true;
  const std::shared_ptr<UploadJob> job = LaunchUploadWorker(*doc, std::move(link), folder_.string(), progress_.View());
  ASSERT_NE(job, nullptr);
  ASSERT_NE(doc->m_pUploadWorker, nullptr);
  while (progress_.index.load() != 0) std::this_thread::yield();
  // A second upload cannot start while this one runs.
  EXPECT_EQ(LaunchUploadWorker(*doc, std::make_unique<SimulatedInstrumentLink>(UploadTransportKind::Usb, Bytes{}),
                               folder_.string(), progress_.View()),
            nullptr);
  EXPECT_EQ(progress_.count.load(), 2);
  FinishUploadWorker(*doc, job.get());
  EXPECT_EQ(doc->m_pUploadWorker, nullptr);
  EXPECT_EQ(progress_.count.load(), UploadTransferFailed);
  EXPECT_FALSE(fs::exists(folder_));
}

TEST_F(UploadWorkerTest, AFinishedWorkerIsJoinedWithItsResultIntact) {
  auto doc = std::make_unique<COtdrDoc>();
  const Bytes a = Content(FixedUploadFileSize, 1);
  auto link = std::make_unique<SimulatedInstrumentLink>(UploadTransportKind::Serial, StreamOf({1, {{Record11("A.SOR"), a}}}));
  const std::shared_ptr<UploadJob> job = LaunchUploadWorker(*doc, std::move(link), folder_.string(), progress_.View());
  ASSERT_NE(job, nullptr);
  while (progress_.index.load() != 1) std::this_thread::yield();
  FinishUploadWorker(*doc, job.get());
  EXPECT_EQ(progress_.count.load(), 1);
  EXPECT_EQ(FilesIn(folder_), (std::map<std::string, Bytes>{{"A.SOR", a}}));
}
