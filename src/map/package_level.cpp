// Reads the level of an Unreal map package into the plain level: its actor list's brushes and
// report actors, and on request the BSP the editor built.
#include "map/package_level.h"

#include <unordered_map>
#include <utility>

#include "map/level_actors.h"
#include "map/package_model.h"
#include "map/terrain_actor.h"
#include "package/actor_values.h"
#include "package/byte_cursor.h"
#include "package/package_object.h"
#include "text/brush_error.h"
#include "text/key_readers.h"

namespace brushwright {

namespace {

constexpr std::string_view kLevelClass = "Level";
constexpr std::string_view kBrushClass = "Brush";
constexpr std::string_view kModelClass = "Model";
constexpr std::string_view kPolysClass = "Polys";
constexpr std::string_view kSunlightClass = "Sunlight";
// The class every zone (and the LevelInfo) derives from.
constexpr std::string_view kZoneInfoClass = "ZoneInfo";
constexpr std::string_view kMoverClass = "Mover";
constexpr std::string_view kTerrainClass = "TerrainInfo";
constexpr std::string_view kStaticMeshInstanceClass = "StaticMeshInstance";
// The level's URL before its model: protocol, host, map and portal texts, then its options.
constexpr int kUrlTexts = 4;

std::string Quoted(const std::string& name) {
  return "'" + name + "'";
}

// The export that holds the level: the first of class Level.
std::int32_t FindLevelExport(const PackageFile& package) {
  for (std::size_t i = 0; i < package.Exports().size(); ++i) {
    const auto index = static_cast<std::int32_t>(i);
    if (EqualsIgnoringCase(package.ClassName(ExportRef(index)), kLevelClass)) return index;
  }
  throw BrushError("'" + package.Path() +
                   "' holds no level (no object of class Level): it is not a map package");
}

// The actor list: a 32-bit count and capacity, then a reference per actor, null for a deleted
// one. Every actor is an object of this package.
std::vector<std::int32_t> ReadActorList(const PackageFile& package, ByteCursor& cursor) {
  const std::int32_t count = cursor.Count(cursor.I32(), 1, "actor");
  cursor.I32();  // capacity
  std::vector<std::int32_t> actors;
  actors.reserve(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count && cursor.Ok(); ++i) {
    const std::int32_t ref = cursor.CompactIndex();
    if (cursor.Ok() && (ref < 0 || !package.IsObjectRef(ref))) {
      cursor.Fail("actor " + std::to_string(i) + " is object reference " + std::to_string(ref) +
                  ", not an object of this package");
    }
    actors.push_back(ref);
  }
  return actors;
}

// A text of the URL: its length (negative for two-byte characters) and characters.
void SkipUrlText(ByteCursor& cursor) {
  const std::int64_t length = cursor.CompactIndex();
  cursor.Skip(length < 0 ? -2 * length : length);
}

// The level's model, after the URL that follows the actor list.
std::int32_t ReadLevelModel(const PackageFile& package, ByteCursor& cursor) {
  for (int i = 0; i < kUrlTexts; ++i) SkipUrlText(cursor);
  const std::int32_t options = cursor.Count(cursor.CompactIndex(), 1, "URL option");
  for (std::int32_t i = 0; i < options && cursor.Ok(); ++i) SkipUrlText(cursor);
  cursor.I32();  // port
  cursor.I32();  // valid
  const std::int32_t model = cursor.CompactIndex();
  if (cursor.Ok() && !package.IsObjectRef(model)) {
    cursor.Fail("model reference " + std::to_string(model) + " outside the tables");
  }
  return model;
}

// Why the object a reference names as its `what` cannot be read as one of `class_name`, said of
// the object holding the reference ("names no model"); "" when it can.
std::string MissingObject(const PackageFile& package, std::int32_t ref, std::string_view what,
                          std::string_view class_name) {
  if (ref == 0) return "names no " + std::string(what);
  const std::string named = "names " + std::string(what) + " " + Quoted(package.ObjectPath(ref));
  if (!IsExportRef(ref)) return named + ", which is in another package";
  if (!package.IsA(ref, class_name)) {
    return named + ", a " + package.ClassName(ref) + ", not a " + std::string(class_name);
  }
  if (package.Exports()[static_cast<std::size_t>(ExportIndexOf(ref))].SerialSize == 0) {
    return named + ", which holds no data";
  }
  return "";
}

// The brush's model name and polygons; why it is passed over when they cannot be had.
std::string ReadBrushPolygons(const PackageObject& actor, LevelBrush& brush) {
  const PackageFile& package = actor.Package();
  const std::int32_t model = actor.ObjectValue(actor.Find("Brush"));
  if (std::string problem = MissingObject(package, model, "model", kModelClass); !problem.empty()) {
    return problem;
  }
  brush.ModelName = package.ObjectName(model);
  const ModelPolys polys = ReadModelPolys(package, ExportIndexOf(model));
  if (!polys.Problem.empty()) return polys.Problem;
  if (std::string problem = MissingObject(package, polys.Polys, "polygon list", kPolysClass);
      !problem.empty()) {
    return "its model " + Quoted(*brush.ModelName) + " " + problem;
  }
  brush.Polygons = ReadPolys(package, ExportIndexOf(polys.Polys));
  return "";
}

// The level's own build, as the editor last made it.
LevelBsp ReadBuild(const PackageFile& package, std::int32_t model,
                   const std::unordered_map<std::int32_t, std::int32_t>& brush_of_actor) {
  if (std::string problem = MissingObject(package, model, "model", kModelClass); !problem.empty()) {
    throw BrushError("'" + package.Path() + "': the level has no build of its own (the level " +
                     problem + ")");
  }
  LevelBsp bsp = ReadLevelBsp(package, ExportIndexOf(model), brush_of_actor);
  if (bsp.Nodes.empty()) {
    throw BrushError("'" + package.Path() +
                     "': the level has no build of its own (its model holds no BSP surfaces); "
                     "build it in the editor, or convert its brushes");
  }
  return bsp;
}

// The light the build stored on a static mesh actor's vertices, when it has any; light that
// cannot be read is named, and the actor is placed without it.
void ReadInstanceLight(const PackageObject& actor, StaticMeshActorRecord& record, Level& level) {
  const PackageFile& package = actor.Package();
  const std::int32_t instance = actor.ObjectValue(actor.Find("StaticMeshInstance"));
  if (!IsExportRef(instance) || !package.IsA(instance, kStaticMeshInstanceClass)) return;
  try {
    record.VertexLight = ReadStaticMeshInstanceLight(package, instance);
  } catch (const BrushError& error) {
    level.PassedOver.push_back("the stored light of actor " + Quoted(record.Name) + ": " +
                               error.what());
  }
}

// An actor that is neither a brush nor one of the report's: drawn by a static mesh, a mover
// drawn by its brush, the sun, or looks no run converts.
void ReadShownActor(const PackageObject& actor, bool with_light, Level& level) {
  const PackageFile& package = actor.Package();
  const std::string& class_name = package.ClassName(actor.Ref());
  if (EqualsIgnoringCase(class_name, kSunlightClass)) {
    level.Suns.push_back(ReadSunlightActor(actor));
    return;
  }
  if (IsZoneClass(class_name) || package.IsA(actor.Ref(), kZoneInfoClass)) {
    level.Zones.push_back(ReadZoneActor(actor));
    return;
  }
  const bool mover = IsMoverClass(class_name) || package.IsA(actor.Ref(), kMoverClass);
  const std::optional<std::int32_t> draw_type = actor.IntValue(actor.Find("DrawType"));
  const std::int32_t mesh = actor.ObjectValue(actor.Find("StaticMesh"));
  // A DrawType the map does not store is the class's own: a mover's is its brush, a
  // StaticMeshActor's its static mesh.
  const bool drawn_by_mesh = draw_type ? *draw_type == kDrawTypeStaticMesh : !mover;
  if (mesh != 0 && drawn_by_mesh) {
    StaticMeshActorRecord& record = level.MeshActors.emplace_back(ReadStaticMeshActor(actor, mesh));
    if (with_light) ReadInstanceLight(actor, record, level);
    return;
  }
  if (mover && (!draw_type || *draw_type == kDrawTypeBrush) && actor.Find("Brush")) {
    LevelMover mover_record;
    ReadBrushProperties(actor, mover_record.Brush);
    if (const std::string problem = ReadBrushPolygons(actor, mover_record.Brush);
        !problem.empty()) {
      level.PassedOver.push_back("mover " + Quoted(mover_record.Brush.Name) + ": " + problem);
      return;
    }
    mover_record.Keys = ReadMoverKeys(actor);
    level.Movers.push_back(std::move(mover_record));
    return;
  }
  const bool unconverted_draw =
      draw_type && (*draw_type == kDrawTypeMesh || *draw_type == kDrawTypeParticle ||
                    *draw_type == kDrawTypeFluidSurface);
  if (unconverted_draw || ShowsUnconvertedLooks(class_name)) ++level.LeftOut[class_name];
}

// The report's lists, each class gathered apart so that the lists come in the report's order.
struct ReportLists {
  ReportActors Actors;
  std::vector<LightRecord> Spotlights;
  std::vector<TeleporterRecord> Favorites;
  std::vector<TeleporterRecord> Visibles;
  std::vector<PlayerStartRecord> OtherStarts;

  void Add(ReportClass kind, const PackageObject& actor) {
    switch (kind) {
      case ReportClass::Light:
        Actors.Lights.push_back(ReadLightActor(actor));
        break;
      case ReportClass::Spotlight:
        Spotlights.push_back(ReadLightActor(actor));
        break;
      case ReportClass::Trigger:
        Actors.Triggers.push_back(ReadTriggerActor(actor));
        break;
      case ReportClass::PlayerStart:
        Actors.PlayerStarts.push_back(ReadPlayerStartActor(actor));
        break;
      case ReportClass::Teleporter:
        Actors.Teleporters.push_back(ReadTeleporterActor(actor));
        break;
      case ReportClass::FavoritesTeleporter:
        Favorites.push_back(ReadTeleporterActor(actor));
        break;
      case ReportClass::VisibleTeleporter:
        Visibles.push_back(ReadTeleporterActor(actor));
        break;
      case ReportClass::OtherStart:
        OtherStarts.push_back(ReadPlayerStartActor(actor));
        break;
      case ReportClass::None:
        break;
    }
  }

  ReportActors Joined() && {
    for (LightRecord& light : Spotlights) Actors.Lights.push_back(std::move(light));
    for (auto* list : {&Favorites, &Visibles}) {
      for (TeleporterRecord& teleporter : *list)
        Actors.Teleporters.push_back(std::move(teleporter));
    }
    return std::move(Actors);
  }
};

}  // namespace

Level ReadPackageLevel(const PackageFile& package, bool with_bsp, bool with_light) {
  const PackageObject level_object = PackageObject::Read(package, FindLevelExport(package));
  ByteCursor cursor = level_object.DataCursor();
  const std::vector<std::int32_t> actors = ReadActorList(package, cursor);
  const std::int32_t model = with_bsp ? ReadLevelModel(package, cursor) : 0;
  cursor.Check();

  Level level;
  level.HasActors = true;
  // The brushes' actor references, for the surfaces of the build that name them.
  std::unordered_map<std::int32_t, std::int32_t> brush_of_actor;
  ReportLists report;
  for (const std::int32_t ref : actors) {
    if (ref == 0) continue;  // a deleted actor
    const std::string& class_name = package.ClassName(ref);
    if (EqualsIgnoringCase(class_name, kTerrainClass)) {
      level.Terrains.push_back(ReadTerrainActor(PackageObject::Read(package, ExportIndexOf(ref))));
      continue;
    }
    const bool brush_class = EqualsIgnoringCase(class_name, kBrushClass);
    const ReportClass kind = ReportClassOf(class_name);
    if (!brush_class && kind == ReportClass::None) {
      // Read only for what it shows (a placed mesh, a mover, the sun): one that cannot be read
      // is passed over and named, and the rest of the level still converts.
      try {
        ReadShownActor(PackageObject::Read(package, ExportIndexOf(ref)), with_light, level);
      } catch (const BrushError& error) {
        level.PassedOver.push_back("actor " + Quoted(package.ObjectName(ref)) + ": " +
                                   error.what());
      }
      continue;
    }
    const PackageObject actor = PackageObject::Read(package, ExportIndexOf(ref));
    if (!brush_class) {
      report.Add(kind, actor);
      continue;
    }
    LevelBrush brush;
    ReadBrushProperties(actor, brush);
    if (const std::string problem = ReadBrushPolygons(actor, brush); !problem.empty()) {
      level.PassedOver.push_back("brush " + Quoted(brush.Name) + ": " + problem);
      continue;
    }
    brush_of_actor.emplace(ref, static_cast<std::int32_t>(level.Brushes.size()));
    level.Brushes.push_back(std::move(brush));
  }
  level.OtherStarts = std::move(report.OtherStarts);
  level.Actors = std::move(report).Joined();
  if (with_bsp) level.Bsp = ReadBuild(package, model, brush_of_actor);
  if (with_bsp && with_light) {
    // The stored light is an addition: without it the run computes the light instead.
    try {
      if (IsFirstGeneration(package.Version())) {
        level.LightMaps = ReadPackageLightMaps(package);
      } else {
        ReadBuiltLight(package, ExportIndexOf(model), *level.Bsp);
      }
    } catch (const BrushError& error) {
      level.PassedOver.push_back(std::string("the build's stored light: ") + error.what());
    }
  }
  return level;
}

LevelLightMaps ReadPackageLightMaps(const PackageFile& package) {
  if (!IsFirstGeneration(package.Version())) {
    throw BrushError("'" + package.Path() + "' is a map of the second engine generation (package " +
                     "version " + std::to_string(package.Version()) +
                     "): its light maps are not shadow bits");
  }
  const PackageObject level_object = PackageObject::Read(package, FindLevelExport(package));
  ByteCursor cursor = level_object.DataCursor();
  const std::vector<std::int32_t> actors = ReadActorList(package, cursor);
  const std::int32_t model = ReadLevelModel(package, cursor);
  cursor.Check();
  if (std::string problem = MissingObject(package, model, "model", kModelClass); !problem.empty()) {
    throw BrushError("'" + package.Path() + "': the level has no build of its own (the level " +
                     problem + ")");
  }
  LevelLightMaps maps = ReadLevelLightMaps(package, ExportIndexOf(model));
  maps.LightActors.reserve(maps.Lights.size());
  for (const std::int32_t ref : maps.Lights) {
    if (ref != 0 && !IsExportRef(ref)) {
      throw BrushError("'" + package.Path() + "': the build's light '" + package.ObjectPath(ref) +
                       "' is in another package");
    }
    maps.LightActors.push_back(
        ref == 0 ? LightRecord{}
                 : ReadLightActor(PackageObject::Read(package, ExportIndexOf(ref))));
  }
  // The level's brightness and ambient light are its LevelInfo's, the zone of no zone actor.
  for (const std::int32_t ref : actors) {
    if (ref == 0 || !IsLevelInfoClass(package.ClassName(ref))) continue;
    maps.LevelInfo = ReadZoneActor(PackageObject::Read(package, ExportIndexOf(ref)));
    break;
  }
  maps.Zones.reserve(maps.ZoneActors.size());
  for (const std::int32_t ref : maps.ZoneActors) {
    maps.Zones.push_back(IsExportRef(ref)
                             ? ReadZoneActor(PackageObject::Read(package, ExportIndexOf(ref)))
                             : maps.LevelInfo);
  }
  return maps;
}

}  // namespace brushwright
