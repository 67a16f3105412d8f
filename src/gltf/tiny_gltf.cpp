// The tinygltf implementation, built here with RapidJSON: several times faster than the packaged
// library's nlohmann::json at writing the JSON of a large level.
#define TINYGLTF_IMPLEMENTATION
#include <tiny_gltf.h>
