// Static meshes and movers placed into the run's mesh.
#include "run/placed_actors.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "level/poly_flags.h"

namespace brushwright {

namespace {

// A mover never has more keys than this.
constexpr std::int32_t kMostMoverKeys = 8;
// Class names as the summary gives the kinds a run leaves out.
constexpr char kStaticMeshActorClass[] = "StaticMeshActor";
constexpr char kMoverClass[] = "Mover";
constexpr char kTerrainClass[] = "TerrainInfo";

Matrix3 Transposed(const Matrix3& m) {
  Matrix3 t;
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) t.m[r][c] = m.m[c][r];
  }
  return t;
}

Vector Scaled(const Vector& v, const Vector& scale) {
  return Vector{v.X * scale.X, v.Y * scale.Y, v.Z * scale.Z};
}

// A quarter of a circle in rotation units (65536 make a whole turn).
constexpr double kQuarterTurn = 16384;

Rotator Added(const Rotator& a, const Rotator& b) {
  return Rotator{a.Pitch + b.Pitch, a.Yaw + b.Yaw, a.Roll + b.Roll};
}

// The keys in use, at least one.
std::int32_t KeysInUse(const MoverKeys& keys) {
  const auto stored = static_cast<std::int32_t>(std::min(keys.KeyPos.size(), keys.KeyRot.size()));
  return std::clamp(std::min(keys.NumKeys, kMostMoverKeys), std::min(stored, 1), stored);
}

// The node poses of a mover standing at `location` turned by `rotation` (at its key KeyNum, where
// the level saved it): the node of a static mesh placed with `scale` and `pre_pivot` (`rest` null),
// or the node of faces already placed in the level's space (`rest` the rotation they have).
MeshMotion MotionOf(const MoverKeys& keys, const Vector& location, const Rotator& rotation,
                    const Vector& scaled_pivot, const Matrix3* rest) {
  MeshMotion motion;
  const double key_seconds = keys.MoveTime > 0 ? keys.MoveTime : 1;
  const std::int32_t in_use = KeysInUse(keys);
  // The keys count from the mover's base: where it stands less the key it stands at.
  Vector base = location;
  Rotator base_rotation = rotation;
  if (keys.KeyNum > 0 && keys.KeyNum < in_use) {
    const auto at_key = static_cast<std::size_t>(keys.KeyNum);
    base = VecSubtract(location, keys.KeyPos[at_key]);
    base_rotation = Added(rotation, Rotator{-keys.KeyRot[at_key].Pitch, -keys.KeyRot[at_key].Yaw,
                                            -keys.KeyRot[at_key].Roll});
  }
  const auto add_pose = [&](const Rotator& key_rotation, const Vector& key_position,
                            double seconds) {
    const Matrix3 turn = RotationMatrix(Added(base_rotation, key_rotation));
    const Vector at = VecAdd(base, key_position);
    NodePose& pose = motion.Keys.emplace_back();
    motion.Seconds.push_back(seconds);
    if (rest != nullptr) {
      // Turned about the mover's location, from where its faces already stand.
      pose.Rotation = Mat3Multiply(turn, Transposed(*rest));
      pose.Translation = VecSubtract(at, Mat3Transform(pose.Rotation, location));
    } else {
      pose.Rotation = turn;
      pose.Translation = VecSubtract(at, Mat3Transform(turn, scaled_pivot));
    }
  };
  for (std::int32_t k = 0; k < in_use; ++k) {
    const auto index = static_cast<std::size_t>(k);
    if (k > 0) {
      // The game turns a mover's rotation component by component, so a turn of more than half a
      // circle between keys goes the long way round, where interpolating between two poses
      // takes the short one: such a turn gets poses in between, a quarter circle apart at most.
      const Rotator& from = keys.KeyRot[index - 1];
      const Rotator& to = keys.KeyRot[index];
      const double widest = std::max({std::abs(to.Pitch - from.Pitch), std::abs(to.Yaw - from.Yaw),
                                      std::abs(to.Roll - from.Roll)});
      const int steps = std::isfinite(widest) && widest > kQuarterTurn
                            ? static_cast<int>(std::min(std::ceil(widest / kQuarterTurn), 256.0))
                            : 1;
      for (int step = 1; step < steps; ++step) {
        const double t = static_cast<double>(step) / steps;
        const auto mix = [t](double a, double b) { return a + (b - a) * t; };
        const Vector& p0 = keys.KeyPos[index - 1];
        const Vector& p1 = keys.KeyPos[index];
        add_pose(Rotator{mix(from.Pitch, to.Pitch), mix(from.Yaw, to.Yaw), mix(from.Roll, to.Roll)},
                 Vector{mix(p0.X, p1.X), mix(p0.Y, p1.Y), mix(p0.Z, p1.Z)},
                 (static_cast<double>(k - 1) + t) * key_seconds);
      }
    }
    add_pose(keys.KeyRot[index], keys.KeyPos[index], static_cast<double>(k) * key_seconds);
  }
  return motion;
}

// Adds a surface and returns its number.
std::int32_t AddSurface(Mesh& mesh, MeshSurface surface) {
  mesh.Surfaces.push_back(std::move(surface));
  return static_cast<std::int32_t>(mesh.Surfaces.size() - 1);
}

// The surfaces of a mesh's sections as an actor draws them: its skins in place of the
// sections' own materials.
std::vector<std::int32_t> SectionSurfaces(const StaticMesh& source,
                                          const std::vector<std::string>& skins, Mesh& mesh) {
  std::vector<std::int32_t> surfaces;
  for (std::size_t k = 0; k < source.Sections.size(); ++k) {
    MeshSurface surface;
    surface.Texture =
        k < skins.size() && !skins[k].empty() ? skins[k] : source.Sections[k].Material;
    surface.SourceCoordinates = true;
    surfaces.push_back(AddSurface(mesh, std::move(surface)));
  }
  return surfaces;
}

// The mesh's triangles as faces over positions numbered from `first`: stored clockwise seen
// from the front, so given the other way round, unless `mirrored` turns them over again.
std::vector<MeshFace> TriangleFaces(const StaticMesh& source,
                                    const std::vector<std::int32_t>& surfaces, std::int32_t first,
                                    bool mirrored) {
  std::vector<MeshFace> faces;
  const std::size_t index_count = source.Indices.size();
  for (std::size_t k = 0; k < source.Sections.size(); ++k) {
    const StaticMeshSection& section = source.Sections[k];
    for (std::int32_t t = 0; t < section.TriangleCount; ++t) {
      const std::size_t at = static_cast<std::size_t>(section.FirstIndex) + 3 * std::size_t(t);
      if (at + 3 > index_count) break;
      MeshFace& face = faces.emplace_back();
      face.Surface = surfaces[k];
      const std::size_t order[3] = {0, mirrored ? 1u : 2u, mirrored ? 2u : 1u};
      for (const std::size_t corner : order) {
        const std::uint32_t vertex = source.Indices[at + corner];
        const auto& uv = source.UVs[vertex];
        // The mesh's V runs down the image; the model's runs up.
        face.Corners.push_back(MeshCorner{first + static_cast<std::int32_t>(vertex), uv[0],
                                          1 - static_cast<double>(uv[1])});
      }
    }
  }
  return faces;
}

// Places the movers drawn by their brush as groups in the level's space.
void AddBrushMovers(const Level& level, Mesh& mesh, PlacedCounts& counts) {
  for (const LevelMover& mover : level.Movers) {
    const LevelBrush& brush = mover.Brush;
    const BrushTransform transform = PlacementTransform(brush.Placement);
    MeshGroup& group = mesh.Groups.emplace_back();
    group.Name = brush.Name;
    const Matrix3 rest = RotationMatrix(brush.Placement.Rotation);
    group.Motion =
        MotionOf(mover.Keys, brush.Placement.Location, brush.Placement.Rotation, Vector{}, &rest);
    for (PolygonRecord polygon : brush.Polygons) {
      if (((polygon.Flags | brush.PolyFlags) & kPolyFlagInvisible) != 0) continue;
      TransformPolygon(polygon, transform);
      MeshSurface surface;
      surface.Texture = polygon.Texture;
      surface.Flags = polygon.Flags;
      surface.Axes = TextureAxes{polygon.Origin, polygon.Normal, polygon.TextureU, polygon.TextureV,
                                 polygon.Pan};
      MeshFace& face = group.Faces.emplace_back();
      face.Surface = AddSurface(mesh, std::move(surface));
      for (const Vector& vertex : polygon.Vertices) {
        face.Corners.push_back(MeshCorner{static_cast<std::int32_t>(mesh.Positions.size())});
        mesh.Positions.push_back(vertex);
      }
      ++counts.Faces;
    }
    ++counts.Movers;
  }
}

}  // namespace

PlacedCounts AddPlacedActors(const Level& level, const PlacedKinds& kinds,
                             StaticMeshLibrary& library, Mesh& mesh) {
  PlacedCounts counts;
  if (kinds.Movers) AddBrushMovers(level, mesh, counts);
  if (!kinds.StaticMeshes) return counts;
  // A shape per mesh and set of skins, made at its first actor.
  std::map<std::pair<const StaticMesh*, std::vector<std::string>>, std::int32_t> shapes;
  for (const StaticMeshActorRecord& actor : level.MeshActors) {
    if (actor.Keys && !kinds.Movers) continue;
    const StaticMesh* source = library.Find(actor.StaticMesh);
    if (source == nullptr) continue;
    const Vector scale =
        Scaled(actor.DrawScale3D, Vector{actor.DrawScale, actor.DrawScale, actor.DrawScale});
    // A flat actor shows nothing; glTF cannot turn faces by a node that flattens them.
    const auto usable = [](double s) { return std::isfinite(s) && s != 0; };
    if (!usable(scale.X) || !usable(scale.Y) || !usable(scale.Z)) continue;
    // One or three negative axes mirror the mesh (an odd count turns its winding over).
    const int negative_axes = (scale.X < 0 ? 1 : 0) + (scale.Y < 0 ? 1 : 0) + (scale.Z < 0 ? 1 : 0);
    const bool mirrored = negative_axes % 2 == 1;
    NodePose pose;
    pose.Rotation = RotationMatrix(actor.Rotation);
    const Vector scaled_pivot = Scaled(actor.PrePivot, scale);
    pose.Translation = VecSubtract(actor.Location, Mat3Transform(pose.Rotation, scaled_pivot));
    ++counts.MeshActors;
    if (actor.Keys) ++counts.Movers;

    if (kinds.Instanced) {
      auto [found, added] =
          shapes.try_emplace({source, actor.Skins}, static_cast<std::int32_t>(mesh.Shapes.size()));
      if (added) {
        MeshShape& shape = mesh.Shapes.emplace_back();
        shape.Name = source->Package + "." + (source->Group.empty() ? "" : source->Group + ".") +
                     source->Name;
        shape.Positions = source->Positions;
        shape.Faces = TriangleFaces(*source, SectionSurfaces(*source, actor.Skins, mesh), 0, false);
      }
      MeshPlacement& placement = mesh.Placements.emplace_back();
      placement.Name = actor.Name;
      placement.Shape = found->second;
      placement.Scale = scale;
      placement.Pose = pose;
      // The light the map stores is the mesh's own vertices' only while the mesh is the one it
      // was built with; otherwise the placement carries none and the light is left to compute.
      if (actor.VertexLight.size() == source->Positions.size()) {
        placement.VertexLight = actor.VertexLight;
      }
      if (actor.Keys) {
        placement.Motion =
            MotionOf(*actor.Keys, actor.Location, actor.Rotation, scaled_pivot, nullptr);
      }
      counts.Faces += static_cast<std::int32_t>(
          mesh.Shapes[static_cast<std::size_t>(found->second)].Faces.size());
      continue;
    }
    // A group of its own in the level's space.
    const auto first = static_cast<std::int32_t>(mesh.Positions.size());
    for (const Vector& p : source->Positions) {
      mesh.Positions.push_back(
          VecAdd(Mat3Transform(pose.Rotation, Scaled(p, scale)), pose.Translation));
    }
    MeshGroup& group = mesh.Groups.emplace_back();
    group.Name = actor.Name;
    group.Faces =
        TriangleFaces(*source, SectionSurfaces(*source, actor.Skins, mesh), first, mirrored);
    counts.Faces += static_cast<std::int32_t>(group.Faces.size());
  }
  return counts;
}

LeftOutClasses LeftOutOf(const Level& level, const PlacedKinds& kinds, bool placed) {
  LeftOutClasses left_out = level.LeftOut;
  for (const StaticMeshActorRecord& actor : level.MeshActors) {
    const bool taken = placed && kinds.StaticMeshes && (!actor.Keys || kinds.Movers);
    if (!taken) ++left_out[actor.Class.empty() ? kStaticMeshActorClass : actor.Class];
  }
  if (!placed || !kinds.Movers) {
    for (const LevelMover& mover : level.Movers) {
      ++left_out[mover.Brush.Class.empty() ? kMoverClass : mover.Brush.Class];
    }
  }
  if ((!placed || !kinds.Terrain) && !level.Terrains.empty()) {
    left_out[kTerrainClass] += static_cast<std::int32_t>(level.Terrains.size());
  }
  return left_out;
}

}  // namespace brushwright
