#include "trace/wavelength.h"

#include <cmath>
#include <cstddef>

#include "sor/sor_record.h"

std::int32_t ConvertWavelengthField(std::int16_t field) {
  const std::int32_t tenths = WavelengthFieldTenths(field);
  const std::int32_t whole = tenths / 10;
  return tenths % 10 >= 5 ? whole + 1 : whole;
}

int WavelengthBandIndex(double wavelengthNm) {
  if (!(wavelengthNm >= kLowestWavelengthNm)) wavelengthNm = kUnstatedBandNm;
  int best = 0;
  for (int entry = 1; entry < static_cast<int>(kListedWavelengthsNm.size()); ++entry) {
    const auto gap = [&](int e) { return std::fabs(kListedWavelengthsNm[static_cast<std::size_t>(e)] - wavelengthNm); };
    if (gap(entry) < gap(best)) best = entry;
  }
  return best;
}

std::int32_t WavelengthBandNm(double wavelengthNm) {
  return kListedWavelengthsNm[static_cast<std::size_t>(WavelengthBandIndex(wavelengthNm))];
}

std::int32_t NominalWavelengthNm(std::int16_t field) { return WavelengthBandNm(WavelengthFieldTenths(field) / 10.0); }

std::int32_t TraceBandNm(const SorRecord& record) { return NominalWavelengthNm(record.FxdParams.ActualWavelength); }
