#include "document/display_model_time.h"

TraceDateTime TraceDateTimeOf(std::uint32_t secondsSince1970) {
  constexpr std::int64_t kSecondsPerDay = 86400;
  const std::int64_t days = secondsSince1970 / kSecondsPerDay;
  const std::int64_t secondOfDay = secondsSince1970 % kSecondsPerDay;

  // Days to a proleptic Gregorian date, counting from 0000-03-01 so that the leap day is the
  // last day of its year; eras of 400 years repeat exactly.
  const std::int64_t z = days + 719468;
  const std::int64_t era = z / 146097;
  const std::int64_t dayOfEra = z - era * 146097;
  const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
  const std::int64_t day = dayOfYear - (153 * monthFromMarch + 2) / 5 + 1;
  const std::int64_t month = monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9;
  const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);

  return TraceDateTime{
      .Second = static_cast<std::int32_t>(secondOfDay % 60),
      .Minute = static_cast<std::int32_t>(secondOfDay / 60 % 60),
      .Hour = static_cast<std::int32_t>(secondOfDay / 3600),
      .Day = static_cast<std::int32_t>(day),
      .Month = static_cast<std::int32_t>(month),
      .Year = static_cast<std::int32_t>(year),
  };
}
