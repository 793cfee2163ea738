#include "measure/link_orl_cache.h"

#include <algorithm>

#include "document/display_state.h"
#include "document/otdr_doc.h"
#include "measure/optical_return_loss.h"
#include "platform/saturate.h"

namespace {

constexpr double kThousandths = 1000.0;
// The field holds 0.001 dB in 16 bits.
constexpr std::int32_t kLargestStoredOrl = 65535;

}  // namespace

float PeekLinkOrl(const COtdrDoc& doc) {
  if (g_DisplayState.LinkOrlDirty != 0) {
    return ComputeLinkOrl(doc.m_EventRows, doc.m_nEventCount, static_cast<float>(doc.m_FibreParams.Wavelength));
  }
  return static_cast<float>(doc.m_SorRecord.KeyEvents.OpticalReturnLoss / kThousandths);
}

float TakeLinkOrl(COtdrDoc& doc) {
  const float orl = PeekLinkOrl(doc);
  if (g_DisplayState.LinkOrlDirty != 0) {
    // Link ORLs below 0 or above 65.535 dB do not fit the field; the nearest value that does is kept.
    doc.m_SorRecord.KeyEvents.OpticalReturnLoss =
        static_cast<std::uint16_t>(std::clamp(lumivane::TruncToInt32(orl * kThousandths), 0, kLargestStoredOrl));
    g_DisplayState.LinkOrlDirty = 0;
  }
  doc.m_PassFailThresholds.MeasuredLinkOrl = orl;
  return orl;
}
