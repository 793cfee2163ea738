#pragma once
// A fresh, quiet program state for one application test: settings in a folder of its own, no
// splash and no start-up pause, a single-instance socket of its own, the program's globals at
// their start values and a recorder in place of message boxes.
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "recording_message_sink.h"
#include "temp_dir.h"

class COtdrApp;

namespace lumivane::test {

/// Lets the program handle what a command left for the event loop: paints, deferred updates.
void Settle();

class AppTestEnv {
 public:
  AppTestEnv();
  ~AppTestEnv();

  /// Starts an application with these arguments; null when the start ended in start-up.
  COtdrApp* Start(const std::vector<std::string>& arguments = {});
  /// Ends the started application, as the end of the run does.
  void Stop();

  /// Writes a readable trace file into the test's folder and returns its path.
  std::string WriteTrace(const std::string& name) const;

  TempDir& dir() { return dir_; }
  RecordingMessageSink& sink() { return sink_; }
  const QString& instanceName() const { return instanceName_; }

 private:
  TempDir dir_;
  RecordingMessageSink sink_;
  QString instanceName_;
  std::unique_ptr<COtdrApp> app_;
  MessageSink* previousSink_;
};

}  // namespace lumivane::test
