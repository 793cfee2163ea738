#pragma once
// The product's branding lives in a few rows of the text table, so that other editions can be
// built from the same sources with different names.

/// The brandings this program can be built with.
enum class Edition { Generic };

/// The branding this build carries; set by the build's edition option.
inline constexpr Edition BUILD_EDITION = Edition::LUMIVANE_BUILD_EDITION;

/// Writes the build edition's texts into the branding rows of g_LanguageTable (first four columns).
void ApplyEditionBranding();
