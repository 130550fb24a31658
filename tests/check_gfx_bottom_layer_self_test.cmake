# Runs check_gfx_bottom_layer.cmake on small made-up source trees, one a case:
# the check must pass a gfx/ file that includes only gfx/ and outside headers
# and fail, naming the header, on each way of including one from above.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${WORK_DIR}")

# name | line of gfx/sample.h | header the check must name, or "" for a pass
set(cases
  "own_and_system|#include \"gfx/colors.h\"|"
  "angle_system|#include <vector>|"
  "library_subfolder|#include <sys/types.h>|"
  "shell_quoted|#include \"shell/rom_image.h\"|shell/rom_image.h"
  "screens_angled|#include <screens/views.h>|screens/views.h"
  "spaced_directive|  #  include \"shell/palette.h\"|shell/palette.h"
  "editor_folder|#include \"editor/tile_editor.h\"|editor/tile_editor.h")

foreach(case IN LISTS cases)
  string(REPLACE "|" ";" fields "${case}")
  list(GET fields 0 name)
  list(GET fields 1 line)
  list(LENGTH fields field_count)
  set(named "")
  if(field_count GREATER 2)
    list(GET fields 2 named)
  endif()
  set(tree "${WORK_DIR}/${name}")
  foreach(folder IN ITEMS shell screens editor)
    file(MAKE_DIRECTORY "${tree}/${folder}")
  endforeach()
  file(WRITE "${tree}/gfx/sample.h" "#pragma once\n${line}\n")
  execute_process(
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${tree} -P ${CHECK}
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(named STREQUAL "")
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "${name}: the check failed a clean file:\n${out}${err}")
    endif()
  else()
    if(status EQUAL 0)
      message(FATAL_ERROR "${name}: the check passed `${line}`")
    endif()
    string(FIND "${err}" "gfx/sample.h: ${named}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "${name}: the check failed without naming ${named}:\n${out}${err}")
    endif()
  endif()
endforeach()
file(REMOVE_RECURSE "${WORK_DIR}")
message(STATUS "the gfx layer check tells each case apart")
