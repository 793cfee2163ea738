#include "instrument/upload_progress.h"

#include "instrument/upload_protocol.h"

std::atomic<std::int32_t> g_UploadCount{UploadConnecting};
std::atomic<std::int32_t> g_UploadIndex{-1};
std::atomic<std::int32_t> g_UploadUnwritten{0};
std::atomic<std::int32_t> g_UploadRenamed{0};

void UploadProgress::Reset() {
  unwritten.store(0);
  renamed.store(0);
  count.store(UploadConnecting);
  index.store(-1);
}

void UploadProgress::PublishFailure(std::int32_t status) {
  count.store(status);
  index.store(0);
}

UploadProgress GlobalUploadProgress() { return {g_UploadCount, g_UploadIndex, g_UploadUnwritten, g_UploadRenamed}; }
