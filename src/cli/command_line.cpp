// Turns brushwright-convert's arguments into ConvertOptions with CLI11; prints nothing itself.
#include "cli/command_line.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

#include <CLI/CLI.hpp>

#include "image/image_file.h"
#include "run/option_rules.h"
#include "run/output_kinds.h"
#include "text/file_text.h"
#include "text/key_readers.h"
#include "text/number_text.h"

namespace brushwright {

namespace {

// The input name that stands for standard input, as in other command-line tools.
constexpr std::string_view kStandardInput = "-";

// More threads than this would only share the same cores and memory.
constexpr std::size_t kMostJobs = 1024;

// The light option, and the words that may follow it with the light mode each names; the first
// is what --light alone means.
constexpr std::string_view kLightOption = "--light";
struct LightWord {
  std::string_view Word;
  LightMode Mode;
};
constexpr LightWord kLightWords[] = {{"maps", LightMode::Maps}, {"bake", LightMode::Bake}};

// Help columns: wide enough for the longest option with its value name.
constexpr std::size_t kHelpColumn = 30;

#ifndef BRUSHWRIGHT_VERSION
#define BRUSHWRIGHT_VERSION "unknown"
#endif

// The texture types, as the image types name them.
std::vector<std::string_view> TextureTypeNames() {
  std::vector<std::string_view> names;
  for (const ImageType& type : ImageTypes()) names.push_back(type.Name);
  return names;
}

// The words, each followed by a space but the last.
std::string JoinedWords(const std::vector<std::string_view>& words) {
  std::string text;
  for (const std::string_view word : words) {
    if (!text.empty()) text += ' ';
    text += word;
  }
  return text;
}

// The words of --format, in the output kinds' order.
std::vector<std::string_view> FormatWords() {
  std::vector<std::string_view> words;
  for (const OutputKind& kind : OutputKinds()) words.push_back(kind.Word);
  return words;
}

// "obj for OBJ, glb for glTF binary (default: obj)", from the output kinds.
std::string FormatHelp() {
  std::string help;
  for (const OutputKind& kind : OutputKinds()) {
    help +=
        (help.empty() ? "" : ", ") + std::string(kind.Word) + " for " + std::string(kind.FileType);
  }
  return help + " (default: " + std::string(OutputKinds().front().Word) + ")";
}

// "file of one INPUT (default: INPUT, .obj or .glb)", from the output kinds.
std::string OutputHelp() {
  std::string extensions;
  for (const OutputKind& kind : OutputKinds()) {
    extensions += (extensions.empty() ? "" : " or ") + std::string(kind.Extension);
  }
  return "file of one INPUT (default: INPUT, " + extensions + ")";
}

// Accepts one of `choices` in any letter case and stores it as the choice spells it.
template <typename Choices>
CLI::Validator OneOfValidator(const Choices& choices, const std::string& name) {
  return CLI::Validator(
      [choices](std::string& value) -> std::string {
        for (const std::string_view choice : choices) {
          if (EqualsIgnoringCase(value, choice)) {
            value = choice;
            return "";
          }
        }
        std::string listed;
        for (const std::string_view choice : choices) {
          listed += (listed.empty() ? "" : ", ") + std::string(choice);
        }
        return "'" + value + "' is not one of " + listed;
      },
      "", name);
}

// An empty file or directory name would silently name the current or root directory.
CLI::Validator NonEmptyValidator() {
  return CLI::Validator(
      [](std::string& value) -> std::string {
        return value.empty() ? std::string("the name is empty") : std::string();
      },
      "", "non-empty");
}

// A scale must be a finite number above 0: anything else would flatten or mirror the level.
CLI::Validator PositiveNumberValidator() {
  return CLI::Validator(
      [](std::string& value) -> std::string {
        const double number = NumberValue(value);
        if (!(number > 0) || !std::isfinite(number))
          return "'" + value + "' is not a number above 0";
        return "";
      },
      "", "positive");
}

// A number of units per baked texel within the bounds the option rules set.
CLI::Validator TexelUnitsValidator() {
  return CLI::Validator(
      [](std::string& value) -> std::string {
        if (!BakeTexelUnitsAllowed(NumberValue(value))) {
          return "'" + value + "' is not a number from " + NumberText(kFinestBakeTexelUnits) +
                 " to " + NumberText(kCoarsestBakeTexelUnits);
        }
        return "";
      },
      "", "texel units");
}

// The light word `word` names in any letter case, none when it names none.
const LightWord* LightWordOf(std::string_view word) {
  for (const LightWord& light : kLightWords) {
    if (EqualsIgnoringCase(word, light.Word)) return &light;
  }
  return nullptr;
}

// The word after --light is optional, which the parser cannot tell from an input that follows
// it: "--light WORD" becomes "--light=WORD" when WORD is a light word, and a bare --light becomes
// "--light=maps". Arguments after "--" are inputs and stay as they are.
std::vector<std::string> WithLightWordsJoined(const std::vector<std::string>& args) {
  std::vector<std::string> joined;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--") {
      joined.insert(joined.end(), args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
      break;
    }
    if (args[i] != kLightOption) {
      joined.push_back(args[i]);
    } else if (i + 1 < args.size() && LightWordOf(args[i + 1]) != nullptr) {
      joined.push_back(std::string(kLightOption) + "=" + args[++i]);
    } else {
      joined.push_back(std::string(kLightOption) + "=" + std::string(kLightWords[0].Word));
    }
  }
  return joined;
}

// Why switches cannot go together, "" when they can.
std::string ConflictText(const RunOptions& run) {
  const auto conflict = FindOptionConflict(run);
  return conflict ? ConflictMessage(*conflict, true) : "";
}

void DefineOptions(CLI::App& app, ConvertOptions& options) {
  app.get_formatter()->column_width(kHelpColumn);
  app.set_help_flag("-h,--help", "show this help and exit");
  app.set_version_flag("--version", std::string("brushwright-convert ") + BRUSHWRIGHT_VERSION,
                       "show the version and exit");
  app.add_option("INPUT", options.Inputs, "T3D files or map packages; - is standard input")
      ->option_text("...")
      ->required()
      ->check(NonEmptyValidator());
  // FILE and DIR stand alone in the help: it need not list the exclusion.
  CLI::Option* output = app.add_option("-o,--output", options.OutputFile, OutputHelp())
                            ->type_name("FILE")
                            ->option_text("FILE")
                            ->check(NonEmptyValidator());
  CLI::Option* output_dir = app.add_option("--output-dir", options.OutputDir,
                                           "put each output in DIR (default: beside INPUT)")
                                ->type_name("DIR")
                                ->option_text("DIR")
                                ->check(NonEmptyValidator());
  output->excludes(output_dir);
  app.add_option("--start-face", options.Run.StartFace,
                 "number of the first face converted (default: 1)")
      ->type_name("N");
  app.add_flag_callback(
      "--no-geometry", [&options] { options.Run.DoGeometry = false; },
      "write materials only, no OBJ file (default: off)");
  app.add_flag("--build-brush", options.Run.BuildBrush,
               "only the builder brush, no others (default: off)");
  app.add_flag("--ignore-no-texture", options.Run.IgnoreNoTexture,
               "skip faces without a texture (default: off)");
  app.add_flag("--ignore-default-texture", options.Run.IgnoreDefaultTexture,
               "skip faces with DefaultTexture (default: off)");
  app.add_option("--copy-textures", options.Run.SearchPath,
                 "texture search folder: its images and the game's\n"
                 "packages give the textures; found images are\n"
                 "copied beside the output (default: off)")
      ->type_name("DIR")
      ->check(NonEmptyValidator());
  app.add_option("--texture-type", options.Run.TextureType,
                 JoinedWords(TextureTypeNames()) + ", any case (default: BMP)")
      ->type_name("T")
      ->transform(OneOfValidator(TextureTypeNames(), "texture type"));
  app.add_flag("--w3d", options.Run.W3D, "W3D instead of OBJ coordinates (default: OBJ)");
  app.add_flag("--report", options.Run.Report, "write the actor report as .txt (default: off)");
  app.add_flag_callback(
      "--no-brush-transforms", [&options] { options.Run.BrushTransforms = false; },
      "place brushes by location only (default: off)");
  app.add_flag("--subtractive", options.Run.Subtractive,
               "take subtractive brushes too (default: off)");
  app.add_flag("--world", options.Run.BuildWorld,
               "surfaces as the level shows them (default: off)");
  app.add_flag("--built-world", options.Run.BuiltWorld,
               "the editor's own build of a map (default: off)");
  app.add_flag_callback(
      "--no-static-meshes", [&options] { options.Run.StaticMeshes = false; },
      "world without static meshes (default: off)");
  app.add_flag_callback(
      "--no-movers", [&options] { options.Run.Movers = false; },
      "world without movers (default: off)");
  app.add_flag_callback(
      "--no-terrain", [&options] { options.Run.Terrain = false; },
      "world without terrain (default: off)");
  app.add_flag("--with-meshes", options.Run.WithMeshes,
               "brushes + meshes, movers, terrain (default: off)");
  app.add_option_function<std::string>(
         "--format",
         [&options](const std::string& name) {
           // The validator has let only a kind's word through.
           options.Run.Format = OutputFormatOfWord(name).value_or(OutputKinds().front().Format);
         },
         FormatHelp())
      ->type_name("F")
      ->transform(OneOfValidator(FormatWords(), "format"));
  app.add_option("--scale", options.Run.Scale, "glTF metres per Unreal unit (default: 0.01905)")
      ->type_name("M")
      ->check(PositiveNumberValidator());
  app.add_flag_callback(
      "--no-actors", [&options] { options.Run.Actors = false; },
      "glTF without lights and markers (default: off)");
  app.add_flag_callback(
      "--no-lights", [&options] { options.Run.Lights = false; },
      "glTF with markers but no lights (default: off)");
  std::vector<std::string_view> light_words;
  for (const LightWord& light : kLightWords) light_words.push_back(light.Word);
  app.add_option_function<std::string>(
         std::string(kLightOption),
         [&options](const std::string& word) {
           // The validator has let only a light word through.
           const LightWord* light = LightWordOf(word);
           options.Run.Light = light != nullptr ? light->Mode : kLightWords[0].Mode;
         },
         "world with the level's light: maps for light\n"
         "maps on glTF's second texture coordinates,\n"
         "bake for textures times light (default: off;\n"
         "maps when no word follows)")
      ->option_text("[maps|bake]")
      ->transform(OneOfValidator(light_words, "light"));
  app.add_option("--texel-units", options.Run.BakeTexelUnits,
                 "units one baked texel spans (default: 4)")
      ->type_name("U")
      ->check(TexelUnitsValidator());
  app.add_flag("--keep-lights", options.Run.LightsWithLight,
               "glTF lights kept beside the level's light,\n"
               "which then lights it twice (default: off)");
  app.add_flag("--extract-textures", options.ExtractTextures,
               "write the INPUT packages' textures as images\n"
               "into --output-dir (default: off)");
  app.add_flag("--extract-meshes", options.ExtractMeshes,
               "write the INPUT packages' static meshes, each a\n"
               "file, into --output-dir (default: off)");
  app.add_option("-j,--jobs", options.Jobs,
                 "convert N inputs at once; each input's lines stay\n"
                 "together, in the inputs' order (default: one per\n"
                 "core)")
      ->check(CLI::Range(std::size_t{1}, kMostJobs))
      ->option_text("N");
  app.add_flag("-q,--quiet", options.Quiet, "print errors only (default: off)");
}

void ConfigureApp(CLI::App& app, ConvertOptions& options) {
  app.name("brushwright-convert");
  // CLI11 would read "/name" as an option on Windows; there it is a path from the drive's root.
  app.allow_windows_style_options(false);
  app.description("Converts Unreal T3D exports and map packages into OBJ + MTL or glTF files.");
  DefineOptions(app, options);
  app.footer(
      "Exit status: 0 when every input was converted, 1 when any failed, 2 for\n"
      "bad usage. MTL file, report and copied images go beside the output file.");
}

// Two inputs that would write the same files: the second run would overwrite the first.
std::string SharedOutputMessage(const ConvertOptions& options) {
  for (std::size_t i = 0; i < options.Inputs.size(); ++i) {
    for (std::size_t j = i + 1; j < options.Inputs.size(); ++j) {
      const std::string path = OutputPathFor(options, options.Inputs[i]);
      if (path == OutputPathFor(options, options.Inputs[j])) {
        return options.Inputs[i] + " and " + options.Inputs[j] + " would both write " + path;
      }
    }
  }
  return "";
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  ConvertOptions options;
  CLI::App app;
  ConfigureApp(app, options);
  // CLI11 consumes its argument vector from the back.
  const std::vector<std::string> joined = WithLightWordsJoined(args);
  std::vector<std::string> reversed(joined.rbegin(), joined.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    return InfoText{app.help()};
  } catch (const CLI::CallForVersion& version) {
    return InfoText{std::string(version.what()) + "\n"};
  } catch (const CLI::ParseError& error) {
    return UsageError{error.what()};
  }
  options.Run.SearchCopy = app.count("--copy-textures") > 0;
  if (options.ExtractTextures && options.ExtractMeshes) {
    return UsageError{"--extract-textures and --extract-meshes cannot go together"};
  }
  if (options.ExtractTextures || options.ExtractMeshes) {
    if (options.OutputDir.empty()) {
      return UsageError{
          std::string(options.ExtractMeshes ? "--extract-meshes" : "--extract-textures") +
          " writes into the folder --output-dir names"};
    }
    // PNG keeps a masked texture's transparent pixels.
    if (app.count("--texture-type") == 0) options.Run.TextureType = "PNG";
    return options;
  }
  if (std::string conflict = ConflictText(options.Run); !conflict.empty()) {
    return UsageError{conflict};
  }
  // Standard input has no name to make the output's from, and can be read once.
  const auto from_stdin = std::count(options.Inputs.begin(), options.Inputs.end(), kStandardInput);
  if (from_stdin > 1) return UsageError{"standard input (-) can be read only once"};
  if (from_stdin == 1 && options.OutputFile.empty()) {
    return UsageError{"reading standard input (-) needs -o FILE to name the output"};
  }
  if (!options.OutputFile.empty() && options.Inputs.size() > 1) {
    return UsageError{"--output names one file but " + std::to_string(options.Inputs.size()) +
                      " inputs were given; use --output-dir"};
  }
  if (std::string shared = SharedOutputMessage(options); !shared.empty()) {
    return UsageError{shared};
  }
  return options;
}

std::string UsageText() {
  ConvertOptions options;
  CLI::App app;
  ConfigureApp(app, options);
  return app.help();
}

std::string OutputPathFor(const ConvertOptions& options, const std::string& input) {
  if (!options.OutputFile.empty()) return options.OutputFile;
  const std::string name =
      StripExtension(input) + std::string(OutputKindOf(options.Run.Format).Extension);
  if (options.OutputDir.empty()) return name;
  // A directory that already ends in a separator gets none added.
  const bool has_separator = DirectoryOfPath(options.OutputDir) == options.OutputDir;
  return options.OutputDir + (has_separator ? "" : "/") + FileNameOfPath(name);
}

RunOptions RunOptionsFor(const ConvertOptions& options, const std::string& input) {
  RunOptions run = options.Run;
  run.InputFile = input;
  run.OutputFile = OutputPathFor(options, input);
  return run;
}

}  // namespace brushwright
