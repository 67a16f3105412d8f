// Tests of the 3-D view on a real level: its overview against another renderer's picture of the
// written glTF file, and a player's view against a ray cast in that file.
#include "window/level_view.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/image.h>
#include <wx/utils.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>
#include <sstream>

#include "support/gltf_files.h"
#include "support/test_inputs.h"
#include "window/autorun.h"
#include "window/level_canvas.h"
#include "window/view_camera.h"
#include "window_test_support.h"
#include "wx_test_environment.h"

namespace brushwright::testing {
namespace {

// The view's background colour in 8 bits, and how far a pixel may stray from it and still count
// as background (renderers round differently).
constexpr int kBackground[3] = {77, 107, 140};
constexpr int kBackgroundTolerance = 3;
// A player's eyes above the start, in the glTF file's metres: 27 Unreal units.
constexpr double kEyeHeight = 27 * 0.01905;

// The corpus level the checks draw: the world its brushes build, as a glTF file.
struct WorldRun {
  TempDir dir;
  std::string in_file = std::string(BRUSHWRIGHT_CORPUS_DIR) + "/DM_Amos.t3d";
  std::string out_file = dir / "level.glb";
  TestWindow window{dir / "Brushwright.ini"};

  WorldRun() {
    window.Choose("ListOutputType", "glTF (binary)");
    window.Tick("CheckBuildWorld", true);
  }
};

void Settle() {
  for (int pass = 0; pass < 20; ++pass) {
    wxTheApp->Yield(true);
    wxMilliSleep(10);
  }
}

bool IsBackground(const wxImage& image, int x, int y) {
  const int rgb[3] = {image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y)};
  for (int c = 0; c < 3; ++c) {
    if (std::abs(rgb[c] - kBackground[c]) > kBackgroundTolerance) return false;
  }
  return true;
}

double GeometryShare(const wxImage& image) {
  int geometry = 0;
  for (int y = 0; y < image.GetHeight(); ++y) {
    for (int x = 0; x < image.GetWidth(); ++x) geometry += IsBackground(image, x, y) ? 0 : 1;
  }
  return static_cast<double>(geometry) / (image.GetWidth() * image.GetHeight());
}

// "camera position 1 2 3 target ..." as f3d's camera options.
std::string F3dCamera(const std::string& line) {
  std::istringstream words(line);
  std::string word, options;
  const char* names[] = {"position", "focal-point", "view-up"};
  words >> word;  // "camera"
  for (const char* name : names) {
    double x, y, z;
    words >> word >> x >> y >> z;
    char text[200];
    std::snprintf(text, sizeof(text), " --camera-%s=%.17g,%.17g,%.17g", name, x, y, z);
    options += text;
  }
  double fov;
  words >> word >> fov;
  return options + " --camera-view-angle=" + std::to_string(fov);
}

// The nearest distance along the ray at which it meets a triangle of the file's meshes.
std::optional<double> NearestHit(const tinygltf::Model& model, const Vector& from,
                                 const Vector& direction) {
  std::optional<double> nearest;
  for (const tinygltf::Mesh& mesh : model.meshes) {
    for (const tinygltf::Primitive& primitive : mesh.primitives) {
      const std::vector<double> p = Values(model, primitive.attributes.at("POSITION"));
      const std::vector<double> indices = Values(model, primitive.indices);
      for (std::size_t i = 0; i + 2 < indices.size(); i += 3) {
        Vector corner[3];
        for (int k = 0; k < 3; ++k) {
          const auto at = static_cast<std::size_t>(indices[i + k]) * 3;
          corner[k] = {p[at], p[at + 1], p[at + 2]};
        }
        // Moller and Trumbore's test.
        const Vector e1 = VecSubtract(corner[1], corner[0]);
        const Vector e2 = VecSubtract(corner[2], corner[0]);
        const Vector h = VecCross(direction, e2);
        const double a = e1.X * h.X + e1.Y * h.Y + e1.Z * h.Z;
        if (std::abs(a) < 1e-12) continue;
        const Vector s = VecSubtract(from, corner[0]);
        const double u = (s.X * h.X + s.Y * h.Y + s.Z * h.Z) / a;
        if (u < 0 || u > 1) continue;
        const Vector q = VecCross(s, e1);
        const double v = (direction.X * q.X + direction.Y * q.Y + direction.Z * q.Z) / a;
        if (v < 0 || u + v > 1) continue;
        const double t = (e2.X * q.X + e2.Y * q.Y + e2.Z * q.Z) / a;
        if (t > 0 && (!nearest || t < *nearest)) nearest = t;
      }
    }
  }
  return nearest;
}

TEST(LevelView, OverviewAgreesWithAnotherRenderer) {
  REQUIRE_TOOLKIT();
  WorldRun run;
  SKIP_IF_MISSING(FileBytes(run.in_file) == "<missing>" ? "no corpus level " + run.in_file : "");
  SKIP_IF_MISSING(std::system("command -v f3d >/dev/null 2>&1") != 0
                      ? "f3d is not installed: run scripts/install-deps.sh"
                      : "");
  AutorunOptions options;
  options.Input = run.in_file;
  options.Output = run.out_file;
  options.ViewPicture = run.dir / "view.png";
  ::testing::internal::CaptureStderr();
  const bool done = RunAutomatically(*run.window, options);
  const std::string said = ::testing::internal::GetCapturedStderr();
  ASSERT_TRUE(done) << said;
  const std::string camera = said.substr(said.rfind("camera position"));

  wxImage view;
  ASSERT_TRUE(view.LoadFile(options.ViewPicture, wxBITMAP_TYPE_PNG));
  const std::string other = run.dir / "f3d.png";
  const std::string command = "f3d --dry-run --quiet '" + run.out_file + "' --output='" + other +
                              "' --resolution=" + std::to_string(view.GetWidth()) + "," +
                              std::to_string(view.GetHeight()) +
                              " --bg-color=" + std::to_string(kBackground[0] / 255.0) + "," +
                              std::to_string(kBackground[1] / 255.0) + "," +
                              std::to_string(kBackground[2] / 255.0) + F3dCamera(camera);
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  wxImage reference;
  ASSERT_TRUE(reference.LoadFile(other, wxBITMAP_TYPE_PNG));
  ASSERT_EQ(reference.GetSize(), view.GetSize());

  int agree = 0;
  int both_geometry = 0;
  int any_geometry = 0;
  for (int y = 0; y < view.GetHeight(); ++y) {
    for (int x = 0; x < view.GetWidth(); ++x) {
      const bool ours = !IsBackground(view, x, y);
      const bool theirs = !IsBackground(reference, x, y);
      agree += ours == theirs ? 1 : 0;
      both_geometry += ours && theirs ? 1 : 0;
      any_geometry += ours || theirs ? 1 : 0;
    }
  }
  const double share = static_cast<double>(agree) / (view.GetWidth() * view.GetHeight());
  EXPECT_GE(share, 0.97) << camera;
  // The level fills a good part of the picture, and the two renderers' shapes overlap.
  EXPECT_GT(GeometryShare(view), 0.05);
  EXPECT_GT(static_cast<double>(both_geometry) / any_geometry, 0.8);
}

TEST(LevelView, PlayerStartLooksAtTheSurfaceAhead) {
  REQUIRE_TOOLKIT();
  WorldRun run;
  SKIP_IF_MISSING(FileBytes(run.in_file) == "<missing>" ? "no corpus level " + run.in_file : "");
  run.window->UseInputFile(run.in_file);
  run.window->UseOutputFile(run.out_file);
  run.window.Click("CommandGo");
  ASSERT_EQ(run.window->LastRunOutcome(), RunOutcome::Done) << run.window->LastRunError();
  LevelView& view = run.window->View();
  ASSERT_TRUE(view.ShowsLevel());
  LevelCanvas& canvas = view.Canvas();
  ASSERT_GT(canvas.PlayerStartCount(), 0);
  Settle();

  // The file marks each player start with a node facing (its -Z) where the player looks; its
  // markers follow the lights, starts first.
  const tinygltf::Model model = ReadBack(run.out_file);
  std::vector<const tinygltf::Node*> markers;
  for (const tinygltf::Node& node : model.nodes) {
    if (node.mesh < 0 && node.extensions.empty()) markers.push_back(&node);
  }
  ASSERT_GE(markers.size(), static_cast<std::size_t>(canvas.PlayerStartCount()));
  for (int start = 0; start < canvas.PlayerStartCount(); ++start) {
    SCOPED_TRACE(start);
    const tinygltf::Node& marker = *markers[static_cast<std::size_t>(start)];
    ASSERT_EQ(marker.translation.size(), 3u);
    ASSERT_EQ(marker.rotation.size(), 4u);
    const Vector eye{marker.translation[0], marker.translation[1] + kEyeHeight,
                     marker.translation[2]};
    const Vector q{marker.rotation[0], marker.rotation[1], marker.rotation[2]};
    const double w = marker.rotation[3];
    const Vector back{0, 0, -1};
    const Vector t = VecCross(q, back);
    const Vector u = VecCross(q, t);
    const Vector look{back.X + 2 * (w * t.X + u.X), back.Y + 2 * (w * t.Y + u.Y),
                      back.Z + 2 * (w * t.Z + u.Z)};

    canvas.ShowPlayerStart(start);
    const ViewCamera& camera = canvas.Camera();
    const Vector ahead = VecSubtract(camera.Target, camera.Position);
    EXPECT_NEAR(VecLength(VecSubtract(camera.Position, eye)), 0, 1e-4);
    EXPECT_NEAR(VecLength(VecCross(ahead, look)) / VecLength(ahead), 0, 1e-4);
    EXPECT_GT(ahead.X * look.X + ahead.Y * look.Y + ahead.Z * look.Z, 0);

    const std::optional<double> hit = NearestHit(model, eye, look);
    const std::optional<double> drawn = canvas.DistanceAhead();
    ASSERT_EQ(hit.has_value(), drawn.has_value());
    if (hit) {
      EXPECT_NEAR(*drawn, *hit, 0.01 * *hit + 0.01);
    }
  }

  // Stepping forward shows another picture.
  canvas.ShowPlayerStart(0);
  const wxImage before = canvas.RenderPicture();
  ViewCamera moved = canvas.Camera();
  MoveCamera(moved, 1, 0.5, 0);
  canvas.SetCamera(moved);
  const wxImage after = canvas.RenderPicture();
  ASSERT_TRUE(before.IsOk() && after.IsOk());
  ASSERT_EQ(before.GetSize(), after.GetSize());
  int changed = 0;
  for (int y = 0; y < before.GetHeight(); ++y) {
    for (int x = 0; x < before.GetWidth(); ++x) {
      changed +=
          before.GetRed(x, y) != after.GetRed(x, y) || before.GetBlue(x, y) != after.GetBlue(x, y)
              ? 1
              : 0;
    }
  }
  EXPECT_GT(changed, before.GetWidth() * before.GetHeight() / 100);
}

}  // namespace
}  // namespace brushwright::testing
