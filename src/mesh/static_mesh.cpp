// Static meshes stored in second-generation packages: the streams a renderer draws, read and
// checked; the colour, wire-edge and collision data between them passed over.
#include "mesh/static_mesh.h"

#include <span>
#include <string_view>
#include <utility>

#include "package/byte_cursor.h"
#include "package/package_object.h"
#include "text/brush_error.h"

namespace brushwright {

namespace {

// Stored sizes of the fixed parts: a box is two vectors and a validity byte, a sphere a centre
// and a radius; a section a strip word and five 16-bit numbers; a vertex a position and a normal.
constexpr std::int64_t kBoxBytes = 25;
constexpr std::int64_t kSphereBytes = 16;
constexpr std::int64_t kSectionBytes = 14;
constexpr std::int64_t kVertexBytes = 24;
constexpr std::int64_t kColourBytes = 4;
constexpr std::int64_t kUVBytes = 8;
constexpr std::int64_t kIndexBytes = 2;
constexpr std::int64_t kRevisionBytes = 4;
// A UV stream holds at least its count, its coordinate index and its revision.
constexpr std::int64_t kLeastUVStreamBytes = 9;
// Box-tree collision: a node is a box without validity byte, a leaf word and two 16-bit numbers;
// a triangle three vertex numbers and a material number.
constexpr std::int64_t kBoxTreeNodeBytes = 32;
constexpr std::int64_t kBoxTreeTriangleBytes = 8;
// Older collision: a triangle is four planes and four compact indexes, a node four compact
// indexes and a box.
constexpr std::int64_t kOldCollisionPlaneBytes = 64;
constexpr int kOldCollisionIndexes = 4;
// The three collision switches of the oldest layouts, 32-bit each.
constexpr std::int64_t kStoredSwitchBytes = 12;
// The struct of a Materials entry names its material in this field.
constexpr std::string_view kMaterialField = "Material";

// A section as stored: the first index and the triangle count (what the engine draws) matter;
// a strip's triangles share their edges, each after the first adding one index.
struct StoredSection {
  bool IsStrip = false;
  std::int32_t FirstIndex = 0;
  std::int32_t PrimitiveCount = 0;
};

// The indices a section's triangles take from the index stream.
std::int64_t SectionIndexCount(const StoredSection& section) {
  if (section.PrimitiveCount == 0) return 0;
  return section.IsStrip ? section.PrimitiveCount + 2 : 3 * std::int64_t{section.PrimitiveCount};
}

std::string JoinedGroup(const std::vector<std::string>& outers) {
  std::string group;
  for (const std::string& outer : outers) group += (group.empty() ? "" : ".") + outer;
  return group;
}

// The materials the mesh's Materials property names, section by section; 0 for an entry
// without one.
std::vector<std::int32_t> MaterialRefs(const PackageObject& object) {
  std::vector<std::int32_t> refs;
  const PropertyTag* tag = object.Find("Materials");
  if (!tag || tag->Type != PropertyType::Array) return refs;
  const PackageFile& package = object.Package();
  ByteCursor cursor = object.ValueCursor(*tag);
  // Each entry takes at least one byte (a reference or the tag list's end).
  const std::int32_t count = cursor.Count(cursor.CompactIndex(), 1, "materials");
  refs.reserve(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count && cursor.Ok(); ++i) {
    if (HasNestedStructTags(package.Version())) {
      const std::vector<PropertyTag> fields = object.ReadTags(cursor);
      if (!cursor.Ok()) break;
      refs.push_back(object.ObjectValue(object.FindIn(fields, kMaterialField)));
    } else {
      // The struct's raw fields: the material's reference, then the collision switch's byte.
      const std::int32_t ref = cursor.CompactIndex();
      cursor.U8();
      if (cursor.Ok() && !package.IsObjectRef(ref)) {
        cursor.Fail("material reference " + std::to_string(ref) + " outside the tables");
      }
      refs.push_back(cursor.Ok() ? ref : 0);
    }
  }
  cursor.Check();
  return refs;
}

// Passes over an array of `element_bytes`-sized elements.
void SkipArray(ByteCursor& cursor, std::int64_t element_bytes, std::string_view what) {
  const std::int32_t count = cursor.Count(cursor.CompactIndex(), element_bytes, what);
  cursor.Skip(count * element_bytes);
}

// Passes over a stream: an array followed by its revision number.
void SkipStream(ByteCursor& cursor, std::int64_t element_bytes, std::string_view what) {
  SkipArray(cursor, element_bytes, what);
  cursor.Skip(kRevisionBytes);
}

std::vector<StoredSection> ReadSections(ByteCursor& cursor) {
  const std::int32_t count = cursor.Count(cursor.CompactIndex(), kSectionBytes, "sections");
  std::vector<StoredSection> sections(static_cast<std::size_t>(count));
  for (StoredSection& section : sections) {
    section.IsStrip = cursor.I32() != 0;
    section.FirstIndex = cursor.U16();
    cursor.U16();  // the lowest and highest vertex drawn: 65535 in an empty section
    cursor.U16();
    cursor.U16();  // the source's triangle count, which the drawn count below supersedes
    section.PrimitiveCount = cursor.U16();
  }
  return sections;
}

void ReadVertices(ByteCursor& cursor, StaticMesh& mesh) {
  const std::int32_t count = cursor.Count(cursor.CompactIndex(), kVertexBytes, "vertices");
  mesh.Positions.resize(static_cast<std::size_t>(count));
  mesh.Normals.resize(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count; ++i) {
    Vector& position = mesh.Positions[static_cast<std::size_t>(i)];
    position.X = cursor.F32();
    position.Y = cursor.F32();
    position.Z = cursor.F32();
    Vector& normal = mesh.Normals[static_cast<std::size_t>(i)];
    normal.X = cursor.F32();
    normal.Y = cursor.F32();
    normal.Z = cursor.F32();
  }
  cursor.Skip(kRevisionBytes);
}

// The first stream's coordinates, one per vertex; later streams (light maps, detail) are passed
// over.
void ReadUVStreams(ByteCursor& cursor, StaticMesh& mesh) {
  const std::int32_t streams =
      cursor.Count(cursor.CompactIndex(), kLeastUVStreamBytes, "UV streams");
  const std::size_t vertex_count = mesh.Positions.size();
  mesh.UVs.assign(vertex_count, {0.0F, 0.0F});
  for (std::int32_t stream = 0; stream < streams && cursor.Ok(); ++stream) {
    const std::int32_t count = cursor.Count(cursor.CompactIndex(), kUVBytes, "UV coordinates");
    if (stream == 0 && static_cast<std::size_t>(count) != vertex_count && cursor.Ok()) {
      cursor.Fail("the first UV stream holds " + std::to_string(count) + " coordinates for " +
                  std::to_string(vertex_count) + " vertices");
    }
    if (stream == 0 && cursor.Ok()) {
      for (std::array<float, 2>& uv : mesh.UVs) {
        uv[0] = cursor.F32();
        uv[1] = cursor.F32();
      }
    } else {
      cursor.Skip(count * kUVBytes);
    }
    cursor.Skip(4);  // the coordinate index
    cursor.Skip(kRevisionBytes);
  }
}

// The index stream, each index checked against the vertices and each section against the
// stream, at the byte where the stream's count is stored.
void ReadIndices(ByteCursor& cursor, const std::vector<StoredSection>& sections, StaticMesh& mesh) {
  const std::int32_t count = cursor.Count(cursor.CompactIndex(), kIndexBytes, "indices");
  for (std::size_t k = 0; k < sections.size() && cursor.Ok(); ++k) {
    const StoredSection& section = sections[k];
    const std::int64_t used = SectionIndexCount(section);
    if (used > 0 && section.FirstIndex + used > count) {
      cursor.Fail("section " + std::to_string(k) + "'s " + std::to_string(section.PrimitiveCount) +
                  " triangles from index " + std::to_string(section.FirstIndex) + " run past the " +
                  std::to_string(count) + " indices");
    }
  }
  mesh.Indices.resize(static_cast<std::size_t>(count));
  const std::size_t vertex_count = mesh.Positions.size();
  for (std::uint32_t& index : mesh.Indices) {
    index = cursor.U16();
    if (index >= vertex_count && cursor.Ok()) {
      cursor.Fail("index " + std::to_string(index) + " past the " + std::to_string(vertex_count) +
                  " vertices");
    }
  }
  cursor.Skip(kRevisionBytes);
}

// Passes over the collision data in the layout of the package's version.
void SkipCollision(ByteCursor& cursor, int version) {
  if (HasBoxTreeCollision(version)) {
    SkipArray(cursor, kBoxTreeNodeBytes, "collision nodes");
    SkipArray(cursor, kBoxTreeTriangleBytes, "collision triangles");
    return;
  }
  const std::int32_t triangles = cursor.Count(
      cursor.CompactIndex(), kOldCollisionPlaneBytes + kOldCollisionIndexes, "collision triangles");
  for (std::int32_t i = 0; i < triangles && cursor.Ok(); ++i) {
    cursor.Skip(kOldCollisionPlaneBytes);
    for (int j = 0; j < kOldCollisionIndexes; ++j) cursor.CompactIndex();
  }
  const std::int32_t nodes =
      cursor.Count(cursor.CompactIndex(), kOldCollisionIndexes + kBoxBytes, "collision nodes");
  for (std::int32_t i = 0; i < nodes && cursor.Ok(); ++i) {
    for (int j = 0; j < kOldCollisionIndexes; ++j) cursor.CompactIndex();
    cursor.Skip(kBoxBytes);
  }
}

// The source triangles the editor builds the mesh from are stored last, behind the file offset
// just past them; the offset must lie within the mesh's bytes.
void SkipSourceTriangles(ByteCursor& cursor) {
  const std::int64_t skip_offset = cursor.I32();
  if (!cursor.Ok()) return;
  const std::int64_t end = cursor.FileOffset() + cursor.Remaining();
  if (skip_offset < cursor.FileOffset() || skip_offset > end) {
    cursor.Fail("source triangles' skip offset " + std::to_string(skip_offset) +
                " outside the mesh's bytes " + std::to_string(cursor.FileOffset()) + " to " +
                std::to_string(end));
    return;
  }
  cursor.SeekFile(skip_offset);
}

// The triangles of strip sections turned into lists (every other one turned back to keep its
// winding; degenerate ones dropped), so that every section is 3 indices a triangle.
void UnstripSections(const std::vector<StoredSection>& sections, StaticMesh& mesh) {
  std::vector<std::uint32_t> indices;
  for (std::size_t k = 0; k < sections.size(); ++k) {
    const StoredSection& stored = sections[k];
    StaticMeshSection& section = mesh.Sections[k];
    section.FirstIndex = static_cast<std::int32_t>(indices.size());
    for (std::int32_t t = 0; t < stored.PrimitiveCount; ++t) {
      const std::size_t first = static_cast<std::size_t>(stored.FirstIndex + t);
      std::array<std::uint32_t, 3> corners;
      if (!stored.IsStrip) {
        const std::size_t base = static_cast<std::size_t>(stored.FirstIndex) + 3 * t;
        corners = {mesh.Indices[base], mesh.Indices[base + 1], mesh.Indices[base + 2]};
      } else if (t % 2 == 0) {
        corners = {mesh.Indices[first], mesh.Indices[first + 1], mesh.Indices[first + 2]};
      } else {
        corners = {mesh.Indices[first + 1], mesh.Indices[first], mesh.Indices[first + 2]};
      }
      if (stored.IsStrip &&
          (corners[0] == corners[1] || corners[1] == corners[2] || corners[0] == corners[2])) {
        continue;
      }
      indices.insert(indices.end(), corners.begin(), corners.end());
    }
    section.TriangleCount = static_cast<std::int32_t>(indices.size() / 3) - section.FirstIndex / 3;
  }
  mesh.Indices = std::move(indices);
}

}  // namespace

StaticMesh ReadStaticMesh(const PackageFile& package, std::int32_t export_index) {
  const std::int32_t ref = ExportRef(export_index);
  StaticMesh mesh;
  mesh.Package = package.Name();
  mesh.Group = JoinedGroup(package.OuterNames(ref));
  mesh.Name = package.ObjectName(ref);
  const std::string label =
      "static mesh '" + (mesh.Group.empty() ? "" : mesh.Group + ".") + mesh.Name + "'";
  if (!HasMeshLevelStreams(package.Version())) {
    throw BrushError("'" + package.Path() + "', " + label + ": static meshes of version " +
                     std::to_string(package.Version()) + " (before 112) cannot be read");
  }
  // Tribes: Vengeance and SWAT 4 put headers of their own inside the mesh's data.
  if (IsVengeancePackage(package.Version(), package.Licensee())) {
    throw BrushError("'" + package.Path() + "', " + label +
                     ": static meshes of Tribes: Vengeance and SWAT 4 packages cannot be read");
  }

  const PackageObject object = PackageObject::Read(package, export_index);
  const std::vector<std::int32_t> materials = MaterialRefs(object);
  const std::int64_t data_offset = object.DataCursor().FileOffset() - object.FileOffset();
  ByteCursor cursor(
      std::span<const std::uint8_t>(object.Bytes()).subspan(static_cast<std::size_t>(data_offset)),
      object.FileOffset() + data_offset, package.Path(), label);

  // The bounds (of the primitive, then the mesh's own box again), the sections, the streams.
  cursor.Skip(kBoxBytes + kSphereBytes);
  const std::vector<StoredSection> sections = ReadSections(cursor);
  cursor.Skip(kBoxBytes);
  ReadVertices(cursor, mesh);
  SkipStream(cursor, kColourBytes, "colours");
  SkipStream(cursor, kColourBytes, "alphas");
  ReadUVStreams(cursor, mesh);
  ReadIndices(cursor, sections, mesh);
  SkipStream(cursor, kIndexBytes, "wire edges");
  cursor.CompactIndex();  // the collision model, a reference the reader has no use for
  SkipCollision(cursor, package.Version());
  if (HasStoredCollisionSwitches(package.Version())) cursor.Skip(kStoredSwitchBytes);
  SkipSourceTriangles(cursor);
  cursor.Check();

  bool any_strip = false;
  mesh.Sections.resize(sections.size());
  for (std::size_t k = 0; k < sections.size(); ++k) {
    StaticMeshSection& section = mesh.Sections[k];
    section.FirstIndex = sections[k].FirstIndex;
    section.TriangleCount = sections[k].PrimitiveCount;
    if (k < materials.size() && materials[k] != 0) {
      section.Material = package.ObjectPath(materials[k]);
    }
    any_strip = any_strip || sections[k].IsStrip;
  }
  if (any_strip) UnstripSections(sections, mesh);
  return mesh;
}

std::vector<std::int32_t> StaticMeshExports(const PackageFile& package) {
  std::vector<std::int32_t> meshes;
  const std::int32_t count = static_cast<std::int32_t>(package.Exports().size());
  for (std::int32_t i = 0; i < count; ++i) {
    if (package.IsA(ExportRef(i), "StaticMesh")) meshes.push_back(i);
  }
  return meshes;
}

}  // namespace brushwright
