# The libFuzzer targets in fuzz/ need clang, so they are a build of their own
# (build/fuzz), driven from here; ctest runs each one briefly on its seeds.
include(ExternalProject)
include(${PROJECT_SOURCE_DIR}/fuzz/targets.cmake)

option(MUGWARP_FUZZ "Build the libFuzzer targets (needs clang and libFuzzer) and smoke-test them" ON)
find_program(MUGWARP_FUZZ_CXX NAMES clang++-14 clang++)
set(MUGWARP_FUZZ_BUILD_DIR ${PROJECT_BINARY_DIR}/fuzz)
set(MUGWARP_FUZZ_SMOKE_SECONDS 10 CACHE STRING "How long ctest runs each fuzz target")

if(MUGWARP_FUZZ AND MUGWARP_BUILD_TESTS AND MUGWARP_FUZZ_CXX)
  ExternalProject_Add(mugwarp_fuzz
    SOURCE_DIR ${PROJECT_SOURCE_DIR}/fuzz
    BINARY_DIR ${MUGWARP_FUZZ_BUILD_DIR}
    CMAKE_ARGS
      -DCMAKE_CXX_COMPILER=${MUGWARP_FUZZ_CXX}
      -DCMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER}
      -DCMAKE_BUILD_TYPE=Debug
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    USES_TERMINAL_BUILD OFF)
  foreach(target IN LISTS MUGWARP_FUZZ_TARGETS)
    add_test(NAME fuzz.${target}
      COMMAND ${PROJECT_SOURCE_DIR}/fuzz/run ${MUGWARP_FUZZ_BUILD_DIR} --smoke
              --seconds ${MUGWARP_FUZZ_SMOKE_SECONDS} ${target})
    set_tests_properties(fuzz.${target} PROPERTIES LABELS fuzz TIMEOUT 300)
  endforeach()
elseif(MUGWARP_FUZZ AND MUGWARP_BUILD_TESTS)
  message(STATUS "No clang: the fuzz targets are not built (install clang-14 and libclang-rt-14-dev)")
endif()
