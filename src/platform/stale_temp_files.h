#pragma once
// Temporaries a save leaves beside its file when its process is killed between writing and renaming.
#include <string>

/// Removes the temporaries "<path>.<pid>.<n>.tmp" beside `path` whose process no longer runs; those
/// of running processes (a save in progress) stay. Returns how many were removed.
int RemoveStaleTempFiles(const std::string& path);
