// Builds static-mesh exports for tests, in the layout of a chosen package version.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "package/package_writer.h"

namespace brushwright::testing {

struct MeshContent {
  struct Section {
    int FirstIndex = 0;
    int MinVertex = 0;
    int MaxVertex = 0;
    int Triangles = 0;
    std::int32_t Material = 0;  // object reference; 0 for none
    bool Strip = false;         // its triangles a strip: each after the first adds one index
  };
  std::vector<std::array<float, 3>> Positions;
  std::vector<std::array<float, 3>> Normals;  // one per position
  std::vector<std::array<float, 2>> UVs;      // one per position
  std::vector<int> Indices;
  std::vector<Section> Sections;
  std::optional<std::int64_t> SkipOffset;  // the stored one instead of the right one
  std::optional<int> VertexCount;          // the stored count instead of the right one
};

// A quad of two triangles on the plane z = 0, facing up, stored clockwise seen from above, with
// one section of `material`.
inline MeshContent QuadMesh(std::int32_t material) {
  MeshContent content;
  content.Positions = {{0, 0, 0}, {0, 10, 0}, {10, 10, 0}, {10, 0, 0}};
  content.Normals.assign(4, {0, 0, 1});
  content.UVs = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
  content.Indices = {0, 1, 2, 0, 2, 3};
  content.Sections = {{0, 0, 3, 2, material}};
  return content;
}

// The data of a static mesh in the layout of `version`, to be stored as the next export of
// `writer` (its source triangles' skip offset is a file offset).
inline std::vector<std::uint8_t> StaticMeshData(PackageWriter& writer, int version,
                                                const MeshContent& content) {
  ByteWriter out;
  auto u16 = [&out](int value) { out.U8(value & 0xFF).U8((value >> 8) & 0xFF); };
  auto floats = [&out](std::initializer_list<float> values) {
    for (float value : values) out.F32(value);
  };
  // Properties: the Materials array, its entries tagged structs from version 118 on.
  ByteWriter materials;
  materials.Compact(static_cast<std::int32_t>(content.Sections.size()));
  for (const MeshContent::Section& section : content.Sections) {
    if (version >= 118) {
      ByteWriter ref;
      ref.Compact(section.Material);
      materials.BoolProperty(writer.Name("EnableCollision"), true);
      materials.Property(writer.Name("Material"), 5, ref.Data).Compact(writer.Name("None"));
    } else {
      materials.Compact(section.Material).U8(1);
    }
  }
  out.Property(writer.Name("Materials"), 9, materials.Data).Compact(writer.Name("None"));
  // Bounds, sections, the box again.
  for (int i = 0; i < 25 + 16; ++i) out.U8(0);
  out.Compact(static_cast<std::int32_t>(content.Sections.size()));
  for (const MeshContent::Section& section : content.Sections) {
    out.I32(section.Strip ? 1 : 0);
    for (int value : {section.FirstIndex, section.MinVertex, section.MaxVertex, section.Triangles,
                      section.Triangles}) {
      u16(value);
    }
  }
  for (int i = 0; i < 25; ++i) out.U8(0);
  // Streams: vertices, colours, alphas, UVs, indices, wire edges; each with its revision.
  out.Compact(content.VertexCount.value_or(static_cast<int>(content.Positions.size())));
  for (std::size_t i = 0; i < content.Positions.size(); ++i) {
    floats({content.Positions[i][0], content.Positions[i][1], content.Positions[i][2]});
    floats({content.Normals[i][0], content.Normals[i][1], content.Normals[i][2]});
  }
  out.I32(1);
  for (int stream = 0; stream < 2; ++stream) {
    out.Compact(static_cast<std::int32_t>(content.Positions.size()));
    for (std::size_t i = 0; i < content.Positions.size(); ++i) out.I32(-1);
    out.I32(1);
  }
  out.Compact(2);  // two UV streams, the second a light map's
  for (int stream = 0; stream < 2; ++stream) {
    out.Compact(static_cast<std::int32_t>(content.UVs.size()));
    for (const auto& uv : content.UVs) floats({uv[0] + static_cast<float>(stream), uv[1]});
    out.I32(stream).I32(1);
  }
  out.Compact(static_cast<std::int32_t>(content.Indices.size()));
  for (int index : content.Indices) u16(index);
  out.I32(1);
  out.Compact(2);
  u16(0);
  u16(1);
  out.I32(1);
  out.Compact(0);  // no collision model
  // Collision data: a node and a triangle in the layout of the version.
  if (version >= 126) {
    out.Compact(1);
    for (int i = 0; i < 32; ++i) out.U8(7);
    out.Compact(1);
    for (int i = 0; i < 8; ++i) out.U8(7);
  } else {
    out.Compact(1);
    for (int i = 0; i < 64; ++i) out.U8(7);
    for (int i = 0; i < 4; ++i) out.Compact(1000);  // compact indexes of two bytes
    out.Compact(1);
    for (int i = 0; i < 4; ++i) out.Compact(-1000);
    for (int i = 0; i < 25; ++i) out.U8(7);
  }
  if (version < 114) out.I32(0).I32(1).I32(0);
  // The source triangles behind their skip offset: one triangle of 64 bytes.
  const std::int64_t source_bytes = 1 + 64;
  const std::int64_t right_offset =
      writer.NextDataOffset() + static_cast<std::int64_t>(out.Data.size()) + 4 + source_bytes;
  out.I32(content.SkipOffset.value_or(right_offset));
  out.Compact(1);
  for (int i = 0; i < 64; ++i) out.U8(9);
  out.I32(11).Compact(0).I32(0x12345678);  // internal version, physics, authentication key
  return out.Data;
}

// Adds the static mesh as an export of `writer` under `outer` and gives its object reference.
inline std::int32_t AddStaticMesh(PackageWriter& writer, int version, std::int32_t outer,
                                  std::string_view name, const MeshContent& content) {
  const std::int32_t engine = writer.Import("Package", 0, "Engine");
  const std::int32_t mesh_class = writer.Import("Class", engine, "StaticMesh");
  return writer.Export(mesh_class, outer, name, StaticMeshData(writer, version, content));
}

}  // namespace brushwright::testing
