# With the mingw-w64 cross compiler present, the Windows filter runner (and
# the Windows builds of the sample filters) are built beside the native ones.
include(ExternalProject)

find_program(MUGWARP_MINGW_CXX x86_64-w64-mingw32-g++)
option(MUGWARP_WINDOWS_FILTERS "Cross-build the Windows filter runner and sample filters" ON)

if(MUGWARP_WINDOWS_FILTERS AND MUGWARP_MINGW_CXX)
  set(MUGWARP_HAVE_WINDOWS_BUILD ON)
  set(MUGWARP_WINDOWS_TEST_MODULES_DIR ${PROJECT_BINARY_DIR}/tests/filterproc/modules/windows)
  ExternalProject_Add(mugwarp_windows
    SOURCE_DIR ${PROJECT_SOURCE_DIR}/windows
    BINARY_DIR ${PROJECT_BINARY_DIR}/windows
    CMAKE_ARGS
      -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake
      -DCMAKE_BUILD_TYPE=Release
      -DCMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER}
      -DMUGWARP_PIPL_TOOL=$<TARGET_FILE:mugwarp-pipl>
      -DRUNNER_DIR=${MUGWARP_RUNNER_DIR}
      -DSAMPLE_FILTERS_DIR=${MUGWARP_BUILT_PLUGINS_DIR}/windows
      -DTEST_MODULES_DIR=${MUGWARP_WINDOWS_TEST_MODULES_DIR}
    DEPENDS mugwarp-pipl
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    USES_TERMINAL_BUILD OFF)
  install(DIRECTORY ${MUGWARP_BUILT_PLUGINS_DIR}/windows DESTINATION ${CMAKE_INSTALL_DATADIR}/mugwarp/plugins)
  install(PROGRAMS ${MUGWARP_RUNNER_DIR}/mugwarp-filter-runner.exe DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/mugwarp)
else()
  set(MUGWARP_HAVE_WINDOWS_BUILD OFF)
  message(STATUS "No mingw-w64 cross compiler: Windows filters will be listed but cannot run")
endif()
