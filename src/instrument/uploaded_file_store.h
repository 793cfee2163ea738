#pragma once
// Storing received files in the upload's target folder.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

/// The name a received file is stored under: its 8-bit characters widened (as UTF-8), every "/"
/// replaced by "_" so the file stays in the folder; an empty name, "." or ".." gives "file<number>".
std::string StoredUploadFileName(std::string_view rawName, int fileNumber);

/// `name` with " (number)" before its extension: "A.SOR" and 2 give "A (2).SOR".
std::string NumberedUploadFileName(std::string_view name, int number);

/// Stores `bytes` whole in `folder` as `name`, or, when a file of that name is there already (an
/// instrument can hold two files of one name), as the first free numbered name; a file there is
/// never replaced. The name it was stored under; nothing when it could not be stored, and then
/// nothing of it is left behind.
std::optional<std::string> StoreUploadedFile(const std::string& folder, const std::string& name,
                                             std::span<const std::uint8_t> bytes);

/// Removes `folder` when it is empty; a folder holding files stays.
void RemoveFolderIfEmpty(const std::string& folder);
