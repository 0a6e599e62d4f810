# With the mingw-w64 cross compilers present, the Windows filter runners (and
# the Windows builds of the sample filters) are built beside the native ones:
# 64-bit with x86_64-w64-mingw32, 32-bit with i686-w64-mingw32, each from the
# same sources in a build folder of its own.
include(ExternalProject)

option(MUGWARP_WINDOWS_FILTERS "Cross-build the Windows filter runners and sample filters" ON)

# windows_build(TARGET compiler toolchain runner-name pipl-mode plugins-subdir)
function(windows_build target compiler toolchain runner pipl_mode subdir)
  find_program(MUGWARP_MINGW_CXX_${target} ${compiler})
  if(NOT MUGWARP_WINDOWS_FILTERS OR NOT MUGWARP_MINGW_CXX_${target})
    message(STATUS "No ${compiler}: ${subdir} filters will be listed but cannot run")
    return()
  endif()
  ExternalProject_Add(${target}
    SOURCE_DIR ${PROJECT_SOURCE_DIR}/windows
    BINARY_DIR ${PROJECT_BINARY_DIR}/${subdir}
    CMAKE_ARGS
      -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/${toolchain}
      -DCMAKE_BUILD_TYPE=Release
      -DCMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER}
      -DMUGWARP_PIPL_TOOL=$<TARGET_FILE:mugwarp-pipl>
      -DPIPL_MODE=${pipl_mode}
      -DRUNNER_DIR=${MUGWARP_RUNNER_DIR}
      -DRUNNER_NAME=${runner}
      -DSAMPLE_FILTERS_DIR=${MUGWARP_BUILT_PLUGINS_DIR}/${subdir}
      -DTEST_MODULES_DIR=${PROJECT_BINARY_DIR}/tests/filterproc/modules/${subdir}
    DEPENDS mugwarp-pipl
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    USES_TERMINAL_BUILD OFF)
  install(DIRECTORY ${MUGWARP_BUILT_PLUGINS_DIR}/${subdir} DESTINATION lib/mugwarp/plugins)
  install(PROGRAMS ${MUGWARP_RUNNER_DIR}/${runner}.exe DESTINATION libexec/mugwarp)
endfunction()

windows_build(mugwarp_windows x86_64-w64-mingw32-g++ mingw-w64-x86_64.cmake mugwarp-filter-runner --rc windows)
windows_build(mugwarp_windows32 i686-w64-mingw32-g++ mingw-w64-i686.cmake mugwarp-filter-runner32 --rc32 windows32)
