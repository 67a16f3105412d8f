// Writes the MTL material library and the list of missing texture images.
#include "run/material_library.h"

#include <functional>
#include <set>

#include "run/texture_files.h"
#include "text/file_text.h"

namespace brushwright {
namespace {

// Polygon flag bits that change how a material looks.
constexpr std::int64_t kFlagSpecular = 134217728;  // shiny: specular colour, higher exponent
constexpr std::int64_t kFlagTranslucent = 4;       // half transparent
constexpr std::int64_t kFlagMasked = 2;            // the image's own mask gives the alpha

constexpr char kMessageTitle[] = "Brushwright";
constexpr char kMissingHeading[] = "You need to make the following texture files available:";
std::string MaterialBlock(const TextureEntry& entry, const std::string& image_file) {
  const bool specular = (entry.Flags & kFlagSpecular) != 0;
  std::string block;
  const auto line = [&block](std::string_view text) {
    block += text;
    block += kLineBreak;
  };
  line("newmtl " + MaterialName(entry.Name, entry.Flags));
  line("Ka 1 1 1");
  if (specular) line("Ks 1 1 1");
  line(specular ? "Ns 50" : "Ns 8");
  line("illum 2");
  line("map_Kd " + image_file);
  if ((entry.Flags & kFlagTranslucent) != 0) line("d 0.5");
  if ((entry.Flags & kFlagMasked) != 0) line("map_d " + image_file);
  return block;
}

// A name that could point outside the texture directory is never looked up: it counts as
// missing, so the user still hears about it.
bool ImagePresent(const std::string& texture_directory, const std::string& name,
                  const std::string& image_file) {
  return IsSafeFileName(name) && FileExists(texture_directory + image_file);
}

}  // namespace

void WriteMtlFile(OutputFiles& out, const RunOptions& options, const TextureTable& table) {
  if (table.empty() || table[0].Name.empty()) return;

  const std::string mtl_path = MtlPath(options);
  const std::string line_break(kLineBreak);
  out.Write(mtl_path,
            "#  Wavefront material file" + line_break + "# Converted by Brushwright" + line_break,
            false);
  for (const TextureEntry& entry : table) {
    out.Write(mtl_path, MaterialBlock(entry, entry.Name + "." + options.TextureType), true);
  }
}

int WriteMaterialLibrary(RunHost& host, OutputFiles& out, const RunOptions& options,
                         const TextureTable& table) {
  WriteMtlFile(out, options, table);
  return WriteMissingTextureList(host, out, options, table);
}

int WriteMissingTextureList(RunHost& host, OutputFiles& out, const RunOptions& options,
                            const TextureTable& table) {
  if (table.empty() || table[0].Name.empty()) return 0;
  const std::string texture_directory = DirectoryOfPath(options.OutputFile);
  const std::string line_break(kLineBreak);
  // The list names an image once per texture and flags pair; the message names each image once.
  std::string list = kMissingHeading + line_break;
  std::string message = list;
  std::set<std::string, std::less<>> named;
  bool missing = false;
  for (const TextureEntry& entry : table) {
    const std::string image_file = entry.Name + "." + options.TextureType;
    if (!ImagePresent(texture_directory, entry.Name, image_file)) {
      list += image_file + line_break;
      if (named.insert(image_file).second) message += image_file + line_break;
      missing = true;
    }
  }
  if (missing) {
    host.ShowMessage(message, kMessageTitle, MessageKind::Notice);
    out.Write(MissingListPath(options), list, false);
  }
  // The images the user is asked for, each once, as the message names them.
  return static_cast<int>(named.size());
}

}  // namespace brushwright
