// Builds small Unreal packages in memory for tests: names, imports, exports and their data.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace brushwright::testing {

// Little-endian bytes as packages store them.
struct ByteWriter {
  std::vector<std::uint8_t> Data;

  ByteWriter& U8(int value) {
    Data.push_back(static_cast<std::uint8_t>(value));
    return *this;
  }
  ByteWriter& I32(std::int64_t value) {
    for (int i = 0; i < 4; ++i) U8(static_cast<int>((value >> (8 * i)) & 0xFF));
    return *this;
  }
  ByteWriter& F32(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, 4);
    return I32(bits);
  }
  ByteWriter& Compact(std::int32_t value) {
    std::uint32_t rest = static_cast<std::uint32_t>(value < 0 ? -value : value);
    U8((value < 0 ? 0x80 : 0) | (rest >= 0x40 ? 0x40 : 0) | (rest & 0x3F));
    for (rest >>= 6; rest > 0; rest >>= 7) U8((rest >= 0x80 ? 0x80 : 0) | (rest & 0x7F));
    return *this;
  }
  ByteWriter& Raw(const std::vector<std::uint8_t>& bytes) {
    Data.insert(Data.end(), bytes.begin(), bytes.end());
    return *this;
  }
  // A tagged property: name index, info byte (type, size code 5 with a one-byte size), value.
  ByteWriter& Property(std::int32_t name, int type, const std::vector<std::uint8_t>& value) {
    Compact(name).U8(0x50 | type).U8(static_cast<int>(value.size()));
    return Raw(value);
  }
  // A bool keeps its value in the tag's array flag and has no value bytes.
  ByteWriter& BoolProperty(std::int32_t name, bool value) {
    return Compact(name).U8((value ? 0x80 : 0) | 0x50 | 3).U8(0);
  }
};

// A package of one version, its tables written after a data area that holds the exports' data.
class PackageWriter {
 public:
  explicit PackageWriter(int version, int licensee = 0) : version_(version), licensee_(licensee) {
    Name("None");
  }

  std::int32_t Name(std::string_view name) {
    for (std::size_t i = 0; i < names_.size(); ++i) {
      if (names_[i] == name) return static_cast<std::int32_t>(i);
    }
    names_.emplace_back(name);
    return static_cast<std::int32_t>(names_.size() - 1);
  }
  // The new import's object reference.
  std::int32_t Import(std::string_view class_name, std::int32_t outer, std::string_view name) {
    imports_.Compact(Name("Core")).Compact(Name(class_name)).I32(outer).Compact(Name(name));
    return -++import_count_;
  }
  // The reference of the class `name` (of package Core), imported on its first use.
  std::int32_t ClassImport(std::string_view name) {
    const auto found = classes_.find(std::string(name));
    if (found != classes_.end()) return found->second;
    return classes_[std::string(name)] = Import("Class", 0, name);
  }
  // The new export's object reference.
  std::int32_t Export(std::int32_t class_ref, std::int32_t outer, std::string_view name,
                      const std::vector<std::uint8_t>& data, std::uint32_t flags = 0x70004) {
    exports_.Compact(class_ref).Compact(0).I32(outer).Compact(Name(name)).I32(flags);
    exports_.Compact(static_cast<std::int32_t>(data.size()));
    if (!data.empty()) exports_.Compact(static_cast<std::int32_t>(kDataStart + data_.size()));
    data_.insert(data_.end(), data.begin(), data.end());
    return ++export_count_;
  }

  // The file offset where the next export's data will begin (for data that store offsets).
  std::int64_t NextDataOffset() const {
    return kDataStart + static_cast<std::int64_t>(data_.size());
  }

  int Version() const { return version_; }

  std::vector<std::uint8_t> Bytes() const {
    ByteWriter names;
    for (const std::string& name : names_) {
      if (version_ >= 64) names.Compact(static_cast<std::int32_t>(name.size() + 1));
      for (char c : name) names.U8(c);
      names.U8(0).I32(0x70010);
    }
    const std::int64_t name_offset = kDataStart + static_cast<std::int64_t>(data_.size());
    const std::int64_t import_offset = name_offset + static_cast<std::int64_t>(names.Data.size());
    const std::int64_t export_offset =
        import_offset + static_cast<std::int64_t>(imports_.Data.size());
    ByteWriter out;
    out.I32(0x9E2A83C1).U8(version_).U8(version_ >> 8).U8(licensee_).U8(licensee_ >> 8).I32(1);
    out.I32(static_cast<std::int64_t>(names_.size())).I32(name_offset);
    out.I32(export_count_).I32(export_offset).I32(import_count_).I32(import_offset);
    if (version_ >= 68) {
      for (int i = 0; i < 4; ++i) out.I32(0x1234567 * (i + 1));  // the GUID
      out.I32(1).I32(export_count_).I32(static_cast<std::int64_t>(names_.size()));
    } else {
      out.I32(0).I32(kDataStart);  // an empty heritage table
    }
    out.Data.resize(kDataStart, 0);
    out.Data.insert(out.Data.end(), data_.begin(), data_.end());
    out.Raw(names.Data).Raw(imports_.Data).Raw(exports_.Data);
    return out.Data;
  }

 private:
  static constexpr std::int64_t kDataStart = 64;
  int version_;
  int licensee_;
  std::vector<std::string> names_;
  ByteWriter imports_;
  ByteWriter exports_;
  std::vector<std::uint8_t> data_;
  std::map<std::string, std::int32_t> classes_;
  std::int32_t import_count_ = 0;
  std::int32_t export_count_ = 0;
};

// One mip of a hand-made texture: its size and its stored bytes (none for an empty mip).
struct MipSpec {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint8_t> Bytes;
};

// Exports a palette of `colours` (RGBA) and gives its reference.
inline std::int32_t ExportPalette(PackageWriter& writer, std::string_view name,
                                  const std::vector<std::array<std::uint8_t, 4>>& colours) {
  ByteWriter data;
  data.Compact(writer.Name("None")).Compact(static_cast<std::int32_t>(colours.size()));
  for (const auto& colour : colours) {
    for (const std::uint8_t channel : colour) data.U8(channel);
  }
  return writer.Export(writer.ClassImport("Palette"), 0, name, data.Data);
}

// Exports a texture of format number `format` with `mips` (largest first), naming `palette`
// unless it is 0, and gives its reference.
inline std::int32_t ExportTexture(PackageWriter& writer, std::string_view name, int format,
                                  const std::vector<MipSpec>& mips, std::int32_t palette = 0,
                                  bool masked = false) {
  ByteWriter data;
  data.Property(writer.Name("Format"), 1, {static_cast<std::uint8_t>(format)});
  if (palette != 0) data.Property(writer.Name("Palette"), 5, ByteWriter().Compact(palette).Data);
  if (masked) data.BoolProperty(writer.Name("bMasked"), true);
  data.Compact(writer.Name("None")).Compact(static_cast<std::int32_t>(mips.size()));
  for (const MipSpec& mip : mips) {
    if (writer.Version() >= 62) data.I32(0);  // the skip offset, which readers pass over
    data.Compact(static_cast<std::int32_t>(mip.Bytes.size())).Raw(mip.Bytes);
    data.I32(mip.Width).I32(mip.Height).U8(0).U8(0);
  }
  return writer.Export(writer.ClassImport("Texture"), 0, name, data.Data);
}

}  // namespace brushwright::testing
