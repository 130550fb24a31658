# Validates the AppStream metadata with appstreamcli (Debian: appstream),
# offline: the file alone, then an install tree, where the desktop entry it
# launches must be there and fit it. Any warning or error fails; without
# appstreamcli the test says so and ctest counts it as skipped.
#   cmake -D BUILD_DIR=... -D WORK_DIR=... -P check_metainfo.cmake
cmake_minimum_required(VERSION 3.25)

foreach(var BUILD_DIR WORK_DIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "check_metainfo.cmake needs -D ${var}=...")
  endif()
endforeach()

find_program(APPSTREAMCLI appstreamcli)
if(NOT APPSTREAMCLI)
  message(STATUS "appstreamcli is not installed (Debian package appstream); not validated")
  return()
endif()

# The id is the desktop entry's name, which is no reverse domain name: that
# one finding counts as information only.
set(options --no-net --pedantic --override=cid-desktopapp-is-not-rdns=info)

file(REMOVE_RECURSE "${WORK_DIR}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${WORK_DIR}/usr"
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()

set(failures)
foreach(check "validate;${WORK_DIR}/usr/share/metainfo/tarvo-field-editor.metainfo.xml"
              "validate-tree;${WORK_DIR}")
  execute_process(COMMAND "${APPSTREAMCLI}" ${check} ${options} RESULT_VARIABLE status
                  OUTPUT_VARIABLE out ERROR_VARIABLE out)
  list(GET check 0 command)
  message(STATUS "appstreamcli ${command}:\n${out}")
  if(NOT status EQUAL 0)
    list(APPEND failures "appstreamcli ${command} failed (${status})")
  endif()
endforeach()

file(REMOVE_RECURSE "${WORK_DIR}")
if(failures)
  list(JOIN failures "\n" text)
  message(FATAL_ERROR "${text}")
endif()
