#pragma once
// One builder per block of a revision-2 file. Each appends its block, identifier first, to the
// given buffer and returns the block's size in bytes. Counts are clamped to the record's
// capacities, so a record with a bad count never makes the writer read past its arrays.
#include <cstdint>
#include <vector>

#include "document/sor_record.h"

using SorBlockBuffer = std::vector<std::uint8_t>;

std::int32_t BuildGenParamsBlock(const SorRecord& record, SorBlockBuffer& block);
std::int32_t BuildSupParamsBlock(const SorRecord& record, SorBlockBuffer& block);
std::int32_t BuildFxdParamsBlock(const SorRecord& record, SorBlockBuffer& block);
std::int32_t BuildKeyEventsBlock(const SorRecord& record, SorBlockBuffer& block);
/// Landmarks are never written: always size 0.
std::int32_t BuildLnkParamsBlock(const SorRecord& record, SorBlockBuffer& block);
std::int32_t BuildDataPtsBlock(const SorRecord& record, SorBlockBuffer& block);
/// Size 0 unless the record's UserName block is valid.
std::int32_t BuildUserNameBlock(const SorRecord& record, SorBlockBuffer& block);
std::int32_t BuildVendorBlock(const SorRecord& record, SorBlockBuffer& block);
/// The identifier only; the checksum value is appended once the file is assembled.
std::int32_t BuildChecksumBlock(const SorRecord& record, SorBlockBuffer& block);
