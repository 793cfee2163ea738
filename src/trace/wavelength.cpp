#include "trace/wavelength.h"

std::int32_t ConvertWavelengthField(std::int16_t field) {
  const std::int32_t tenths = WavelengthFieldTenths(field);
  const std::int32_t whole = tenths / 10;
  return tenths % 10 >= 5 ? whole + 1 : whole;
}
