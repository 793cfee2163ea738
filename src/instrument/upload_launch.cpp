#include "instrument/upload_launch.h"

#include <exception>
#include <thread>
#include <utility>

#include "document/otdr_doc.h"
#include "instrument/libusb_transport.h"
#include "instrument/serial_port_transport.h"

std::unique_ptr<UploadTransport> MakeUploadTransport(const PortSettings& settings) {
  if (settings.m_strPortType == "RS232") return std::make_unique<SerialPortTransport>(settings);
  return std::make_unique<LibusbTransport>(UsbDeviceConfigFromEnvironment());
}

std::shared_ptr<UploadJob> LaunchUploadWorker(COtdrDoc& doc, std::unique_ptr<UploadTransport> transport,
                                              std::string folder, UploadProgress progress) {
  if (doc.m_pUploadWorker) return nullptr;
  auto job = std::make_shared<UploadJob>(std::move(folder), progress);
  progress.Reset();
  try {
    doc.m_pUploadWorker = std::make_unique<std::thread>(
        [job, link = std::shared_ptr<UploadTransport>(std::move(transport))] {
          // Whatever ends the thread, the progress dialog must see an end, or it would wait for ever.
          try {
            RunUpload(*link, *job);
          } catch (const std::exception&) {
            link->Close();
            job->progress.PublishFailure(UploadTransferFailed);
          }
        });
  } catch (const std::exception&) {
    return nullptr;
  }
  return job;
}

void FinishUploadWorker(COtdrDoc& doc, UploadJob* job) {
  if (!doc.m_pUploadWorker) return;
  if (job != nullptr) job->cancel.store(true);
  if (doc.m_pUploadWorker->joinable()) doc.m_pUploadWorker->join();
  doc.m_pUploadWorker.reset();
}
