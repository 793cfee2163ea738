#pragma once
// Starting and ending the document's upload worker thread.
#include <memory>
#include <string>

#include "document/document_settings.h"
#include "instrument/upload_transport.h"
#include "instrument/upload_worker.h"

class COtdrDoc;

/// The link the settings choose: the serial port when the port type is exactly "RS232", else the
/// USB device named by the run's USB setting.
std::unique_ptr<UploadTransport> MakeUploadTransport(const PortSettings& settings);

/// Publishes the connecting state and runs the transfer on a thread the document keeps as its upload
/// worker. Null when a worker is kept there still or no thread can be started (then nothing runs).
std::shared_ptr<UploadJob> LaunchUploadWorker(COtdrDoc& doc, std::unique_ptr<UploadTransport> transport,
                                              std::string folder, UploadProgress progress);

/// Ends the document's upload worker: asks `job` to stop (a finished transfer is not affected),
/// then waits for the thread and lets it go. Nothing when no worker is kept.
void FinishUploadWorker(COtdrDoc& doc, UploadJob* job);
