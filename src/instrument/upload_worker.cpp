#include "instrument/upload_worker.h"

#include <array>
#include <span>
#include <utility>

#include "instrument/uploaded_file_store.h"
#include "sor/sor_record.h"

UploadJob::UploadJob(std::string folder, UploadProgress progressTarget)
    : targetFolder(std::move(folder)), progress(progressTarget), buffer(MaxTraceFileSize) {}

namespace {

class UploadRun {
 public:
  UploadRun(UploadTransport& transport, UploadJob& job) : m_transport(transport), m_job(job) {}

  void Run() {
    if (!m_transport.Open()) return Fail(UploadOpenFailed);
    if (!m_transport.Start()) return Fail(UploadStartFailed);

    std::array<std::uint8_t, kUploadCountBytes> countBytes{};
    if (!Ask(UsbCmdCount, countBytes)) return Fail(UploadTransferFailed);
    const UploadCountInfo info = DecodeUploadCount(ReadUploadCount(countBytes));
    if (info.status != 0) return Fail(info.status);
    m_job.progress.count.store(info.files);
    m_job.progress.index.store(-1);

    std::int32_t unwritten = 0;
    std::int32_t renamed = 0;
    for (std::int32_t k = 0; k < info.files; ++k) {
      m_job.progress.index.store(k);
      std::array<std::uint8_t, kMaxUploadRecordLength> recordBytes{};
      const auto record = std::span(recordBytes).first(static_cast<std::size_t>(UploadRecordLength(info.layout)));
      if (!Ask(UsbCmdNextRecord, record)) return Fail(UploadTransferFailed);
      const std::uint32_t length = UploadFileLength(info.layout, record);
      // A file longer than any trace file cannot be a trace file, and must not run past the buffer.
      if (length > m_job.buffer.size()) return Fail(UploadFileTooLarge);
      const auto content = std::span(m_job.buffer).first(length);
      if (!Ask(UsbCmdContent, content)) return Fail(UploadTransferFailed);
      const std::string name =
          StoredUploadFileName(UploadFileName(info.layout, m_transport.Kind(), record), k + 1);
      const std::optional<std::string> stored = StoreUploadedFile(m_job.targetFolder, name, content);
      if (!stored) ++unwritten;
      if (stored && *stored != name) ++renamed;
    }
    m_transport.Close();
    m_job.progress.unwritten.store(unwritten);
    m_job.progress.renamed.store(renamed);
    m_job.progress.index.store(info.files);
  }

 private:
  // One request and its whole reply; a short reply puts the link in order again.
  bool Ask(UsbCommandCode code, std::span<std::uint8_t> reply) {
    if (m_job.cancel.load() || !m_transport.Request(code, static_cast<std::uint32_t>(reply.size()))) return false;
    if (m_transport.Receive(reply, m_job.cancel) == reply.size()) return true;
    m_transport.Recover();
    return false;
  }

  void Fail(std::int32_t status) {
    m_transport.Close();
    RemoveFolderIfEmpty(m_job.targetFolder);
    m_job.progress.PublishFailure(status);
  }

  UploadTransport& m_transport;
  UploadJob& m_job;
};

}  // namespace

void RunUpload(UploadTransport& transport, UploadJob& job) { UploadRun(transport, job).Run(); }
