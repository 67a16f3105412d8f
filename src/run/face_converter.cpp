// Turns one accepted brush polygon into OBJ positions, texture coordinates and a face line.
#include "run/face_converter.h"

#include <cmath>
#include <limits>
#include <string>
#include <string_view>

#include "run/preview_plot.h"
#include "run/texture_table.h"
#include "text/brush_error.h"
#include "text/number_text.h"

namespace brushwright {
namespace {

constexpr std::int64_t kMaxIndex = std::numeric_limits<std::int32_t>::max();
// Pans below this size always round into 32 bits, so their error text is never needed.
constexpr double kPanBound = 2147483647.0;

std::string FaceLabel(std::int32_t face_number) {
  return "face " + NumberText(face_number);
}

// The pan in whole texels; the error text naming the face is only built for a pan that may not
// fit, as building it costs a string per face.
std::int64_t RoundPan(double pan, std::string_view axis, std::int32_t face_number) {
  if (std::fabs(pan) < kPanBound) return RoundToInt32(pan, axis);
  return RoundToInt32(pan, "the " + std::string(axis) + " pan of " + FaceLabel(face_number));
}

// Visits the vertices of an n-gon in the order 0, n-1, n-2, ..., 1, which reverses the winding
// of the mirrored face back to a front-facing one.
template <typename Visit>
void ForEachVertexReversed(std::size_t n, Visit visit) {
  for (std::size_t k = n; k-- > 0;) visit((k + 1) % n, k == n - 1);
}

// Mirrors every vertex into OBJ coordinates, puts its position (rotated in W3D mode) in `text`
// and leaves the vertex relative to the mirrored origin.
void PositionLines(PolygonRecord& polygon, const FaceConverterState& state,
                   std::int32_t face_number, std::string& text) {
  text.clear();
  ForEachVertexReversed(polygon.Vertices.size(), [&](std::size_t i, bool) {
    Vector& vertex = polygon.Vertices[i];
    vertex = MatTransform(state.MirrorMatrix, vertex);
    const Vector p = state.W3D ? MatTransform(state.W3DMatrix, vertex) : vertex;
    text += "v  ";
    AppendObjNumber(text, p.X, face_number);
    text += ' ';
    AppendObjNumber(text, p.Y, face_number);
    text += ' ';
    AppendObjNumber(text, p.Z, face_number);
    text += kLineBreak;
    vertex = VecSubtract(vertex, polygon.Origin);
  });
}

// One texture coordinate: the pan in whole texels plus the texel offset, over the image size;
// a zero size gives 1 instead of a division by zero.
double TextureCoordinate(std::int64_t pan, double offset, std::int16_t size, bool flip) {
  if (size == 0) return 1;
  const std::int64_t panned = pan % size;  // keeps the pan's sign: -10 mod 256 is -10
  const std::int64_t base = flip ? size - panned : panned;
  return (static_cast<double>(base) + offset) / size;
}

// Puts one "vt" line per vertex in `text` from the face's texture frame, its vertices relative
// to the frame's origin, and plots the face's outline on the preview as it goes.
void TextureLines(RunHost& host, const PolygonRecord& polygon, const TextureFrame& frame,
                  std::int32_t face_number, std::string& text) {
  text.clear();
  ForEachVertexReversed(polygon.Vertices.size(), [&](std::size_t i, bool first) {
    const TexturePoint point = TextureCoordinates(frame, polygon.Vertices[i]);
    text += "vt  ";
    AppendObjNumber(text, point.U, face_number);
    text += ' ';
    AppendObjNumber(text, point.V, face_number);
    text += kLineBreak;
    PlotUVPoint(host, first, point.U, point.V, frame.Width, frame.Height);
  });
}

}  // namespace

void AppendObjNumber(std::string& text, double value, std::int32_t face_number) {
  if (!std::isfinite(value)) {
    throw BrushError("arithmetic overflow in " +
                     (face_number == 0 ? std::string("the positions") : FaceLabel(face_number)) +
                     ": a coordinate is not a finite number");
  }
  AppendNumberText(text, value);
}

void MirrorPolygonFrame(PolygonRecord& polygon, const Matrix4& mirror) {
  polygon.Origin = MatTransform(mirror, polygon.Origin);
  polygon.Normal = MatTransform(mirror, polygon.Normal);
  polygon.TextureU = MatTransform(mirror, polygon.TextureU);
  polygon.TextureV = MatTransform(mirror, polygon.TextureV);
}

TextureFrame MirroredTextureFrame(const PolygonRecord& mirrored, std::int16_t width,
                                  std::int16_t height, std::int32_t face_number,
                                  FaceConverterState& state) {
  TextureFrame frame;
  NormalToPlaneMatrices(mirrored.Normal, frame.A, frame.B);
  Vector u_axis = MatTransform(frame.B, MatTransform(frame.A, mirrored.TextureU));
  Vector v_axis = MatTransform(frame.B, MatTransform(frame.A, mirrored.TextureV));
  TextureAxesMatrix(u_axis, v_axis, state.TextureMatrix);
  frame.Texture = state.TextureMatrix;
  frame.Origin = mirrored.Origin;
  frame.PanU = RoundPan(mirrored.Pan.X, "U", face_number);
  frame.PanV = RoundPan(mirrored.Pan.Y, "V", face_number);
  frame.Width = width;
  frame.Height = height;
  return frame;
}

TexturePoint TextureCoordinates(const TextureFrame& frame, const Vector& relative) {
  const Vector q =
      MatTransform(frame.Texture, MatTransform(frame.B, MatTransform(frame.A, relative)));
  return {TextureCoordinate(frame.PanU, q.X, frame.Width, false),
          TextureCoordinate(frame.PanV, q.Y, frame.Height, true)};
}

std::vector<FaceCorner> FaceCorners(RunHost& host, const TextureFrame& frame,
                                    const VertexList& points, const Matrix4& mirror) {
  std::vector<FaceCorner> corners;
  corners.reserve(points.size());
  ForEachVertexReversed(points.size(), [&](std::size_t i, bool first) {
    FaceCorner& corner = corners.emplace_back();
    corner.Position = MatTransform(mirror, points[i]);
    corner.Coordinates = TextureCoordinates(frame, VecSubtract(corner.Position, frame.Origin));
    PlotUVPoint(host, first, corner.Coordinates.U, corner.Coordinates.V, frame.Width, frame.Height);
  });
  return corners;
}

std::string ObjHeaderText(const std::string& mtl_path) {
  std::string text = "#converted from Brushwright by Brushwright";
  text += kLineBreak;
  text += "mtllib " + FileNameOfPath(mtl_path);
  text += kLineBreak;
  return text;
}

void ConvertFace(RunHost& host, OutputFiles& out, const std::string& obj_path,
                 PolygonRecord& polygon, std::int16_t width, std::int16_t height,
                 std::int32_t face_number, FaceConverterState& state) {
  // Every index of the face line and the next face's base must stay 32-bit; checked first so
  // that no half face is written.
  const std::int64_t n = static_cast<std::int64_t>(polygon.Vertices.size());
  if (state.VertexBase + n > kMaxIndex) {
    throw BrushError("arithmetic overflow in " + FaceLabel(face_number) +
                     ": the OBJ vertex index passes " + NumberText(kMaxIndex));
  }

  // Positions, in OBJ (mirrored) coordinates.
  host.SetLabelProgress("converting vertices");
  MirrorPolygonFrame(polygon, state.MirrorMatrix);
  std::string& text = state.Scratch;
  PositionLines(polygon, state, face_number, text);
  out.Write(obj_path, text, true);

  // Texture coordinates, with the preview outline.
  host.SetLabelProgress("processing texture");
  const TextureFrame frame = MirroredTextureFrame(polygon, width, height, face_number, state);
  TextureLines(host, polygon, frame, face_number, text);
  host.SetLabelProgress("saving verts");
  out.Write(obj_path, text, true);

  // Material and face line; corner j names position and texture coordinate VertexBase + j.
  text.clear();
  if (!polygon.Texture.empty()) {
    text += "usemtl ";
    text += MaterialName(polygon.Texture, polygon.Flags);
    text += kLineBreak;
  }
  host.SetLabelProgress("adding faces");
  text += "f ";
  for (std::int64_t j = 0; j < n; ++j) {
    const auto index = static_cast<std::int32_t>(state.VertexBase + j);
    text += ' ';
    AppendNumberText(text, index);
    text += '/';
    AppendNumberText(text, index);
  }
  text += kLineBreak;
  out.Write(obj_path, text, true);
  state.VertexBase = static_cast<std::int32_t>(state.VertexBase + n);
}

}  // namespace brushwright
