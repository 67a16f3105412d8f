// glTF files for tests: read back with tinygltf, and checked by the Khronos glTF Validator.
#pragma once

#include <tiny_gltf.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/test_inputs.h"

namespace brushwright::testing {

// "" when the glTF Validator can run; else what is missing and how to get it.
inline std::string ValidatorMissing() {
  if (std::system("command -v node >/dev/null 2>&1") != 0) {
    return "node is not installed, so the glTF Validator cannot run: run scripts/install-deps.sh";
  }
  const std::filesystem::path modules =
      std::filesystem::path(BRUSHWRIGHT_GLTF_VALIDATOR).parent_path() / "node_modules";
  if (!std::filesystem::is_directory(modules / "gltf-validator")) {
    return "the glTF Validator package is not installed in " + modules.string() +
           ": run scripts/install-deps.sh";
  }
  return "";
}

// The validator's messages when it reports an error or a warning; "" when the file passes.
inline std::string ValidatorComplaints(const std::string& path) {
  const std::string command = "node '" BRUSHWRIGHT_GLTF_VALIDATOR "' '" + path + "' 2>&1";
  std::FILE* pipe = popen(command.c_str(), "r");
  std::string output;
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0;) {
    output.append(buffer, got);
  }
  return pclose(pipe) == 0 ? "" : output;
}

inline tinygltf::Model ReadBack(const std::string& path) {
  tinygltf::Model model;
  std::string error, warning;
  EXPECT_TRUE(tinygltf::TinyGLTF().LoadBinaryFromFile(&model, &error, &warning, path)) << error;
  return model;
}

// Every component of the accessor's elements, in order.
inline std::vector<double> Values(const tinygltf::Model& model, int accessor_index) {
  const tinygltf::Accessor& accessor = model.accessors[accessor_index];
  const tinygltf::BufferView& view = model.bufferViews[accessor.bufferView];
  const unsigned char* data = model.buffers[0].data.data() + view.byteOffset + accessor.byteOffset;
  const int size = tinygltf::GetComponentSizeInBytes(accessor.componentType);
  std::vector<double> values;
  for (std::size_t i = 0; i < accessor.count * tinygltf::GetNumComponentsInType(accessor.type);
       ++i) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, data + i * size, size);
    float real;
    std::memcpy(&real, &bits, 4);
    values.push_back(
        accessor.componentType == TINYGLTF_COMPONENT_TYPE_FLOAT ? real : static_cast<double>(bits));
  }
  return values;
}

}  // namespace brushwright::testing
