#pragma once
// Whether the open dialog's preview of a file shows what File Open shows of it: the same values,
// the same warning, or the same refusal. For test binaries that link lumivane_document.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "document/display_model.h"
#include "document/otdr_doc.h"
#include "document/trace_preview.h"
#include "recording_message_sink.h"
#include "trace/trace_conversions.h"

namespace lumivane::test {

/// Previews the file at `path`, then opens it into a fresh document, and expects the preview's
/// text to be the open's values in the preview's lines followed by the message the open showed,
/// or that message alone when the open refused the file.
inline void ExpectPreviewMatchesOpen(const std::string& path) {
  RecordingMessageSink sink;
  const ScopedMessageSink scoped(sink);
  const std::string preview = TracePreviewTextOfPath(path);
  const std::string previewUnit = g_FileUnitName;
  ASSERT_TRUE(sink.messages().empty()) << "the preview shows no message box";

  auto doc = std::make_unique<COtdrDoc>();
  const int opened = doc->OpenTraceFile(path, kSorFileKind, doc->m_SorRecord);
  const std::vector<std::string> messages = sink.MessageTexts();
  ASSERT_LE(messages.size(), 1u);
  if (opened == 0) {
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(preview, messages[0]);
    return;
  }
  SorRecord& record = doc->m_SorRecord;
  LoadDisplayModel(kSorFileKind, record, DisplayModelInputs{record.UserName.DistanceCorrection},
                   doc->DisplayModelMembers());
  const std::string unit = FileUnitNameOf(record);
  TracePreview shown;
  shown.Time = doc->m_TraceDateTime;
  shown.Wavelength = static_cast<std::int16_t>(doc->m_FibreParams.Wavelength);
  const int widths = std::clamp<int>(record.FxdParams.PulseWidthCount, 0, kSorMaxPulseWidths);
  if (widths > 0) shown.PulseWidth = record.FxdParams.PulseWidths[widths - 1];
  shown.Range = PreviewRangeOf(doc->m_dAcquisitionRangeKm, unit);
  shown.EventCount = static_cast<std::int16_t>(doc->m_nEventCount);
  EXPECT_EQ(preview, TracePreviewLines(shown, unit) + (messages.empty() ? std::string() : messages[0]));
  EXPECT_EQ(previewUnit, unit);
}

}  // namespace lumivane::test
