#pragma once
// The header texts a user edits, in Edit Trace Information and in Batch Edit, and how they go into
// a record: texts are file bytes, so a character above U+00FF becomes '?' (one per character,
// never a zero byte inside a field), and each text is cut to the 100 characters its field holds.
#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "sor/sor_record.h"
#include "vocabulary/text_rows.h"

/// "Device" text last confirmed in Edit Trace Information; the printed report shows it.
extern std::string g_DeviceName;

/// Combo position meaning "no fibre type chosen".
inline constexpr int kNoFibreTypeIndex = -1;

/// One fibre type of the combo: the text row of its name and the GenParams code.
struct FibreTypeChoice {
  LangRow nameRow;
  std::int16_t code;
};

/// The combo's entries in position order.
inline constexpr std::array<FibreTypeChoice, 4> kFibreTypeChoices{{
    {15, 651},  // "Multi-Mode Fiber"
    {16, 652},  // "Conventional Singlemode Fiber"
    {17, 653},  // "Dispersion Shifted Fiber"
    {14, 655},  // "Non-Zero Dispersion Shifted Singlemode Fiber"
}};

/// The combo position of a GenParams fibre type; kNoFibreTypeIndex for a type the combo lacks.
int FibreTypeIndexOfCode(std::int16_t code);

/// The GenParams code of a combo position; nothing for no (or no valid) position.
std::optional<std::int16_t> FibreTypeCodeOfIndex(int index);

/// Stores `value` (UTF-16 from a dialog) as file bytes, at most 100 characters.
template <std::size_t N>
void StoreUserText(char16_t (&field)[N], std::u16string_view value);

/// The texts of Edit Trace Information, as UTF-16 (each record byte widened).
struct TraceInfoFields {
  std::u16string cableId;
  std::u16string fiberId;
  std::u16string originatingLocation;
  std::u16string terminatingLocation;
  std::u16string operatorName;
  std::u16string jobId;
  std::u16string customer;
  int fibreTypeIndex = kNoFibreTypeIndex;
};

/// The dialog's texts from a record.
TraceInfoFields ReadTraceInfo(const SorRecord& record);

/// Stores the dialog's texts; with no fibre type chosen the stored type is kept.
void StoreTraceInfo(SorRecord& record, const TraceInfoFields& fields);

/// The cells of `value` as file bytes: characters above U+00FF (a surrogate pair is one) give '?'.
std::u16string ToFileBytes(std::u16string_view value);

template <std::size_t N>
void StoreUserText(char16_t (&field)[N], std::u16string_view value) {
  const std::u16string bytes = ToFileBytes(value);
  const std::size_t n = std::min<std::size_t>({bytes.size(), N - 1, kSorTextCapacity - 1});
  for (std::size_t i = 0; i < N; ++i) field[i] = i < n ? bytes[i] : u'\0';
}
