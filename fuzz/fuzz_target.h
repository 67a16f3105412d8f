// The entry point every fuzz target defines, shared by libFuzzer and the replay executable.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
