// Light baked into new images: faces' frames packed onto pages, each texel the face's texture
// drawn under its light, and the materials the writers get instead of the textures.
#include "run/light_bake.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "level/poly_flags.h"
#include "light/light_atlas.h"
#include "light/light_rules.h"
#include "run/texture_files.h"
#include "text/file_text.h"
#include "text/number_text.h"

namespace brushwright {

namespace {

// What a baked material keeps of its surface's flags: how its alpha and its sides are drawn.
constexpr std::int64_t kKeptFlags = kPolyFlagMasked | kPolyFlagTranslucent | kPolyFlagTwoSided;
// Faces without a picture are drawn in this grey under their light: the middle, which times the
// light times two shows the light itself.
constexpr std::uint8_t kPlainGrey = 128;
// The smallest page tried when looking for the smallest that holds every frame.
constexpr std::int32_t kSmallestPage = 64;
// Texels of border PackLightAtlas leaves around each frame; they repeat the frame's edge so that
// filtering at a face's edge never reaches another face.
constexpr std::int32_t kBorder = kAtlasBorder;
// A baked texel averages the texture over its area from at most this many samples along each
// axis (a texel spanning more texture texels than that is averaged from a sparser grid).
constexpr int kMostSamples = 4;
// Texture axes whose parallelogram on the face's plane is thinner than this share of a square
// lay no usable frame there (an axis along the normal, or both along one line): the frame then
// takes axes of its own on the plane.
constexpr double kThinnestAxes = 0.05;
// Frames over the texel budget are laid again with texels coarser by the square root of the
// excess, and this much more, as whole texels and borders do not shrink with them; a few tries
// reach the budget unless the faces' smallest frames alone pass it.
constexpr double kCoarserStep = 1.05;
constexpr int kCoarserTries = 8;
// Corner triangles with less area than this (in squared frame units) give the face one value
// everywhere: it is a sliver without a plane of its own.
constexpr double kLeastArea = 1e-9;

// The values a face carries across its plane: texture U and V, light-page S and T.
using CornerValues = std::array<double, 4>;

// Those values as an affine function of a point's frame coordinates (a, b): exact on a plane,
// where the writers' texture coordinates and the light coordinates are affine.
struct FaceMap {
  double A0 = 0;
  double B0 = 0;
  CornerValues Origin{};
  CornerValues AlongA{};
  CornerValues AlongB{};

  CornerValues At(double a, double b) const {
    CornerValues values;
    for (std::size_t i = 0; i < values.size(); ++i) {
      values[i] = Origin[i] + AlongA[i] * (a - A0) + AlongB[i] * (b - B0);
    }
    return values;
  }
};

// The map through corner 0 and the two corners that span the largest triangle with it.
FaceMap FitFaceMap(const std::vector<std::array<double, 2>>& frame_points,
                   const std::vector<CornerValues>& values) {
  FaceMap map;
  map.A0 = frame_points[0][0];
  map.B0 = frame_points[0][1];
  map.Origin = values[0];
  std::size_t j = 0;
  std::size_t k = 0;
  double cross = 0;
  for (std::size_t p = 1; p < frame_points.size(); ++p) {
    for (std::size_t q = p + 1; q < frame_points.size(); ++q) {
      const double area = (frame_points[p][0] - map.A0) * (frame_points[q][1] - map.B0) -
                          (frame_points[p][1] - map.B0) * (frame_points[q][0] - map.A0);
      if (std::fabs(area) > std::fabs(cross)) {
        cross = area;
        j = p;
        k = q;
      }
    }
  }
  if (!(std::fabs(cross) > kLeastArea)) return map;
  const double da_j = frame_points[j][0] - map.A0;
  const double db_j = frame_points[j][1] - map.B0;
  const double da_k = frame_points[k][0] - map.A0;
  const double db_k = frame_points[k][1] - map.B0;
  for (std::size_t i = 0; i < map.Origin.size(); ++i) {
    const double dv_j = values[j][i] - map.Origin[i];
    const double dv_k = values[k][i] - map.Origin[i];
    map.AlongA[i] = (dv_j * db_k - dv_k * db_j) / cross;
    map.AlongB[i] = (da_j * dv_k - da_k * dv_j) / cross;
  }
  return map;
}

// The axes a face's frame is laid on: its texture's, unless they lay no frame on its plane.
struct FrameAxes {
  Vector Base;
  Vector U;
  Vector V;
};

FrameAxes AxesOfFace(const TextureAxes& texture, const std::vector<Vector>& corners) {
  Vector normal;  // Newell's normal: the polygon's area along each axis
  for (std::size_t i = 0; i < corners.size(); ++i) {
    const Vector& p = corners[i];
    const Vector& q = corners[(i + 1) % corners.size()];
    normal.X += (p.Y - q.Y) * (p.Z + q.Z);
    normal.Y += (p.Z - q.Z) * (p.X + q.X);
    normal.Z += (p.X - q.X) * (p.Y + q.Y);
  }
  const double length = VecLength(normal);
  const double lengths = VecLength(texture.TextureU) * VecLength(texture.TextureV);
  if (length > 0 && lengths > 0 &&
      std::fabs(VecDot(VecCross(texture.TextureU, texture.TextureV), normal)) / (length * lengths) >
          kThinnestAxes) {
    return {texture.Origin, texture.TextureU, texture.TextureV};
  }
  // Unit axes on the plane: along the longest edge from corner 0, and across it.
  Vector along{1, 0, 0};
  double longest = 0;
  for (std::size_t i = 1; i < corners.size(); ++i) {
    const Vector edge = VecSubtract(corners[i], corners[0]);
    if (VecLength(edge) > longest) {
      longest = VecLength(edge);
      along = edge;
    }
  }
  along = VecNormalize(along);
  const Vector across = length > 0 ? VecNormalize(VecCross(normal, along)) : Vector{0, 1, 0};
  return {corners[0], along, across};
}

// One face being baked.
struct BakedFace {
  MeshFace* Face = nullptr;
  FrameAxes Axes;
  LightMapIndex Frame;
  FaceMap Map;
  // Where the light is sampled on its page: within the corners' box, half a texel in, so that
  // filtering takes only texels of the face's own frame.
  double LowS = 0;
  double HighS = 0;
  double LowT = 0;
  double HighT = 0;
  std::vector<Vector> Points;                  // the corners' positions
  std::vector<std::array<double, 2>> Corners;  // the corners' frame coordinates (a, b)
  const Image* Picture = nullptr;              // none: a plain grey
  bool KeepAlpha = false;                      // masked or translucent: the texture's alpha goes on
  std::int64_t Flags = 0;                      // its baked material's
};

// [low, high] shrunk by `inset` at each end; its middle when it is narrower than that.
void Inset(double& low, double& high, double inset) {
  if (high - low > 2 * inset) {
    low += inset;
    high -= inset;
  } else {
    low = high = (low + high) / 2;
  }
}

struct Rgba {
  double R = 0;
  double G = 0;
  double B = 0;
  double A = 0;
};

// The picture's texel at texture coordinates (u, v), U to the right and V upwards, repeating.
Rgba TexelAt(const Image& picture, double u, double v) {
  const auto index = [](double coordinate, std::int32_t size) {
    const double wrapped = coordinate - std::floor(coordinate);
    return std::clamp(static_cast<std::int32_t>(wrapped * size), 0, size - 1);
  };
  const std::size_t x = static_cast<std::size_t>(index(u, picture.Width));
  const std::size_t y = static_cast<std::size_t>(index(1 - v, picture.Height));
  const std::uint8_t* texel = &picture.Rgba[(y * static_cast<std::size_t>(picture.Width) + x) * 4];
  const auto channel = [texel](int i) { return static_cast<double>(texel[i]); };
  return {channel(0), channel(1), channel(2), channel(3)};
}

// The face's texture over the baked texel centred at frame point (a, b), spanning `step_a` by
// `step_b`: the average of a grid of samples as fine as the texture's texels there (colours
// weighted by their alpha where the alpha goes on, so that cut-out texels do not darken the
// edges of what remains).
Rgba TextureOver(const BakedFace& face, double a, double b, double step_a, double step_b) {
  if (face.Picture == nullptr) return {kPlainGrey, kPlainGrey, kPlainGrey, 255};
  const Image& picture = *face.Picture;
  const auto samples = [&](const CornerValues& along, double step) {
    const double texels = std::max(std::fabs(along[0] * step) * picture.Width,
                                   std::fabs(along[1] * step) * picture.Height);
    return std::clamp(static_cast<int>(std::ceil(texels)), 1, kMostSamples);
  };
  const int across = samples(face.Map.AlongA, step_a);
  const int down = samples(face.Map.AlongB, step_b);
  Rgba sum;
  Rgba weighted;
  for (int j = 0; j < down; ++j) {
    for (int i = 0; i < across; ++i) {
      const double sample_a = a + ((i + 0.5) / across - 0.5) * step_a;
      const double sample_b = b + ((j + 0.5) / down - 0.5) * step_b;
      const CornerValues values = face.Map.At(sample_a, sample_b);
      const Rgba texel = TexelAt(picture, values[0], values[1]);
      sum = {sum.R + texel.R, sum.G + texel.G, sum.B + texel.B, sum.A + texel.A};
      weighted = {weighted.R + texel.R * texel.A, weighted.G + texel.G * texel.A,
                  weighted.B + texel.B * texel.A, 0};
    }
  }
  const double count = across * down;
  if (!face.KeepAlpha) return {sum.R / count, sum.G / count, sum.B / count, 255};
  if (sum.A <= 0) return {sum.R / count, sum.G / count, sum.B / count, 0};
  return {weighted.R / sum.A, weighted.G / sum.A, weighted.B / sum.A, sum.A / count};
}

// The page's light at (s, t), filtered between the four nearest texel centres.
LightColour LightAt(const LightPage& page, double s, double t) {
  const double x = s * page.Width - 0.5;
  const double y = t * page.Height - 0.5;
  const double x_floor = std::floor(x);
  const double y_floor = std::floor(y);
  const double fx = x - x_floor;
  const double fy = y - y_floor;
  const auto column = [&](double offset) {
    return static_cast<std::size_t>(
        std::clamp(x_floor + offset, 0.0, static_cast<double>(page.Width - 1)));
  };
  const auto row = [&](double offset) {
    return static_cast<std::size_t>(
        std::clamp(y_floor + offset, 0.0, static_cast<double>(page.Height - 1)));
  };
  LightColour light;
  for (int j = 0; j < 2; ++j) {
    for (int i = 0; i < 2; ++i) {
      const double weight = (i == 0 ? 1 - fx : fx) * (j == 0 ? 1 - fy : fy);
      const LightTexel& texel =
          page.Texels[row(j) * static_cast<std::size_t>(page.Width) + column(i)];
      light = light + LightColour{texel.R / 255.0, texel.G / 255.0, texel.B / 255.0} * weight;
    }
  }
  return light;
}

std::uint8_t RoundedByte(double value) {
  return static_cast<std::uint8_t>(std::clamp(std::round(value), 0.0, 255.0));
}

// Draws the face's frame onto its page at `place`, and repeats its edge texels into the border.
void BakeFace(const BakedFace& face, const LightPage& light, const AtlasPlace& place, Image& page) {
  const LightMapIndex& frame = face.Frame;
  const auto pixel = [&page](std::int32_t x, std::int32_t y) {
    return &page.Rgba[(static_cast<std::size_t>(y) * static_cast<std::size_t>(page.Width) +
                       static_cast<std::size_t>(x)) *
                      4];
  };
  for (std::int32_t v = 0; v < frame.VClamp; ++v) {
    for (std::int32_t u = 0; u < frame.UClamp; ++u) {
      const double a = frame.Pan.X + (u + 0.5) * frame.UScale;
      const double b = frame.Pan.Y + (v + 0.5) * frame.VScale;
      const Rgba texture = TextureOver(face, a, b, frame.UScale, frame.VScale);
      const CornerValues values = face.Map.At(a, b);
      const LightColour lit = LightAt(light, std::clamp(values[2], face.LowS, face.HighS),
                                      std::clamp(values[3], face.LowT, face.HighT));
      std::uint8_t* out = pixel(place.X + u, place.Y + v);
      out[0] = DrawnChannel(RoundedByte(texture.R), lit.R);
      out[1] = DrawnChannel(RoundedByte(texture.G), lit.G);
      out[2] = DrawnChannel(RoundedByte(texture.B), lit.B);
      out[3] = RoundedByte(texture.A);
    }
  }
  // The border: columns first, then whole rows, so that the corners take the corner texels.
  for (std::int32_t v = 0; v < frame.VClamp; ++v) {
    std::copy_n(pixel(place.X, place.Y + v), 4, pixel(place.X - kBorder, place.Y + v));
    std::copy_n(pixel(place.X + frame.UClamp - 1, place.Y + v), 4,
                pixel(place.X + frame.UClamp, place.Y + v));
  }
  const std::size_t row_bytes = (static_cast<std::size_t>(frame.UClamp) + 2 * kBorder) * 4;
  std::copy_n(pixel(place.X - kBorder, place.Y), row_bytes,
              pixel(place.X - kBorder, place.Y - kBorder));
  std::copy_n(pixel(place.X - kBorder, place.Y + frame.VClamp - 1), row_bytes,
              pixel(place.X - kBorder, place.Y + frame.VClamp));
}

// The frames' places, each page's size: all on the smallest page that holds them, else on pages
// of `largest`, the last as small as holds what is left for it; the last no taller than its rows.
struct Packing {
  std::vector<FrameSize> Pages;  // each page's width and height
  std::vector<AtlasPlace> Places;
};

// The smallest page below `largest` that holds every frame; none when it takes `largest`.
std::optional<LightAtlas> PackOnOnePage(const std::vector<FrameSize>& frames,
                                        std::int32_t largest) {
  std::int32_t widest = 0;
  for (const FrameSize& frame : frames) {
    widest = std::max({widest, frame.Width + 2 * kBorder, frame.Height + 2 * kBorder});
  }
  for (std::int32_t size = kSmallestPage; size < largest; size *= 2) {
    if (widest > size) continue;
    LightAtlas atlas = PackLightAtlas(frames, size);
    if (atlas.Pages == 1) return atlas;
  }
  return std::nullopt;
}

// The last page as low as its rows reach (a power of two, as its width), as the rows fill a page
// from the top and may leave the rest empty.
void CropLastPage(const std::vector<FrameSize>& frames, Packing& packing) {
  const auto last = static_cast<std::int32_t>(packing.Pages.size()) - 1;
  std::int32_t reach = 0;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const AtlasPlace& place = packing.Places[i];
    if (place.Page == last) reach = std::max(reach, place.Y + frames[i].Height + kBorder);
  }
  FrameSize& page = packing.Pages.back();
  while (page.Height / 2 >= reach && page.Height / 2 >= kSmallestPage) page.Height /= 2;
}

Packing PackPages(const std::vector<FrameSize>& frames, std::int32_t largest) {
  if (std::optional<LightAtlas> one = PackOnOnePage(frames, largest)) {
    Packing packing{{{one->PageSize, one->PageSize}}, std::move(one->Places)};
    CropLastPage(frames, packing);
    return packing;
  }
  const LightAtlas atlas = PackLightAtlas(frames, largest);
  Packing packing{
      std::vector<FrameSize>(static_cast<std::size_t>(atlas.Pages), FrameSize{largest, largest}),
      atlas.Places};
  const std::int32_t last = atlas.Pages - 1;
  std::vector<std::size_t> on_last;
  std::vector<FrameSize> last_frames;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    if (atlas.Places[i].Page != last) continue;
    on_last.push_back(i);
    last_frames.push_back(frames[i]);
  }
  if (const std::optional<LightAtlas> smaller = PackOnOnePage(last_frames, largest)) {
    packing.Pages.back() = {smaller->PageSize, smaller->PageSize};
    for (std::size_t i = 0; i < on_last.size(); ++i) {
      packing.Places[on_last[i]] = smaller->Places[i];
      packing.Places[on_last[i]].Page = last;
    }
  }
  CropLastPage(frames, packing);
  return packing;
}

// The face's baking but its frame, or none for a face without a light page or a polygon, or of
// an unlit surface.
std::optional<BakedFace> PrepareFace(const Mesh& mesh, const RunMaterials& materials,
                                     MeshFace& face) {
  if (face.LightPage < 0 || static_cast<std::size_t>(face.LightPage) >= mesh.LightPages.size() ||
      face.Corners.size() < 3) {
    return std::nullopt;
  }
  const LightPage& light = mesh.LightPages[static_cast<std::size_t>(face.LightPage)];
  if (light.Width <= 0 || light.Height <= 0) return std::nullopt;
  const MeshSurface& surface = mesh.Surfaces[static_cast<std::size_t>(face.Surface)];
  // An unlit surface is drawn at full brightness: its texture as it is, at its own resolution.
  if ((surface.Flags & kPolyFlagUnlit) != 0) return std::nullopt;
  BakedFace baked;
  baked.Face = &face;
  std::vector<Vector> corners;
  for (const MeshCorner& corner : face.Corners) {
    corners.push_back(mesh.Positions[static_cast<std::size_t>(corner.Position)]);
  }
  baked.Axes = AxesOfFace(surface.Axes, corners);

  baked.Points = std::move(corners);
  std::vector<CornerValues> values;
  baked.LowS = baked.LowT = 1;
  baked.HighS = baked.HighT = 0;
  for (std::size_t i = 0; i < baked.Points.size(); ++i) {
    const Vector offset = VecSubtract(baked.Points[i], baked.Axes.Base);
    baked.Corners.push_back({VecDot(offset, baked.Axes.U), VecDot(offset, baked.Axes.V)});
    const MeshCorner& corner = face.Corners[i];
    values.push_back({corner.U, corner.V, corner.LightS, corner.LightT});
    baked.LowS = std::min<double>(baked.LowS, corner.LightS);
    baked.HighS = std::max<double>(baked.HighS, corner.LightS);
    baked.LowT = std::min<double>(baked.LowT, corner.LightT);
    baked.HighT = std::max<double>(baked.HighT, corner.LightT);
  }
  baked.Map = FitFaceMap(baked.Corners, values);
  Inset(baked.LowS, baked.HighS, 0.5 / light.Width);
  Inset(baked.LowT, baked.HighT, 0.5 / light.Height);

  if (surface.Material != kNoMaterial) {
    const auto found =
        materials.Pictures.find(materials.Table[static_cast<std::size_t>(surface.Material)].Name);
    if (found != materials.Pictures.end()) {
      const Image& picture = found->second.Picture;
      if (picture.Width > 0 && picture.Height > 0 &&
          picture.Rgba.size() == static_cast<std::size_t>(picture.Width) *
                                     static_cast<std::size_t>(picture.Height) * 4) {
        baked.Picture = &picture;
      }
    }
  }
  baked.KeepAlpha = (surface.Flags & (kPolyFlagMasked | kPolyFlagTranslucent)) != 0;
  baked.Flags = (surface.Flags & kKeptFlags) | kPolyFlagUnlit;
  return baked;
}

// Each face's frame at `texel_units`, and the frames' sizes.
std::vector<FrameSize> Frames(std::vector<BakedFace>& faces, double texel_units,
                              const LightBakeSettings& settings) {
  const std::int32_t most_texels =
      std::min(settings.MostTexels, settings.LargestPage - 2 * kBorder);
  std::vector<FrameSize> sizes;
  sizes.reserve(faces.size());
  for (BakedFace& face : faces) {
    face.Frame = FrameOfPolygon(face.Points, face.Axes.Base, face.Axes.U, face.Axes.V, texel_units,
                                most_texels);
    face.Frame.UClamp = std::clamp(face.Frame.UClamp, 1, most_texels);
    face.Frame.VClamp = std::clamp(face.Frame.VClamp, 1, most_texels);
    sizes.push_back({face.Frame.UClamp, face.Frame.VClamp});
  }
  return sizes;
}

// The texels the frames take on their pages, borders included.
double FramesArea(const std::vector<FrameSize>& sizes) {
  double area = 0;
  for (const FrameSize& size : sizes) {
    area += static_cast<double>(size.Width + 2 * kBorder) * (size.Height + 2 * kBorder);
  }
  return area;
}

// Points the face's corners at its frame on the page and leaves its light page behind.
void PointCornersAtPage(const BakedFace& baked, const AtlasPlace& place, const FrameSize& page) {
  const LightMapIndex& frame = baked.Frame;
  MeshFace& face = *baked.Face;
  for (std::size_t i = 0; i < face.Corners.size(); ++i) {
    MeshCorner& corner = face.Corners[i];
    const double u = (baked.Corners[i][0] - frame.Pan.X) / frame.UScale;
    const double v = (baked.Corners[i][1] - frame.Pan.Y) / frame.VScale;
    corner.U = (place.X + u) / page.Width;
    corner.V = 1 - (place.Y + v) / page.Height;  // V upwards, the page's rows downwards
    corner.LightS = 0;
    corner.LightT = 0;
  }
  face.LightPage = kNoLightPage;
}

// The writers' materials: those the faces left unbaked and the shapes still use, in their order
// and flagged Unlit, then the pages' under the flags of the surfaces that moved onto them
// (surfaces from `first_page_surface` on).
RunMaterials MaterialsAfterBaking(Mesh& mesh, RunMaterials& before, std::size_t first_page_surface,
                                  const std::vector<FrameSize>& pages) {
  std::vector<bool> shown(mesh.Surfaces.size(), false);
  for (const MeshGroup& group : mesh.Groups) {
    for (const MeshFace& face : group.Faces) shown[static_cast<std::size_t>(face.Surface)] = true;
  }
  for (const MeshShape& shape : mesh.Shapes) {
    for (const MeshFace& face : shape.Faces) shown[static_cast<std::size_t>(face.Surface)] = true;
  }
  std::vector<bool> entry_used(before.Table.size(), false);
  for (std::size_t s = 0; s < first_page_surface; ++s) {
    const std::int32_t material = mesh.Surfaces[s].Material;
    if (shown[s] && material != kNoMaterial) entry_used[static_cast<std::size_t>(material)] = true;
  }

  RunMaterials after;
  for (std::size_t i = 0; i < before.Table.size(); ++i) {
    if (!entry_used[i]) continue;
    const TextureEntry& entry = before.Table[i];
    RegisterTexture(after.Table, entry.Name, entry.Width, entry.Height,
                    entry.Flags | kPolyFlagUnlit);
    const auto picture = before.Pictures.find(entry.Name);
    if (picture != before.Pictures.end()) after.Pictures.insert(std::move(*picture));
  }
  for (std::size_t s = 0; s < mesh.Surfaces.size(); ++s) {
    MeshSurface& surface = mesh.Surfaces[s];
    if (surface.Material == kNoMaterial && s < first_page_surface) continue;
    if (s >= first_page_surface) {
      const FrameSize& page = pages[static_cast<std::size_t>(surface.Material)];
      RegisterTexture(after.Table, surface.Texture, static_cast<std::int16_t>(page.Width),
                      static_cast<std::int16_t>(page.Height), surface.Flags);
    } else {
      surface.Flags |= kPolyFlagUnlit;
    }
    surface.Material = FindTexture(after.Table, surface.Texture, surface.Flags);
  }
  return after;
}

}  // namespace

BakedLight BakeLight(Mesh& mesh, RunMaterials materials, const LightBakeSettings& settings,
                     const PageSink& take_page) {
  BakedLight result;
  std::vector<BakedFace> faces;
  for (MeshGroup& group : mesh.Groups) {
    for (MeshFace& face : group.Faces) {
      if (std::optional<BakedFace> baked = PrepareFace(mesh, materials, face)) {
        faces.push_back(std::move(*baked));
      }
    }
  }
  // The frames, coarser while they pass the budget together.
  result.TexelUnits = settings.TexelUnits;
  std::vector<FrameSize> sizes = Frames(faces, result.TexelUnits, settings);
  for (int tries = 0; tries < kCoarserTries; ++tries) {
    const double area = FramesArea(sizes);
    if (area <= static_cast<double>(settings.TexelBudget)) break;
    // In hundredths of a unit, as the user may type it.
    result.TexelUnits =
        std::ceil(result.TexelUnits * std::sqrt(area / static_cast<double>(settings.TexelBudget)) *
                  kCoarserStep * 100) /
        100;
    sizes = Frames(faces, result.TexelUnits, settings);
  }
  const Packing packing = faces.empty() ? Packing{} : PackPages(sizes, settings.LargestPage);
  result.Pages = static_cast<std::int32_t>(packing.Pages.size());
  for (const FrameSize& size : sizes) result.Texels += std::int64_t{size.Width} * size.Height;

  // The pages, one after the other, each handed over when drawn; what no frame covers stays
  // opaque black.
  for (std::size_t p = 0; p < packing.Pages.size(); ++p) {
    Image page;
    page.Width = packing.Pages[p].Width;
    page.Height = packing.Pages[p].Height;
    page.Rgba.resize(static_cast<std::size_t>(page.Width) * static_cast<std::size_t>(page.Height) *
                     4);
    for (std::size_t i = 3; i < page.Rgba.size(); i += 4) page.Rgba[i] = 255;
    for (std::size_t f = 0; f < faces.size(); ++f) {
      if (packing.Places[f].Page != static_cast<std::int32_t>(p)) continue;
      BakeFace(faces[f], mesh.LightPages[static_cast<std::size_t>(faces[f].Face->LightPage)],
               packing.Places[f], page);
    }
    for (std::size_t i = 3; i < page.Rgba.size() && !page.HasTransparency; i += 4) {
      page.HasTransparency = page.Rgba[i] < 255;
    }
    take_page(settings.PageName + std::to_string(p + 1), std::move(page));
  }

  // The baked faces onto surfaces of their page's material, one per source surface and page;
  // until the table is made, such a surface's Material holds its page.
  const std::size_t first_page_surface = mesh.Surfaces.size();
  std::map<std::pair<std::int32_t, std::int32_t>, std::int32_t> moved;
  for (std::size_t f = 0; f < faces.size(); ++f) {
    const AtlasPlace& place = packing.Places[f];
    PointCornersAtPage(faces[f], place, packing.Pages[static_cast<std::size_t>(place.Page)]);
    MeshFace& face = *faces[f].Face;
    const auto [it, added] = moved.try_emplace({face.Surface, place.Page}, 0);
    if (added) {
      MeshSurface surface = mesh.Surfaces[static_cast<std::size_t>(face.Surface)];
      surface.Texture = settings.PageName + std::to_string(place.Page + 1);
      surface.Flags = faces[f].Flags;
      surface.Material = place.Page;
      surface.SourceCoordinates = true;
      it->second = static_cast<std::int32_t>(mesh.Surfaces.size());
      mesh.Surfaces.push_back(std::move(surface));
    }
    face.Surface = it->second;
  }
  result.Materials = MaterialsAfterBaking(mesh, materials, first_page_surface, packing.Pages);

  // The light now lies in the baked pages: no face points at a light page any more (the pages
  // stay for the run's counts; writers show only the pages faces point at).
  for (MeshGroup& group : mesh.Groups) {
    for (MeshFace& face : group.Faces) face.LightPage = kNoLightPage;
  }
  for (MeshShape& shape : mesh.Shapes) {
    for (MeshFace& face : shape.Faces) face.LightPage = kNoLightPage;
  }
  return result;
}

RunMaterials BakeRunLight(Mesh& mesh, RunMaterials materials, const RunOptions& options,
                          ImageFormat texture_format, RunHost& host, bool keep_pictures) {
  host.SetLabelProgress("baking light");
  LightBakeSettings settings;
  settings.TexelUnits = options.BakeTexelUnits;
  settings.PageName = FileNameOfPath(StripExtension(options.OutputFile)) + "_light";
  // Each page's image file, beside the output where the textures' go, and the PNG file the
  // glTF output embeds; its pixels only when a front end shows them.
  std::map<std::string, FoundTexture> pages;
  const auto take_page = [&](const std::string& name, Image picture) {
    FoundTexture& page = pages[name];
    page.Where = TexturePathFile(options.OutputFile, name, options.TextureType);
    page.FileBytes = EncodeImage(picture, texture_format);
    page.PngBytes = IsPngFile(page.FileBytes) ? page.FileBytes : EncodePng(picture);
    page.Picture.Width = picture.Width;
    page.Picture.Height = picture.Height;
    page.Picture.HasTransparency = picture.HasTransparency;
    if (keep_pictures) page.Picture = std::move(picture);
  };
  BakedLight baked = BakeLight(mesh, std::move(materials), settings, take_page);
  baked.Materials.Pictures.merge(pages);
  if (baked.TexelUnits != settings.TexelUnits) {
    host.ShowMessage("'" + options.InputFile + "': the baked light takes " +
                         NumberText(baked.TexelUnits) + " units per texel instead of " +
                         NumberText(settings.TexelUnits) + ", so that its " +
                         NumberText(baked.Pages) + " pages stay within their bound",
                     "Brushwright", MessageKind::Notice);
  }
  return std::move(baked.Materials);
}

}  // namespace brushwright
