#include "app/ui/single_instance.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "app/ui/main_frame.h"
#include "app/ui/otdr_app.h"
#include "app_test_env.h"
#include "document/otdr_doc.h"
#include "instrument/ui/comm_set_dlg.h"
#include "instrument/ui/thread_dlg.h"
#include "instrument/ui/upload_command.h"
#include "vocabulary/command_ids.h"

namespace {

// Runs the program as a second start and keeps this (first) instance's event loop turning until
// the second start has ended; returns its exit code, or -1 when it did not end in time.
int RunSecondStart(const lumivane::test::AppTestEnv& env, const QStringList& arguments,
                   const QString& workingDir = QString(),
                   const std::function<void(QProcessEnvironment&)>& adjust = {}) {
  QProcess second;
  if (!workingDir.isEmpty()) second.setWorkingDirectory(workingDir);
  QProcessEnvironment vars = QProcessEnvironment::systemEnvironment();
  vars.insert(QStringLiteral("LUMIVANE_INSTANCE_NAME"), env.instanceName());
  vars.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  vars.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
  if (adjust) adjust(vars);
  second.setProcessEnvironment(vars);
  second.start(QStringLiteral(LUMIVANE_EXECUTABLE), arguments);
  QElapsedTimer clock;
  clock.start();
  while (second.state() != QProcess::NotRunning && clock.elapsed() < 20000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    second.waitForFinished(10);
  }
  if (second.state() != QProcess::NotRunning) {
    second.kill();
    second.waitForFinished();
    return -1;
  }
  return second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1;
}

// An instrument that answers only once the test lets it: until then the upload keeps running.
class HeldInstrument final : public UploadTransport {
 public:
  explicit HeldInstrument(const std::atomic<bool>& release) : m_release(release) {}
  UploadTransportKind Kind() const override { return UploadTransportKind::Serial; }
  bool Open() override { return true; }
  bool Start() override { return true; }
  bool Request(UsbCommandCode, std::uint32_t) override { return true; }
  std::size_t Receive(std::span<std::uint8_t> into, const std::atomic<bool>& cancel) override {
    while (!m_release.load() && !cancel.load()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::fill(into.begin(), into.end(), std::uint8_t{0});  // a count of no files
    return into.size();
  }
  void Recover() override {}
  void Close() override {}

 private:
  const std::atomic<bool>& m_release;
};

// Runs `act` on the modal dialog of type T once it is the active modal widget.
template <typename T>
void OnModal(std::function<void(T&)> act) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, act] {
    auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    timer->stop();
    timer->deleteLater();
    act(*dialog);
  });
  timer->start(10);
}

// Lets the first instance handle what it received.
void Settle() {
  for (int i = 0; i < 10; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

TEST(SingleInstanceTest, ASecondStartHandsItsPathToTheFirstAndEnds) {
  lumivane::test::AppTestEnv env;
  const std::string path = env.WriteTrace("handed over.sor");
  COtdrApp* first = env.Start();
  ASSERT_NE(first, nullptr);

  EXPECT_EQ(RunSecondStart(env, {QString::fromStdString(env.dir().Path("handed")), QStringLiteral("over.sor")}), 0);
  Settle();
  EXPECT_EQ(first->m_pDocument->m_strTracePath, path);
  EXPECT_EQ(first->MainFrame()->windowTitle().toStdString(), "Lumivane - [" + path + "]");
  EXPECT_TRUE(env.sink().MessageTexts().empty());
}

TEST(SingleInstanceTest, TheNameKeysOnUserAndDesktop) {
  const QString x0 = lumivane::InstanceServerNameFor(1000, "", ":0");
  EXPECT_EQ(lumivane::InstanceServerNameFor(1000, "", ":0.0"), x0);
  EXPECT_EQ(lumivane::InstanceServerNameFor(1000, "", ":0.1"), x0);
  for (const QString& other : {lumivane::InstanceServerNameFor(1000, "", ":1"),
                               lumivane::InstanceServerNameFor(1001, "", ":0"),
                               lumivane::InstanceServerNameFor(1000, "", "host:0"),
                               lumivane::InstanceServerNameFor(1000, "wayland-0", ":0")}) {
    EXPECT_NE(other, x0);
  }
  // The Wayland socket names the desktop whatever DISPLAY says, and its path stays a name.
  EXPECT_EQ(lumivane::InstanceServerNameFor(1000, "wayland-1", ":0"), lumivane::InstanceServerNameFor(1000, "wayland-1", ":5"));
  EXPECT_FALSE(lumivane::InstanceServerNameFor(1000, "/run/user/1000/wayland-0", "").contains('/'));
}

// A start on another desktop opens the file in a window of its own (and ends at its first paint);
// a start on the same desktop hands the file over.
TEST(SingleInstanceTest, ASecondStartOnAnotherDesktopKeepsItsOwnWindow) {
  const QByteArray savedDisplay = qgetenv("DISPLAY");
  const QByteArray savedWayland = qgetenv("WAYLAND_DISPLAY");
  struct Case {
    const char* secondDisplay;
    bool handedOver;
  };
  for (const Case& c : {Case{"a", true}, Case{"b", false}}) {
    SCOPED_TRACE(c.secondDisplay);
    lumivane::test::AppTestEnv env;
    const QByteArray tag = QByteArray::number(QCoreApplication::applicationPid());
    qunsetenv("LUMIVANE_INSTANCE_NAME");
    qunsetenv("WAYLAND_DISPLAY");
    qputenv("DISPLAY", ":test" + tag + "a");
    const std::string path = env.WriteTrace("second.sor");
    COtdrApp* first = env.Start();
    ASSERT_NE(first, nullptr);
    const int code = RunSecondStart(env, {QString::fromStdString(path)}, QString(), [&](QProcessEnvironment& vars) {
      vars.remove(QStringLiteral("LUMIVANE_INSTANCE_NAME"));
      vars.remove(QStringLiteral("WAYLAND_DISPLAY"));
      vars.insert(QStringLiteral("DISPLAY"), QString::fromLatin1(":test" + tag + c.secondDisplay));
      vars.insert(QStringLiteral("LUMIVANE_NO_SPLASH"), QStringLiteral("1"));
      vars.insert(QStringLiteral("LUMIVANE_NO_STARTUP_PAUSE"), QStringLiteral("1"));
      vars.insert(QStringLiteral("LUMIVANE_EXIT_AT_FIRST_PAINT"), QStringLiteral("1"));
      // Its recent-file list and settings stay in the test's folder.
      vars.insert(QStringLiteral("HOME"), QString::fromStdString(env.dir().Path("home")));
      vars.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(env.dir().Path("home")));
    });
    EXPECT_EQ(code, 0);
    Settle();
    EXPECT_EQ(first->m_pDocument->m_strTracePath == path, c.handedOver);
    EXPECT_TRUE(env.sink().MessageTexts().empty());
  }
  qputenv("DISPLAY", savedDisplay);
  qputenv("WAYLAND_DISPLAY", savedWayland);
  if (savedWayland.isEmpty()) qunsetenv("WAYLAND_DISPLAY");
  if (savedDisplay.isEmpty()) qunsetenv("DISPLAY");
}

TEST(SingleInstanceTest, ARelativePathIsTheSecondStartsFile) {
  lumivane::test::AppTestEnv env;
  const std::string path = env.WriteTrace("relative.sor");
  COtdrApp* first = env.Start();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(RunSecondStart(env, {QStringLiteral("relative.sor")}, QString::fromStdString(env.dir().path().string())), 0);
  Settle();
  EXPECT_EQ(first->m_pDocument->m_strTracePath, path);
  EXPECT_TRUE(env.sink().MessageTexts().empty());
}

TEST(SingleInstanceTest, AHandOverWaitsWhileADialogIsOpen) {
  lumivane::test::AppTestEnv env;
  const std::string first = env.WriteTrace("first.sor");
  const std::string second = env.WriteTrace("second.sor");
  COtdrApp* app = env.Start({first});
  ASSERT_NE(app, nullptr);
  QDialog dialog(app->MainFrame());
  dialog.setWindowModality(Qt::ApplicationModal);
  dialog.show();
  ASSERT_EQ(RunSecondStart(env, {QString::fromStdString(second)}), 0);
  Settle();
  EXPECT_EQ(app->m_pDocument->m_strTracePath, first);
  dialog.close();
  QElapsedTimer clock;
  clock.start();
  while (app->m_pDocument->m_strTracePath != second && clock.elapsed() < 5000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  EXPECT_EQ(app->m_pDocument->m_strTracePath, second);
}

TEST(SingleInstanceTest, AHandOverWaitsWhileAnUploadRuns) {
  lumivane::test::AppTestEnv env;
  const std::string first = env.WriteTrace("first.sor");
  const std::string second = env.WriteTrace("second.sor");
  COtdrApp* app = env.Start({first});
  ASSERT_NE(app, nullptr);
  std::atomic<bool> release{false};
  UploadEnvironment upload = DefaultUploadEnvironment(app->MainFrame());
  upload.chooseFolder = [&](const std::string&, const std::string&) { return env.dir().path().string(); };
  upload.makeTransport = [&](const PortSettings&) { return std::make_unique<HeldInstrument>(release); };
  upload.listPorts = [] { return std::vector<std::string>{}; };
  BindUploadCommand(*app->m_pDocument, upload);

  std::string pathWhileUploading;
  bool ended = false;
  OnModal<CCCommSetDlg>([](CCCommSetDlg& dialog) { dialog.accept(); });
  OnModal<CCThreadDlg>([&](CCThreadDlg& dialog) {
    EXPECT_EQ(RunSecondStart(env, {QString::fromStdString(second)}), 0);
    Settle();
    pathWhileUploading = app->m_pDocument->m_strTracePath;
    release.store(true);
    ended = QTest::qWaitFor([&] { return dialog.Ended(); }, 5000);
    dialog.OkButton()->click();
  });
  EXPECT_TRUE(app->Commands().Execute(CmdUploadTraceFile));
  EXPECT_TRUE(ended);
  EXPECT_EQ(pathWhileUploading, first);
  QElapsedTimer clock;
  clock.start();
  while (app->m_pDocument->m_strTracePath != second && clock.elapsed() < 5000) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  EXPECT_EQ(app->m_pDocument->m_strTracePath, second);
}

TEST(SingleInstanceTest, AnEmptyCommandLineIsRefusedByTheFirst) {
  lumivane::test::AppTestEnv env;
  ASSERT_NE(env.Start(), nullptr);
  EXPECT_EQ(RunSecondStart(env, {}), 0);
  Settle();
  EXPECT_EQ(env.sink().MessageTexts(), std::vector<std::string>{"Not Bellcore File !"});
}

TEST(SingleInstanceTest, TheTextArrivesExactly) {
  const QString name = QStringLiteral("lumivane-handover-%1").arg(QCoreApplication::applicationPid());
  std::vector<std::string> received;
  lumivane::InstanceServer server(name, [&](const std::string& text) { received.push_back(text); });
  ASSERT_TRUE(server.Listen());
  // The client blocks, so it runs beside this thread's event loop.
  for (const std::string text : {"abc", "", "\"/data/with blanks.sor\" x", "/data/Ünïcode.sor"}) {
    SCOPED_TRACE(text);
    bool acknowledged = false;
    std::thread client([&] { acknowledged = lumivane::HandToRunningInstance(name, text); });
    QElapsedTimer clock;
    clock.start();
    while (received.size() < 1 && clock.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    client.join();
    EXPECT_TRUE(acknowledged);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received.front(), text);
    received.clear();
  }
}

TEST(SingleInstanceTest, NobodyListeningMeansNoHandOverAndALeftoverSocketIsTakenOver) {
  const QString name = QStringLiteral("lumivane-nobody-%1").arg(QCoreApplication::applicationPid());
  // What a program that ended abnormally leaves behind: the socket's name taken, nobody answering.
  QFile leftover(QDir::tempPath() + QLatin1Char('/') + name);
  ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
  leftover.close();
  EXPECT_FALSE(lumivane::HandToRunningInstance(name, "a.sor", 500));
  {
    lumivane::InstanceServer first(name, [](const std::string&) {});
    ASSERT_TRUE(first.Listen());
    lumivane::InstanceServer second(name, [](const std::string&) {});
    EXPECT_FALSE(second.Listen());  // the first still answers
  }
}

}  // namespace
