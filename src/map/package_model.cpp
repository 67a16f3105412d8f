// The models of a map package: brush polygon lists and the level's own BSP.
#include "map/package_model.h"

#include <span>
#include <utility>

#include "image/image.h"
#include "package/actor_values.h"
#include "package/byte_cursor.h"
#include "package/package_object.h"
#include "text/brush_error.h"
#include "texture/package_texture.h"
#include "texture/texture_pixels.h"

namespace brushwright {

namespace {

// The fewest bytes each stored element can take, so that a count is checked against the bytes
// left before anything is reserved: a vector is three floats; a node a plane, a zone mask, its
// flags, seven one-byte indexes, two zone bytes, its vertex count and two leaf numbers; a
// surface five bytes of indexes around its flags and pan; a pool vertex two one-byte indexes; a
// polygon its vertex count, four vectors, its flags and five
// one-byte indexes.
constexpr std::int64_t kVectorBytes = 12;
constexpr std::int64_t kLeastNodeBytes = 43;
constexpr std::int64_t kLeastSurfaceBytes = 16;
// The second generation's node adds a sphere and three 32-bit numbers; its surface drops the
// light map and the pan and adds a plane and a light-map scale.
constexpr std::int64_t kLeastBuiltNodeBytes = kLeastNodeBytes + 16 + 12;
constexpr std::int64_t kLeastBuiltSurfaceBytes = kLeastSurfaceBytes - 1 - 4 + 16 + 4;
constexpr std::int64_t kLeastVertexBytes = 2;
constexpr std::int64_t kLeastPolygonBytes = 58;
// A bounding box: two corners and a byte saying whether it is valid.
constexpr std::int64_t kBoxBytes = 25;
// A light-map index: its data offset, pan, two one-byte clamps, two scales and its first light;
// a leaf three one-byte indexes and a zone mask; a leaf hull an i32.
constexpr std::int64_t kLeastLightMapBytes = 30;
constexpr std::int64_t kLeastLeafBytes = 11;
constexpr std::int64_t kLeafHullBytes = 4;
// Light maps wider or taller than this are refused: the engine's stay far below, and so a frame
// always fits the largest atlas page the light output writes.
constexpr std::int32_t kMostLightMapTexels = 4096;

// A node and a surface as stored, with where they begin for messages. A second-generation node
// also names its render section, its first vertex there and its light map.
struct StoredNode {
  std::int32_t Surface = 0;
  std::int32_t FirstVertex = 0;
  std::int32_t VertexCount = 0;
  std::int32_t Section = -1;
  std::int32_t SectionVertex = 0;
  std::int32_t LightMap = kNoLightMap;
  std::int32_t FrontZone = 0;  // the zone the node's polygon is seen from
  std::int64_t Offset = 0;
};
struct StoredSurface {
  std::int32_t Texture = 0;
  std::uint32_t Flags = 0;
  std::int32_t Base = 0;
  std::int32_t Normal = 0;
  std::int32_t TextureU = 0;
  std::int32_t TextureV = 0;
  Vector Pan;
  std::int32_t LightMap = kNoLightMap;
  std::int32_t Actor = 0;
  std::int64_t Offset = 0;
};
// A model's BSP arrays as stored.
struct StoredBsp {
  std::vector<Vector> Vectors;
  std::vector<Vector> Points;
  std::vector<StoredNode> Nodes;
  std::vector<StoredSurface> Surfaces;
  std::vector<std::int32_t> Vertices;
  std::int64_t ZoneCount = 0;
  std::vector<std::int32_t> ZoneActors;  // object references, 0 for a zone without an actor
};

// Polygon flags are a 32-bit value that the text writes signed; the level holds its magnitude.
std::int64_t FlagsMagnitude(std::uint32_t stored) {
  const std::int64_t value = static_cast<std::int32_t>(stored);
  return value < 0 ? -value : value;
}

std::int32_t CheckedReference(const PackageFile& package, ByteCursor& cursor) {
  const std::int32_t ref = cursor.CompactIndex();
  if (cursor.Ok() && !package.IsObjectRef(ref)) {
    cursor.Fail("object reference " + std::to_string(ref) + " outside the tables");
  }
  return cursor.Ok() ? ref : 0;
}

Vector ExactVector(ByteCursor& cursor) {
  Vector v;
  v.X = cursor.F32();
  v.Y = cursor.F32();
  v.Z = cursor.F32();
  return v;
}

Vector ExportedVector(ByteCursor& cursor) {
  Vector v;
  v.X = ExportedNumber(cursor.F32());
  v.Y = ExportedNumber(cursor.F32());
  v.Z = ExportedNumber(cursor.F32());
  return v;
}

void SkipPrimitive(ByteCursor& cursor, int version) {
  cursor.Skip(kBoxBytes);
  cursor.Skip(HasSphereRadius(version) ? 16 : 12);
}

void ReadVectors(ByteCursor& cursor, std::int32_t count, std::vector<Vector>& vectors) {
  vectors.reserve(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count && cursor.Ok(); ++i) vectors.push_back(ExactVector(cursor));
}

void ReadNodes(ByteCursor& cursor, std::int32_t count, int version,
               std::vector<StoredNode>& nodes) {
  nodes.reserve(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count && cursor.Ok(); ++i) {
    StoredNode& node = nodes.emplace_back();
    node.Offset = cursor.FileOffset();
    cursor.Skip(16 + 8 + 1);  // plane, zone mask, node flags
    node.FirstVertex = cursor.CompactIndex();
    node.Surface = cursor.CompactIndex();
    for (int j = 0; j < 5; ++j) cursor.CompactIndex();      // children, collision and render bounds
    if (HasNodeSphereAndSection(version)) cursor.Skip(16);  // the node's bounding sphere
    cursor.U8();                                            // the zone behind
    node.FrontZone = cursor.U8();
    node.VertexCount = cursor.U8();
    cursor.Skip(8);  // the leaves on either side
    if (HasNodeSphereAndSection(version)) {
      node.Section = cursor.I32();
      node.SectionVertex = cursor.I32();
      node.LightMap = cursor.I32();
    }
  }
}

void ReadSurfaces(const PackageFile& package, ByteCursor& cursor, std::int32_t count,
                  StoredBsp& bsp) {
  bsp.Surfaces.reserve(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count && cursor.Ok(); ++i) {
    StoredSurface& surface = bsp.Surfaces.emplace_back();
    surface.Offset = cursor.FileOffset();
    surface.Texture = CheckedReference(package, cursor);
    surface.Flags = cursor.U32();
    surface.Base = cursor.CompactIndex();
    surface.Normal = cursor.CompactIndex();
    surface.TextureU = cursor.CompactIndex();
    surface.TextureV = cursor.CompactIndex();
    const bool built_plane = HasSurfacePlane(package.Version());
    if (!built_plane) surface.LightMap = cursor.CompactIndex();
    cursor.CompactIndex();  // brush polygon
    if (!built_plane) {
      surface.Pan.X = static_cast<std::int16_t>(cursor.U16());
      surface.Pan.Y = static_cast<std::int16_t>(cursor.U16());
    }
    surface.Actor = CheckedReference(package, cursor);
    if (built_plane) cursor.Skip(16 + 4);  // the surface's plane and light-map scale
  }
}

void ReadVertices(ByteCursor& cursor, std::int32_t count, StoredBsp& bsp) {
  bsp.Vertices.reserve(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count && cursor.Ok(); ++i) {
    bsp.Vertices.push_back(cursor.CompactIndex());
    cursor.CompactIndex();  // the shared side
  }
}

// The zones' actors into `actors`.
void ReadZones(const PackageFile& package, ByteCursor& cursor, std::int64_t count,
               std::vector<std::int32_t>& actors) {
  const std::int32_t zones = cursor.Count(count, 1 + ZonePropertyBytes(package.Version()), "zone");
  for (std::int32_t i = 0; i < zones && cursor.Ok(); ++i) {
    actors.push_back(CheckedReference(package, cursor));
    cursor.Skip(ZonePropertyBytes(package.Version()));
  }
}

// The arrays stored in the model itself (version 62 on), up to and with its zones.
void ReadInlineBsp(const PackageFile& package, ByteCursor& cursor, StoredBsp& bsp) {
  const int version = package.Version();
  const bool built_layout = HasNodeSphereAndSection(version);
  ReadVectors(cursor, cursor.Count(cursor.CompactIndex(), kVectorBytes, "vector"), bsp.Vectors);
  ReadVectors(cursor, cursor.Count(cursor.CompactIndex(), kVectorBytes, "point"), bsp.Points);
  ReadNodes(cursor,
            cursor.Count(cursor.CompactIndex(),
                         built_layout ? kLeastBuiltNodeBytes : kLeastNodeBytes, "node"),
            version, bsp.Nodes);
  ReadSurfaces(package, cursor,
               cursor.Count(cursor.CompactIndex(),
                            HasSurfacePlane(version) ? kLeastBuiltSurfaceBytes : kLeastSurfaceBytes,
                            "surface"),
               bsp);
  ReadVertices(cursor, cursor.Count(cursor.CompactIndex(), kLeastVertexBytes, "vertex"), bsp);
  cursor.I32();  // shared sides
  bsp.ZoneCount = cursor.I32();
}

// One of the BSP objects of an old model (Vectors, Points, BspNodes, BspSurfs, Verts): its
// stored count and capacity, then its elements, read by `read`.
template <typename Read>
void ReadBspObject(const PackageFile& package, std::int32_t ref, std::string_view what,
                   std::int64_t least_bytes, Read read) {
  if (ref == 0) return;
  if (!IsExportRef(ref)) {
    throw BrushError("'" + package.Path() + "': the level's " + std::string(what) +
                     " are in another package ('" + package.ObjectPath(ref) + "')");
  }
  const PackageObject object = PackageObject::Read(package, ExportIndexOf(ref));
  ByteCursor cursor = object.DataCursor();
  const std::int32_t count = cursor.Count(cursor.I32(), least_bytes, what);
  cursor.I32();  // capacity
  read(cursor, count);
  cursor.Check();
}

// The five objects an old model names, in their order, read into `bsp` unless it is null; the
// cursor stays on the model.
void ReadSeparateBsp(const PackageFile& package, ByteCursor& cursor, StoredBsp* built) {
  std::int32_t refs[5];
  for (std::int32_t& ref : refs) ref = CheckedReference(package, cursor);
  cursor.Check();
  if (!built) return;
  StoredBsp& bsp = *built;
  ReadBspObject(package, refs[0], "vectors", kVectorBytes,
                [&](ByteCursor& c, std::int32_t n) { ReadVectors(c, n, bsp.Vectors); });
  ReadBspObject(package, refs[1], "points", kVectorBytes,
                [&](ByteCursor& c, std::int32_t n) { ReadVectors(c, n, bsp.Points); });
  ReadBspObject(package, refs[2], "nodes", kLeastNodeBytes, [&](ByteCursor& c, std::int32_t n) {
    ReadNodes(c, n, package.Version(), bsp.Nodes);
    ReadZones(package, c, c.CompactIndex(), bsp.ZoneActors);
  });
  ReadBspObject(package, refs[3], "surfaces", kLeastSurfaceBytes,
                [&](ByteCursor& c, std::int32_t n) { ReadSurfaces(package, c, n, bsp); });
  ReadBspObject(package, refs[4], "vertices", kLeastVertexBytes,
                [&](ByteCursor& c, std::int32_t n) { ReadVertices(c, n, bsp); });
}

// The bounds, leaf hulls and leaves a model stores after its light maps (first generation) or
// its Polys reference (second), read through.
void SkipBoundsAndLeaves(ByteCursor& cursor) {
  cursor.Skip(std::int64_t{cursor.Count(cursor.CompactIndex(), kBoxBytes, "bound")} * kBoxBytes);
  cursor.Skip(std::int64_t{cursor.Count(cursor.CompactIndex(), kLeafHullBytes, "leaf hull")} *
              kLeafHullBytes);
  const std::int32_t leaves = cursor.Count(cursor.CompactIndex(), kLeastLeafBytes, "leaf");
  for (std::int32_t i = 0; i < leaves && cursor.Ok(); ++i) {
    for (int j = 0; j < 3; ++j) cursor.CompactIndex();  // zone, permeating and volumetric lights
    cursor.Skip(8);                                     // the zones it sees
  }
}

// The build's light list: each entry the object reference of a light actor, 0 ending a
// surface's list.
std::vector<std::int32_t> ReadBuildLights(const PackageFile& package, ByteCursor& cursor) {
  const std::int32_t count = cursor.Count(cursor.CompactIndex(), 1, "light");
  std::vector<std::int32_t> lights;
  lights.reserve(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count && cursor.Ok(); ++i) {
    lights.push_back(CheckedReference(package, cursor));
  }
  return lights;
}

// The light maps that follow a model's Polys reference, as stored: the indexes, the shadow bits
// and the light list; the bounds, leaf hulls and leaves between them are read through.
void ReadStoredLightMaps(const PackageFile& package, ByteCursor& cursor, LevelLightMaps& maps) {
  const std::int32_t indexes =
      cursor.Count(cursor.CompactIndex(), kLeastLightMapBytes, "light map");
  maps.Indexes.reserve(static_cast<std::size_t>(indexes));
  for (std::int32_t i = 0; i < indexes && cursor.Ok(); ++i) {
    LightMapIndex& index = maps.Indexes.emplace_back();
    index.DataOffset = cursor.I32();
    index.Pan = ExactVector(cursor);
    index.UClamp = cursor.CompactIndex();
    index.VClamp = cursor.CompactIndex();
    index.UScale = cursor.F32();
    index.VScale = cursor.F32();
    index.iLightActors = cursor.I32();
  }
  const std::span<const std::uint8_t> bits =
      cursor.Bytes(cursor.Count(cursor.CompactIndex(), 1, "shadow bit byte"));
  maps.Bits.assign(bits.begin(), bits.end());
  SkipBoundsAndLeaves(cursor);
  maps.Lights = ReadBuildLights(package, cursor);
}

// Reads a model up to its Polys reference; `bsp`, unless it is null, gets the arrays of its BSP
// (those of a first-generation model stored in the model itself are read through in any case),
// and `light_maps`, unless it is null, the first generation's light maps that follow (a model
// that stores its BSP in itself only). Without `bsp`, a second-generation brush model with a BSP
// of its own gives a problem instead: a brush is drawn from its polygons, and games of that
// generation vary the build's layout.
// `polys_end`, unless it is null, gets the file offset just past the Polys reference.
ModelPolys ReadModel(const PackageObject& model, StoredBsp* bsp,
                     LevelLightMaps* light_maps = nullptr, std::int64_t* polys_end = nullptr) {
  const PackageFile& package = model.Package();
  const int version = package.Version();
  ByteCursor cursor = model.DataCursor();
  SkipPrimitive(cursor, version);
  ModelPolys result;
  if (HasSeparateBspObjects(version)) {
    ReadSeparateBsp(package, cursor, bsp);
  } else if (IsFirstGeneration(version) || bsp) {
    StoredBsp passed_over;
    StoredBsp& arrays = bsp ? *bsp : passed_over;
    ReadInlineBsp(package, cursor, arrays);
    ReadZones(package, cursor, arrays.ZoneCount, arrays.ZoneActors);
  } else {
    bool stored = false;
    for (int i = 0; i < 5; ++i) stored = cursor.CompactIndex() != 0 || stored;
    cursor.I32();                          // shared sides
    stored = cursor.I32() != 0 || stored;  // zones
    cursor.Check();
    if (stored) {
      result.Problem = "its model '" + model.Package().ObjectName(model.Ref()) +
                       "' holds a BSP build, whose layout this reader does not know in package "
                       "version " +
                       std::to_string(version);
      return result;
    }
  }
  result.Polys = CheckedReference(package, cursor);
  if (polys_end) *polys_end = cursor.FileOffset();
  if (light_maps && IsFirstGeneration(version) && !HasSeparateBspObjects(version)) {
    ReadStoredLightMaps(package, cursor, *light_maps);
  }
  cursor.Check();
  return result;
}

bool Within(std::int64_t index, std::size_t size) {
  return index >= 0 && index < static_cast<std::int64_t>(size);
}

// Why a node's polygon does not lie within the build's arrays: its surface, its run of the
// vertex pool and the points these name. "" when it does. Entries no node uses may hold
// anything: the editor leaves stale ones behind.
std::string NodeProblem(const StoredNode& node, const StoredBsp& bsp) {
  if (!Within(node.Surface, bsp.Surfaces.size())) {
    return "surface " + std::to_string(node.Surface) + " of " + std::to_string(bsp.Surfaces.size());
  }
  const std::int64_t last = node.FirstVertex + std::int64_t{node.VertexCount} - 1;
  if (!Within(node.FirstVertex, bsp.Vertices.size()) || !Within(last, bsp.Vertices.size())) {
    return "pool vertices " + std::to_string(node.FirstVertex) + " to " + std::to_string(last) +
           " of " + std::to_string(bsp.Vertices.size());
  }
  for (std::int64_t v = node.FirstVertex; v <= last; ++v) {
    const std::int32_t point = bsp.Vertices[static_cast<std::size_t>(v)];
    if (!Within(point, bsp.Points.size())) {
      return "pool vertex " + std::to_string(v) + ", point " + std::to_string(point) + " of " +
             std::to_string(bsp.Points.size());
    }
  }
  return "";
}

// Why a surface's base point and axes do not lie within the build's arrays; "" when they do.
std::string SurfaceProblem(const StoredSurface& surface, const StoredBsp& bsp) {
  if (!Within(surface.Base, bsp.Points.size())) {
    return "base point " + std::to_string(surface.Base) + " of " +
           std::to_string(bsp.Points.size());
  }
  for (const std::int32_t axis : {surface.Normal, surface.TextureU, surface.TextureV}) {
    if (!Within(axis, bsp.Vectors.size())) {
      return "vector " + std::to_string(axis) + " of " + std::to_string(bsp.Vectors.size());
    }
  }
  return "";
}

[[noreturn]] void ThrowBroken(const PackageObject& model, std::string_view what,
                              std::int64_t offset, const std::string& problem) {
  throw BrushError("'" + model.Package().Path() + "', " + model.Label() + ": the " +
                   std::string(what) + " at byte " + std::to_string(offset) + " names " + problem +
                   ", which is not stored");
}

}  // namespace

ModelPolys ReadModelPolys(const PackageFile& package, std::int32_t model_index) {
  return ReadModel(PackageObject::Read(package, model_index), nullptr);
}

std::vector<PolygonRecord> ReadPolys(const PackageFile& package, std::int32_t polys_index) {
  const PackageObject polys = PackageObject::Read(package, polys_index);
  const int version = package.Version();
  ByteCursor cursor = polys.DataCursor();
  const std::int32_t count = cursor.Count(cursor.I32(), kLeastPolygonBytes, "polygon");
  cursor.I32();  // capacity
  std::vector<PolygonRecord> records(static_cast<std::size_t>(count));
  for (PolygonRecord& record : records) {
    const std::int32_t vertices = cursor.Count(cursor.CompactIndex(), kVectorBytes, "vertex");
    record.Origin = ExportedVector(cursor);
    record.Normal = ExportedVector(cursor);
    record.TextureU = ExportedVector(cursor);
    record.TextureV = ExportedVector(cursor);
    // A polygon without vertices holds one at the origin, as a text one does.
    record.Vertices.assign(1, Vector{});
    for (std::int32_t i = 0; i < vertices && cursor.Ok(); ++i) {
      const Vector vertex = ExportedVector(cursor);
      if (i == 0) {
        record.Vertices[0] = vertex;
      } else {
        record.Vertices.push_back(vertex);
      }
    }
    record.Flags = FlagsMagnitude(cursor.U32());
    CheckedReference(package, cursor);  // the brush actor
    record.Texture = TextureReference(package, CheckedReference(package, cursor));
    // Without a texture the text writes no flags, and its reader keeps those of the polygon
    // before: so does the level read here.
    record.FlagsOfPrevious = record.Texture.empty();
    const std::int32_t item = cursor.CompactIndex();
    if (cursor.Ok() && !package.IsNameIndex(item)) {
      cursor.Fail("item name index " + std::to_string(item) + " outside the names");
    }
    if (cursor.Ok() && package.Names()[static_cast<std::size_t>(item)] != "None") {
      record.Item = package.Names()[static_cast<std::size_t>(item)];
    }
    cursor.CompactIndex();  // link
    cursor.CompactIndex();  // brush polygon
    if (HasPolygonPan(version)) {
      record.Pan.X = static_cast<std::int16_t>(cursor.U16());
      record.Pan.Y = static_cast<std::int16_t>(cursor.U16());
    }
    if (HasPolygonLightMapScale(version)) cursor.F32();
    if (!cursor.Ok()) break;
  }
  cursor.Check();
  return records;
}

LevelBsp ReadLevelBsp(const PackageFile& package, std::int32_t model_index,
                      const std::unordered_map<std::int32_t, std::int32_t>& brush_of_actor) {
  const PackageObject model = PackageObject::Read(package, model_index);
  StoredBsp stored;
  ReadModel(model, &stored);

  LevelBsp bsp;
  bsp.Nodes.reserve(stored.Nodes.size());
  for (const StoredNode& node : stored.Nodes) {
    // A node whose polygon was cut away entirely holds no vertices and names nothing.
    if (node.VertexCount == 0) continue;
    if (const std::string problem = NodeProblem(node, stored); !problem.empty()) {
      ThrowBroken(model, "node", node.Offset, problem);
    }
    const StoredSurface& surface = stored.Surfaces[static_cast<std::size_t>(node.Surface)];
    if (const std::string problem = SurfaceProblem(surface, stored); !problem.empty()) {
      ThrowBroken(model, "surface", surface.Offset, problem);
    }
    BspNode& kept = bsp.Nodes.emplace_back();
    kept.Surface = node.Surface;
    kept.FirstVertex = node.FirstVertex;
    kept.VertexCount = node.VertexCount;
  }
  bsp.Surfaces.reserve(stored.Surfaces.size());
  for (const StoredSurface& source : stored.Surfaces) {
    BspSurface& surface = bsp.Surfaces.emplace_back();
    surface.Texture = TextureReference(package, source.Texture);
    surface.Flags = FlagsMagnitude(source.Flags);
    surface.Base = source.Base;
    surface.Normal = source.Normal;
    surface.TextureU = source.TextureU;
    surface.TextureV = source.TextureV;
    surface.Pan = source.Pan;
    const auto brush = brush_of_actor.find(source.Actor);
    surface.Brush = brush == brush_of_actor.end() ? kNoBrush : brush->second;
  }
  bsp.Points = std::move(stored.Points);
  bsp.Vectors = std::move(stored.Vectors);
  bsp.Vertices = std::move(stored.Vertices);
  return bsp;
}

namespace {

// Why a light-map index does not lie within the shadow bits and the light list: its clamps, its
// list of lights up to the null entry, its bytes. "" when it does.
std::string LightMapProblem(const LightMapIndex& index, const LevelLightMaps& maps,
                            std::int32_t& light_count) {
  if (index.UClamp <= 0 || index.VClamp <= 0 || index.UClamp > kMostLightMapTexels ||
      index.VClamp > kMostLightMapTexels) {
    return "a frame of " + std::to_string(index.UClamp) + " x " + std::to_string(index.VClamp) +
           " texels";
  }
  light_count = 0;
  if (index.iLightActors != -1) {
    std::int64_t entry = index.iLightActors;
    while (Within(entry, maps.Lights.size()) && maps.Lights[static_cast<std::size_t>(entry)] != 0) {
      ++entry;
    }
    if (!Within(entry, maps.Lights.size())) {
      return "light list entry " + std::to_string(index.iLightActors) + " without its end among " +
             std::to_string(maps.Lights.size());
    }
    light_count = static_cast<std::int32_t>(entry - index.iLightActors);
  }
  const std::int64_t end = std::int64_t{index.DataOffset} + light_count * index.LightBytes();
  if (index.DataOffset < 0 || end > static_cast<std::int64_t>(maps.Bits.size())) {
    return "shadow bits " + std::to_string(index.DataOffset) + " to " + std::to_string(end) +
           " of " + std::to_string(maps.Bits.size());
  }
  return "";
}

}  // namespace

LevelLightMaps ReadLevelLightMaps(const PackageFile& package, std::int32_t model_index) {
  const PackageObject model = PackageObject::Read(package, model_index);
  if (!IsFirstGeneration(package.Version()) || HasSeparateBspObjects(package.Version())) {
    throw BrushError("'" + package.Path() + "', " + model.Label() +
                     ": light maps are read from package versions 62 to 69 only, not " +
                     std::to_string(package.Version()));
  }
  StoredBsp stored;
  LevelLightMaps maps;
  ReadModel(model, &stored, &maps);
  maps.LightCounts.resize(maps.Indexes.size());
  for (std::size_t i = 0; i < maps.Indexes.size(); ++i) {
    const std::string problem = LightMapProblem(maps.Indexes[i], maps, maps.LightCounts[i]);
    if (!problem.empty()) {
      throw BrushError("'" + package.Path() + "', " + model.Label() + ": light map " +
                       std::to_string(i) + " names " + problem + ", which is not stored");
    }
  }
  maps.SurfaceMaps.reserve(stored.Surfaces.size());
  for (const StoredSurface& surface : stored.Surfaces) {
    if (surface.LightMap != kNoLightMap && !Within(surface.LightMap, maps.Indexes.size())) {
      ThrowBroken(model, "surface", surface.Offset,
                  "light map " + std::to_string(surface.LightMap) + " of " +
                      std::to_string(maps.Indexes.size()));
    }
    maps.SurfaceMaps.push_back(surface.LightMap);
  }
  // A surface is lit in the zone its first polygon is seen from.
  maps.SurfaceZones.assign(stored.Surfaces.size(), 0);
  std::vector<bool> zoned(stored.Surfaces.size(), false);
  for (const StoredNode& node : stored.Nodes) {
    if (node.VertexCount == 0 || !Within(node.Surface, stored.Surfaces.size())) continue;
    const auto surface = static_cast<std::size_t>(node.Surface);
    if (zoned[surface]) continue;
    zoned[surface] = true;
    maps.SurfaceZones[surface] = node.FrontZone;
  }
  maps.ZoneActors = std::move(stored.ZoneActors);
  return maps;
}

namespace {

// The fewest bytes of what a second-generation model stores of its light, so that counts are
// checked before anything is reserved: a render section its vertex count, revision, material,
// node count, flags and page; a section vertex its position, texture and light-map coordinates
// and normal; a light map seven one-byte indexes, a matrix, three vectors, its bitmap count, its
// level and revision; a light bitmap its light, its bit count and seven 32-bit numbers; a page its
// level, its light-map count, three 32-bit numbers, two lazy arrays (skip offset and count), its
// format, sizes and revision.
constexpr std::int64_t kLeastSectionBytes = 1 + 4 + 1 + 4 + 4 + 4;
constexpr std::int64_t kSectionVertexBytes = 40;
constexpr std::int64_t kLeastBuiltLightMapBytes = 7 + 64 + 36 + 1 + 1 + 4;
constexpr std::int64_t kLeastLightBitmapBytes = 1 + 1 + 28;
constexpr std::int64_t kLeastLightPageBytes = 1 + 1 + 12 + 2 * 5 + 1 + 12;
// Pages wider or taller than this are refused: the engine's are 512 x 512.
constexpr std::int32_t kMostLightPageSide = 4096;
// No page: a render section drawn without a light map (the sky, unlit surfaces).
constexpr std::int32_t kNoStoredPage = -1;

// A render section's light: its page and the light-map coordinates of its vertices.
struct SectionLight {
  std::vector<LightCoordinate> Corners;
  std::int32_t Page = kNoStoredPage;
  std::int64_t Offset = 0;
};

// A light map with where it begins, for messages.
struct StoredLightMap {
  BuiltLightMap Frame;
  std::int64_t Offset = 0;
};

// A light-map page as stored: its top mip's bytes in its format.
struct StoredLightPage {
  std::span<const std::uint8_t> Data;
  std::int32_t Format = 0;
  std::int32_t Width = 0;
  std::int32_t Height = 0;
  std::int64_t Offset = 0;
};

// What lies between the Polys reference and the render sections: bounds, leaf hulls, leaves,
// the build's lights and two flags (root outside, linked).
void SkipBuildLookups(const PackageFile& package, ByteCursor& cursor) {
  SkipBoundsAndLeaves(cursor);
  ReadBuildLights(package, cursor);
  cursor.Skip(8);
}

std::vector<SectionLight> ReadSections(const PackageFile& package, ByteCursor& cursor) {
  const std::int32_t count = cursor.Count(cursor.CompactIndex(), kLeastSectionBytes, "section");
  std::vector<SectionLight> sections(static_cast<std::size_t>(count));
  for (SectionLight& section : sections) {
    section.Offset = cursor.FileOffset();
    const std::int32_t vertices =
        cursor.Count(cursor.CompactIndex(), kSectionVertexBytes, "section vertex");
    section.Corners.reserve(static_cast<std::size_t>(vertices));
    for (std::int32_t i = 0; i < vertices && cursor.Ok(); ++i) {
      cursor.Skip(12 + 8);  // position, texture coordinates
      LightCoordinate& corner = section.Corners.emplace_back();
      corner.S = cursor.F32();
      corner.T = cursor.F32();
      cursor.Skip(12);  // normal
    }
    cursor.I32();                       // revision
    CheckedReference(package, cursor);  // material
    cursor.I32();                       // node count
    cursor.U32();                       // polygon flags
    section.Page = cursor.I32();
    if (!cursor.Ok()) break;
  }
  return sections;
}

std::vector<StoredLightMap> ReadBuiltLightMaps(const PackageFile& package, ByteCursor& cursor) {
  const std::int32_t count =
      cursor.Count(cursor.CompactIndex(), kLeastBuiltLightMapBytes, "light map");
  std::vector<StoredLightMap> maps(static_cast<std::size_t>(count));
  for (StoredLightMap& map : maps) {
    map.Offset = cursor.FileOffset();
    BuiltLightMap& frame = map.Frame;
    frame.Page = cursor.CompactIndex();
    cursor.CompactIndex();  // surface
    cursor.CompactIndex();  // zone
    frame.OffsetX = cursor.CompactIndex();
    frame.OffsetY = cursor.CompactIndex();
    frame.SizeX = cursor.CompactIndex();
    frame.SizeY = cursor.CompactIndex();
    // The level-to-texel matrix, row by row: the first two columns give the texel.
    float matrix[16];
    for (float& value : matrix) value = cursor.F32();
    frame.ToX = Vector{matrix[0], matrix[4], matrix[8]};
    frame.ToY = Vector{matrix[1], matrix[5], matrix[9]};
    frame.BaseX = matrix[12];
    frame.BaseY = matrix[13];
    cursor.Skip(36);  // base and axes of the frame
    const std::int32_t bitmaps =
        cursor.Count(cursor.CompactIndex(), kLeastLightBitmapBytes, "light bitmap");
    for (std::int32_t i = 0; i < bitmaps && cursor.Ok(); ++i) {
      CheckedReference(package, cursor);  // the light
      cursor.Skip(cursor.Count(cursor.CompactIndex(), 1, "light bit byte"));
      cursor.Skip(28);  // size, stride and bounds
    }
    CheckedReference(package, cursor);  // the level
    cursor.I32();                       // revision
    if (!cursor.Ok()) break;
  }
  return maps;
}

// An array the engine loads when it needs it: the file offset just past it, then its bytes.
std::span<const std::uint8_t> ReadLazyBytes(ByteCursor& cursor) {
  const std::int32_t end = cursor.I32();
  const std::span<const std::uint8_t> bytes =
      cursor.Bytes(cursor.Count(cursor.CompactIndex(), 1, "page byte"));
  if (cursor.Ok() && end != cursor.FileOffset()) {
    cursor.Fail("page data whose end is said to be byte " + std::to_string(end));
  }
  return bytes;
}

std::vector<StoredLightPage> ReadLightPages(const PackageFile& package, ByteCursor& cursor) {
  const std::int32_t count =
      cursor.Count(cursor.CompactIndex(), kLeastLightPageBytes, "light-map page");
  std::vector<StoredLightPage> pages(static_cast<std::size_t>(count));
  for (StoredLightPage& page : pages) {
    page.Offset = cursor.FileOffset();
    CheckedReference(package, cursor);  // the level
    cursor.Skip(std::int64_t{cursor.Count(cursor.CompactIndex(), 4, "page light map")} * 4);
    cursor.Skip(12);  // cache number and revision
    page.Data = ReadLazyBytes(cursor);
    ReadLazyBytes(cursor);  // the half-size mip
    page.Format = cursor.U8();
    page.Width = cursor.I32();
    page.Height = cursor.I32();
    cursor.I32();  // revision
    if (!cursor.Ok()) break;
  }
  return pages;
}

LightPage DecodeLightPage(const PackageObject& model, const StoredLightPage& stored) {
  const PackageFile& package = model.Package();
  const auto broken = [&](const std::string& what) {
    return BrushError("'" + package.Path() + "', " + model.Label() +
                      ": the light-map page at byte " + std::to_string(stored.Offset) + " " + what);
  };
  if (stored.Width <= 0 || stored.Height <= 0 || stored.Width > kMostLightPageSide ||
      stored.Height > kMostLightPageSide) {
    throw broken("is " + std::to_string(stored.Width) + " x " + std::to_string(stored.Height) +
                 " texels");
  }
  const std::optional<PixelFormat> format = PixelFormatOf(package.Version(), stored.Format);
  if (!format) throw broken("is in format " + std::to_string(stored.Format) + ", not decodable");
  const std::int64_t needed = PixelBytes(*format, stored.Width, stored.Height);
  if (needed > static_cast<std::int64_t>(stored.Data.size())) {
    throw broken("holds " + std::to_string(stored.Data.size()) + " bytes of the " +
                 std::to_string(needed) + " its size needs");
  }
  const Image picture =
      DecodePixels(*format, stored.Width, stored.Height, stored.Data, nullptr, false);
  LightPage page;
  page.Width = stored.Width;
  page.Height = stored.Height;
  page.Texels.resize(static_cast<std::size_t>(stored.Width) * stored.Height);
  for (std::size_t i = 0; i < page.Texels.size(); ++i) {
    page.Texels[i] =
        LightTexel{picture.Rgba[4 * i], picture.Rgba[4 * i + 1], picture.Rgba[4 * i + 2]};
  }
  return page;
}

// Why a light map's frame does not lie on a stored page; "" when it does.
std::string BuiltLightMapProblem(const BuiltLightMap& frame,
                                 const std::vector<StoredLightPage>& pages) {
  if (!Within(frame.Page, pages.size())) {
    return "page " + std::to_string(frame.Page) + " of " + std::to_string(pages.size());
  }
  const StoredLightPage& page = pages[static_cast<std::size_t>(frame.Page)];
  if (frame.OffsetX < 0 || frame.OffsetY < 0 || frame.SizeX <= 0 || frame.SizeY <= 0 ||
      std::int64_t{frame.OffsetX} + frame.SizeX > page.Width ||
      std::int64_t{frame.OffsetY} + frame.SizeY > page.Height) {
    return "a frame of " + std::to_string(frame.SizeX) + " x " + std::to_string(frame.SizeY) +
           " texels at " + std::to_string(frame.OffsetX) + ", " + std::to_string(frame.OffsetY) +
           " on page " + std::to_string(frame.Page);
  }
  return "";
}

// Why a node's render section, its vertices there and its light map are not stored; "" when
// they are.
std::string NodeLightProblem(const StoredNode& node, const std::vector<SectionLight>& sections,
                             std::size_t light_maps) {
  if (!Within(node.Section, sections.size())) {
    return "render section " + std::to_string(node.Section) + " of " +
           std::to_string(sections.size());
  }
  const SectionLight& section = sections[static_cast<std::size_t>(node.Section)];
  const std::int64_t last = std::int64_t{node.SectionVertex} + node.VertexCount - 1;
  if (!Within(node.SectionVertex, section.Corners.size()) ||
      !Within(last, section.Corners.size())) {
    return "section vertices " + std::to_string(node.SectionVertex) + " to " +
           std::to_string(last) + " of " + std::to_string(section.Corners.size());
  }
  if (node.LightMap != kNoLightMap && !Within(node.LightMap, light_maps)) {
    return "light map " + std::to_string(node.LightMap) + " of " + std::to_string(light_maps);
  }
  return "";
}

}  // namespace

void ReadBuiltLight(const PackageFile& package, std::int32_t model_index, LevelBsp& bsp) {
  const PackageObject model = PackageObject::Read(package, model_index);
  if (!HasStoredLightPages(package.Version())) {
    throw BrushError("'" + package.Path() + "', " + model.Label() +
                     ": its stored light is in a layout this reader does not know in package "
                     "version " +
                     std::to_string(package.Version()));
  }
  StoredBsp stored;
  std::int64_t polys_end = 0;
  ReadModel(model, &stored, nullptr, &polys_end);
  ByteCursor cursor = model.DataCursor();
  cursor.SeekFile(polys_end);
  SkipBuildLookups(package, cursor);
  const std::vector<SectionLight> sections = ReadSections(package, cursor);
  const std::vector<StoredLightMap> maps = ReadBuiltLightMaps(package, cursor);
  const std::vector<StoredLightPage> pages = ReadLightPages(package, cursor);
  cursor.Check();

  for (const SectionLight& section : sections) {
    if (section.Page != kNoStoredPage && !Within(section.Page, pages.size())) {
      ThrowBroken(model, "render section", section.Offset,
                  "page " + std::to_string(section.Page) + " of " + std::to_string(pages.size()));
    }
  }
  std::vector<BuiltLightMap> frames;
  frames.reserve(maps.size());
  for (const StoredLightMap& map : maps) {
    if (const std::string problem = BuiltLightMapProblem(map.Frame, pages); !problem.empty()) {
      ThrowBroken(model, "light map", map.Offset, problem);
    }
    frames.push_back(map.Frame);
  }
  // The nodes ReadLevelBsp kept, in the same order: those with a polygon.
  std::vector<BspNode> nodes = bsp.Nodes;
  std::size_t kept = 0;
  for (const StoredNode& stored_node : stored.Nodes) {
    if (stored_node.VertexCount == 0) continue;
    if (kept == nodes.size()) break;
    if (const std::string problem = NodeLightProblem(stored_node, sections, frames.size());
        !problem.empty()) {
      ThrowBroken(model, "node", stored_node.Offset, problem);
    }
    BspNode& node = nodes[kept++];
    const SectionLight& section = sections[static_cast<std::size_t>(stored_node.Section)];
    node.LightMap = stored_node.LightMap;
    node.LightPage = section.Page == kNoStoredPage ? kNoLightPage : section.Page;
    if (node.LightPage == kNoLightPage) continue;
    const auto first = section.Corners.begin() + stored_node.SectionVertex;
    node.LightCorners.assign(first, first + stored_node.VertexCount);
  }
  std::vector<LightPage> decoded;
  decoded.reserve(pages.size());
  for (const StoredLightPage& page : pages) decoded.push_back(DecodeLightPage(model, page));

  bsp.Nodes = std::move(nodes);
  bsp.LightMaps = std::move(frames);
  bsp.LightPages = std::move(decoded);
}

}  // namespace brushwright
