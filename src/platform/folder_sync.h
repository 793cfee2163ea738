#pragma once
// A rename reaches the disk only with the folder that holds the name: without this, a power loss
// after a save can bring back the old file, or no file, under that name.
#include <string>

/// Flushes the folder that holds `path` to the disk. False when it could not be opened or flushed.
bool SyncFolderOf(const std::string& path);
