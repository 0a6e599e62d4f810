# The top of the build tree is laid out like an installed prefix, linked to the
# sources and the build outputs, so the programs built here find their data,
# sample filters and runners exactly as installed ones do, and nothing of the
# build tree's location is compiled into them (src/filterproc/program_files.h).
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/share/mugwarp ${PROJECT_BINARY_DIR}/lib/mugwarp
  ${PROJECT_BINARY_DIR}/libexec ${MUGWARP_RUNNER_DIR})
foreach(folder help Clipart sample)
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/data/${folder} ${PROJECT_BINARY_DIR}/share/mugwarp/${folder} SYMBOLIC)
endforeach()
file(CREATE_LINK ${MUGWARP_BUILT_PLUGINS_DIR} ${PROJECT_BINARY_DIR}/lib/mugwarp/plugins SYMBOLIC)
file(CREATE_LINK ${MUGWARP_RUNNER_DIR} ${PROJECT_BINARY_DIR}/libexec/mugwarp SYMBOLIC)
