# Runs check_core_without_demo.cmake on small made-up source trees, one a
# case: a listed source or a header outside demo/ that includes a demo/
# header must fail the check, by name; a source left off the list and demo/'s
# own headers may include them.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${WORK_DIR}")

# name | file | its include line | listed (1) or not (0) | file the check must name, or ""
set(cases
  "clean_source|screens/view.cpp|#include \"gfx/colors.h\"|1|"
  "unlisted_source|shell/cli.cpp|#include \"demo/demo_rom.h\"|0|"
  "demo_header|demo/art.h|#include \"demo/raster.h\"|0|"
  "listed_source|screens/view.cpp|#include \"demo/demo_rom.h\"|1|screens/view.cpp"
  "angled_spaced|shell/rom_image.cpp| #  include <demo/demo_rom.h>|1|shell/rom_image.cpp"
  "header_anywhere|shell/cli.h|#include \"demo/demo_rom.h\"|0|shell/cli.h")

foreach(case IN LISTS cases)
  string(REPLACE "|" ";" fields "${case}")
  list(GET fields 0 name)
  list(GET fields 1 file)
  list(GET fields 2 line)
  list(GET fields 3 listed)
  list(GET fields 4 named)
  set(tree "${WORK_DIR}/${name}")
  file(WRITE "${tree}/gfx/colors.cpp" "#include \"gfx/colors.h\"\n")
  file(WRITE "${tree}/${file}" "${line}\n")
  set(sources "gfx/colors.cpp")
  if(listed)
    string(APPEND sources "|${file}")
  endif()
  execute_process(
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${tree} -DSOURCES=${sources} -P ${CHECK}
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(named STREQUAL "")
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "${name}: the check failed an allowed include:\n${out}${err}")
    endif()
  else()
    if(status EQUAL 0)
      message(FATAL_ERROR "${name}: the check passed `${line}` in ${file}")
    endif()
    string(FIND "${err}" "${named}: " at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${name}: the check failed without naming ${named}:\n${out}${err}")
    endif()
  endif()
endforeach()
file(REMOVE_RECURSE "${WORK_DIR}")
message(STATUS "the demo layer check tells each case apart")
