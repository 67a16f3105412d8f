# Compiler settings shared by every target of the project.

# Doubles must round exactly as the arithmetic is written: output numbers carry 15 digits and a
# fused multiply-add or reassociation changes the last one.
add_compile_options(-ffp-contract=off -fno-fast-math)

if(BRUSHWRIGHT_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Warnings for the project's own code only (not for third-party headers).
function(brushwright_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion)
  # GCC 12 at -O3 reports impossible overlaps inside libstdc++'s std::string concatenation
  # (its bug 105329); the warning says nothing about this project's code.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
endfunction()

# brushwright_library(name SOURCES ... LIBS ...): a static library of one subsystem folder.
function(brushwright_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(brushwright_${name} STATIC ${ARG_SOURCES})
  target_include_directories(brushwright_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(brushwright_${name} PUBLIC ${ARG_LIBS})
  brushwright_warnings(brushwright_${name})
endfunction()

# brushwright_test(name SOURCES ... LIBS ...): a GoogleTest executable registered with CTest.
function(brushwright_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    BRUSHWRIGHT_CORPUS_DIR="${BRUSHWRIGHT_CORPUS_DIR}"
    BRUSHWRIGHT_PACKAGES_DIR="${BRUSHWRIGHT_PACKAGES_DIR}"
    BRUSHWRIGHT_FIXTURES_DIR="${BRUSHWRIGHT_FIXTURES_DIR}")
  brushwright_warnings(${name})
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${ARG_PROPERTIES})
endfunction()
