#include "upload_test_support.h"

#include "instrument/upload_worker.h"

namespace lumivane::test {

std::map<std::string, Bytes> FilesIn(const std::filesystem::path& folder) {
  std::map<std::string, Bytes> files;
  if (!std::filesystem::exists(folder)) return files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.is_regular_file()) files[entry.path().filename().string()] = TempDir::ReadFile(entry.path().string());
  }
  return files;
}

UploadRunTest::UploadRunTest() : folder_(dir_.path() / "2024-03-05(y-m-d) 14-07-09") {
  std::filesystem::create_directory(folder_);
}

void UploadRunTest::Run(UploadTransport& link) {
  UploadJob job(folder_.string(), progress_.View());
  progress_.View().Reset();
  RunUpload(link, job);
}

}  // namespace lumivane::test
