#pragma once
// One builder per block of a revision-2 file. Each appends its block, identifier first, to the
// given buffer and returns the block's size in bytes. Counts are clamped to the record's
// capacities, so a record with a bad count never makes the writer read past its arrays. The
// block's variable texts, in order, may come with their source (see ByteWriter).
#include <cstdint>
#include <span>
#include <vector>

#include "sor/byte_writer.h"
#include "sor/sor_record.h"

using SorBlockBuffer = std::vector<std::uint8_t>;
using SorSourceTexts = std::span<const lumivane::SourceText>;

std::int32_t BuildGenParamsBlock(const SorRecord& record, SorBlockBuffer& block, SorSourceTexts texts = {});
std::int32_t BuildSupParamsBlock(const SorRecord& record, SorBlockBuffer& block, SorSourceTexts texts = {});
std::int32_t BuildFxdParamsBlock(const SorRecord& record, SorBlockBuffer& block, SorSourceTexts texts = {});
std::int32_t BuildKeyEventsBlock(const SorRecord& record, SorBlockBuffer& block, SorSourceTexts texts = {});
/// Landmarks are never written: always size 0.
std::int32_t BuildLnkParamsBlock(const SorRecord& record, SorBlockBuffer& block, SorSourceTexts texts = {});
std::int32_t BuildDataPtsBlock(const SorRecord& record, SorBlockBuffer& block, SorSourceTexts texts = {});
/// Size 0 unless the record's UserName block is valid.
std::int32_t BuildUserNameBlock(const SorRecord& record, SorBlockBuffer& block, SorSourceTexts texts = {});
std::int32_t BuildVendorBlock(const SorRecord& record, SorBlockBuffer& block, SorSourceTexts texts = {});
/// The identifier only; the checksum value is appended once the file is assembled.
std::int32_t BuildChecksumBlock(const SorRecord& record, SorBlockBuffer& block, SorSourceTexts texts = {});
