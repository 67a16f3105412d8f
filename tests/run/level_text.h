// Builds small T3D level texts for run tests.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "support/test_files.h"
#include "vecmath/vecmath.h"

namespace brushwright::testing {

struct PolygonSpec {
  std::string texture;  // "" writes no Texture= at all
  long long flags = 0;
  std::vector<std::string> vertices = {"+00000.000000,+00000.000000,+00000.000000",
                                       "+00064.000000,+00000.000000,+00000.000000",
                                       "+00064.000000,+00032.000000,+00000.000000"};
  std::string origin = "+00000.000000,+00000.000000,+00000.000000";
  std::string normal = "+00000.000000,+00000.000000,+00001.000000";
  std::string texture_u = "+00001.000000,+00000.000000,+00000.000000";
  std::string texture_v = "+00000.000000,+00001.000000,+00000.000000";
};

// One polygon block, lines ending in LF.
inline std::string PolygonText(const PolygonSpec& p) {
  std::string s = "      Begin Polygon";
  if (!p.texture.empty()) s += " Texture=" + p.texture + " Flags=" + std::to_string(p.flags);
  s += "\n         Origin   " + p.origin + "\n         Normal   " + p.normal +
       "\n         TextureU " + p.texture_u + "\n         TextureV " + p.texture_v + "\n";
  for (const auto& v : p.vertices) s += "         Vertex   " + v + "\n";
  return s + "      End Polygon\n";
}

struct BrushSpec {
  std::string name = "Brush1";
  std::string csg = "CSG_Add";  // "" writes no CsgOper= line
  std::string tag;              // "" writes no Tag= line
  std::string location;         // e.g. "(X=100.000000)"; "" writes none
  std::string brush_name = "Model2";
  std::vector<PolygonSpec> polygons = {PolygonSpec{"Rock"}};
};

inline BrushSpec MakeBrush(std::string name, std::string csg = "CSG_Add", std::string tag = "") {
  BrushSpec brush;
  brush.name = std::move(name);
  brush.csg = std::move(csg);
  brush.tag = std::move(tag);
  return brush;
}

// One brush actor block, lines ending in LF.
inline std::string BrushText(const BrushSpec& b) {
  std::string s = "Begin Actor Class=Brush Name=" + b.name + "\n";
  if (!b.csg.empty()) s += "   CsgOper=" + b.csg + "\n";
  if (!b.tag.empty()) s += "   Tag=" + b.tag + "\n";
  if (!b.location.empty()) s += "   Location=" + b.location + "\n";
  s += "   Begin Brush Name=" + b.brush_name + "\n    Begin PolyList\n";
  for (const auto& p : b.polygons) s += PolygonText(p);
  return s + "    End PolyList\n   End Brush\nEnd Actor\n";
}

inline std::string Triple(double x, double y, double z) {
  return std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(z);
}

// The six faces of the box from `low` to `high`, each facing out, its texture axes on its plane.
inline std::vector<PolygonSpec> Box(const Vector& low, const Vector& high,
                                    const std::string& texture) {
  const double x0 = low.X, y0 = low.Y, z0 = low.Z, x1 = high.X, y1 = high.Y, z1 = high.Z;
  struct Side {
    Vector normal, u, v;
    std::vector<Vector> corners;
  };
  const Side sides[] = {
      {{0, 0, -1}, {1, 0, 0}, {0, 1, 0}, {{x0, y0, z0}, {x0, y1, z0}, {x1, y1, z0}, {x1, y0, z0}}},
      {{0, 0, 1}, {1, 0, 0}, {0, -1, 0}, {{x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}}},
      {{-1, 0, 0}, {0, 1, 0}, {0, 0, -1}, {{x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1}, {x0, y1, z0}}},
      {{1, 0, 0}, {0, -1, 0}, {0, 0, -1}, {{x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}, {x1, y0, z1}}},
      {{0, -1, 0}, {1, 0, 0}, {0, 0, -1}, {{x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}}},
      {{0, 1, 0}, {-1, 0, 0}, {0, 0, -1}, {{x0, y1, z0}, {x0, y1, z1}, {x1, y1, z1}, {x1, y1, z0}}},
  };
  std::vector<PolygonSpec> polygons;
  for (const Side& side : sides) {
    PolygonSpec& polygon = polygons.emplace_back(PolygonSpec{texture});
    polygon.vertices.clear();
    for (const Vector& c : side.corners) polygon.vertices.push_back(Triple(c.X, c.Y, c.Z));
    const Vector& o = side.corners[0];
    polygon.origin = Triple(o.X, o.Y, o.Z);
    polygon.normal = Triple(side.normal.X, side.normal.Y, side.normal.Z);
    polygon.texture_u = Triple(side.u.X, side.u.Y, side.u.Z);
    polygon.texture_v = Triple(side.v.X, side.v.Y, side.v.Z);
  }
  return polygons;
}

inline std::string LevelText(const std::vector<std::string>& actors) {
  std::string s = "Begin Map\n";
  for (const auto& a : actors) s += a;
  return s + "End Map\n";
}

inline std::string WithCrLf(const std::string& lf_text) {
  std::string out;
  for (char c : lf_text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

}  // namespace brushwright::testing
