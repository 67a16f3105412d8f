// Reads back the OBJ text a run writes (positions, texture coordinates, groups, materials, faces)
// with the numbers as written, for tests that compare what two outputs hold.
#pragma once

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "vecmath/vecmath.h"

namespace brushwright::testing {

struct ObjFace {
  std::string group;
  std::string material;
  std::vector<int> positions;    // 0-based
  std::vector<int> coordinates;  // 0-based
};

struct ObjText {
  std::vector<Vector> positions;
  std::vector<std::pair<double, double>> coordinates;
  std::vector<std::string> groups;  // in the order of their "g" lines
  std::vector<ObjFace> faces;
};

inline ObjText ParseObj(const std::string& text) {
  ObjText obj;
  std::istringstream lines(text);
  std::string group;
  std::string material;
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream words(line);
    std::string kind;
    words >> kind;
    if (kind == "v") {
      Vector& v = obj.positions.emplace_back();
      words >> v.X >> v.Y >> v.Z;
    } else if (kind == "vt") {
      auto& vt = obj.coordinates.emplace_back();
      words >> vt.first >> vt.second;
    } else if (kind == "g") {
      group = line.substr(2);
      obj.groups.push_back(group);
    } else if (kind == "usemtl") {
      words >> material;
    } else if (kind == "f") {
      ObjFace& face = obj.faces.emplace_back(ObjFace{group, material, {}, {}});
      for (std::string corner; words >> corner;) {
        face.positions.push_back(std::atoi(corner.c_str()) - 1);
        face.coordinates.push_back(std::atoi(corner.c_str() + corner.find('/') + 1) - 1);
      }
      material.clear();
    }
  }
  return obj;
}

}  // namespace brushwright::testing
