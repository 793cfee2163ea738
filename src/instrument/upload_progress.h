#pragma once
// The upload's progress, written by its worker thread and polled by the progress dialog. Both sides
// only load and store whole values, so the atomics need no lock.
#include <atomic>
#include <cstdint>

/// UploadConnecting while connecting; the number of files once counted; a negative UploadStatus after a failure.
extern std::atomic<std::int32_t> g_UploadCount;
/// -1 before the first file; the zero-based file being received; g_UploadCount after the last; 0 after a failure.
extern std::atomic<std::int32_t> g_UploadIndex;
/// Files received whole that could not be stored in the target folder.
extern std::atomic<std::int32_t> g_UploadUnwritten;
/// Files stored under a numbered name because a file of their name had been received before.
extern std::atomic<std::int32_t> g_UploadRenamed;

/// Where one worker publishes; the program's upload uses the globals above, tests their own.
struct UploadProgress {
  std::atomic<std::int32_t>& count;
  std::atomic<std::int32_t>& index;
  std::atomic<std::int32_t>& unwritten;
  std::atomic<std::int32_t>& renamed;

  /// The connecting state, before the worker starts.
  void Reset();
  /// The failed state: the status first, then the index the dialog ignores.
  void PublishFailure(std::int32_t status);
};

/// The progress the program's upload publishes into.
UploadProgress GlobalUploadProgress();
