#include "instrument/serial_port_transport.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "instrument/upload_progress_view.h"
#include "instrument/upload_worker.h"
#include "simulated_instrument.h"
#include "temp_dir.h"
#include "upload_test_support.h"
#include "vocabulary/text_table.h"

namespace fs = std::filesystem;
using namespace lumivane::test;

namespace {

// Short limits keep the silent-instrument cases quick; the rule they test is the same.
constexpr ReceiveLimits kTestLimits{400, 200};

// A pseudo-terminal pair: the worker opens the slave by name as its port, the simulated instrument
// sits on the master. The slave stays in the state the system gives a new line (XON/XOFF on, input
// and output translated), as a real serial line starts: making it usable is the transport's job.
// The fixture keeps a slave descriptor of its own open, so the master never reads a hang-up between
// the worker's open and close.
class PtyInstrument {
 public:
  PtyInstrument() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
    char name[128] = {};
    if (::ptsname_r(master_, name, sizeof name) != 0) return;
    slaveName_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY);
  }

  /// The slave line's settings as they stand now.
  termios lineSettings() const {
    termios tio{};
    ::tcgetattr(slave_, &tio);
    return tio;
  }
  ~PtyInstrument() {
    if (thread_.joinable()) thread_.join();
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
  }

  bool ok() const { return slave_ >= 0; }
  const std::string& slaveName() const { return slaveName_; }
  const Bytes& greeting() const { return greeting_; }

  /// Plays the instrument: waits for the 23-byte greeting, then sends `stream`; after `pauseAt`
  /// bytes it pauses for `pause`, after `stopAt` bytes it falls silent.
  void Play(Bytes stream, std::size_t pauseAt = SIZE_MAX, std::chrono::milliseconds pause = {},
            std::size_t stopAt = SIZE_MAX) {
    thread_ = std::thread([this, stream = std::move(stream), pauseAt, pause, stopAt] {
      while (greeting_.size() < UploadGreeting.size()) {
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, 5000) <= 0) return;
        std::uint8_t byte[64];
        const ssize_t n = ::read(master_, byte, sizeof byte);
        if (n <= 0) return;
        greeting_.insert(greeting_.end(), byte, byte + n);
      }
      std::size_t sent = 0;
      const std::size_t end = std::min(stopAt, stream.size());
      while (sent < end) {
        if (sent == pauseAt) std::this_thread::sleep_for(pause);
        const std::size_t chunk = std::min<std::size_t>({end - sent, 4096, sent < pauseAt ? pauseAt - sent : SIZE_MAX});
        const ssize_t n = ::write(master_, stream.data() + sent, chunk);
        if (n <= 0) return;
        sent += static_cast<std::size_t>(n);
      }
    });
  }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string slaveName_;
  Bytes greeting_;
  std::thread thread_;
};

class SerialPortTransportTest : public UploadRunTest {
 protected:
  static PortSettings Settings(const std::string& port) {
    PortSettings settings;
    settings.m_strPortType = "RS232";
    settings.m_strPortName = port;
    return settings;
  }

  void Run(const PortSettings& settings) {
    SerialPortTransport port(settings, kTestLimits);
    UploadRunTest::Run(port);
  }
};

}  // namespace

TEST_F(SerialPortTransportTest, FilesArriveByteForByteOverARealLine) {
  PtyInstrument instrument;
  ASSERT_TRUE(instrument.ok());
  const Bytes a = Content(FixedUploadFileSize, 1), b = Content(FixedUploadFileSize, 2);
  instrument.Play(StreamOf({10002, {{Record16Name("FIRST_FILE_0.SOR"), a}, {Record16("SECOND.SOR", 0x00024000), b}}}));
  Run(Settings(instrument.slaveName()));
  EXPECT_EQ(progress_.count.load(), 2);
  EXPECT_EQ(progress_.index.load(), 2);
  EXPECT_EQ(FilesIn(folder_), (std::map<std::string, Bytes>{{"FIRST_FILE_0.SOR", a}, {"SECOND.SOR", b}}));
  EXPECT_EQ(std::string(instrument.greeting().begin(), instrument.greeting().end()), UploadGreeting);
  // The port was given back: it opens again.
  SerialPortTransport again(Settings(instrument.slaveName()), kTestLimits);
  EXPECT_TRUE(again.Open());
}

TEST_F(SerialPortTransportTest, EveryByteValueCrossesALineInItsStartingState) {
  PtyInstrument instrument;
  ASSERT_TRUE(instrument.ok());
  const termios before = instrument.lineSettings();
  ASSERT_NE(before.c_iflag & IXON, 0u) << "a new line starts with XON/XOFF on";
  ASSERT_NE(before.c_oflag & OPOST, 0u);

  // Every value, XON (0x11), XOFF (0x13), CR, LF, ^C and ^D among them, in runs and alone.
  Bytes content;
  for (int round = 0; round < 64; ++round) {
    for (int value = 0; value < 256; ++value) content.push_back(static_cast<std::uint8_t>(value ^ round));
    content.insert(content.end(), 16, static_cast<std::uint8_t>(round % 2 ? 0x13 : 0x11));
  }
  const Bytes record = Record16("ALLBYTES.SOR", static_cast<std::uint32_t>(content.size()));
  instrument.Play(StreamOf({20001, {{record, content}}}));
  Run(Settings(instrument.slaveName()));
  EXPECT_EQ(progress_.count.load(), 1);
  EXPECT_EQ(progress_.index.load(), 1);
  EXPECT_EQ(FilesIn(folder_), (std::map<std::string, Bytes>{{"ALLBYTES.SOR", content}}));

  const termios after = instrument.lineSettings();
  EXPECT_EQ(after.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP), 0u);
  EXPECT_EQ(after.c_oflag & OPOST, 0u);
  EXPECT_EQ(after.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
}

TEST_F(SerialPortTransportTest, AnInstrumentThatFallsSilentEndsTheTransfer) {
  const Bytes a = Content(5000, 1), b = Content(5000, 2);
  const InstrumentScript script{20002, {{Record16("A.SOR", 5000), a}, {Record16("B.SOR", 5000), b}}};
  struct Case {
    const char* what;
    std::size_t pauseAt;
    std::chrono::milliseconds pause;
    std::size_t stopAt;
    std::size_t filesLeft;
  };
  const std::size_t secondContent = 4 + 16 + 5000 + 16 + 100;
  const Case cases[] = {
      {"no answer at all", SIZE_MAX, {}, 0, 0},
      {"a pause inside a record", 4 + 3, std::chrono::milliseconds(800), SIZE_MAX, 0},
      {"silent in the second file", SIZE_MAX, {}, secondContent, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::create_directory(folder_);
    PtyInstrument instrument;
    ASSERT_TRUE(instrument.ok());
    instrument.Play(StreamOf(script), c.pauseAt, c.pause, c.stopAt);
    Run(Settings(instrument.slaveName()));
    EXPECT_EQ(progress_.count.load(), UploadTransferFailed);
    EXPECT_EQ(progress_.index.load(), 0);
    EXPECT_EQ(fs::exists(folder_), c.filesLeft > 0);
    // Only whole files stay: no part of the file that broke off, no temporary.
    if (c.filesLeft > 0) {
      EXPECT_EQ(FilesIn(folder_), (std::map<std::string, Bytes>{{"A.SOR", a}}));
    }
  }
}

TEST_F(SerialPortTransportTest, TwoFilesOfOneNameAreBothKeptAndTheEndSaysSo) {
  PtyInstrument instrument;
  ASSERT_TRUE(instrument.ok());
  const Bytes a = Content(3000, 1), b = Content(1000, 2);
  instrument.Play(StreamOf({20002, {{Record16("A.SOR", 3000), a}, {Record16("A.SOR", 1000), b}}}));
  Run(Settings(instrument.slaveName()));
  EXPECT_EQ(progress_.index.load(), 2);
  EXPECT_EQ(FilesIn(folder_), (std::map<std::string, Bytes>{{"A.SOR", a}, {"A (2).SOR", b}}));
  InitLanguageTable();
  SelectLanguage(LanguageColumn::English);
  ProgressCreep creep;
  const std::string text =
      UpdateProgressView(progress_.count.load(), progress_.index.load(), {0, progress_.renamed.load()}, creep).text;
  EXPECT_NE(text.find("1 " + g_CurrentStrings[TextRow::FilesRenamed]), std::string::npos) << text;
}

TEST_F(SerialPortTransportTest, ARecordAnnouncingMoreBytesThanArriveLeavesNoFile) {
  // The second record announces 5000 bytes; 3000 arrive and the line falls silent.
  const Bytes a = Content(2000, 1), b = Content(3000, 2);
  for (const std::string secondName : {"B.SOR", "A.SOR"}) {
    SCOPED_TRACE(secondName);
    fs::create_directory(folder_);
    for (const auto& entry : fs::directory_iterator(folder_)) fs::remove(entry.path());
    PtyInstrument instrument;
    ASSERT_TRUE(instrument.ok());
    instrument.Play(StreamOf({20002, {{Record16("A.SOR", 2000), a}, {Record16(secondName, 5000), b}}}));
    Run(Settings(instrument.slaveName()));
    EXPECT_EQ(progress_.count.load(), UploadTransferFailed);
    EXPECT_EQ(FilesIn(folder_), (std::map<std::string, Bytes>{{"A.SOR", a}})) << "no part file, no temporary";
  }
}

TEST_F(SerialPortTransportTest, APauseShorterThanTheLimitIsWaitedFor) {
  PtyInstrument instrument;
  ASSERT_TRUE(instrument.ok());
  const Bytes a = Content(3000, 1);
  instrument.Play(StreamOf({20001, {{Record16("A.SOR", 3000), a}}}), 4 + 16 + 1000, std::chrono::milliseconds(100));
  Run(Settings(instrument.slaveName()));
  EXPECT_EQ(progress_.index.load(), 1);
  EXPECT_EQ(FilesIn(folder_), (std::map<std::string, Bytes>{{"A.SOR", a}}));
}

TEST_F(SerialPortTransportTest, APortThatCannotBeOpenedOrSetUpFails) {
  PtyInstrument instrument;
  ASSERT_TRUE(instrument.ok());
  PortSettings oneAndAHalf = Settings(instrument.slaveName());
  oneAndAHalf.m_nStopBits = 1;
  PortSettings oddRate = Settings(instrument.slaveName());
  oddRate.m_nBaudRate = 14400;
  struct Case {
    const char* what;
    PortSettings settings;
  };
  const Case cases[] = {
      {"no such port", Settings(dir_.Path("ttyNone"))},
      {"a plain file", Settings(dir_.WriteFile("plain", "x"))},
      {"one and a half stop bits", oneAndAHalf},
      {"a rate the line does not have", oddRate},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::create_directory(folder_);
    Run(c.settings);
    EXPECT_EQ(progress_.count.load(), UploadOpenFailed);
    EXPECT_FALSE(fs::exists(folder_));
  }
}

TEST_F(SerialPortTransportTest, AnOpenPortIsNotSharedAndAWaitingReadEndsWhenCancelled) {
  PtyInstrument instrument;
  ASSERT_TRUE(instrument.ok());
  SerialPortTransport port(Settings(instrument.slaveName()), {60000, 60000});
  ASSERT_TRUE(port.Open());
  SerialPortTransport second(Settings(instrument.slaveName()), kTestLimits);
  EXPECT_FALSE(second.Open());

  std::atomic<bool> cancel{false};
  std::thread canceller([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    cancel.store(true);
  });
  Bytes reply(4);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(port.Receive(reply, cancel), 0u);
  canceller.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}
