# Shared settings for the project's own targets.

# Warnings as errors for our code only (not for third-party headers, which come in as SYSTEM).
add_library(quorvel_warnings INTERFACE)
target_compile_options(quorvel_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Werror -Wshadow -Wnon-virtual-dtor -Wold-style-cast
  -Wcast-align -Woverloaded-virtual -Wformat=2 -Wimplicit-fallthrough)

if(QUORVEL_SANITIZE)
  add_compile_options(-fsanitize=${QUORVEL_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${QUORVEL_SANITIZE})
endif()

# The repository root is the include root of everything except the standalone core library.
set(QUORVEL_SOURCE_ROOT "${PROJECT_SOURCE_DIR}")

macro(quorvel_optional_subdirectory dir)
  if(EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt")
    add_subdirectory(${dir})
  endif()
endmacro()

# quorvel_test(NAME name SOURCES ... LIBS ... [LABELS ...])
function(quorvel_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
  # The ThreadSanitizer build runs only the tests that cross threads; the others are not
  # even built there, which keeps the test command's time down.
  if(QUORVEL_SANITIZE STREQUAL "thread" AND NOT "threads" IN_LIST T_LABELS)
    add_executable(${T_NAME} EXCLUDE_FROM_ALL ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main quorvel_warnings)
    target_include_directories(${T_NAME} PRIVATE ${QUORVEL_SOURCE_ROOT})
    return()
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main quorvel_warnings)
  target_include_directories(${T_NAME} PRIVATE ${QUORVEL_SOURCE_ROOT})
  # Discovered tests take one label: several are joined with "-", so that `ctest -L threads`
  # (a regular expression) still finds a test labelled "linux threads".
  string(REPLACE ";" "-" label "${T_LABELS}")
  gtest_discover_tests(${T_NAME} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "${label}")
endfunction()
