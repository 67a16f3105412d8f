// The texture table: registration order, keys of name and flags, and material names.
#include "run/texture_table.h"

#include <gtest/gtest.h>

namespace brushwright {
namespace {

TEST(TextureTable, FirstRegistrationFillsTheBlankEntry) {
  TextureTable table = EmptyTextureTable();
  ASSERT_EQ(table.size(), 1u);
  EXPECT_EQ(FindTexture(table, "Wall", 0), -1);

  RegisterTexture(table, "Wall", 64, 64, 0);

  ASSERT_EQ(table.size(), 1u);
  EXPECT_EQ(table[0].Name, "Wall");
  EXPECT_EQ(table[0].Width, 64);
  EXPECT_EQ(table[0].Height, 64);
  EXPECT_EQ(FindTexture(table, "Wall", 0), 0);
  EXPECT_EQ(FindTexture(table, "", 0), -1);
}

TEST(TextureTable, PairsAreKeyedByExactNameAndFlags) {
  TextureTable table = EmptyTextureTable();
  RegisterTexture(table, "Wall", 64, 64, 0);
  RegisterTexture(table, "Wall", 32, 16, 2);
  RegisterTexture(table, "wall", 8, 8, 0);

  ASSERT_EQ(table.size(), 3u);
  EXPECT_EQ(FindTexture(table, "Wall", 0), 0);
  EXPECT_EQ(FindTexture(table, "Wall", 2), 1);
  EXPECT_EQ(FindTexture(table, "wall", 0), 2);
  EXPECT_EQ(FindTexture(table, "WALL", 0), -1);
  EXPECT_EQ(MaterialName(table[0].Name, table[0].Flags), "Wall0");
  EXPECT_EQ(MaterialName(table[1].Name, table[1].Flags), "Wall2");
  EXPECT_EQ(table[1].Width, 32);
  EXPECT_EQ(table[1].Height, 16);
}

TEST(TextureTable, AKnownPairKeepsItsFirstSize) {
  TextureTable table = EmptyTextureTable();
  RegisterTexture(table, "Wall", 64, 64, 0);
  RegisterTexture(table, "Floor", 32, 32, 0);
  RegisterTexture(table, "Wall", 128, 128, 0);

  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(table[0].Width, 64);
  EXPECT_EQ(table[0].Height, 64);
}

TEST(TextureTable, CoincidingMaterialNamesKeepBothEntries) {
  TextureTable table = EmptyTextureTable();
  RegisterTexture(table, "Wall1", 256, 256, 23);
  RegisterTexture(table, "Wall12", 256, 256, 3);

  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(MaterialName(table[0].Name, table[0].Flags), "Wall123");
  EXPECT_EQ(MaterialName(table[1].Name, table[1].Flags), "Wall123");
}

TEST(TextureTable, BlankEntryMatchesOnlyTheEmptyPair) {
  const TextureTable table = EmptyTextureTable();
  EXPECT_EQ(FindTexture(table, "", 0), 0);
  EXPECT_EQ(FindTexture(table, "", 1), -1);
}

TEST(TextureTable, APairAddedTwiceIsFoundAtItsFirstEntry) {
  TextureTable table = EmptyTextureTable();
  AddTexture(table, "Wall", 64, 64, 0);
  AddTexture(table, "Floor", 32, 32, 0);
  AddTexture(table, "Wall", 8, 8, 0);

  ASSERT_EQ(table.size(), 4u);
  EXPECT_EQ(FindTexture(table, "", 0), 0);
  EXPECT_EQ(FindTexture(table, "Wall", 0), 1);
  EXPECT_EQ(FindTexture(table, "Floor", 0), 2);
}

TEST(MaterialName, NameFollowedByFlagDigits) {
  struct Row {
    const char* name;
    std::int64_t flags;
    const char* expected;
  };
  const Row rows[] = {
      {"Wall", 0, "Wall0"},
      {"Wall", 32768, "Wall32768"},
      {"Glass", 134217734, "Glass134217734"},
      {"Sky", 2147483648, "Sky2147483648"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(MaterialName(row.name, row.flags), row.expected) << row.name << " " << row.flags;
  }
}

}  // namespace
}  // namespace brushwright
