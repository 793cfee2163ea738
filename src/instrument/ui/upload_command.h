#pragma once
// The document's "Upload Trace File..." command: the communication settings, the choice of a
// folder, a dated sub-folder in it, and the progress dialog while the worker fetches the files.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "document/document_settings.h"
#include "instrument/dated_folder.h"
#include "instrument/upload_progress.h"
#include "instrument/upload_transport.h"

class COtdrDoc;
class QWidget;

/// What the upload command uses of its surroundings; tests replace the parts that would reach the
/// user's folders, the clock or the hardware.
struct UploadEnvironment {
  /// Asks for the folder (title, initial folder); nothing when the user cancels.
  std::function<std::optional<std::string>(const std::string&, const std::string&)> chooseFolder;
  LocalClock clock;
  std::function<std::unique_ptr<UploadTransport>(const PortSettings&)> makeTransport;
  /// The serial ports the settings dialog offers besides the standard names.
  std::function<std::vector<std::string>()> listPorts;
  UploadProgress progress = GlobalUploadProgress();
  QWidget* owner = nullptr;
};

/// The program's environment: the folder browser, the local clock, the real links, the system's
/// serial ports and the global progress.
UploadEnvironment DefaultUploadEnvironment(QWidget* owner);

/// Runs the settings dialog on the document's port settings; after OK stores them and starts the upload.
void OnUploadTraceFile(COtdrDoc& doc, const UploadEnvironment& env);

/// Asks for the folder, creates the dated sub-folder, starts the worker and shows its progress until
/// the transfer has ended; the worker is joined before this returns.
void StartUpload(COtdrDoc& doc, const UploadEnvironment& env);

/// Lets the document serve the upload command with `env`.
void BindUploadCommand(COtdrDoc& doc, UploadEnvironment env);
