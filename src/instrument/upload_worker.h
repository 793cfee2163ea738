#pragma once
// The upload's worker: it runs the file-list protocol over a transport and stores every received
// file in the target folder. It owns its receive buffer and its copy of the folder, so nothing of
// the document is shared with the thread it runs on.
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "instrument/upload_progress.h"
#include "instrument/upload_transport.h"

/// What one upload's worker works on.
struct UploadJob {
  UploadJob(std::string folder, UploadProgress progressTarget);

  const std::string targetFolder;      // the dated folder; files are stored directly in it
  UploadProgress progress;
  std::atomic<bool> cancel{false};     // set to end the transfer early (as a failed one)
  std::vector<std::uint8_t> buffer;    // receives one file at a time; the largest trace file fits
};

/// Runs one transfer from opening the transport to its end, publishing every state. The final state
/// is published after the transport is closed and an empty folder of a failed transfer removed.
void RunUpload(UploadTransport& transport, UploadJob& job);
