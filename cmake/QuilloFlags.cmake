# Warnings and sanitizers shared by every target of the project.
add_library(quillo_flags INTERFACE)
target_compile_options(quillo_flags INTERFACE -Wall -Wextra -Wpedantic -Wno-missing-field-initializers)
target_compile_definitions(quillo_flags INTERFACE QUILLO_SOURCE_DIR="${PROJECT_SOURCE_DIR}")

if(QUILLO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(QUILLO_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "QUILLO_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_C_COMPILER=clang-14")
  endif()
  # Every library is instrumented for coverage; the fuzz targets add the libFuzzer main.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# quillo_add_library(NAME SOURCES... [DEPS ...]): a static library of one folder.
function(quillo_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC quillo_flags ${ARG_DEPS})
endfunction()

# quillo_add_test(NAME SOURCES... [DEPS ...] [LABELS ...] [LOCKS ...]): a GoogleTest executable
# registered with CTest. Tests that share a LOCKS name never run at the same time.
function(quillo_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS;LOCKS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE quillo_flags quillo_testsupport ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  # GCC 12 reports string concatenation and vector inserts in optimised test bodies as
  # overlapping or out-of-bounds copies inside libstdc++ (its bugs 105329 and 105651).
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${name} PRIVATE -Wno-restrict -Wno-array-bounds)
  endif()
  set(props)
  if(ARG_LABELS)
    list(APPEND props LABELS "${ARG_LABELS}")
  endif()
  if(ARG_LOCKS)
    list(APPEND props RESOURCE_LOCK "${ARG_LOCKS}")
  endif()
  if(props)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${props})
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
