// Tests of the package reader: the sample packages' tables, older layouts, broken files.
#include "package/package_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "package/byte_cursor.h"
#include "package/package_object.h"
#include "package/package_writer.h"
#include "support/test_inputs.h"
#include "text/brush_error.h"

namespace {

using namespace brushwright;
using brushwright::testing::ByteWriter;
using brushwright::testing::PackageWriter;

const std::string kPackages = BRUSHWRIGHT_PACKAGES_DIR;

std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const BrushError& error) {
    return error.what();
  }
  return "";
}

std::int32_t FindExport(const PackageFile& package, std::string_view name) {
  for (std::size_t i = 0; i < package.Exports().size(); ++i) {
    if (package.ObjectName(ExportRef(static_cast<std::int32_t>(i))) == name) {
      return static_cast<std::int32_t>(i);
    }
  }
  return -1;
}

TEST(PackageFile, ReadsTheSamplePackagesTables) {
  SKIP_WITHOUT_PACKAGES();
  const struct {
    const char* file;
    int version, licensee;
    std::size_t names, imports, exports;
    std::int32_t import_ref;
    const char* import_path;
  } rows[] = {
      {"Checkers.utx", 69, 0, 30, 3, 10, -3, "Engine.Palette"},
      {"BuildingGraphics.utx", 69, 0, 83, 10, 19, -10, "genfluid.lava.SHlava3"},
      {"test_map.unr", 69, 0, 211, 18, 143, -7, "Editor.Bkgnd"},
      {"UWRM-Torpedo.ut2", 128, 29, 1105, 109, 819, -97, "UnWheelAds.Ads.UnWheel2"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.file);
    const PackageFile package = PackageFile::Open(kPackages + "/" + row.file);
    EXPECT_EQ(package.Version(), row.version);
    EXPECT_EQ(package.Licensee(), row.licensee);
    EXPECT_EQ(package.Names().size(), row.names);
    EXPECT_EQ(package.Imports().size(), row.imports);
    EXPECT_EQ(package.Exports().size(), row.exports);
    EXPECT_EQ(package.ObjectPath(row.import_ref), row.import_path);
    // Every object's leading parts read, up to the end of its properties.
    for (std::size_t i = 0; i < package.Exports().size(); ++i) {
      EXPECT_NO_THROW(PackageObject::Read(package, static_cast<std::int32_t>(i)));
    }
  }
  const PackageFile map = PackageFile::Open(kPackages + "/UWRM-Torpedo.ut2");
  const std::int32_t shot = ExportRef(FindExport(map, "Shot00052"));
  EXPECT_EQ(map.ObjectPath(shot), "UWRM-Torpedo.Screens.Shot00052");
  EXPECT_EQ(map.ClassName(shot), "Texture");
  EXPECT_TRUE(map.IsA(shot, "TEXTURE"));
}

TEST(PackageObject, ReadsStateFramesAndBothKindsOfStructs) {
  SKIP_WITHOUT_PACKAGES();
  // A first-generation brush keeps MainScale as 17 raw bytes; a second-generation one as tags.
  const PackageFile old_map = PackageFile::Open(kPackages + "/test_map.unr");
  const PackageObject old_brush = PackageObject::Read(old_map, FindExport(old_map, "Brush29"));
  ASSERT_TRUE(old_brush.Frame().has_value());
  EXPECT_EQ(old_map.ObjectName(old_brush.Frame()->Node), "Brush");
  const PropertyTag* old_scale = old_brush.Find("PostScale");
  ASSERT_NE(old_scale, nullptr);
  EXPECT_EQ(old_scale->ValueSize, 17);
  EXPECT_EQ(old_brush.IntValue(old_brush.Find("CsgOper")), 1);
  EXPECT_EQ(old_map.ObjectName(old_brush.ObjectValue(old_brush.Find("Brush"))), "Model30");

  const PackageFile map = PackageFile::Open(kPackages + "/UWRM-Torpedo.ut2");
  const PackageObject brush = PackageObject::Read(map, FindExport(map, "Brush6"));
  const std::vector<PropertyTag> scale = brush.StructFields(*brush.Find("MainScale"));
  ASSERT_EQ(scale.size(), 3u);
  EXPECT_EQ(brush.FloatValue(brush.FindIn(scale, "SheerRate")), 0.0f);
  EXPECT_EQ(brush.IntValue(brush.FindIn(scale, "SheerAxis")), 5);
  EXPECT_EQ(brush.ValueCursor(*brush.FindIn(scale, "Scale")).F32(), 1.0f);
}

TEST(PackageFile, ReadsEveryGenerationsLayout) {
  // Zero-terminated names and a heritage table (61), length-prefixed names (64), the
  // generations table (68), and Tribes: Vengeance's object header (130, licensee 27).
  for (const int version : {61, 64, 68, 130}) {
    SCOPED_TRACE(version);
    const int licensee = version == 130 ? 27 : 0;
    PackageWriter writer(version, licensee);
    const std::int32_t texture = writer.Import("Class", 0, "Texture");
    const std::int32_t group = writer.Export(0, 0, "Walls", {});
    ByteWriter data;
    if (licensee != 0) data.I32(3).I32(7).I32(0);
    data.Compact(0).Compact(0).I32(-1).I32(-1).I32(0);  // a state frame without a node
    data.Property(writer.Name("USize"), 2, {0, 1, 0, 0}).BoolProperty(writer.Name("bMasked"), true);
    data.Compact(0).U8(42);
    writer.Export(texture, group, "Brick", data.Data, 0x70004 | kObjectHasStack);
    const PackageFile package = PackageFile::FromBytes("Pack.utx", writer.Bytes());
    EXPECT_EQ(package.ObjectPath(2), "Pack.Walls.Brick");
    const PackageObject brick = PackageObject::Read(package, 1);
    EXPECT_EQ(brick.IntValue(brick.Find("usize")), 256);
    EXPECT_TRUE(brick.BoolValue(brick.Find("bMasked")));
    EXPECT_EQ(brick.DataCursor().U8(), 42);
  }
}

TEST(PackageObject, ReadsEachFormOfArrayIndexAndThePropertyAfterIt) {
  // An int property's tag with its array flag: the index in one, two (top bits 10) or four
  // bytes (top bits 11), then the value, then another property.
  const struct {
    std::vector<std::uint8_t> index_bytes;
    std::int32_t index;
  } rows[] = {{{0x7F}, 127},
              {{0x80, 0xC8}, 200},
              {{0xBF, 0xFF}, 16383},
              {{0xC0, 0x00, 0x4E, 0x20}, 20000},
              {{0xC1, 0x02, 0x03, 0x04}, 0x1020304}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.index);
    PackageWriter writer(69);
    ByteWriter data;
    data.Compact(writer.Name("Sizes")).U8(0x80 | 0x20 | 2).Raw(row.index_bytes).I32(77);
    data.Property(writer.Name("USize"), 2, {0, 1, 0, 0}).Compact(0).U8(42);
    writer.Export(writer.ClassImport("Texture"), 0, "Brick", data.Data);
    const PackageFile package = PackageFile::FromBytes("Pack.utx", writer.Bytes());
    const PackageObject brick = PackageObject::Read(package, 0);
    EXPECT_EQ(brick.IntValue(brick.Find("Sizes", row.index)), 77);
    EXPECT_EQ(brick.IntValue(brick.Find("USize")), 256);
    EXPECT_EQ(brick.DataCursor().U8(), 42);
  }
}

TEST(PackageFile, NamesTheFileTableAndOffsetOfBrokenTables) {
  PackageWriter writer(69);
  const std::int32_t texture = writer.Import("Class", 0, "Texture");
  // A property list cut short after its first name.
  writer.Export(texture, 0, "Brick", {1});
  const std::vector<std::uint8_t> good = writer.Bytes();
  const auto open = [](std::vector<std::uint8_t> bytes) {
    return ErrorOf([&] { PackageFile::FromBytes("Pack.utx", std::move(bytes)); });
  };
  const auto with = [&](std::size_t at, std::uint8_t value) {
    std::vector<std::uint8_t> bytes = good;
    bytes[at] = value;
    return bytes;
  };
  EXPECT_EQ(open(with(0, 0)), "'Pack.utx': not an Unreal package (no package signature)");
  EXPECT_EQ(open(with(15, 0x10)),
            "'Pack.utx': name table of 268435461 entries at byte 65 does not fit in the file's "
            "141 bytes");
  // The export entry: class, super, 4-byte outer, name, 4-byte flags, size, 2-byte offset.
  const std::size_t entry = good.size() - 14;
  EXPECT_EQ(open(with(entry + 6, 9)),
            "'Pack.utx': export table entry 0: name index 9 outside the 5 names");
  EXPECT_EQ(open(with(entry + 2, 1)), "'Pack.utx': the outer objects of 'Brick' form a loop");
  EXPECT_EQ(ErrorOf([&] { PackageObject::Read(PackageFile::FromBytes("Pack.utx", good), 0); }),
            "'Pack.utx', export 'Brick' (Texture): 1 bytes wanted, 0 left at byte 65");
  EXPECT_EQ(ErrorOf([&] {
              PackageFile::FromBytes("Pack.utx", with(entry + 13, 0x7F)).ReadObjectBytes(0);
            }),
            "'Pack.utx': export 'Brick' (Texture): its 1 bytes at byte 8128 lie outside the "
            "file's 141 bytes");
  // Every shorter file is refused with a message, never read past its end.
  for (std::size_t length = 0; length < good.size(); ++length) {
    const std::vector<std::uint8_t> prefix(good.begin(), good.begin() + length);
    EXPECT_NE(open(prefix), "") << length;
  }
}

TEST(ByteCursor, ReadsCompactIndexesAndKeepsTheFirstFailure) {
  const std::vector<std::uint8_t> bytes = {0x05, 0x85, 0x40, 0x01, 0x7F, 0xFF, 0xFF, 0xFF,
                                           0x0F, 0x40, 0x80, 0x80, 0x80, 0x80, 0x01};
  ByteCursor cursor(bytes, 100, "Pack.utx", "name table");
  EXPECT_EQ(cursor.CompactIndex(), 5);
  EXPECT_EQ(cursor.CompactIndex(), -5);
  EXPECT_EQ(cursor.CompactIndex(), 64);
  EXPECT_EQ(cursor.CompactIndex(), 0x7FFFFFFF);
  EXPECT_EQ(cursor.CompactIndex(), 0);  // six bytes: refused
  EXPECT_EQ(cursor.U8(), 0);            // nothing more is read after a failure
  EXPECT_EQ(ErrorOf([&] { cursor.Check(); }),
            "'Pack.utx', name table: compact index longer than 5 bytes at byte 109");
  // Negative values of two and three bytes (import references past the 64th).
  const std::vector<std::uint8_t> negative = {0xE8, 0x0F, 0xE0, 0x9A, 0x0C};
  ByteCursor long_negative(negative, 0, "Pack.utx", "export table");
  EXPECT_EQ(long_negative.CompactIndex(), -1000);
  EXPECT_EQ(long_negative.CompactIndex(), -100000);
  EXPECT_TRUE(long_negative.AtEnd());
  ByteCursor counted(bytes, 0, "Pack.utx", "export 'Brick' (Texture)");
  EXPECT_EQ(counted.Count(4, 4, "mip"), 0);
  EXPECT_EQ(ErrorOf([&] { counted.Check(); }),
            "'Pack.utx', export 'Brick' (Texture): mip count 4 does not fit in the 15 bytes left "
            "at byte 0");
}

}  // namespace
