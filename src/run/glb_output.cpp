// Gathers a run's faces, materials and actors into the glTF scene, then writes the .glb file.
#include "run/glb_output.h"

#include <string_view>
#include <utility>

#include "image/image_file.h"
#include "text/file_text.h"

namespace brushwright {

namespace {

// A PNG file starts with these bytes; its image is embedded as the file has it.
constexpr std::string_view kPngSignature = "\x89PNG\r\n\x1a\n";
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

GlbFace FaceOf(std::int32_t material, const std::vector<FaceCorner>& corners,
               const std::vector<std::int32_t>& positions) {
  GlbFace face;
  face.Material = material;
  for (std::size_t i = 0; i < corners.size(); ++i) {
    face.Corners.push_back(
        GlbCorner{positions[i], corners[i].Coordinates.U, corners[i].Coordinates.V});
  }
  return face;
}

}  // namespace

GlbOutput::GlbOutput(double scale) {
  scene_.Scale = scale;
}

void GlbOutput::BeginGroup(const std::string& name) {
  scene_.Groups.push_back(GlbGroup{name, {}});
}

// Faces before any group line (a brush exported on its own) get a group without a name.
GlbGroup& GlbOutput::CurrentGroup() {
  if (scene_.Groups.empty()) BeginGroup("");
  return scene_.Groups.back();
}

void GlbOutput::AddFace(std::int32_t material, const std::vector<FaceCorner>& corners) {
  std::vector<std::int32_t> positions;
  for (const FaceCorner& corner : corners) {
    positions.push_back(static_cast<std::int32_t>(scene_.Positions.size()));
    scene_.Positions.push_back(corner.Position);
  }
  CurrentGroup().Faces.push_back(FaceOf(material, corners, positions));
}

void GlbOutput::SetSharedPositions(std::vector<Vector> positions) {
  scene_.Positions = std::move(positions);
}

void GlbOutput::AddSharedFace(std::int32_t material, const std::vector<std::int32_t>& positions,
                              const std::vector<FaceCorner>& corners) {
  CurrentGroup().Faces.push_back(FaceOf(material, corners, positions));
}

void GlbOutput::AddPicture(const std::string& texture, LoadedPicture picture) {
  std::string bytes = ReadFileText(picture.Path);
  if (bytes.compare(0, kPngSignature.size(), kPngSignature) == 0) {
    pictures_[texture] = {std::move(bytes), std::nullopt};
  } else if (picture.Picture.Rgba.size() ==
             static_cast<std::size_t>(picture.Picture.Width) * picture.Picture.Height * 4) {
    pictures_[texture] = {"", std::move(picture.Picture)};
  }
}

void GlbOutput::SetMaterials(const TextureTable& table) {
  for (const TextureEntry& entry : table) {
    if (entry.Name.empty()) break;  // the table's empty state
    GlbMaterial& material = scene_.Materials.emplace_back();
    material.Name = MaterialName(entry.Name, entry.Flags);
    material.Flags = entry.Flags;
    const auto found = pictures_.find(entry.Name);
    if (found == pictures_.end()) continue;
    material.PngBytes = found->second.first;
    material.Picture = found->second.second;
  }
  // Faces without a texture get a plain material after the table's.
  const auto untextured = static_cast<std::int32_t>(scene_.Materials.size());
  bool used = false;
  for (GlbGroup& group : scene_.Groups) {
    for (GlbFace& face : group.Faces) {
      if (face.Material != kNoGlbMaterial) continue;
      face.Material = untextured;
      used = true;
    }
  }
  if (used) scene_.Materials.push_back(GlbMaterial{std::string(kUntexturedMaterial), 0, {}, ""});
}

void GlbOutput::AddActors(const ReportActors& actors) {
  for (const LightRecord& light : actors.Lights) {
    scene_.Lights.push_back(GlbLight{light.Name, light.LightKind == kSpotLightKind, light.Location,
                                     light.Rotation, light.LightHue, light.LightSaturation,
                                     light.LightBrightness, light.LightRadius, light.LightCone});
  }
  for (const PlayerStartRecord& start : actors.PlayerStarts) {
    scene_.Markers.push_back(GlbMarker{MarkerName(start), start.Location});
  }
  for (const TeleporterRecord& teleporter : actors.Teleporters) {
    scene_.Markers.push_back(GlbMarker{MarkerName(teleporter), teleporter.Location});
  }
  for (const TriggerRecord& trigger : actors.Triggers) {
    scene_.Markers.push_back(GlbMarker{MarkerName(trigger), trigger.Location});
  }
}

GlbCounts GlbOutput::Write(const std::string& path) const {
  return WriteGlb(path, scene_, EncodePng);
}

}  // namespace brushwright
