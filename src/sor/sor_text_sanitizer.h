#pragma once
// Blanks the bytes of a file text that are neither printable ASCII nor part of a GB2312 pair.

/// Changes the zero-terminated text in place; only the low 8 bits of each cell are examined.
void SanitizeFileText(char16_t* text);
