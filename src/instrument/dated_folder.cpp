#include "instrument/dated_folder.h"

#include "platform/number_format.h"

std::tm LocalTimeNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

std::string DatedFolderName(const std::tm& time) {
  return lumivane::Format("%04d-%02d-%02d(y-m-d) %02d-%02d-%02d", time.tm_year + 1900, time.tm_mon + 1, time.tm_mday,
                          time.tm_hour, time.tm_min, time.tm_sec);
}
