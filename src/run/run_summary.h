// What a run did, counted for the command line's summary line and the window.
#pragma once

#include <cstdint>
#include <string>

namespace brushwright {

enum class RunOutcome {
  NotStarted,  // the input name was empty: nothing happened
  Done,        // the run reached "Done"
  GivenUp,     // the window closed during the run; files keep what was written
};

struct RunSummary {
  RunOutcome Outcome = RunOutcome::NotStarted;
  std::int32_t PolygonsRead = 0;    // polygons of the taken brushes, ignored ones included
  std::int32_t FacesConverted = 0;  // faces written (world: source faces with pieces written)
  std::int32_t Groups = 0;          // groups written
  std::int32_t Materials = 0;       // texture table entries
  std::int32_t MissingTextures = 0;
  std::int32_t TexturesConverted = 0;     // images found in another type than the run's
  std::int32_t TexturesFromPackages = 0;  // textures found inside packages
  std::int32_t MaterialsFollowed = 0;     // of those, reached through a material
  std::int32_t ReportBlocks = 0;
  std::int32_t BrushActors = 0;         // brush actors found
  std::int32_t BrushesTaken = 0;        // brush actors whose polygons were read
  std::int32_t SubtractiveSkipped = 0;  // brush actors skipped for their "CsgOper=CSG_Subtract"
  std::int32_t BuilderSkipped = 0;      // brush actors skipped for having no "CsgOper=" at all
  std::int32_t InvisibleFaces = 0;      // faces skipped for their invisible flag
  std::int32_t BeforeStartFace = 0;     // faces skipped as numbered before the start face
  std::int32_t TextureSkipped = 0;      // faces skipped by the no-texture/default-texture switches
  // The world output.
  std::int32_t Fragments = 0;        // visible pieces of faces written
  std::int32_t BrokenBrushes = 0;    // solid brushes that are not closed
  std::int32_t OtherOperations = 0;  // brushes with CSG_Intersect or CSG_Deintersect, ignored
  std::int64_t Triangles = 0;        // the glTF output: triangles written
  // The level's own build: surfaces with a polygon written (each polygon counts as a face).
  std::int32_t BuiltSurfaces = 0;
  // What the level shows besides its brushes.
  std::int32_t PlacedMeshes = 0;  // actors whose static mesh was placed
  std::int32_t MeshesRead = 0;    // static meshes read for them, each once
  std::int32_t Movers = 0;        // movers written
  // The level's light, when the output carries it: light-map pages (stored or computed), their
  // texels, and the shadow rays cast to compute what the level does not store.
  std::int32_t LightPages = 0;
  std::int64_t LightTexels = 0;
  std::int64_t LightRays = 0;
  // The classes of actors that show something and were not converted, with their counts
  // ("24 SpriteEmitter, 15 Emitter"); "" when none.
  std::string LeftOut;
};

}  // namespace brushwright
