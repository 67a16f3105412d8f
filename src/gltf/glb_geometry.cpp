// Group geometry of the .glb file: faces to triangles over shared, deduplicated vertices.
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
#include "world/tolerance.h"

namespace brushwright {

namespace {

// 16-bit indices while every vertex number fits below 65535, the primitive-restart value that
// glTF forbids as an index; 32-bit indices above.
constexpr std::size_t kMaxShortIndexVertices = 65535;
// Open addressing stays fast while at most half the slots are taken.
constexpr std::size_t kSlotsPerVertex = 2;
// A corner within kOnEdgeDistance (world/tolerance.h) of the line through its neighbours lies on
// an edge of its face: the world output keeps corners up to that far off an edge where
// neighbouring faces meet them, and a triangle of three corners of one edge has no area.

// A vertex as written, compared bit for bit: glTF position and texture coordinate, where it lies
// on its face's light-map page (zero without one), and for a shape lit per vertex the shape
// position it stands on (zero otherwise), whose light it takes.
struct GlbVertex {
  float Position[3];
  float TexCoord[2];
  float LightCoord[2];
  std::uint32_t Source;
};
static_assert(sizeof(GlbVertex) == 32, "vertices are hashed and compared as eight words");

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
    std::uint32_t words[sizeof(GlbVertex) / 4];
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

// Faces and the positions their corners index: a group's over the mesh's, a shape's over its own.
// A shape lit per vertex keeps apart the vertices of different positions.
struct FacesOnPositions {
  const std::string& Name;
  const std::vector<MeshFace>& Faces;
  const std::vector<Vector>& Positions;
  bool KeepSources = false;
};

// The faces of one group drawn with one model material, to become one primitive; on a light-map
// page or not, as the material is one that names a page or not.
struct FaceRun {
  int Material = kNoGlbMaterial;
  bool Lit = false;
  std::vector<const MeshFace*> Faces;
  std::size_t Corners = 0;
};

// The group's faces of three or more corners by model material, in the order materials first
// appear.
std::vector<FaceRun> FaceRunsOf(const GlbScene& scene, const LitMaterials& lit,
                                std::size_t model_materials, const std::vector<MeshFace>& faces,
                                GlbCounts& counts) {
  [[maybe_unused]] const std::size_t material_count = scene.Materials.size();
  std::vector<FaceRun> runs;
  std::vector<int> run_of(model_materials + 1, -1);  // slot 0 for faces without material
  for (const MeshFace& face : faces) {
    if (face.Corners.size() < 3) {
      ++counts.SkippedFaces;
      continue;
    }
    const std::int32_t scene_material = GlbMaterialOf(scene, face);
    assert(scene_material >= kNoGlbMaterial &&
           scene_material < static_cast<std::int32_t>(material_count));
    // Faces of unlit materials have no lit material: they are drawn as without a page.
    const auto found =
        face.LightPage == kNoLightPage ? lit.end() : lit.find({scene_material, face.LightPage});
    const bool paged = found != lit.end();
    const int material = paged ? found->second : scene_material;
    int& run = run_of[static_cast<std::size_t>(material + 1)];
    if (run < 0) {
      run = static_cast<int>(runs.size());
      runs.push_back({material, paged, {}, 0});
    }
    runs[static_cast<std::size_t>(run)].Faces.push_back(&face);
    runs[static_cast<std::size_t>(run)].Corners += face.Corners.size();
  }
  return runs;
}

// A corner in glTF space, V counting from the top; its page coordinates count from the page's top
// already. Adding +0 turns negative zeros into zeros, so equal vertices compare equal.
GlbVertex VertexOf(const GlbScene& scene, const FacesOnPositions& part, bool paged,
                   const MeshCorner& corner) {
  assert(corner.Position >= 0 && static_cast<std::size_t>(corner.Position) < part.Positions.size());
  const std::array<double, 3> p =
      UnrealToGltf(part.Positions[static_cast<std::size_t>(corner.Position)], scene.Scale);
  return {{static_cast<float>(p[0]) + 0.0f, static_cast<float>(p[1]) + 0.0f,
           static_cast<float>(p[2]) + 0.0f},
          {static_cast<float>(corner.U) + 0.0f, static_cast<float>(1 - corner.V) + 0.0f},
          {paged ? corner.LightS + 0.0f : 0.0f, paged ? corner.LightT + 0.0f : 0.0f},
          part.KeepSources ? static_cast<std::uint32_t>(corner.Position) : 0u};
}

bool IsFinite(const GlbVertex& vertex) {
  const auto finite = [](float f) { return std::isfinite(f); };
  return std::all_of(std::begin(vertex.Position), std::end(vertex.Position), finite) &&
         std::all_of(std::begin(vertex.TexCoord), std::end(vertex.TexCoord), finite) &&
         std::all_of(std::begin(vertex.LightCoord), std::end(vertex.LightCoord), finite);
}

// How a face turns at a corner, seen from the side it faces.
enum class Bend { Convex, Straight, Reflex };

Bend BendAt(const Vector& a, const Vector& b, const Vector& c, const Vector& normal) {
  const Vector turn = VecCross(VecSubtract(b, a), VecSubtract(c, b));
  const double bulge = turn.X * normal.X + turn.Y * normal.Y + turn.Z * normal.Z;
  const double limit = kOnEdgeDistance * VecLength(VecSubtract(c, a));
  return bulge > limit ? Bend::Convex : bulge < -limit ? Bend::Reflex : Bend::Straight;
}

double SquaredLength(const Vector& v) {
  return v.X * v.X + v.Y * v.Y + v.Z * v.Z;
}

// Whether every triangle of the fan from the first corner is wider than the tolerance across its
// longest edge.
bool FanHasArea(const std::vector<Vector>& points) {
  const Vector& apex = points[0];
  for (std::size_t i = 1; i + 1 < points.size(); ++i) {
    const Vector ab = VecSubtract(points[i], apex), ac = VecSubtract(points[i + 1], apex);
    const double longest = std::max({SquaredLength(ab), SquaredLength(ac),
                                     SquaredLength(VecSubtract(points[i + 1], points[i]))});
    if (SquaredLength(VecCross(ab, ac)) <= kOnEdgeDistance * kOnEdgeDistance * longest)
      return false;
  }
  return true;
}

using CornerTriangle = std::array<std::size_t, 3>;

// Cuts corners off the convex face, ring `next`/`previous` over `points`, while some lie on an
// edge: each time a convex corner next to one, which turns that one convex; so every corner is
// used and three or more stay convex. Returns a corner of what is left.
std::size_t CutOffEdgeCorners(const std::vector<Vector>& points, const Vector& normal,
                              std::vector<std::size_t>& next, std::vector<std::size_t>& previous,
                              std::vector<CornerTriangle>& triangles) {
  const auto bend = [&](std::size_t i) {
    return BendAt(points[previous[i]], points[i], points[next[i]], normal);
  };
  std::vector<Bend> bends;
  std::size_t straight = 0;
  for (std::size_t i = 0; i < points.size(); ++i) {
    bends.push_back(bend(i));
    if (bends.back() == Bend::Reflex) return 0;  // not convex: left to the fan
    straight += bends.back() == Bend::Straight ? 1 : 0;
  }
  std::size_t at = 0;
  for (std::size_t left = points.size(), passed = 0; straight > 0 && left > 3 && passed < left;) {
    const std::size_t a = previous[at], c = next[at];
    if (bends[at] != Bend::Convex || (bends[a] != Bend::Straight && bends[c] != Bend::Straight)) {
      at = c;
      ++passed;
      continue;
    }
    triangles.push_back({a, at, c});
    next[a] = c;
    previous[c] = a;
    --left;
    passed = 0;
    for (const std::size_t k : {a, c}) {
      straight -= bends[k] == Bend::Straight ? 1 : 0;
      bends[k] = bend(k);
      straight += bends[k] == Bend::Straight ? 1 : 0;
    }
    at = a;
  }
  return at;
}

// Triangles over the corners of a convex face, in its winding: the fan from the first corner
// when that has area, as it has unless corners lie on edges next to it; otherwise corners are
// cut off until none lies on an edge (or none can be), and the rest is fanned.
void FaceTriangles(const std::vector<Vector>& points, std::vector<CornerTriangle>& triangles) {
  const std::size_t n = points.size();
  triangles.clear();
  if (FanHasArea(points)) {
    for (std::size_t i = 1; i + 1 < n; ++i) triangles.push_back({0, i, i + 1});
    return;
  }
  std::vector<std::size_t> next(n), previous(n);
  Vector area;
  for (std::size_t i = 0; i < n; ++i) {
    next[i] = (i + 1) % n;
    previous[i] = (i + n - 1) % n;
    area = VecAdd(area, VecCross(points[i], points[next[i]]));
  }
  const std::size_t at =
      VecLength(area) > 0 ? CutOffEdgeCorners(points, VecNormalize(area), next, previous, triangles)
                          : 0;
  for (std::size_t b = next[at]; next[b] != at; b = next[b]) triangles.push_back({at, b, next[b]});
}

// Adds the run's vertices to the group's table and returns the run's triangles (three vertex
// numbers each); a triangle that uses one vertex twice has no area and is left out.
std::vector<std::uint32_t> Triangulate(const std::string& path, const GlbScene& scene,
                                       const FacesOnPositions& part, const FaceRun& run,
                                       VertexTable& table) {
  std::vector<std::uint32_t> triangles;
  triangles.reserve((run.Corners - 2 * run.Faces.size()) * 3);
  std::vector<std::uint32_t> ids;
  std::vector<Vector> points;
  std::vector<CornerTriangle> corner_triangles;
  for (const MeshFace* face : run.Faces) {
    ids.clear();
    points.clear();
    ForEachCornerAsWritten(face->Corners.size(), [&](std::size_t i) {
      const MeshCorner& corner = face->Corners[i];
      const GlbVertex vertex = VertexOf(scene, part, run.Lit, corner);
      if (!IsFinite(vertex)) {
        throw BrushError("cannot write '" + path + "': face " +
                         std::to_string(face - part.Faces.data() + 1) + " of group '" + part.Name +
                         "' has a position or texture coordinate out of range");
      }
      const std::uint32_t id = table.Insert(vertex);
      if (!ids.empty() && ids.back() == id) return;
      ids.push_back(id);
      points.push_back(part.Positions[static_cast<std::size_t>(corner.Position)]);
    });
    while (ids.size() > 1 && ids.back() == ids.front()) ids.pop_back(), points.pop_back();
    if (ids.size() < 3) continue;
    FaceTriangles(points, corner_triangles);
    for (const CornerTriangle& t : corner_triangles) {
      const std::uint32_t a = ids[t[0]], b = ids[t[1]], c = ids[t[2]];
      if (a != b && b != c && a != c) triangles.insert(triangles.end(), {a, b, c});
    }
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
// glTF requires), the TEXCOORD_0 accessor after it and, when faces lie on light-map pages, their
// page coordinates as the TEXCOORD_1 accessor after that; returns the first.
int AddVertices(const std::vector<GlbVertex>& vertices, bool paged, int first_view,
                GlbBinary& binary, tinygltf::Model& model) {
  std::vector<float> positions;
  std::vector<float> tex_coords;
  std::vector<float> light_coords;
  positions.reserve(vertices.size() * 3);
  tex_coords.reserve(vertices.size() * 2);
  if (paged) light_coords.reserve(vertices.size() * 2);
  std::vector<double> low(3, std::numeric_limits<double>::infinity());
  std::vector<double> high(3, -std::numeric_limits<double>::infinity());
  for (const GlbVertex& vertex : vertices) {
    for (int axis = 0; axis < 3; ++axis) {
      positions.push_back(vertex.Position[axis]);
      low[axis] = std::min<double>(low[axis], vertex.Position[axis]);
      high[axis] = std::max<double>(high[axis], vertex.Position[axis]);
    }
    tex_coords.insert(tex_coords.end(), {vertex.TexCoord[0], vertex.TexCoord[1]});
    if (paged)
      light_coords.insert(light_coords.end(), {vertex.LightCoord[0], vertex.LightCoord[1]});
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
  if (paged) {
    AddAccessor(model, first_view + 1,
                AppendAligned(binary.TexCoords, light_coords.data(), light_coords.size() * 4),
                TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC2, vertices.size());
  }
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
  int Material;
  bool Lit;
  std::vector<std::uint32_t> Triangles;
};

// The glTF mesh of the faces, its equal vertices written once; -1 when no face has a triangle.
int AddFacesMesh(const std::string& path, const GlbScene& scene, const LitMaterials& lit,
                 const FacesOnPositions& part, int first_view, VertexTable& table,
                 GlbBinary& binary, tinygltf::Model& model, GlbCounts& counts) {
  // The primitives share one vertex list.
  const std::vector<FaceRun> runs =
      FaceRunsOf(scene, lit, model.materials.size(), part.Faces, counts);
  std::size_t corners = 0;
  for (const FaceRun& run : runs) corners += run.Corners;
  table.Reset(corners);
  std::vector<RunTriangles> primitives;
  for (const FaceRun& run : runs) {
    std::vector<std::uint32_t> triangles = Triangulate(path, scene, part, run, table);
    counts.Triangles += static_cast<std::int64_t>(triangles.size() / 3);
    if (!triangles.empty()) primitives.push_back({run.Material, run.Lit, std::move(triangles)});
  }
  // A mesh needs at least one primitive.
  if (primitives.empty()) return -1;
  const int index = static_cast<int>(model.meshes.size());
  tinygltf::Mesh& mesh = model.meshes.emplace_back();
  mesh.name = GltfName(part.Name);
  const bool paged = std::any_of(primitives.begin(), primitives.end(),
                                 [](const RunTriangles& run) { return run.Lit; });
  const int vertices = AddVertices(table.vertices(), paged, first_view, binary, model);
  counts.Vertices += static_cast<std::int64_t>(table.vertices().size());
  for (const RunTriangles& run : primitives) {
    tinygltf::Primitive& primitive = mesh.primitives.emplace_back();
    primitive.mode = TINYGLTF_MODE_TRIANGLES;
    primitive.material = run.Material;
    primitive.attributes["POSITION"] = vertices;
    primitive.attributes["TEXCOORD_0"] = vertices + 1;
    if (run.Lit) primitive.attributes["TEXCOORD_1"] = vertices + 2;
    primitive.indices =
        AddIndices(run.Triangles, table.vertices().size(), first_view + 2, binary, model);
  }
  return index;
}

}  // namespace

std::int32_t GlbMaterialOf(const GlbScene& scene, const MeshFace& face) {
  const std::int32_t material =
      scene.Geometry->Surfaces[static_cast<std::size_t>(face.Surface)].Material;
  return material == kNoMaterial ? scene.UntexturedMaterial : material;
}

void AddGroupNodes(const std::string& path, const GlbScene& scene, const LitMaterials& lit,
                   int first_view, GlbBinary& binary, tinygltf::Model& model, GlbCounts& counts) {
  if (scene.Geometry == nullptr) return;
  VertexTable table;
  for (const MeshGroup& group : scene.Geometry->Groups) {
    const std::string name = group.Name.value_or("");
    const int mesh = AddFacesMesh(path, scene, lit, {name, group.Faces, scene.Geometry->Positions},
                                  first_view, table, binary, model, counts);
    tinygltf::Node& node = model.nodes.emplace_back();
    node.name = GltfName(name);
    // A group without faces is a bare node.
    if (mesh >= 0) node.mesh = mesh;
  }
}

std::vector<GlbShapeMesh> AddShapeMeshes(const std::string& path, const GlbScene& scene,
                                         const LitMaterials& lit, int first_view, GlbBinary& binary,
                                         tinygltf::Model& model, GlbCounts& counts) {
  std::vector<GlbShapeMesh> meshes;
  if (scene.Geometry == nullptr) return meshes;
  std::vector<bool> lit_per_vertex(scene.Geometry->Shapes.size(), false);
  for (const MeshPlacement& placement : scene.Geometry->Placements) {
    if (!placement.VertexLight.empty()) {
      lit_per_vertex[static_cast<std::size_t>(placement.Shape)] = true;
    }
  }
  VertexTable table;
  for (std::size_t s = 0; s < scene.Geometry->Shapes.size(); ++s) {
    const MeshShape& shape = scene.Geometry->Shapes[s];
    GlbShapeMesh& mesh = meshes.emplace_back();
    mesh.Mesh = AddFacesMesh(path, scene, lit,
                             {shape.Name, shape.Faces, shape.Positions, lit_per_vertex[s]},
                             first_view, table, binary, model, counts);
    if (mesh.Mesh < 0 || !lit_per_vertex[s]) continue;
    for (const GlbVertex& vertex : table.vertices()) mesh.Sources.push_back(vertex.Source);
  }
  return meshes;
}

}  // namespace brushwright
