#include "sor_image_builder.h"

#include <cstring>

#include "sor/sor_crc.h"

namespace lumivane::test {

SorImageBuilder& SorImageBuilder::Block(std::string_view name, bool withIdentifier) {
  entries_.push_back({std::string(name), {}});
  if (withIdentifier) Text(name);
  return *this;
}

SorImageBuilder& SorImageBuilder::EmptyEntry(std::string_view name) {
  entries_.push_back({std::string(name), {}});
  return *this;
}

Bytes& SorImageBuilder::Body() { return entries_.back().body; }

SorImageBuilder& SorImageBuilder::U8(std::uint8_t value) {
  Body().push_back(value);
  return *this;
}

SorImageBuilder& SorImageBuilder::U16(std::uint16_t value) {
  Body().push_back(static_cast<std::uint8_t>(value & 0xFF));
  Body().push_back(static_cast<std::uint8_t>(value >> 8));
  return *this;
}

SorImageBuilder& SorImageBuilder::U32(std::uint32_t value) {
  for (int i = 0; i < 4; ++i) Body().push_back(static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF));
  return *this;
}

SorImageBuilder& SorImageBuilder::Text(std::string_view text) {
  Body().insert(Body().end(), text.begin(), text.end());
  Body().push_back(0);
  return *this;
}

SorImageBuilder& SorImageBuilder::Fixed(std::string_view text, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) Body().push_back(i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0);
  return *this;
}

SorImageBuilder& SorImageBuilder::Raw(const Bytes& bytes) {
  Body().insert(Body().end(), bytes.begin(), bytes.end());
  return *this;
}

namespace {

void Put16(Bytes& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(Bytes& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF));
}

void PutName(Bytes& out, const std::string& name) {
  out.insert(out.end(), name.begin(), name.end());
  out.push_back(0);
}

}  // namespace

Bytes SorImageBuilder::BuildV2(std::uint16_t mapRevision) const {
  const bool checksum = !entries_.empty() && entries_.back().name == "Cksum";
  Bytes out;
  PutName(out, "Map");
  Put16(out, mapRevision);
  Put32(out, 0);
  Put16(out, static_cast<std::uint16_t>(entries_.size()));
  for (const auto& entry : entries_) {
    PutName(out, entry.name);
    Put16(out, 200);
    const bool isChecksum = checksum && &entry == &entries_.back();
    Put32(out, static_cast<std::uint32_t>(entry.body.size() + (isChecksum ? 2 : 0)));
  }
  const auto mapSize = static_cast<std::uint32_t>(out.size());
  for (int i = 0; i < 4; ++i) out[6 + i] = static_cast<std::uint8_t>((mapSize >> (8 * i)) & 0xFF);
  for (const auto& entry : entries_) out.insert(out.end(), entry.body.begin(), entry.body.end());
  if (checksum) {
    const std::uint16_t crc = SorCrc16(out.data(), out.size() - 6);
    Put16(out, crc);
  }
  return out;
}

Bytes SorImageBuilder::BuildV1(std::uint16_t mapRevision) const {
  Bytes out;
  Put16(out, mapRevision);
  Put32(out, 0);
  Put16(out, static_cast<std::uint16_t>(entries_.size()));
  for (const auto& entry : entries_) {
    PutName(out, entry.name);
    Put16(out, mapRevision);
    Put32(out, static_cast<std::uint32_t>(entry.body.size()));
  }
  const auto mapSize = static_cast<std::uint32_t>(out.size());
  for (int i = 0; i < 4; ++i) out[2 + i] = static_cast<std::uint8_t>((mapSize >> (8 * i)) & 0xFF);
  for (const auto& entry : entries_) out.insert(out.end(), entry.body.begin(), entry.body.end());
  return out;
}

namespace {

void SampleGenParams(SorImageBuilder& b, bool v2, const SampleSorSpec& spec) {
  b.Block("GenParams", v2).Fixed("EN", 2).Text("CABLE-7").Text("F012");
  if (v2) b.I16(652);
  b.I16(1550).Text("North Hub").Text("Pole 44").Text("CC1").Fixed("BC", 2).I32(12);
  if (v2) b.I32(34);
  b.Text("R. Tech").Text(spec.comment);
}

void SampleSupParams(SorImageBuilder& b, bool v2, const SampleSorSpec& spec) {
  b.Block("SupParams", v2).Text(spec.supplier).Text("MF-100").Text("SN123").Text("42").Text("OM-9").Text("3.30.7").Text(
      "other");
}

}  // namespace

void AddSampleFxdParams(SorImageBuilder& b, bool v2, int points) {
  b.Block("FxdParams", v2).U32(1700000000).Fixed("mt", 2).I16(15500).I32(-120);
  if (v2) b.I32(-24);
  b.I16(1).I16(100).I32(50000).I32(points).I32(146800).I16(-800).I32(4000);
  if (v2) b.I16(300);
  b.I32(400000).I32(8000);
  if (v2) b.I32(55);
  b.U16(45000).I16(1000).U16(20000).U16(50).U16(40000).U16(3000);
  if (v2) b.Fixed("ST", 2).I32(1).I32(2).I32(3).I32(4);
}

namespace {

void SampleKeyEvents(SorImageBuilder& b, bool v2, int events, const std::string& comment) {
  b.Block("KeyEvents", v2).I16(static_cast<std::int16_t>(events));
  for (int k = 0; k < events; ++k) {
    const bool last = k == events - 1;
    b.I16(static_cast<std::int16_t>(k + 1)).I32(k * 10000).I16(static_cast<std::int16_t>(k == 0 ? 0 : 190));
    b.I16(static_cast<std::int16_t>(k * 25)).I32(k % 2 == 0 ? -45000 : 0);
    b.Fixed(k % 2 == 0 ? (last ? "1E9999" : "1F9999") : "0F9999", 6).Fixed("LS", 2);
    if (v2) {
      for (int m = 0; m < 5; ++m) b.I32(k * 10000 + m * 100);
    }
    b.Text(k == 1 ? comment : "");
  }
  b.I32(6500).I32(0).I32(events * 10000).U16(32000).I32(0).I32(events * 10000);
}

void SampleDataPts(SorImageBuilder& b, bool v2, int points) {
  b.Block("DataPts", v2).I32(points).I16(1).I32(points).I16(1000);
  for (int i = 0; i < points; ++i) b.U16(static_cast<std::uint16_t>(1000 + (i * 7) % 30000));
}

/// Another maker's block: its identifier, then bytes no reader of this system knows.
void SampleForeignBlock(SorImageBuilder& b, const std::string& name) {
  if (name.empty()) return;
  b.Block(name);
  for (int i = 0; i < 40; ++i) b.U8(static_cast<std::uint8_t>(i * 37));
}

void SampleUserName(SorImageBuilder& b, int userVer) {
  b.Block("UserName").I32(userVer).I32(31415926).I32(-150);
  for (int i = 0; i < 7; ++i) b.I32(i + 1);  // T, Amp, Count, three reserved, backscatter mode
  const bool cursors = userVer >= 203;  // older versions are written with zero cursors
  b.I32(cursors ? 400 : 0).I32(cursors ? 800 : 0).I32(-35);  // cursors A and B, distance correction
  for (int i = 0; i < 23; ++i) b.I32(100 + i);
  if (userVer >= 202) {
    b.I32(3).I32(12345);  // loss count, launch level (written as its magnitude)
    for (int i = 0; i < 200; ++i) b.I32(i * 10);
  }
}

}  // namespace

Bytes MakeSorV2WithBlock(const std::function<void(SorImageBuilder&)>& addBlock) {
  // The padding closes the last block before Cksum, inside its map entry, so the map still agrees.
  const auto build = [&](std::size_t padding) {
    SorImageBuilder b;
    b.Block("GenParams").Fixed("EN", 2).Text("c").Text("f").I16(652).I16(1310).Text("o").Text("t").Text("cc");
    b.Fixed("BC", 2).I32(1).I32(2).Text("op").Text("comment");
    addBlock(b);
    b.Raw(Bytes(padding, 0));
    b.Block("Cksum");
    return b.BuildV2();
  };
  constexpr std::size_t kRevision2Length = 300;
  const Bytes image = build(0);
  return image.size() < kRevision2Length ? build(kRevision2Length - image.size()) : image;
}

void PatchU16(Bytes& bytes, std::size_t at, std::uint16_t value) {
  bytes[at] = static_cast<std::uint8_t>(value & 0xFF);
  bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void PatchU32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF);
}

Bytes WithDistanceUnits(Bytes image, std::string_view units) {
  // The field follows the block's own name (the second "FxdParams") and its 4-byte time stamp.
  const std::string name = "FxdParams";
  std::size_t at = 0;
  for (int seen = 0; at + name.size() < image.size(); ++at) {
    if (std::memcmp(image.data() + at, name.data(), name.size()) == 0 && ++seen == 2) break;
  }
  const std::size_t field = at + name.size() + 1 + 4;
  image[field] = static_cast<std::uint8_t>(units[0]);
  image[field + 1] = static_cast<std::uint8_t>(units[1]);
  return image;
}

Bytes MakeSampleSorV2(const SampleSorSpec& spec) {
  SorImageBuilder b;
  SampleGenParams(b, true, spec);
  SampleSupParams(b, true, spec);
  AddSampleFxdParams(b, true, spec.points);
  SampleDataPts(b, true, spec.points);
  SampleKeyEvents(b, true, spec.events, spec.eventComment);
  b.EmptyEntry("LnkParams");
  if (spec.userVer > 0) {
    SampleUserName(b, spec.userVer);
  } else {
    b.EmptyEntry("UserName");
  }
  if (spec.withVendor) b.Block("NorvalexParams").Text("JOB-1").Text("ACME Fibre");
  SampleForeignBlock(b, spec.foreignBlock);
  b.Block("Cksum");
  return b.BuildV2();
}

Bytes MakeSampleSorV1(const SampleSorSpec& spec) {
  SorImageBuilder b;
  SampleGenParams(b, false, spec);
  SampleSupParams(b, false, spec);
  AddSampleFxdParams(b, false, spec.points);
  SampleKeyEvents(b, false, spec.events, spec.eventComment);
  b.Block("LnkParams", false).I16(0);
  SampleDataPts(b, false, spec.points);
  SampleForeignBlock(b, spec.foreignBlock);
  b.Block("Cksum", false).U16(0xBEEF);
  return b.BuildV1();
}

}  // namespace lumivane::test
