#pragma once
// The name of the sub-folder each upload stores its files in, taken from the local date and time.
#include <ctime>
#include <functional>
#include <string>

/// The clock the upload reads; tests give a fixed time.
using LocalClock = std::function<std::tm()>;

/// The local date and time now.
std::tm LocalTimeNow();

/// "2024-03-05(y-m-d) 14-07-09" for 14:07:09 on 5 March 2024.
std::string DatedFolderName(const std::tm& time);
