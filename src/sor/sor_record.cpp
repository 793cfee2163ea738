#include "sor/sor_record.h"

#include <cstring>

namespace {

template <typename Block>
void Zero(Block& block) {
  static_assert(std::is_trivially_copyable_v<Block>);
  std::memset(static_cast<void*>(&block), 0, sizeof block);
}

}  // namespace

const SorKeyEvent& KeyEventRow(const SorKeyEvents& events, std::int32_t row) {
  static constexpr SorKeyEvent kNoEvent{};
  if (row < 0 || row >= StoredKeyEventCount(events)) return kNoEvent;
  return events.Events[static_cast<std::size_t>(row)];
}

bool IsEndEventCode(const SorKeyEvent& event) { return event.EventCode[1] == u'E' || event.EventCode[1] == u'D'; }

std::int32_t EndEventRowOf(const SorRecord& record) {
  const std::int32_t count = StoredKeyEventCount(record.KeyEvents);
  for (std::int32_t i = 0; i < count; ++i) {
    if (IsEndEventCode(record.KeyEvents.Events[static_cast<std::size_t>(i)])) return i;
  }
  return kNoEndEventRow;
}

void ClearSorRecord(SorRecord& record) {
  Zero(record.Map);
  Zero(record.GenParams);
  Zero(record.SupParams);
  Zero(record.FxdParams);
  // The rows' storage stays for the next read.
  std::vector<SorKeyEvent> rows = std::move(record.KeyEvents.Events);
  rows.clear();
  record.KeyEvents = SorKeyEvents{};
  record.KeyEvents.Events = std::move(rows);
  Zero(record.LnkParams);
  SorDataPts& data = record.DataPts;
  std::memset(data.Name, 0, sizeof data.Name);
  data.TotalPointCount = 0;
  data.TraceCount = 0;
  for (SorTraceData& trace : data.Traces) {
    trace.PointCount = 0;
    trace.ScaleFactor = 0;
    trace.Samples.clear();
  }
  Zero(record.UserName);
  Zero(record.NorvalexParams);
  Zero(record.Cksum);
  SorSource& source = record.Source;
  source.Length = 0;
  std::fill(std::begin(source.BlockOffsets), std::end(source.BlockOffsets), 0);
  std::fill(std::begin(source.BlockEnds), std::end(source.BlockEnds), 0);
  source.DamagedBlocks = 0;
  source.SamplesCut = 0;
  source.Bytes.clear();
}
