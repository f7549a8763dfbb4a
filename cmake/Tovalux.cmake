# Project-wide flags and the helpers every folder uses.
include_guard(GLOBAL)

# Texts inside the system are GBK; sources are UTF-8. "//TRANSLIT" changes nothing for a
# character GBK has; it only lets libstdc++'s C++20 <chrono> (which spells "\u00b5s") compile.
# clang (the fuzz preset only) knows no other execution character set: its narrow literals stay
# UTF-8, which the fuzz targets do not depend on.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  add_compile_options(
    "$<$<COMPILE_LANGUAGE:C,CXX>:-finput-charset=UTF-8>"
    "$<$<COMPILE_LANGUAGE:C,CXX>:-fexec-charset=GBK//TRANSLIT>")
endif()
add_compile_options(
  "$<$<COMPILE_LANGUAGE:C,CXX>:-Wall>"
  "$<$<COMPILE_LANGUAGE:C,CXX>:-Wextra>")

# ccache, when the machine has it, makes rebuilds in several work trees cheap; nothing depends on it.
find_program(TOVALUX_CCACHE ccache)
if(TOVALUX_CCACHE AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
  set(CMAKE_C_COMPILER_LAUNCHER ${TOVALUX_CCACHE})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${TOVALUX_CCACHE})
endif()

set(TOVALUX_ROOT ${CMAKE_CURRENT_LIST_DIR}/..)
cmake_path(NORMAL_PATH TOVALUX_ROOT)

if(WIN32)
  add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 NOMINMAX STRICT)
  # Reproducible programs: no build folder in __FILE__ or the debug information, and no link time
  # in the PE header, so two builds of one commit in different folders give the same bytes.
  # GCC tries the last map first: the build folder (inside the source tree) comes last.
  string(REGEX REPLACE "/$" "" tovalux_source_prefix "${TOVALUX_ROOT}")
  add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${tovalux_source_prefix}/=>"
                      "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}/=>")
  add_link_options(-Wl,--no-insert-timestamp)
  # The stand-in IDE's folder: H in every test and in the demo.
  set(TOVALUX_HOST_DIR ${CMAKE_BINARY_DIR}/host)
  file(MAKE_DIRECTORY ${TOVALUX_HOST_DIR}/lib)
  # Every Windows program started by CTest goes through the one Wine runner.
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TOVALUX_ROOT}/scripts/wine-run --build ${CMAKE_BINARY_DIR})
  # GoogleTest for the Windows side is compiled from Debian's sources with the cross compiler.
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  if(NOT TARGET gtest)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    foreach(t gtest gtest_main gmock gmock_main)
      if(TARGET ${t})
        target_compile_options(${t} PRIVATE -w)
      endif()
    endforeach()
  endif()
  # Our own main(): a crash under Wine must end the test program with a failure code.
  add_library(tovalux_gtest STATIC ${CMAKE_CURRENT_LIST_DIR}/../tests/common/wine_gtest_main.cpp)
  target_link_libraries(tovalux_gtest PUBLIC gtest)
else()
  if(TOVALUX_FUZZ)
    # Instrument the libraries too, so coverage guides the fuzzer into them.
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
  elseif(TOVALUX_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
  endif()
  if(NOT TOVALUX_FUZZ AND NOT TOVALUX_BENCH)
    find_package(GTest REQUIRED)
    include(GoogleTest)
    add_library(tovalux_gtest INTERFACE)
    target_link_libraries(tovalux_gtest INTERFACE GTest::gtest_main GTest::gtest)
  endif()
endif()

# Adds the listed subfolders; a listed folder without a CMakeLists.txt is an error (a misspelt
# name would otherwise drop a whole area from the build unnoticed).
function(tovalux_add_subdirs)
  foreach(dir IN LISTS ARGN)
    if(NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
      message(FATAL_ERROR "tovalux_add_subdirs: ${CMAKE_CURRENT_SOURCE_DIR}/${dir} has no CMakeLists.txt")
    endif()
    add_subdirectory(${dir})
  endforeach()
endfunction()

include(TovaluxLayers)
include(TovaluxFormat)

# tovalux_unit_test(name SOURCES ... LIBS ...): a native GoogleTest program, one CTest entry per case.
function(tovalux_unit_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} tovalux_gtest)
  target_compile_definitions(${name} PRIVATE TOVALUX_SOURCE_DIR="${TOVALUX_ROOT}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 120 PROPERTIES LABELS unit)
endfunction()

# tovalux_wine_test(name SOURCES ... LIBS ... [LABEL wine|e2e] [TIMEOUT s] [WINVER win7|win10]
#                   [MONITORS 2]): a Windows GoogleTest program run under Wine through the runner;
# one CTest entry per program (a Wine start is not free). WINVER picks the Wine prefix template the
# program runs in (default win7); MONITORS 2 runs it on a display with two monitors side by side.
function(tovalux_wine_test name)
  cmake_parse_arguments(T "" "LABEL;TIMEOUT;WINVER;MONITORS" "SOURCES;LIBS;DPIS" ${ARGN})
  if(NOT T_LABEL)
    set(T_LABEL wine)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} tovalux_gtest)
  target_compile_definitions(${name} PRIVATE TOVALUX_HOST_DIR="${TOVALUX_HOST_DIR}" TOVALUX_BUILD_DIR="${CMAKE_BINARY_DIR}")
  set(artefacts ${CMAKE_BINARY_DIR}/artefacts)
  file(MAKE_DIRECTORY ${artefacts})
  if(NOT T_WINVER)
    set(T_WINVER win7)
  endif()
  # DPIS: one entry per system DPI (name_<dpi>), the program run with the prefix at that DPI.
  set(runs ${name})
  if(T_DPIS)
    set(runs)
    foreach(dpi IN LISTS T_DPIS)
      list(APPEND runs ${name}_${dpi})
    endforeach()
  endif()
  foreach(run IN LISTS runs)
    set(environment "TOVALUX_ARTEFACTS=${artefacts};TOVALUX_WINVER=${T_WINVER}")
    if(T_MONITORS)
      list(APPEND environment "TOVALUX_MONITORS=${T_MONITORS}")
    endif()
    if(run MATCHES "_([0-9]+)$" AND T_DPIS)
      list(APPEND environment "TOVALUX_DPI=${CMAKE_MATCH_1}")
    endif()
    add_test(NAME ${run} COMMAND ${name} --gtest_output=xml:${artefacts}/${run}.xml
             WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    # Wine runs of one build share a prefix, hence a wineserver and a desktop: one at a time.
    set_tests_properties(${run} PROPERTIES LABELS ${T_LABEL} TIMEOUT ${T_TIMEOUT} RESOURCE_LOCK wine_desktop
                         ENVIRONMENT "${environment}")
  endforeach()
endfunction()
