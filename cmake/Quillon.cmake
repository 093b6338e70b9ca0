# Shared helpers for the project's CMake files.

# quillon_static_library(NAME [DEPS ...] [EXCLUDE regex])
# A static library made of every .cpp in the calling folder (subfolders
# excluded, and files matching EXCLUDE left to a second target of the folder);
# headers are included as "folder/Header.h" from the project root.
function(quillon_static_library name)
  cmake_parse_arguments(ARG "" "EXCLUDE" "DEPS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  if(ARG_EXCLUDE)
    list(FILTER srcs EXCLUDE REGEX "${ARG_EXCLUDE}")
  endif()
  if(srcs)
    add_library(${name} STATIC ${srcs})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/generated)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} Threads::Threads)
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/generated)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS} Threads::Threads)
  endif()
endfunction()

# quillon_test_suite(NAME LIBS ...)
# One GoogleTest executable made of every *_test.cpp in the calling folder.
function(quillon_test_suite name)
  file(GLOB srcs CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp")
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  target_compile_definitions(${name} PRIVATE
    QUILLON_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data"
    QUILLON_BINARY_DIR="${PROJECT_BINARY_DIR}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()

# QUILLON_NO_UNDEFINED: the link option that makes a component library resolve
# every symbol it uses at link time. Clang links its sanitizer runtimes into
# programs only; a component built with clang's sanitizers takes the __asan_,
# __ubsan_ and coverage entry points from the program that loads it, so such a
# build leaves the check out (g++ links the runtime into the library as well).
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang" AND NOT QUILLON_SANITIZE STREQUAL "")
  set(QUILLON_NO_UNDEFINED "")
else()
  set(QUILLON_NO_UNDEFINED "-Wl,--no-undefined")
endif()
