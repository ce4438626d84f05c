# Each layer's folder lists its sources by glob so that new files need no CMake edit.
function(kw_glob_sources out dir)
  file(GLOB_RECURSE files CONFIGURE_DEPENDS "${dir}/*.cpp" "${dir}/*.h")
  set(${out} ${files} PARENT_SCOPE)
endfunction()

# A static library for one layer: every .cpp/.h below the folder, include root at the top.
function(kw_layer_library name)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  kw_glob_sources(srcs ${CMAKE_CURRENT_SOURCE_DIR})
  list(FILTER srcs INCLUDE REGEX "\\.cpp$")
  if(NOT srcs)
    # A layer whose code has not arrived yet: headers only.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPENDS})
    return()
  endif()
  kw_glob_sources(srcs ${CMAKE_CURRENT_SOURCE_DIR})
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
  kw_warnings(${name})
endfunction()

# One GoogleTest executable per test folder; each TEST becomes a CTest test.
function(kw_gtest name dir)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS "${dir}/*.cpp" "${dir}/*.h")
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE ${ARG_DEPENDS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE KW_TEST_DATA_DIR="${dir}/data"
    KW_BINARY_DIR="${PROJECT_BINARY_DIR}")
  kw_warnings(${name})
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 600)
endfunction()
