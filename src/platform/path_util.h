#pragma once
// Path helpers. Paths keep their case (Linux file systems tell "A.sor" from "a.sor"); only the "sor"
// suffix and the pseudo-path of an empty document compare without regard to case.
#include <string>
#include <string_view>

/// The pseudo-path of a document that holds no trace.
inline constexpr std::string_view NoFilePath = "space";

namespace lumivane {

/// True when the last three characters of `path` are "sor", in any case.
bool HasSorSuffix(std::string_view path);

/// True when `path` is empty or the pseudo-path NoFilePath, in any case.
bool IsNoFilePath(std::string_view path);

/// `folder` and `name` joined with one "/" (no separator added when either is empty).
std::string JoinPath(std::string_view folder, std::string_view name);

/// The part of `path` after its last "/" (all of it when there is none).
std::string_view FileNameOf(std::string_view path);

/// The part of `path` before its last "/" ("/" for a file in the root, empty when there is none).
std::string_view FolderOf(std::string_view path);

}  // namespace lumivane
