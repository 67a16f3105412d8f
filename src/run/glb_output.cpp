// The glTF writer's scene of a run: mesh, materials with their pictures, lights and markers.
#include "run/glb_output.h"

#include <string_view>

namespace brushwright {

namespace {

// Later editors write class names with their package.
constexpr std::string_view kEnginePackage = "Engine.";
// The material of faces without a texture: plain and not metallic, as OBJ readers show faces
// without one. Material names of textures end in their flags' digits, so this one never clashes.
constexpr std::string_view kUntexturedMaterial = "Untextured";
// A light of this kind is a spot light.
constexpr std::int16_t kSpotLightKind = 2;

// "PlayerStart PlayerStart0": the class without its package, then the actor's name.
std::string MarkerName(const ActorHeader& actor) {
  std::string_view actor_class = actor.Class;
  if (actor_class.substr(0, kEnginePackage.size()) == kEnginePackage) {
    actor_class.remove_prefix(kEnginePackage.size());
  }
  return std::string(actor_class) + " " + actor.Name;
}

bool AnyFaceUntextured(const Mesh& mesh) {
  for (const MeshGroup& group : mesh.Groups) {
    for (const MeshFace& face : group.Faces) {
      if (mesh.Surfaces[static_cast<std::size_t>(face.Surface)].Material == kNoMaterial) {
        return true;
      }
    }
  }
  return false;
}

}  // namespace

GlbScene GlbSceneOf(const Mesh& mesh, const RunMaterials& materials, double scale) {
  GlbScene scene;
  scene.Geometry = &mesh;
  scene.Scale = scale;
  for (const TextureEntry& entry : materials.Table) {
    if (entry.Name.empty()) break;  // the table's empty state
    GlbMaterial& material = scene.Materials.emplace_back();
    material.Name = MaterialName(entry.Name, entry.Flags);
    material.Flags = entry.Flags;
    const auto found = materials.Pictures.find(entry.Name);
    if (found == materials.Pictures.end()) continue;
    // A PNG file goes in as it is; any other image as its decoded pixels.
    if (!found->second.PngBytes.empty()) {
      material.PngBytes = found->second.PngBytes;
    } else {
      material.Picture = found->second.Picture;
    }
  }
  if (AnyFaceUntextured(mesh)) {
    scene.UntexturedMaterial = static_cast<std::int32_t>(scene.Materials.size());
    scene.Materials.push_back(GlbMaterial{std::string(kUntexturedMaterial), 0, {}, ""});
  }
  return scene;
}

void AddGlbActors(const Level& level, bool lights, GlbScene& scene) {
  const ReportActors& actors = level.Actors;
  if (lights) {
    for (const LightRecord& light : actors.Lights) {
      scene.Lights.push_back(GlbLight{light.Name, light.LightKind == kSpotLightKind, light.Location,
                                      light.Rotation, light.LightHue, light.LightSaturation,
                                      light.LightBrightness, light.LightRadius, light.LightCone});
    }
  }
  for (const auto* starts : {&actors.PlayerStarts, &level.OtherStarts}) {
    for (const PlayerStartRecord& start : *starts) {
      scene.Markers.push_back(GlbMarker{MarkerName(start), start.Location, start.Rotation});
    }
  }
  for (const TeleporterRecord& teleporter : actors.Teleporters) {
    scene.Markers.push_back(
        GlbMarker{MarkerName(teleporter), teleporter.Location, teleporter.Rotation});
  }
  for (const TriggerRecord& trigger : actors.Triggers) {
    scene.Markers.push_back(GlbMarker{MarkerName(trigger), trigger.Location, std::nullopt});
  }
}

void AddGlbSuns(const Level& level, GlbScene& scene) {
  for (const SunlightRecord& sun : level.Suns) {
    GlbLight& light = scene.Lights.emplace_back();
    light.Name = "Sunlight " + sun.Name;
    light.Directional = true;
    light.Location = sun.Location;
    light.Rotation = sun.Rotation;
    light.Hue = sun.LightHue;
    light.Saturation = sun.LightSaturation;
    light.Brightness = sun.LightBrightness;
  }
}

}  // namespace brushwright
