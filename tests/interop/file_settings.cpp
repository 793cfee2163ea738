#include "file_settings.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "document/otdr_doc.h"

namespace lumivane::test {

AnalysisSettings FileSettings(const COtdrDoc& doc) {
  const FibreParamsRecord& f = doc.m_FibreParams;
  AnalysisSettings s;
  int best = 0;
  for (int i = 1; i < kAnalysisWavelengthCount; ++i) {
    const auto nm = [](int e) { return std::stoi(std::string(kAnalysisWavelengthNames[static_cast<std::size_t>(e)])); };
    if (std::abs(nm(i) - f.Wavelength) < std::abs(nm(best) - f.Wavelength)) best = i;
  }
  s.wavelengthIndex = best;
  const auto accepted = [](AnalysisField field, float value, float fallback) {
    const AnalysisValueCheck check = CheckAnalysisValue(field, value);
    return check.accepted ? check.value : fallback;
  };
  s.groupIndex = accepted(AnalysisField::GroupIndex, f.GroupIndex, kDefaultIor[static_cast<std::size_t>(best)]);
  s.scatterCoef = accepted(AnalysisField::ScatterCoef, f.Backscatter, kDefaultScatter[static_cast<std::size_t>(best)]);
  s.nonReflThreshold = accepted(AnalysisField::NonReflThreshold, std::fabs(f.LossThreshold), 0.2f);
  s.reflThreshold = accepted(AnalysisField::ReflThreshold, -std::fabs(f.ReflectanceThreshold), -56.0f);
  s.endThreshold = accepted(AnalysisField::EndThreshold, std::fabs(f.EndThreshold), 3.0f);
  return s;
}

}  // namespace lumivane::test
