#pragma once
// Storing received files in the upload's target folder.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

/// The name a received file is stored under: its 8-bit characters widened (as UTF-8), every "/"
/// replaced by "_" so the file stays in the folder; an empty name, "." or ".." gives "file<number>".
std::string StoredUploadFileName(std::string_view rawName, int fileNumber);

/// Stores `bytes` as `name` in `folder`, replacing a file of that name whole. False when it could
/// not be stored; then nothing of it is left behind and an earlier file of that name is kept.
bool StoreUploadedFile(const std::string& folder, const std::string& name, std::span<const std::uint8_t> bytes);

/// Removes `folder` when it is empty; a folder holding files stays.
void RemoveFolderIfEmpty(const std::string& folder);
