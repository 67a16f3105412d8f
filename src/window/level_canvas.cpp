// The 3-D view's drawing: the mesh in vertex buffers, one texture per material, fixed-function
// OpenGL (2.1 compatibility, which software renderers provide), and the editor-like controls.
#include "window/level_canvas.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <optional>
#include <utility>

#include <wx/dcclient.h>
#include <wx/time.h>

#include "level/poly_flags.h"
#include "platform/platform.h"
#include "vecmath/coordinates.h"

// Windows' own OpenGL header stops at version 1.1.
#ifndef GL_ARRAY_BUFFER
#define GL_ARRAY_BUFFER 0x8892
#endif
#ifndef GL_STATIC_DRAW
#define GL_STATIC_DRAW 0x88E4
#endif
#ifndef GL_GENERATE_MIPMAP
#define GL_GENERATE_MIPMAP 0x8191
#endif
#ifndef APIENTRY
#define APIENTRY
#endif

namespace brushwright {

namespace {

// The background: one plain colour, which no lit texture is likely to hit exactly, so that a
// picture of the view tells geometry from background: RGB 77, 107, 140, a dull blue.
constexpr float kBackground[3] = {77 / 255.0f, 107 / 255.0f, 140 / 255.0f};
// Faces without a picture: light grey, as glTF viewers show a plain material.
constexpr float kPlainGrey = 0.75f;
// Light from above and one side, so that walls at different angles differ: a face gets
// kAmbient of its colour plus the rest by how squarely it faces the light.
constexpr double kLightDirection[3] = {0.35, 0.85, 0.4};
constexpr double kAmbient = 0.55;
// Translucent faces let half of what lies behind through, as the written materials say.
constexpr float kTranslucentAlpha = 0.5f;
// Masked texels below this alpha are holes, as the glTF files' alpha cutoff.
constexpr float kAlphaCutoff = 0.5f;
// Keys move the camera at a player's running pace at first (about 400 units a second in the
// games), or at this fraction of the level's size per second in a level too large to walk;
// each wheel notch changes the speed by kSpeedStep.
constexpr double kRunningPace = 400;
constexpr double kSpeedPerSize = 0.02;
constexpr double kSpeedStep = 1.25;
constexpr double kLeastSpeed = 0.1;  // metres per second
// Radians the view turns per pixel the mouse moves with the right button held.
constexpr double kTurnPerPixel = 0.005;
// Moves while keys are held are applied at about 60 frames a second.
constexpr int kTickMs = 16;
// A tick after a long stall moves no further than this many seconds' worth.
constexpr double kLongestTick = 0.1;

using GenBuffersFunction = void(APIENTRY*)(GLsizei, GLuint*);
using BindBufferFunction = void(APIENTRY*)(GLenum, GLuint);
using BufferDataFunction = void(APIENTRY*)(GLenum, std::ptrdiff_t, const void*, GLenum);
using DeleteBuffersFunction = void(APIENTRY*)(GLsizei, const GLuint*);

// OpenGL 1.5's buffer functions; all null when the driver has none (the vertices are then drawn
// from memory).
struct BufferFunctions {
  GenBuffersFunction GenBuffers = nullptr;
  BindBufferFunction BindBuffer = nullptr;
  BufferDataFunction BufferData = nullptr;
  DeleteBuffersFunction DeleteBuffers = nullptr;

  void Load() {
    GenBuffers = reinterpret_cast<GenBuffersFunction>(OpenGlFunction("glGenBuffers"));
    BindBuffer = reinterpret_cast<BindBufferFunction>(OpenGlFunction("glBindBuffer"));
    BufferData = reinterpret_cast<BufferDataFunction>(OpenGlFunction("glBufferData"));
    DeleteBuffers = reinterpret_cast<DeleteBuffersFunction>(OpenGlFunction("glDeleteBuffers"));
    if (!GenBuffers || !BindBuffer || !BufferData || !DeleteBuffers) *this = {};
  }
  bool Present() const { return GenBuffers != nullptr; }
};

}  // namespace

// One corner of a triangle as OpenGL takes it: glTF position, texture coordinates, colour.
struct ViewVertex {
  float Position[3];
  float TexCoord[2];
  std::uint8_t Colour[4];
};

// The triangles of one material, consecutive in the vertex list.
struct ViewRange {
  std::int32_t Material = kNoMaterial;
  GLint First = 0;
  GLsizei Count = 0;
};

struct ViewMaterial {
  std::int64_t Flags = 0;
  std::optional<Image> Picture;
  GLuint Texture = 0;  // 0 until uploaded, and for a material without a picture
};

// What the canvas draws, made once from a run's result.
struct ViewScene {
  std::vector<ViewVertex> Vertices;
  std::vector<ViewRange> Ranges;  // opaque first, then masked, then translucent
  std::vector<ViewMaterial> Materials;
  std::vector<ResultStart> Starts;
  double Scale = 0;
  ViewBounds Bounds;
  // OpenGL's copies, made at the first drawing after the scene changed.
  bool Uploaded = false;
  BufferFunctions Buffers;
  GLuint VertexBuffer = 0;
};

namespace {

Vector Newell(const std::vector<Vector>& points) {
  Vector normal;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const Vector& p = points[i];
    const Vector& q = points[(i + 1) % points.size()];
    normal.X += (p.Y - q.Y) * (p.Z + q.Z);
    normal.Y += (p.Z - q.Z) * (p.X + q.X);
    normal.Z += (p.X - q.X) * (p.Y + q.Y);
  }
  return normal;
}

std::uint8_t Shaded(float base, double light) {
  return static_cast<std::uint8_t>(std::lround(std::clamp(base * light, 0.0, 1.0) * 255));
}

// How bright a face with this (unnormalised) normal is drawn.
double LightOn(const Vector& normal) {
  const double length = VecLength(normal);
  if (!(length > 0)) return 1;
  const double l = std::hypot(kLightDirection[0], kLightDirection[1], kLightDirection[2]);
  const double facing = std::abs(normal.X * kLightDirection[0] + normal.Y * kLightDirection[1] +
                                 normal.Z * kLightDirection[2]) /
                        (length * l);
  return kAmbient + (1 - kAmbient) * facing;
}

// Which of the three passes draws a material's faces: opaque, masked, translucent.
int PassOf(std::int64_t flags) {
  if (flags & kPolyFlagTranslucent) return 2;
  return (flags & kPolyFlagMasked) ? 1 : 0;
}

// One face as the glTF writer gives it: a fan of triangles in glTF space, corners in the
// writer's order (front faces counter-clockwise), shaded by how squarely it faces the light.
// Room for one face's corners, kept from face to face.
struct FaceCorners {
  std::vector<Vector> Points;
  std::vector<const MeshCorner*> Corners;
};

void AddFace(const Mesh& mesh, const MeshFace& face, double scale, const ViewMaterial* material,
             FaceCorners& scratch, std::vector<ViewVertex>& out, ViewBounds& bounds) {
  std::vector<Vector>& points = scratch.Points;
  std::vector<const MeshCorner*>& corners = scratch.Corners;
  points.clear();
  corners.clear();
  ForEachCornerAsWritten(face.Corners.size(), [&](std::size_t k) {
    corners.push_back(&face.Corners[k]);
    points.push_back(
        GltfPoint(mesh.Positions[static_cast<std::size_t>(face.Corners[k].Position)], scale));
  });
  const std::int64_t flags = material ? material->Flags : 0;
  // Unlit surfaces glow at full brightness, as the written material says.
  const double light = (flags & kPolyFlagUnlit) ? 1 : LightOn(Newell(points));
  const std::uint8_t grey = Shaded(material && material->Picture ? 1.0f : kPlainGrey, light);
  const std::uint8_t alpha = Shaded(PassOf(flags) == 2 ? kTranslucentAlpha : 1.0f, 1);
  const auto vertex = [&](std::size_t k) {
    const Vector& p = points[k];
    return ViewVertex{{static_cast<float>(p.X), static_cast<float>(p.Y), static_cast<float>(p.Z)},
                      {static_cast<float>(corners[k]->U), static_cast<float>(1 - corners[k]->V)},
                      {grey, grey, grey, alpha}};
  };
  for (std::size_t k = 1; k + 1 < points.size(); ++k) {
    out.push_back(vertex(0));
    out.push_back(vertex(k));
    out.push_back(vertex(k + 1));
  }
  for (const Vector& p : points) bounds.Add(p);
}

// Every face, its triangles grouped by material: opaque materials first, then masked, then
// translucent ones, which are drawn over what lies behind them.
void AddTriangles(const RunResult& result, ViewScene& scene) {
  const Mesh& mesh = result.Geometry;
  const std::size_t slots = scene.Materials.size() + 1;  // slot 0: faces without a material
  std::vector<std::vector<ViewVertex>> by_material(slots);
  FaceCorners scratch;
  for (const MeshGroup& group : mesh.Groups) {
    for (const MeshFace& face : group.Faces) {
      if (face.Corners.size() < 3) continue;
      const std::int32_t material = mesh.Surfaces[static_cast<std::size_t>(face.Surface)].Material;
      const std::size_t slot = material >= 0 && static_cast<std::size_t>(material) + 1 < slots
                                   ? static_cast<std::size_t>(material) + 1
                                   : 0;
      AddFace(mesh, face, result.Scale, slot == 0 ? nullptr : &scene.Materials[slot - 1], scratch,
              by_material[slot], scene.Bounds);
    }
  }
  std::size_t total = 0;
  for (const std::vector<ViewVertex>& vertices : by_material) total += vertices.size();
  scene.Vertices.reserve(total);
  for (int pass = 0; pass < 3; ++pass) {
    for (std::size_t slot = 0; slot < slots; ++slot) {
      const std::int64_t flags = slot == 0 ? 0 : scene.Materials[slot - 1].Flags;
      if (PassOf(flags) != pass || by_material[slot].empty()) continue;
      scene.Ranges.push_back(ViewRange{static_cast<std::int32_t>(slot) - 1,
                                       static_cast<GLint>(scene.Vertices.size()),
                                       static_cast<GLsizei>(by_material[slot].size())});
      scene.Vertices.insert(scene.Vertices.end(), by_material[slot].begin(),
                            by_material[slot].end());
    }
  }
}

std::unique_ptr<ViewScene> SceneOf(RunResult result) {
  auto scene = std::make_unique<ViewScene>();
  for (ResultMaterial& material : result.Materials) {
    ViewMaterial& view_material = scene->Materials.emplace_back();
    view_material.Flags = material.Flags;
    // OpenGL reads width x height pixels: a picture that holds fewer is drawn as plain grey.
    if (material.Picture && material.Picture->Width > 0 && material.Picture->Height > 0 &&
        material.Picture->Rgba.size() == static_cast<std::size_t>(material.Picture->Width) *
                                             static_cast<std::size_t>(material.Picture->Height) *
                                             4) {
      view_material.Picture = std::move(material.Picture);
    }
  }
  AddTriangles(result, *scene);
  scene->Starts = std::move(result.PlayerStarts);
  scene->Scale = result.Scale;
  return scene;
}

void Upload(ViewScene& scene) {
  scene.Buffers.Load();
  if (scene.Buffers.Present()) {
    scene.Buffers.GenBuffers(1, &scene.VertexBuffer);
    scene.Buffers.BindBuffer(GL_ARRAY_BUFFER, scene.VertexBuffer);
    scene.Buffers.BufferData(
        GL_ARRAY_BUFFER, static_cast<std::ptrdiff_t>(scene.Vertices.size() * sizeof(ViewVertex)),
        scene.Vertices.data(), GL_STATIC_DRAW);
    scene.Buffers.BindBuffer(GL_ARRAY_BUFFER, 0);
  }
  for (ViewMaterial& material : scene.Materials) {
    if (!material.Picture) continue;
    glGenTextures(1, &material.Texture);
    glBindTexture(GL_TEXTURE_2D, material.Texture);
    const bool smooth = (material.Flags & kPolyFlagNoSmooth) == 0;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, smooth ? GL_LINEAR : GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                    smooth ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_TRUE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, material.Picture->Width, material.Picture->Height, 0,
                 GL_RGBA, GL_UNSIGNED_BYTE, material.Picture->Rgba.data());
  }
  glBindTexture(GL_TEXTURE_2D, 0);
  scene.Uploaded = true;
}

void Release(ViewScene& scene) {
  if (!scene.Uploaded) return;
  if (scene.VertexBuffer != 0) scene.Buffers.DeleteBuffers(1, &scene.VertexBuffer);
  for (ViewMaterial& material : scene.Materials) {
    if (material.Texture != 0) glDeleteTextures(1, &material.Texture);
    material.Texture = 0;
  }
  scene.Uploaded = false;
}

// OpenGL's column-major matrices: the perspective projection and the camera's view.
void LoadProjection(const ViewCamera& camera, const DepthRange& depth, double aspect) {
  const double f = 1 / std::tan(camera.FovDegrees * std::numbers::pi / 360);
  const double n = depth.Near;
  const double d = depth.Far;
  const GLdouble m[16] = {
      f / aspect, 0, 0, 0, 0, f, 0, 0, 0, 0, (d + n) / (n - d), -1, 0, 0, 2 * d * n / (n - d), 0};
  glMatrixMode(GL_PROJECTION);
  glLoadMatrixd(m);
}

void LoadView(const ViewCamera& camera) {
  const auto unit = [](const Vector& v) {
    const double length = VecLength(v);
    return length > 0 ? Vector{v.X / length, v.Y / length, v.Z / length} : Vector{0, 0, -1};
  };
  const Vector f = unit(VecSubtract(camera.Target, camera.Position));
  const Vector s = unit(VecCross(f, camera.Up));
  const Vector u = VecCross(s, f);
  const Vector& e = camera.Position;
  const GLdouble m[16] = {s.X,
                          u.X,
                          -f.X,
                          0,
                          s.Y,
                          u.Y,
                          -f.Y,
                          0,
                          s.Z,
                          u.Z,
                          -f.Z,
                          0,
                          -(s.X * e.X + s.Y * e.Y + s.Z * e.Z),
                          -(u.X * e.X + u.Y * e.Y + u.Z * e.Z),
                          f.X * e.X + f.Y * e.Y + f.Z * e.Z,
                          1};
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixd(m);
}

void DrawRanges(const ViewScene& scene) {
  const bool buffered = scene.VertexBuffer != 0;
  if (buffered) scene.Buffers.BindBuffer(GL_ARRAY_BUFFER, scene.VertexBuffer);
  const char* base = buffered ? nullptr : reinterpret_cast<const char*>(scene.Vertices.data());
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glVertexPointer(3, GL_FLOAT, sizeof(ViewVertex), base + offsetof(ViewVertex, Position));
  glTexCoordPointer(2, GL_FLOAT, sizeof(ViewVertex), base + offsetof(ViewVertex, TexCoord));
  glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(ViewVertex), base + offsetof(ViewVertex, Colour));
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glAlphaFunc(GL_GEQUAL, kAlphaCutoff);
  for (const ViewRange& range : scene.Ranges) {
    const std::int64_t flags =
        range.Material == kNoMaterial
            ? 0
            : scene.Materials[static_cast<std::size_t>(range.Material)].Flags;
    const GLuint texture = range.Material == kNoMaterial
                               ? 0
                               : scene.Materials[static_cast<std::size_t>(range.Material)].Texture;
    if (texture != 0) {
      glEnable(GL_TEXTURE_2D);
      glBindTexture(GL_TEXTURE_2D, texture);
    } else {
      glDisable(GL_TEXTURE_2D);
    }
    if (flags & kPolyFlagTwoSided) {
      glDisable(GL_CULL_FACE);
    } else {
      glEnable(GL_CULL_FACE);
    }
    const int pass = PassOf(flags);
    if (pass == 1)
      glEnable(GL_ALPHA_TEST);
    else
      glDisable(GL_ALPHA_TEST);
    if (pass == 2) {
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
      glDepthMask(GL_FALSE);
    } else {
      glDisable(GL_BLEND);
      glDepthMask(GL_TRUE);
    }
    glDrawArrays(GL_TRIANGLES, range.First, range.Count);
  }
  glDepthMask(GL_TRUE);
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  if (buffered) scene.Buffers.BindBuffer(GL_ARRAY_BUFFER, 0);
}

wxGLAttributes CanvasAttributes() {
  wxGLAttributes attributes;
  attributes.PlatformDefaults().RGBA().DoubleBuffer().Depth(24).EndList();
  return attributes;
}

}  // namespace

LevelCanvas::LevelCanvas(wxWindow* parent, wxWindowID id, const wxString& name)
    : wxGLCanvas(parent, CanvasAttributes(), id, wxDefaultPosition, wxDefaultSize, wxWANTS_CHARS,
                 name),
      ticker_(this) {
  Bind(wxEVT_PAINT, &LevelCanvas::OnPaint, this);
  Bind(wxEVT_KEY_DOWN, &LevelCanvas::OnKey, this);
  Bind(wxEVT_KEY_UP, &LevelCanvas::OnKey, this);
  for (const auto type :
       {wxEVT_RIGHT_DOWN, wxEVT_RIGHT_UP, wxEVT_MOTION, wxEVT_MOUSEWHEEL, wxEVT_LEFT_DOWN}) {
    Bind(type, &LevelCanvas::OnMouse, this);
  }
  Bind(wxEVT_MOUSE_CAPTURE_LOST, &LevelCanvas::OnCaptureLost, this);
  Bind(wxEVT_TIMER, &LevelCanvas::OnTick, this);
  Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    Refresh(false);
    event.Skip();
  });
}

LevelCanvas::~LevelCanvas() {
  ReleaseScene();
}

void LevelCanvas::ReleaseScene() {
  if (scene_ && scene_->Uploaded && MakeCurrent()) Release(*scene_);
}

void LevelCanvas::ShowResult(RunResult result) {
  ReleaseScene();
  scene_ = SceneOf(std::move(result));
  const ViewBounds& bounds = scene_->Bounds;
  const double size = bounds.Empty ? 0 : VecLength(VecSubtract(bounds.Max, bounds.Min));
  speed_ = std::max({kRunningPace * scene_->Scale, size * kSpeedPerSize, kLeastSpeed});
  if (scene_->Starts.empty()) {
    ShowOverview();
  } else {
    ShowPlayerStart(0);
  }
}

void LevelCanvas::ForgetResult() {
  ReleaseScene();
  scene_.reset();
  shown_start_ = -1;
  Refresh(false);
}

bool LevelCanvas::HasResult() const {
  return scene_ != nullptr;
}

int LevelCanvas::PlayerStartCount() const {
  return scene_ ? static_cast<int>(scene_->Starts.size()) : 0;
}

void LevelCanvas::ShowPlayerStart(int index) {
  if (index < 0 || index >= PlayerStartCount()) return;
  camera_ = StartCamera(scene_->Starts[static_cast<std::size_t>(index)], scene_->Scale);
  shown_start_ = index;
  Refresh(false);
}

void LevelCanvas::ShowOverview() {
  camera_ = OverviewCamera(scene_ ? scene_->Bounds : ViewBounds{}, Aspect());
  shown_start_ = -1;
  Refresh(false);
}

void LevelCanvas::SetCamera(const ViewCamera& camera) {
  camera_ = camera;
  shown_start_ = -1;
  Refresh(false);
}

double LevelCanvas::Aspect() const {
  const wxSize size = GetClientSize();
  return size.x > 0 && size.y > 0 ? static_cast<double>(size.x) / size.y : 1;
}

bool LevelCanvas::MakeCurrent() {
  if (!IsShownOnScreen()) return false;
  if (!context_) {
    context_ = std::make_unique<wxGLContext>(this);
    if (!context_->IsOK()) {
      context_.reset();
      return false;
    }
  }
  return SetCurrent(*context_);
}

void LevelCanvas::Draw() {
  const wxSize size = GetClientSize() * GetContentScaleFactor();
  glViewport(0, 0, size.x, size.y);
  glClearColor(kBackground[0], kBackground[1], kBackground[2], 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  if (!scene_) return;
  if (!scene_->Uploaded) Upload(*scene_);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glFrontFace(GL_CCW);
  glCullFace(GL_BACK);
  LoadProjection(camera_, DepthRangeOf(camera_, scene_->Bounds), Aspect());
  LoadView(camera_);
  DrawRanges(*scene_);
}

void LevelCanvas::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);  // a paint handler must make one, even when OpenGL draws
  if (!MakeCurrent()) return;
  Draw();
  SwapBuffers();
}

wxImage LevelCanvas::RenderPicture() {
  if (!MakeCurrent()) return {};
  Draw();
  glFinish();
  const wxSize size = GetClientSize() * GetContentScaleFactor();
  wxImage picture(size.x, size.y, false);
  std::vector<unsigned char> rows(static_cast<std::size_t>(size.x) * size.y * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, size.x, size.y, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
  // OpenGL's rows run from the bottom of the picture.
  const std::size_t stride = static_cast<std::size_t>(size.x) * 3;
  for (int y = 0; y < size.y; ++y) {
    std::copy_n(rows.data() + static_cast<std::size_t>(size.y - 1 - y) * stride, stride,
                picture.GetData() + static_cast<std::size_t>(y) * stride);
  }
  SwapBuffers();
  return picture;
}

std::optional<double> LevelCanvas::DistanceAhead() {
  if (!scene_ || !MakeCurrent()) return std::nullopt;
  Draw();
  glFinish();
  const wxSize size = GetClientSize() * GetContentScaleFactor();
  GLfloat depth = 1;
  glReadBuffer(GL_BACK);
  glReadPixels(size.x / 2, size.y / 2, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
  SwapBuffers();
  if (depth >= 1) return std::nullopt;
  // Back from the depth buffer's value to the distance along the view.
  const DepthRange range = DepthRangeOf(camera_, scene_->Bounds);
  const double z = 2.0 * depth - 1;
  return 2 * range.Far * range.Near / (range.Far + range.Near - z * (range.Far - range.Near));
}

void LevelCanvas::OnKey(wxKeyEvent& event) {
  const bool down = event.GetEventType() == wxEVT_KEY_DOWN;
  int slot = -1;
  switch (event.GetKeyCode()) {
    case 'W':
    case WXK_UP:
      slot = 0;
      break;
    case 'S':
    case WXK_DOWN:
      slot = 1;
      break;
    case 'A':
    case WXK_LEFT:
      slot = 2;
      break;
    case 'D':
    case WXK_RIGHT:
      slot = 3;
      break;
    case 'E':
    case WXK_PAGEUP:
      slot = 4;
      break;
    case 'Q':
    case WXK_PAGEDOWN:
      slot = 5;
      break;
    default:
      event.Skip();
      return;
  }
  held_[slot] = down;
  if (down && !ticker_.IsRunning()) {
    last_tick_ms_ = wxGetLocalTimeMillis().GetValue();
    ticker_.Start(kTickMs);
  }
}

void LevelCanvas::OnTick(wxTimerEvent&) {
  const std::int64_t now = wxGetLocalTimeMillis().GetValue();
  const double seconds = std::min(static_cast<double>(now - last_tick_ms_) / 1000, kLongestTick);
  last_tick_ms_ = now;
  // A key let go while another window had the focus never reports its release.
  if (!HasFocus()) std::fill(std::begin(held_), std::end(held_), false);
  if (std::none_of(std::begin(held_), std::end(held_), [](bool held) { return held; })) {
    ticker_.Stop();
    return;
  }
  const double step = speed_ * seconds;
  MoveCamera(camera_, step * (held_[0] - held_[1]), step * (held_[3] - held_[2]),
             step * (held_[4] - held_[5]));
  shown_start_ = -1;
  Refresh(false);
}

void LevelCanvas::OnMouse(wxMouseEvent& event) {
  const wxEventType type = event.GetEventType();
  if (type == wxEVT_LEFT_DOWN || type == wxEVT_RIGHT_DOWN) SetFocus();
  if (type == wxEVT_RIGHT_DOWN) {
    dragging_ = true;
    drag_from_ = event.GetPosition();
    if (!HasCapture()) CaptureMouse();
  } else if (type == wxEVT_RIGHT_UP) {
    dragging_ = false;
    if (HasCapture()) ReleaseMouse();
  } else if (type == wxEVT_MOTION && dragging_) {
    const wxPoint moved = event.GetPosition() - drag_from_;
    drag_from_ = event.GetPosition();
    TurnCamera(camera_, moved.x * kTurnPerPixel, -moved.y * kTurnPerPixel);
    shown_start_ = -1;
    Refresh(false);
  } else if (type == wxEVT_MOUSEWHEEL) {
    const double notches =
        static_cast<double>(event.GetWheelRotation()) / std::max(event.GetWheelDelta(), 1);
    speed_ = std::max(speed_ * std::pow(kSpeedStep, notches), kLeastSpeed);
  }
  event.Skip();
}

void LevelCanvas::OnCaptureLost(wxMouseCaptureLostEvent&) {
  dragging_ = false;
}

}  // namespace brushwright
