#include "measure/link_orl_cache.h"

#include <algorithm>

#include "document/display_state.h"
#include "document/otdr_doc.h"
#include "measure/optical_return_loss.h"
#include "platform/saturate.h"
#include "trace/wavelength.h"

namespace {

constexpr double kThousandths = 1000.0;
// The field holds 0.001 dB in 16 bits.
constexpr std::int32_t kLargestStoredOrl = 65535;

}  // namespace

float StoredLinkOrl(const SorRecord& record) {
  const std::uint16_t stored = record.KeyEvents.OpticalReturnLoss;
  // Instruments store 0 for an ORL they did not measure.
  return stored == 0 ? kMissingValue : static_cast<float>(stored / kThousandths);
}

float PeekLinkOrl(const COtdrDoc& doc) {
  if (g_DisplayState.LinkOrlDirty != 0) {
    const float orl =
        ComputeLinkOrl(doc.m_EventRows, doc.m_nEventCount, static_cast<float>(TraceBandNm(doc.m_SorRecord)));
    // No end row leaves nothing to measure, which the computation reports as 0 dB.
    return orl > 0.0f ? orl : kMissingValue;
  }
  return StoredLinkOrl(doc.m_SorRecord);
}

float TakeLinkOrl(COtdrDoc& doc) {
  const float orl = PeekLinkOrl(doc);
  if (g_DisplayState.LinkOrlDirty != 0) {
    // Link ORLs above 65.535 dB do not fit the field; the nearest value that does is kept. A missing
    // one is stored as not measured.
    doc.m_SorRecord.KeyEvents.OpticalReturnLoss =
        orl == kMissingValue
            ? std::uint16_t{0}
            : static_cast<std::uint16_t>(std::clamp(lumivane::RoundToInt32(orl * kThousandths), 1, kLargestStoredOrl));
    g_DisplayState.LinkOrlDirty = 0;
  }
  doc.m_PassFailThresholds.MeasuredLinkOrl = orl;
  return orl;
}
