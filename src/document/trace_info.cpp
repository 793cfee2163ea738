#include "document/trace_info.h"

#include "sor/sor_text.h"

std::string g_DeviceName;

namespace {
constexpr char16_t kUnrepresentable = u'?';

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
}  // namespace

int FibreTypeIndexOfCode(std::int16_t code) {
  for (std::size_t i = 0; i < kFibreTypeChoices.size(); ++i) {
    if (kFibreTypeChoices[i].code == code) return static_cast<int>(i);
  }
  return kNoFibreTypeIndex;
}

std::optional<std::int16_t> FibreTypeCodeOfIndex(int index) {
  if (index < 0 || index >= static_cast<int>(kFibreTypeChoices.size())) return std::nullopt;
  return kFibreTypeChoices[static_cast<std::size_t>(index)].code;
}

std::u16string ToFileBytes(std::u16string_view value) {
  std::u16string bytes;
  bytes.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char16_t c = value[i];
    if (c == 0) break;
    if (c <= 0xFF) {
      bytes.push_back(c);
      continue;
    }
    if (IsHighSurrogate(c) && i + 1 < value.size() && IsLowSurrogate(value[i + 1])) ++i;
    bytes.push_back(kUnrepresentable);
  }
  return bytes;
}

TraceInfoFields ReadTraceInfo(const SorRecord& record) {
  const SorGenParams& gen = record.GenParams;
  TraceInfoFields fields;
  fields.cableId = SorTextView(gen.CableId);
  fields.fiberId = SorTextView(gen.FiberId);
  fields.originatingLocation = SorTextView(gen.OriginatingLocation);
  fields.terminatingLocation = SorTextView(gen.TerminatingLocation);
  fields.operatorName = SorTextView(gen.Operator);
  fields.jobId = SorTextView(record.NorvalexParams.JobID);
  fields.customer = SorTextView(record.NorvalexParams.Customer);
  fields.fibreTypeIndex = FibreTypeIndexOfCode(gen.FiberType);
  return fields;
}

void StoreTraceInfo(SorRecord& record, const TraceInfoFields& fields) {
  SorGenParams& gen = record.GenParams;
  StoreUserText(gen.CableId, fields.cableId);
  StoreUserText(gen.FiberId, fields.fiberId);
  // A type the combo does not list (654, say) opens with no choice; confirming the dialog for
  // another field must not replace it.
  if (const auto code = FibreTypeCodeOfIndex(fields.fibreTypeIndex)) gen.FiberType = *code;
  StoreUserText(gen.OriginatingLocation, fields.originatingLocation);
  StoreUserText(gen.TerminatingLocation, fields.terminatingLocation);
  StoreUserText(gen.Operator, fields.operatorName);
  StoreUserText(record.NorvalexParams.JobID, fields.jobId);
  StoreUserText(record.NorvalexParams.Customer, fields.customer);
}
