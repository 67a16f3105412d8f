// Group geometry of the .glb file: faces to fan triangles over shared, deduplicated vertices.
#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "gltf/glb_build.h"
#include "text/brush_error.h"
#include "vecmath/coordinates.h"

namespace brushwright {

namespace {

// 16-bit indices while every vertex number fits below 65535, the primitive-restart value that
// glTF forbids as an index; 32-bit indices above.
constexpr std::size_t kMaxShortIndexVertices = 65535;
// Open addressing stays fast while at most half the slots are taken.
constexpr std::size_t kSlotsPerVertex = 2;

// A vertex as written: glTF position and texture coordinate, compared bit for bit.
struct GlbVertex {
  float Position[3];
  float TexCoord[2];
};

// Finds equal vertices of one group; each distinct one gets the next vertex number.
class VertexTable {
 public:
  // Forgets every vertex and makes room for `corners` of them.
  void Reset(std::size_t corners) {
    vertices_.clear();
    vertices_.reserve(corners);
    const std::size_t wanted = std::bit_ceil(std::max<std::size_t>(corners * kSlotsPerVertex, 8));
    slots_.assign(wanted, kEmpty);
  }

  std::uint32_t Insert(const GlbVertex& vertex) {
    std::uint32_t words[5];
    std::memcpy(words, &vertex, sizeof(words));
    std::uint64_t hash = 0;
    for (std::uint32_t word : words) hash = (hash ^ word) * 0x9E3779B97F4A7C15ULL;
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = (hash >> 32) & mask;; slot = (slot + 1) & mask) {
      if (slots_[slot] == kEmpty) {
        slots_[slot] = static_cast<std::uint32_t>(vertices_.size());
        vertices_.push_back(vertex);
        return slots_[slot];
      }
      if (std::memcmp(&vertices_[slots_[slot]], &vertex, sizeof(GlbVertex)) == 0) {
        return slots_[slot];
      }
    }
  }

  const std::vector<GlbVertex>& vertices() const { return vertices_; }

 private:
  static constexpr std::uint32_t kEmpty = std::numeric_limits<std::uint32_t>::max();
  std::vector<std::uint32_t> slots_;
  std::vector<GlbVertex> vertices_;
};

// The faces of one group that share a material, to become one primitive.
struct FaceRun {
  std::int32_t Material = kNoGlbMaterial;
  std::vector<const MeshFace*> Faces;
  std::size_t Corners = 0;
};

// The material a face is drawn with: its surface's, or the plain one for faces without.
std::int32_t MaterialOf(const GlbScene& scene, const MeshFace& face) {
  const std::int32_t material =
      scene.Geometry->Surfaces[static_cast<std::size_t>(face.Surface)].Material;
  return material == kNoMaterial ? scene.UntexturedMaterial : material;
}

// The group's faces of three or more corners by material, in the order materials first appear.
std::vector<FaceRun> FaceRunsOf(const GlbScene& scene, const MeshGroup& group,
                                GlbCounts& counts) {
  const std::size_t material_count = scene.Materials.size();
  std::vector<FaceRun> runs;
  std::vector<int> run_of(material_count + 1, -1);  // slot 0 for faces without material
  for (const MeshFace& face : group.Faces) {
    if (face.Corners.size() < 3) {
      ++counts.SkippedFaces;
      continue;
    }
    const std::int32_t material = MaterialOf(scene, face);
    assert(material >= kNoGlbMaterial && material < static_cast<std::int32_t>(material_count));
    int& run = run_of[static_cast<std::size_t>(material + 1)];
    if (run < 0) {
      run = static_cast<int>(runs.size());
      runs.emplace_back().Material = material;
    }
    runs[static_cast<std::size_t>(run)].Faces.push_back(&face);
    runs[static_cast<std::size_t>(run)].Corners += face.Corners.size();
  }
  return runs;
}

// A corner in glTF space, V counting from the top. Adding +0 turns negative zeros into zeros,
// so equal vertices compare equal.
GlbVertex VertexOf(const GlbScene& scene, const MeshCorner& corner) {
  const std::vector<Vector>& positions = scene.Geometry->Positions;
  assert(corner.Position >= 0 && static_cast<std::size_t>(corner.Position) < positions.size());
  const std::array<double, 3> p =
      UnrealToGltf(positions[static_cast<std::size_t>(corner.Position)], scene.Scale);
  return {{static_cast<float>(p[0]) + 0.0f, static_cast<float>(p[1]) + 0.0f,
           static_cast<float>(p[2]) + 0.0f},
          {static_cast<float>(corner.U) + 0.0f, static_cast<float>(1 - corner.V) + 0.0f}};
}

// Visits the corners of an n-gon in the order 0, n-1, n-2, ..., 1: glTF's axes mirror the
// level's, so this order keeps the face front-facing.
template <typename Visit>
void ForEachCornerAsWritten(std::size_t n, Visit visit) {
  for (std::size_t k = n; k-- > 0;) visit((k + 1) % n, n - 1 - k);
}

bool IsFinite(const GlbVertex& vertex) {
  return std::all_of(std::begin(vertex.Position), std::end(vertex.Position),
                     [](float f) { return std::isfinite(f); }) &&
         std::isfinite(vertex.TexCoord[0]) && std::isfinite(vertex.TexCoord[1]);
}

// Adds the run's vertices to the group's table and returns the run's triangles (three vertex
// numbers each); a fan triangle that uses one vertex twice has no area and is left out.
std::vector<std::uint32_t> Triangulate(const std::string& path, const GlbScene& scene,
                                       const MeshGroup& group, const FaceRun& run,
                                       VertexTable& table) {
  std::vector<std::uint32_t> triangles;
  triangles.reserve((run.Corners - 2 * run.Faces.size()) * 3);
  for (const MeshFace* face : run.Faces) {
    std::uint32_t first = 0;
    std::uint32_t previous = 0;
    ForEachCornerAsWritten(face->Corners.size(), [&](std::size_t i, std::size_t k) {
      const GlbVertex vertex = VertexOf(scene, face->Corners[i]);
      if (!IsFinite(vertex)) {
        throw BrushError("cannot write '" + path + "': face " +
                         std::to_string(face - group.Faces.data() + 1) + " of group '" +
                         group.Name.value_or("") +
                         "' has a position or texture coordinate out of range");
      }
      const std::uint32_t id = table.Insert(vertex);
      if (k == 0) first = id;
      if (k >= 2 && first != previous && previous != id && first != id) {
        triangles.insert(triangles.end(), {first, previous, id});
      }
      previous = id;
    });
  }
  return triangles;
}

tinygltf::Accessor& AddAccessor(tinygltf::Model& model, int view, std::size_t offset,
                                int component_type, int type, std::size_t count) {
  tinygltf::Accessor& accessor = model.accessors.emplace_back();
  accessor.bufferView = view;
  accessor.byteOffset = offset;
  accessor.componentType = component_type;
  accessor.type = type;
  accessor.count = count;
  return accessor;
}

// Appends the group's vertices to the binary chunk as the POSITION accessor (with the bounds
// glTF requires) and the TEXCOORD_0 accessor after it; returns the first.
int AddVertices(const std::vector<GlbVertex>& vertices, int first_view, GlbBinary& binary,
                tinygltf::Model& model) {
  std::vector<float> positions;
  std::vector<float> tex_coords;
  positions.reserve(vertices.size() * 3);
  tex_coords.reserve(vertices.size() * 2);
  std::vector<double> low(3, std::numeric_limits<double>::infinity());
  std::vector<double> high(3, -std::numeric_limits<double>::infinity());
  for (const GlbVertex& vertex : vertices) {
    for (int axis = 0; axis < 3; ++axis) {
      positions.push_back(vertex.Position[axis]);
      low[axis] = std::min<double>(low[axis], vertex.Position[axis]);
      high[axis] = std::max<double>(high[axis], vertex.Position[axis]);
    }
    tex_coords.insert(tex_coords.end(), {vertex.TexCoord[0], vertex.TexCoord[1]});
  }
  const int first = static_cast<int>(model.accessors.size());
  tinygltf::Accessor& position = AddAccessor(
      model, first_view, AppendAligned(binary.Positions, positions.data(), positions.size() * 4),
      TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, vertices.size());
  position.minValues = std::move(low);
  position.maxValues = std::move(high);
  AddAccessor(model, first_view + 1,
              AppendAligned(binary.TexCoords, tex_coords.data(), tex_coords.size() * 4),
              TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC2, vertices.size());
  return first;
}

// Appends one primitive's triangles to the binary chunk as an index accessor; returns it.
int AddIndices(const std::vector<std::uint32_t>& triangles, std::size_t vertex_count,
               int index_view, GlbBinary& binary, tinygltf::Model& model) {
  std::size_t offset = 0;
  int component_type = TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT;
  if (vertex_count <= kMaxShortIndexVertices) {
    const std::vector<std::uint16_t> short_indices(triangles.begin(), triangles.end());
    offset = AppendAligned(binary.Indices, short_indices.data(), short_indices.size() * 2);
    component_type = TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT;
  } else {
    offset = AppendAligned(binary.Indices, triangles.data(), triangles.size() * 4);
  }
  AddAccessor(model, index_view, offset, component_type, TINYGLTF_TYPE_SCALAR, triangles.size());
  return static_cast<int>(model.accessors.size()) - 1;
}

// One run's triangles, before they become a primitive.
struct RunTriangles {
  std::int32_t Material;
  std::vector<std::uint32_t> Triangles;
};

}  // namespace

void AddGroupNodes(const std::string& path, const GlbScene& scene, int first_view,
                   GlbBinary& binary, tinygltf::Model& model, GlbCounts& counts) {
  if (scene.Geometry == nullptr) return;
  VertexTable table;
  for (const MeshGroup& group : scene.Geometry->Groups) {
    // The group's primitives share one vertex list: equal vertices are written once per group.
    const std::vector<FaceRun> runs = FaceRunsOf(scene, group, counts);
    std::size_t corners = 0;
    for (const FaceRun& run : runs) corners += run.Corners;
    table.Reset(corners);
    std::vector<RunTriangles> primitives;
    for (const FaceRun& run : runs) {
      std::vector<std::uint32_t> triangles = Triangulate(path, scene, group, run, table);
      counts.Triangles += static_cast<std::int64_t>(triangles.size() / 3);
      if (!triangles.empty()) primitives.push_back({run.Material, std::move(triangles)});
    }
    tinygltf::Node& node = model.nodes.emplace_back();
    node.name = GltfName(group.Name.value_or(""));
    // A mesh needs at least one primitive: a group without faces is a bare node.
    if (primitives.empty()) continue;
    node.mesh = static_cast<int>(model.meshes.size());
    tinygltf::Mesh& mesh = model.meshes.emplace_back();
    mesh.name = node.name;
    const int vertices = AddVertices(table.vertices(), first_view, binary, model);
    counts.Vertices += static_cast<std::int64_t>(table.vertices().size());
    for (const RunTriangles& run : primitives) {
      tinygltf::Primitive& primitive = mesh.primitives.emplace_back();
      primitive.mode = TINYGLTF_MODE_TRIANGLES;
      primitive.material = run.Material;
      primitive.attributes["POSITION"] = vertices;
      primitive.attributes["TEXCOORD_0"] = vertices + 1;
      primitive.indices =
          AddIndices(run.Triangles, table.vertices().size(), first_view + 2, binary, model);
    }
  }
}

}  // namespace brushwright
