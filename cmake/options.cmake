# Compile options shared by every target of both presets.
add_library(tarnwick_options INTERFACE)
target_compile_features(tarnwick_options INTERFACE cxx_std_20)
target_compile_options(tarnwick_options INTERFACE -Wall -Wextra -Wpedantic)
# The test command's host build is a release build (-O3) with this on, so that a packager's
# plain release build stays free of warnings.
option(TARNWICK_WARNINGS_AS_ERRORS "Treat compiler warnings as errors" OFF)
if(TARNWICK_WARNINGS_AS_ERRORS)
  target_compile_options(tarnwick_options INTERFACE -Werror)
endif()
target_include_directories(tarnwick_options INTERFACE ${PROJECT_SOURCE_DIR}/src)
if(WIN32)
  # Runs on a bare Windows: no MinGW runtime DLLs beside the program.
  target_link_options(tarnwick_options INTERFACE -static -static-libgcc -static-libstdc++)
  target_compile_definitions(tarnwick_options INTERFACE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  # Debug data for crash analysis of the release: scripts/build_dist.sh moves it into
  # Tarnwick.debug and ships the exe stripped. The prefix maps keep the folders the build ran
  # in out of both files, so that a build elsewhere gives the same bytes.
  # The build folder's map comes last, so that it wins where the build folder lies inside the
  # tree (the presets' build/windows).
  target_compile_options(tarnwick_options INTERFACE -g -ffile-prefix-map=${PROJECT_SOURCE_DIR}=.
                                                    -ffile-prefix-map=${PROJECT_BINARY_DIR}=build)
endif()

# tarnwick_module(NAME DIR [DEPS ...]): one static library from every .cpp in DIR.
function(tarnwick_module name dir)
  file(GLOB srcs CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.cpp)
  if(srcs)
    add_library(${name} STATIC ${srcs})
    target_link_libraries(${name} PUBLIC tarnwick_options ${ARGN})
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE tarnwick_options ${ARGN})
  endif()
endfunction()

# tarnwick_unit_test(NAME DIR LIBS...): one GoogleTest binary from every .cpp in DIR, registered with CTest.
function(tarnwick_unit_test name dir)
  file(GLOB srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE tarnwick_options ${ARGN} GTest::gtest GTest::gtest_main)
  include(GoogleTest)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 30)
endfunction()
