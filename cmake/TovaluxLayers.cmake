# Layer libraries and the two checks that keep them layered (src/README.md):
#
#   tovalux_layers(<folders> ...)   the layer order, lowest first
#   tovalux_library(...)            one static library of a layer; records what it declares
#   tovalux_program(...)            a program or DLL whose sources live under src/
#   tovalux_link_check(<library>)   (windows) a throwaway DLL proving the library's declarations
#   tovalux_write_layers(<file>)    the record scripts/check_layers.py reads (the include check)
include_guard(GLOBAL)

# tovalux_layers("<folder> <folder>..." ...): one argument per layer, lowest first; each names the
# folders (relative to the repository) whose libraries sit in that layer. A library may depend on
# libraries of a lower layer and on libraries of its own folder (a folder's Win32 library on its
# portable one), nothing else.
function(tovalux_layers)
  set_property(GLOBAL PROPERTY TOVALUX_LAYERS "${ARGN}")
endfunction()

# tovalux_library(<name> [PORTABLE] SOURCES <files>
#                 [NATIVE_SOURCES <files>] [WIN32_SOURCES <files>]
#                 [DEPENDS <our libraries>] [LIBS <system libraries>] [INCLUDE_DIRS <folders>])
#
# PORTABLE: built in both presets; never includes a Win32 header, except in the files that
# implement a portable interface for one platform (NATIVE_SOURCES, WIN32_SOURCES: only the
# current platform's are compiled). Without it the library is Win32 glue, built in the windows
# preset only; the native preset records it all the same, so the include check sees every layer.
# DEPENDS names our own libraries (linked PUBLIC, recorded for both checks); LIBS names system
# libraries (linked PUBLIC, not checked). INCLUDE_DIRS: public include folders (default: src/).
# List every file, headers included: the include check rejects a file no library lists.
function(tovalux_library name)
  cmake_parse_arguments(PARSE_ARGV 1 L "PORTABLE" "" "SOURCES;NATIVE_SOURCES;WIN32_SOURCES;DEPENDS;LIBS;INCLUDE_DIRS")
  if(L_UNPARSED_ARGUMENTS OR NOT L_SOURCES)
    message(FATAL_ERROR "tovalux_library(${name}): SOURCES missing or unknown arguments: ${L_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT L_PORTABLE AND (L_NATIVE_SOURCES OR L_WIN32_SOURCES))
    message(FATAL_ERROR "tovalux_library(${name}): only a PORTABLE library has platform files")
  endif()
  if(NOT L_INCLUDE_DIRS)
    set(L_INCLUDE_DIRS ${TOVALUX_ROOT}/src)
  endif()
  _tovalux_absolute(sources ${L_SOURCES})
  _tovalux_absolute(native_sources ${L_NATIVE_SOURCES})
  _tovalux_absolute(win32_sources ${L_WIN32_SOURCES})
  _tovalux_absolute(include_dirs ${L_INCLUDE_DIRS})

  if(L_PORTABLE OR WIN32)
    if(WIN32)
      add_library(${name} STATIC ${sources} ${win32_sources})
    else()
      add_library(${name} STATIC ${sources} ${native_sources})
    endif()
    target_include_directories(${name} PUBLIC ${include_dirs})
    target_link_libraries(${name} PUBLIC ${L_DEPENDS} ${L_LIBS})
    if(WIN32)
      tovalux_link_check(${name})
    endif()
    # The fuzz build (clang) keeps narrow literals in UTF-8, so a library that checks the GBK
    # length of its texts at compile time cannot build there: only what a fuzz target links is made.
    if(TOVALUX_FUZZ)
      set_target_properties(${name} PROPERTIES EXCLUDE_FROM_ALL TRUE)
    endif()
  endif()
  _tovalux_record(${name} "${L_PORTABLE}" "${sources};${native_sources};${win32_sources}"
                  "${native_sources};${win32_sources}" "${L_DEPENDS}" "${include_dirs}")
endfunction()

# tovalux_program(<name> SHARED|EXECUTABLE SOURCES <files> [DEPENDS <our libraries>] [LIBS ...]):
# a Windows DLL or program built from sources under src/ (linked PRIVATE); recorded like a library
# so its includes are checked too. Nothing may depend on it.
function(tovalux_program name kind)
  cmake_parse_arguments(PARSE_ARGV 2 P "" "" "SOURCES;DEPENDS;LIBS")
  if(P_UNPARSED_ARGUMENTS OR NOT P_SOURCES OR NOT kind MATCHES "^(SHARED|EXECUTABLE)$")
    message(FATAL_ERROR "tovalux_program(${name}): usage: tovalux_program(<name> SHARED|EXECUTABLE SOURCES ...)")
  endif()
  _tovalux_absolute(sources ${P_SOURCES})
  if(WIN32)
    if(kind STREQUAL "SHARED")
      add_library(${name} SHARED ${sources})
    else()
      add_executable(${name} ${sources})
    endif()
    target_link_libraries(${name} PRIVATE ${P_DEPENDS} ${P_LIBS})
  endif()
  _tovalux_record(${name} FALSE "${sources}" "" "${P_DEPENDS}" "")
  set_property(GLOBAL APPEND PROPERTY TOVALUX_LAYER_PROGRAMS ${name})
endfunction()

# tovalux_link_check(<library> [EXCLUDE_FROM_ALL]): links <library>_link_check.dll from the
# library's whole archive plus its link interface, that is what it declared. A PE DLL may leave
# no symbol undefined, so a library that calls into one it did not declare (a higher layer, a
# peer) fails to link here. tovalux_library adds one for every library of the windows preset.
function(tovalux_link_check library)
  cmake_parse_arguments(PARSE_ARGV 1 C "EXCLUDE_FROM_ALL" "" "")
  set(check ${library}_link_check)
  add_library(${check} SHARED ${TOVALUX_ROOT}/cmake/link_check.cpp)
  target_link_libraries(${check} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${library}>")
  # Nothing is exported: the DLL only has to link.
  target_link_options(${check} PRIVATE -Wl,--exclude-all-symbols)
  set_target_properties(${check} PROPERTIES PREFIX ""
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/link_check
    ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/link_check)
  if(C_EXCLUDE_FROM_ALL)
    set_target_properties(${check} PROPERTIES EXCLUDE_FROM_ALL TRUE)
  endif()
endfunction()

# Writes the record of every library (JSON) for scripts/check_layers.py, after checking at
# configure time what CMake can: every declared dependency is a recorded library, and a portable
# library depends only on portable ones.
function(tovalux_write_layers file)
  get_property(libraries GLOBAL PROPERTY TOVALUX_LAYER_LIBRARIES)
  get_property(programs GLOBAL PROPERTY TOVALUX_LAYER_PROGRAMS)
  get_property(layers GLOBAL PROPERTY TOVALUX_LAYERS)
  set(layer_items)
  foreach(layer IN LISTS layers)
    string(REPLACE " " ";" folders "${layer}")
    _tovalux_json_strings(items ${folders})
    list(APPEND layer_items "[${items}]")
  endforeach()
  list(JOIN layer_items ", " layer_json)

  set(entries)
  foreach(name IN LISTS libraries)
    get_property(portable GLOBAL PROPERTY TOVALUX_LAYER_${name}_PORTABLE)
    get_property(depends GLOBAL PROPERTY TOVALUX_LAYER_${name}_DEPENDS)
    foreach(dep IN LISTS depends)
      if(NOT dep IN_LIST libraries OR dep IN_LIST programs)
        message(FATAL_ERROR "${name} DEPENDS on ${dep}, which is no library made with tovalux_library")
      endif()
      get_property(dep_portable GLOBAL PROPERTY TOVALUX_LAYER_${dep}_PORTABLE)
      if(portable AND NOT dep_portable)
        message(FATAL_ERROR "portable ${name} DEPENDS on ${dep}, which is Win32 only")
      endif()
    endforeach()
    get_property(dir GLOBAL PROPERTY TOVALUX_LAYER_${name}_DIR)
    get_property(sources GLOBAL PROPERTY TOVALUX_LAYER_${name}_SOURCES)
    get_property(platform GLOBAL PROPERTY TOVALUX_LAYER_${name}_PLATFORM)
    get_property(include_dirs GLOBAL PROPERTY TOVALUX_LAYER_${name}_INCLUDE_DIRS)
    _tovalux_json_paths(sources_json ${sources})
    _tovalux_json_paths(platform_json ${platform})
    _tovalux_json_paths(include_json ${include_dirs})
    _tovalux_json_strings(depends_json ${depends})
    if(portable)
      set(portable true)
    else()
      set(portable false)
    endif()
    string(CONCAT entry "    {\"name\": \"${name}\", \"dir\": \"${dir}\", \"portable\": ${portable},\n"
                        "     \"depends\": [${depends_json}],\n"
                        "     \"include_dirs\": [${include_json}],\n"
                        "     \"platform_sources\": [${platform_json}],\n"
                        "     \"sources\": [${sources_json}]}")
    list(APPEND entries "${entry}")
  endforeach()
  list(JOIN entries ",\n" entries)
  file(WRITE ${file}.new
       "{\n  \"root\": \"${TOVALUX_ROOT}\",\n  \"scan\": [\"src\"],\n  \"layers\": [${layer_json}],\n"
       "  \"libraries\": [\n${entries}\n  ]\n}\n")
  file(COPY_FILE ${file}.new ${file} ONLY_IF_DIFFERENT)
  file(REMOVE ${file}.new)
endfunction()

function(_tovalux_record name portable sources platform depends include_dirs)
  get_property(known GLOBAL PROPERTY TOVALUX_LAYER_LIBRARIES)
  if(name IN_LIST known)
    message(FATAL_ERROR "tovalux_library(${name}): recorded twice")
  endif()
  set_property(GLOBAL APPEND PROPERTY TOVALUX_LAYER_LIBRARIES ${name})
  file(RELATIVE_PATH dir ${TOVALUX_ROOT} ${CMAKE_CURRENT_SOURCE_DIR})
  list(REMOVE_ITEM sources "")
  list(REMOVE_ITEM platform "")
  set_property(GLOBAL PROPERTY TOVALUX_LAYER_${name}_DIR "${dir}")
  set_property(GLOBAL PROPERTY TOVALUX_LAYER_${name}_PORTABLE "${portable}")
  set_property(GLOBAL PROPERTY TOVALUX_LAYER_${name}_SOURCES "${sources}")
  set_property(GLOBAL PROPERTY TOVALUX_LAYER_${name}_PLATFORM "${platform}")
  set_property(GLOBAL PROPERTY TOVALUX_LAYER_${name}_DEPENDS "${depends}")
  set_property(GLOBAL PROPERTY TOVALUX_LAYER_${name}_INCLUDE_DIRS "${include_dirs}")
endfunction()

function(_tovalux_absolute out)
  set(paths)
  foreach(path IN LISTS ARGN)
    cmake_path(ABSOLUTE_PATH path BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} NORMALIZE)
    list(APPEND paths ${path})
  endforeach()
  set(${out} ${paths} PARENT_SCOPE)
endfunction()

# Quoted, comma-separated JSON strings; paths relative to the repository.
function(_tovalux_json_strings out)
  set(items)
  foreach(item IN LISTS ARGN)
    string(REPLACE "\\" "\\\\" item "${item}")
    string(REPLACE "\"" "\\\"" item "${item}")
    list(APPEND items "\"${item}\"")
  endforeach()
  list(JOIN items ", " joined)
  set(${out} "${joined}" PARENT_SCOPE)
endfunction()

function(_tovalux_json_paths out)
  set(relative)
  foreach(path IN LISTS ARGN)
    file(RELATIVE_PATH path ${TOVALUX_ROOT} ${path})
    list(APPEND relative ${path})
  endforeach()
  _tovalux_json_strings(joined ${relative})
  set(${out} "${joined}" PARENT_SCOPE)
endfunction()
