#include "analysis/link_orl_cache.h"

#include <algorithm>

#include "analysis/optical_return_loss.h"
#include "document/otdr_doc.h"
#include "platform/saturate.h"
#include "traceview/display_state.h"

namespace {

constexpr double kThousandths = 1000.0;
// The field holds 0.001 dB in 16 bits.
constexpr std::int32_t kLargestStoredOrl = 65535;

}  // namespace

float TakeLinkOrl(COtdrDoc& doc) {
  std::uint16_t& stored = doc.m_SorRecord.KeyEvents.OpticalReturnLoss;
  float orl = 0.0f;
  if (g_DisplayState.LinkOrlDirty != 0) {
    orl = ComputeLinkOrl(doc.m_EventRows, doc.m_nEventCount, static_cast<float>(doc.m_FibreParams.Wavelength));
    // Link ORLs below 0 or above 65.535 dB do not fit the field; the nearest value that does is kept.
    stored = static_cast<std::uint16_t>(std::clamp(lumivane::TruncToInt32(orl * kThousandths), 0, kLargestStoredOrl));
    g_DisplayState.LinkOrlDirty = 0;
  } else {
    orl = static_cast<float>(stored / kThousandths);
  }
  doc.m_PassFailThresholds.MeasuredLinkOrl = orl;
  return orl;
}
