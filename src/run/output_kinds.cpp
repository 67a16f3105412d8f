// The kinds of file a run writes a level to, and their writers.
#include "run/output_kinds.h"

#include "gltf/glb_writer.h"
#include "image/image_file.h"
#include "level/level.h"
#include "run/glb_output.h"
#include "run/material_library.h"
#include "run/obj_writer.h"
#include "run/option_rules.h"
#include "run/run_options.h"
#include "text/key_readers.h"

namespace brushwright {

namespace {

std::int64_t WriteObjGeometry(const OutputJob& job) {
  WriteObj(job.Out, job.Options.OutputFile, MtlPath(job.Options), job.Geometry, job.Options.W3D);
  return 0;
}

int WriteObjMaterials(const OutputJob& job) {
  return WriteMaterialLibrary(job.Host, job.Out, job.Options, job.Materials.Table);
}

// The lights the glTF file leaves out because the carried light holds them, named once.
void ShowLightsLeftOut(const OutputJob& job) {
  const std::size_t count =
      job.Source.Actors.Lights.size() + (ShowsWholeLevel(job.Options) ? job.Source.Suns.size() : 0);
  if (count == 0) return;
  job.Host.ShowMessage("'" + job.Options.OutputFile + "' leaves out the level's " +
                           std::to_string(count) + (count == 1 ? " light" : " lights") +
                           ": the light carried on its surfaces already holds what they shed, and "
                           "a viewer would light the level twice (--keep-lights keeps them)",
                       "Brushwright", MessageKind::Notice);
}

std::int64_t WriteGlbGeometry(const OutputJob& job) {
  GlbScene scene = GlbSceneOf(job.Geometry, job.Materials, job.Options.Scale);
  if (job.Options.Actors && job.Source.HasActors) {
    const bool lights = WritesPunctualLights(job.Options);
    AddGlbActors(job.Source, lights, scene);
    if (lights && ShowsWholeLevel(job.Options)) AddGlbSuns(job.Source, scene);
    if (job.Options.Lights && !lights) ShowLightsLeftOut(job);
  }
  return WriteGlb(job.Options.OutputFile, scene, EncodePng).Triangles;
}

int WriteGlbMaterials(const OutputJob& job) {
  return WriteMissingTextureList(job.Host, job.Out, job.Options, job.Materials.Table);
}

// In the order of OutputFormat. Adding a kind: its value there, its row here, its writers.
constexpr OutputKind kOutputKinds[] = {
    {OutputFormat::Obj, "OBJ", ".obj", "obj", "OBJ", "OBJ", true, true, true, false, false, ".mtl",
     WriteObjGeometry, WriteObjMaterials},
    {OutputFormat::Glb, "glTF", ".glb", "glb", "glTF (binary)", "glTF binary", true, false, false,
     true, true, "", WriteGlbGeometry, WriteGlbMaterials},
};

}  // namespace

std::span<const OutputKind> OutputKinds() {
  return kOutputKinds;
}

const OutputKind& OutputKindOf(OutputFormat format) {
  for (const OutputKind& kind : kOutputKinds) {
    if (kind.Format == format) return kind;
  }
  return kOutputKinds[0];
}

std::optional<OutputFormat> OutputFormatOfWord(std::string_view word) {
  for (const OutputKind& kind : kOutputKinds) {
    if (EqualsIgnoringCase(kind.Word, word)) return kind.Format;
  }
  return std::nullopt;
}

std::optional<OutputFormat> OutputFormatOfLabel(std::string_view label) {
  for (const OutputKind& kind : kOutputKinds) {
    if (kind.Label == label) return kind.Format;
  }
  return std::nullopt;
}

}  // namespace brushwright
