#include "document/wavelength.h"

std::int32_t ConvertWavelengthField(std::int32_t field) {
  if (field < kWavelengthTenthsFrom) return field;
  const std::int32_t whole = field / 10;
  return field % 10 >= 5 ? whole + 1 : whole;
}
