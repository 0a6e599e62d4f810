# Core libraries and their tests are plain C++. With MUGWARP_SANITIZE every core
# library and core test gets a twin "<name>_asan" built with AddressSanitizer and
# UndefinedBehaviorSanitizer, so one ctest run covers both.

set(MUGWARP_SANITIZER_FLAGS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)

# mugwarp_core_library(NAME SOURCES src... DEPS lib... [PUBLIC_LINK extlib...])
function(mugwarp_core_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PUBLIC_LINK" ${ARGN})
  if(NOT ARG_SOURCES)
    # A folder without code yet still yields a library, so dependants link.
    set(empty ${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp)
    file(WRITE ${empty} "")
    set(ARG_SOURCES ${empty})
  endif()
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} ${ARG_PUBLIC_LINK})
  if(MUGWARP_SANITIZE)
    set(asan_deps)
    foreach(dep IN LISTS ARG_DEPS)
      list(APPEND asan_deps ${dep}_asan)
    endforeach()
    add_library(${name}_asan STATIC ${ARG_SOURCES})
    target_include_directories(${name}_asan PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_compile_options(${name}_asan PUBLIC ${MUGWARP_SANITIZER_FLAGS} -O1)
    target_link_options(${name}_asan PUBLIC ${MUGWARP_SANITIZER_FLAGS})
    target_link_libraries(${name}_asan PUBLIC ${asan_deps} ${ARG_PUBLIC_LINK})
  endif()
endfunction()

# mugwarp_core_test(NAME SOURCES src... DEPS lib... [SANITIZE])
# Registers the GoogleTest cases with ctest. With SANITIZE (and MUGWARP_SANITIZE)
# the same cases also run against the sanitized libraries, prefixed "asan.".
function(mugwarp_core_test name)
  cmake_parse_arguments(ARG "SANITIZE" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} mugwarp_test_support GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    MUGWARP_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    MUGWARP_BINARY_DIR="${PROJECT_BINARY_DIR}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 600)
  if(MUGWARP_SANITIZE AND ARG_SANITIZE)
    set(asan_deps)
    foreach(dep IN LISTS ARG_DEPS)
      list(APPEND asan_deps ${dep}_asan)
    endforeach()
    add_executable(${name}_asan ${ARG_SOURCES})
    target_link_libraries(${name}_asan PRIVATE ${asan_deps} mugwarp_test_support GTest::gtest GTest::gtest_main)
    target_compile_definitions(${name}_asan PRIVATE
      MUGWARP_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
      MUGWARP_BINARY_DIR="${PROJECT_BINARY_DIR}"
      MUGWARP_SANITIZED=1)
    gtest_discover_tests(${name}_asan TEST_PREFIX "asan." DISCOVERY_TIMEOUT 60
      PROPERTIES TIMEOUT 900 ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0;UBSAN_OPTIONS=print_stacktrace=1")
  endif()
endfunction()
