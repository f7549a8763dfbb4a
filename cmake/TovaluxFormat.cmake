# The list of our C and C++ files this configuration builds, for the format check of `./dev test`
# (clang-format-14 --dry-run --Werror with the committed .clang-format):
#
#   build/<preset>/tovalux_sources.txt    one absolute path a line, sorted
#
# Every target's SOURCES count, headers included, as far as they lie in our own folders (src,
# tests, standin, bench, fuzz, engines); generated files do not (the decoder's tables come from
# engines/tools/gen_tables.py, anything GENERATED from the build). A preset lists what it builds,
# so `./dev test` joins the lists of the presets it configures.
include_guard(GLOBAL)

# Written when the top directory is done, so every folder's targets exist by then.
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL _tovalux_write_sources ${CMAKE_BINARY_DIR}/tovalux_sources.txt)

function(_tovalux_write_sources file)
  set(files)
  set(pending ${CMAKE_SOURCE_DIR})
  while(pending)
    list(POP_FRONT pending dir)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    list(APPEND pending ${subdirs})
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
      get_target_property(sources ${target} SOURCES)
      if(NOT sources)
        continue()
      endif()
      foreach(source IN LISTS sources)
        if(source MATCHES "\\$<")  # generator expressions name objects, not our files
          continue()
        endif()
        cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${dir} NORMALIZE OUTPUT_VARIABLE path)
        file(RELATIVE_PATH relative ${TOVALUX_ROOT} ${path})
        if(NOT relative MATCHES "^(src|tests|standin|bench|fuzz|engines)/"
           OR relative MATCHES "(^|/)generated/"
           OR NOT relative MATCHES "\\.(c|cc|cpp|h|hpp|inc)$")
          continue()
        endif()
        get_source_file_property(generated ${path} TARGET_DIRECTORY ${target} GENERATED)
        if(NOT generated)
          list(APPEND files ${path})
        endif()
      endforeach()
    endforeach()
  endwhile()
  list(REMOVE_DUPLICATES files)
  list(SORT files)
  list(JOIN files "\n" text)
  file(WRITE ${file}.new "${text}\n")
  file(COPY_FILE ${file}.new ${file} ONLY_IF_DIFFERENT)
  file(REMOVE ${file}.new)
endfunction()
