// Reads the level of an Unreal map package (.unr, .ut2 and the like) into the plain level, as
// the T3D reader fills it from the same map's export.
#pragma once

#include "level/level.h"
#include "package/package_file.h"

namespace brushwright {

// Reads the level the package holds, walking its own actor list (the order a T3D export writes
// the actors in) and reading only the objects that list leads to:
// - every actor of class Brush (the T3D reader's brushes; movers and volumes are other classes)
//   with its operation, tag, flags, placement and its model's polygons. A brush whose model or
//   polygon list is missing from the package, or stored in a layout this reader does not know,
//   is left out and named in PassedOver;
// - the report's actors (Light, Spotlight, Trigger, PlayerStart, Teleporter,
//   FavoritesTeleporter, VisibleTeleporter), each property the package does not store at the
//   record's default, as the T3D reader leaves a key the export omits.
// With `with_bsp` the level's own build is read into Level::Bsp as well; a level that was never
// built is an error then. With `with_light` too, the light the build stores comes with it: a
// second generation's pages and each node's place on them in Level::Bsp, a first generation's
// light maps (as ReadPackageLightMaps gives them) in Level::LightMaps. With `with_light` each
// static mesh actor also takes the light its StaticMeshInstance stores per vertex. Light stored in
// a layout this reader does not know, or broken, is passed over and named, and the level still
// reads. Throws BrushError naming the file, and the object and byte offset where its bytes are
// broken, when the package holds no level or its level, actors, models or polygons are broken.
Level ReadPackageLevel(const PackageFile& package, bool with_bsp, bool with_light = false);

// The light maps of the level's own build (a first-generation package from version 62 on), with
// the record of every light they list, each zone's ambient light and the level's brightness. Throws
// BrushError naming the file and what is broken, or when the package is of another generation or
// its level has no build.
LevelLightMaps ReadPackageLightMaps(const PackageFile& package);

}  // namespace brushwright
