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

# <QuorvelVersion.h>: the project's version, for every program's --version.
configure_file("${CMAKE_CURRENT_LIST_DIR}/QuorvelVersion.h.in" "${PROJECT_BINARY_DIR}/generated/QuorvelVersion.h" @ONLY)
add_library(quorvel_version INTERFACE)
target_include_directories(quorvel_version INTERFACE "${PROJECT_BINARY_DIR}/generated")

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

# quorvel_wayland_protocol_code(OUT_VAR DIR XML...): generates the client header and code of
# each Wayland protocol file into DIR with wayland-scanner; OUT_VAR lists the generated files.
function(quorvel_wayland_protocol_code OUT_VAR DIR)
  find_package(PkgConfig REQUIRED)
  pkg_get_variable(scanner wayland-scanner wayland_scanner)
  if(NOT scanner)
    message(FATAL_ERROR "wayland-scanner was not found (Debian: libwayland-dev)")
  endif()
  set(generated)
  foreach(xml ${ARGN})
    get_filename_component(protocol "${xml}" NAME_WE)
    set(header "${DIR}/${protocol}-client-protocol.h")
    set(code "${DIR}/${protocol}-protocol.c")
    add_custom_command(
      OUTPUT "${header}" "${code}"
      COMMAND ${CMAKE_COMMAND} -E make_directory "${DIR}"
      COMMAND ${scanner} client-header "${xml}" "${header}"
      COMMAND ${scanner} private-code "${xml}" "${code}"
      DEPENDS "${xml}"
      VERBATIM)
    list(APPEND generated "${header}" "${code}")
  endforeach()
  set(${OUT_VAR} ${generated} PARENT_SCOPE)
endfunction()
