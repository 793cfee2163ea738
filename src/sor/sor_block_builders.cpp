#include "sor/sor_block_builders.h"

#include <algorithm>
#include <limits>
#include <string_view>

#include "sor/byte_writer.h"
#include "sor/sor_format.h"

using lumivane::ByteWriter;

namespace {

/// Appends the block's identifier and the fields writeFields writes; returns the block's size.
template <typename WriteFields>
std::int32_t AppendBlock(SorBlockBuffer& block, std::string_view name, SorSourceTexts texts, WriteFields writeFields) {
  const std::size_t start = block.size();
  ByteWriter out(block, texts);
  out.Name(name);
  writeFields(out);
  return static_cast<std::int32_t>(block.size() - start);
}

// The magnitude of the launch level; the most negative value has none in 32 bits and saturates.
std::int32_t Magnitude(std::int32_t value) {
  if (value == std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::max();
  return value < 0 ? -value : value;
}

}  // namespace

std::int32_t BuildGenParamsBlock(const SorRecord& record, SorBlockBuffer& block, SorSourceTexts texts) {
  const auto& gen = record.GenParams;
  return AppendBlock(block, kSorBlockGenParams, texts, [&](ByteWriter& out) {
    out.FixedText(gen.LanguageCode, 2);
    out.Text(gen.CableId, kSorTextCapacity);
    out.Text(gen.FiberId, kSorTextCapacity);
    out.I16(gen.FiberType);
    out.I16(gen.NominalWavelength);
    out.Text(gen.OriginatingLocation, kSorTextCapacity);
    out.Text(gen.TerminatingLocation, kSorTextCapacity);
    out.Text(gen.CableCode, kSorCableCodeCapacity);
    out.FixedText(gen.CurrentDataFlag, 2);
    out.I32(gen.UserOffset);
    out.I32(gen.UserOffsetDistance);
    out.Text(gen.Operator, kSorTextCapacity);
    out.Text(gen.Comment, kSorTextCapacity);
  });
}

std::int32_t BuildSupParamsBlock(const SorRecord& record, SorBlockBuffer& block, SorSourceTexts texts) {
  const auto& sup = record.SupParams;
  return AppendBlock(block, kSorBlockSupParams, texts, [&](ByteWriter& out) {
    for (const char16_t* text : {sup.SupplierName, sup.MainframeId, sup.MainframeSerial, sup.OpticalModuleId,
                                 sup.OpticalModuleSerial, sup.SoftwareRevision, sup.Other}) {
      out.Text(text, kSorTextCapacity);
    }
  });
}

std::int32_t BuildFxdParamsBlock(const SorRecord& record, SorBlockBuffer& block, SorSourceTexts texts) {
  const auto& fxd = record.FxdParams;
  return AppendBlock(block, kSorBlockFxdParams, texts, [&](ByteWriter& out) {
    out.U32(fxd.DateTime);
    out.FixedText(fxd.DistanceUnits, 2);
    out.I16(fxd.ActualWavelength);
    out.I32(fxd.AcquisitionOffset);
    out.I32(fxd.AcquisitionOffsetDistance);
    const int widths = ClampSorCount(fxd.PulseWidthCount, kSorMaxPulseWidths);
    out.I16(static_cast<std::int16_t>(widths));
    for (int i = 0; i < widths; ++i) out.I16(fxd.PulseWidths[i]);
    for (int i = 0; i < widths; ++i) out.I32(fxd.DataSpacing[i]);
    for (int i = 0; i < widths; ++i) out.I32(fxd.DataPointCounts[i]);
    out.I32(fxd.GroupIndex);
    out.I16(fxd.Backscatter);
    out.I32(fxd.AverageCount);
    out.I16(fxd.AveragingTime);
    out.I32(fxd.AcquisitionRange);
    out.I32(fxd.AcquisitionRangeDistance);
    out.I32(fxd.FrontPanelOffset);
    out.U16(fxd.NoiseFloorLevel);
    out.I16(fxd.NoiseFloorScale);
    out.U16(fxd.PowerOffsetFirstPoint);
    out.U16(fxd.LossThreshold);
    out.U16(fxd.ReflectanceThreshold);
    out.U16(fxd.EndOfFibreThreshold);
    out.FixedText(fxd.TraceType, 2);
    for (const auto coordinate : fxd.WindowCoordinates) out.I32(coordinate);
  });
}

std::int32_t BuildKeyEventsBlock(const SorRecord& record, SorBlockBuffer& block, SorSourceTexts texts) {
  const auto& events = record.KeyEvents;
  return AppendBlock(block, kSorBlockKeyEvents, texts, [&](ByteWriter& out) {
    const int count = StoredKeyEventCount(events);
    out.I16(static_cast<std::int16_t>(count));
    for (int k = 0; k < count; ++k) {
      const SorKeyEvent& event = events.Events[static_cast<std::size_t>(k)];
      out.I16(event.EventNumber);
      out.I32(event.TimeOfFlight);
      out.I16(event.Slope);
      out.I16(event.SpliceLoss);
      out.I32(event.Reflectance);
      out.FixedText(event.EventCode, kSorEventCodeLength);
      out.FixedText(event.LossTechnique, 2);
      for (const auto location : event.MarkerLocations) out.I32(location);
      out.Text(event.Comment, kSorEventCommentCapacity);
    }
    out.I32(events.EndToEndLoss);
    out.I32(events.EndToEndMarker1);
    out.I32(events.EndToEndMarker2);
    out.U16(events.OpticalReturnLoss);
    out.I32(events.OrlMarker1);
    out.I32(events.OrlMarker2);
  });
}

std::int32_t BuildLnkParamsBlock(const SorRecord& /*record*/, SorBlockBuffer& /*block*/, SorSourceTexts /*texts*/) {
  return 0;
}

std::int32_t BuildDataPtsBlock(const SorRecord& record, SorBlockBuffer& block, SorSourceTexts texts) {
  const auto& data = record.DataPts;
  return AppendBlock(block, kSorBlockDataPts, texts, [&](ByteWriter& out) {
    out.I32(data.TotalPointCount);
    const int traces = ClampSorCount(data.TraceCount, kSorMaxTraces);
    out.I16(static_cast<std::int16_t>(traces));
    for (int t = 0; t < traces; ++t) {
      const auto& trace = data.Traces[t];
      const int points = ClampSorCount(trace.PointCount, kSorMaxSamples);
      out.I32(points);
      out.I16(trace.ScaleFactor);
      // A point without a stored sample is written as 0, so the block keeps the count it states.
      const int stored = std::min(points, static_cast<int>(trace.Samples.size()));
      out.U16Array(trace.Samples.data(), stored);
      for (int i = stored; i < points; ++i) out.U16(0);
    }
  });
}

std::int32_t BuildUserNameBlock(const SorRecord& record, SorBlockBuffer& block, SorSourceTexts texts) {
  const auto& user = record.UserName;
  if (user.UserVer < kSorUserVerMin || user.Magic != kSorUserMagic) return 0;
  return AppendBlock(block, kSorBlockUserName, texts, [&](ByteWriter& out) {
    out.I32(user.UserVer);
    out.I32(user.Magic);
    out.I32(user.ReflAdjust);
    out.I32(user.T);
    out.I32(user.Amp);
    out.I32(user.Count);
    for (const auto value : user.Reserved1) out.I32(value);
    out.I32(user.BackscatterMode);
    const bool cursors = user.UserVer >= kSorUserVerCursors;
    out.I32(cursors ? user.StoredCursorA : 0);
    out.I32(cursors ? user.StoredCursorB : 0);
    out.I32(user.DistanceCorrection);
    for (const auto value : user.Reserved2) out.I32(value);
    if (user.UserVer >= kSorUserVerGroup202) {
      out.I32(user.StoredLossCount);
      out.I32(Magnitude(user.StoredLaunchLevel));
      for (const auto value : user.EventLossTable) out.I32(value);
    }
  });
}

std::int32_t BuildVendorBlock(const SorRecord& record, SorBlockBuffer& block, SorSourceTexts texts) {
  return AppendBlock(block, kSorBlockVendor, texts, [&](ByteWriter& out) {
    out.Text(record.NorvalexParams.JobID, kSorTextCapacity);
    out.Text(record.NorvalexParams.Customer, kSorTextCapacity);
  });
}

std::int32_t BuildChecksumBlock(const SorRecord& /*record*/, SorBlockBuffer& block, SorSourceTexts texts) {
  return AppendBlock(block, kSorBlockCksum, texts, [](ByteWriter&) {});
}
