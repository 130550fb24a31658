# A packager configures the project with nothing but a build type: no
# compiler warning may then stop the build. Configures the project as such a
# packager would and fails if any compile command treats warnings as errors.
file(REMOVE_RECURSE "${WORK_DIR}")
foreach(type IN ITEMS Release Debug)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -S "${SOURCE_DIR}" -B "${WORK_DIR}/${type}" -DCMAKE_BUILD_TYPE=${type}
            -DTARVO_BUILD_TESTS=OFF -DTARVO_BUILD_BENCH=OFF
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "a plain ${type} configuration failed:\n${out}${err}")
  endif()
  file(READ "${WORK_DIR}/${type}/compile_commands.json" commands)
  if(commands STREQUAL "")
    message(FATAL_ERROR "no compile commands in the ${type} configuration")
  endif()
  if(commands MATCHES "-Werror")
    message(FATAL_ERROR "a plain ${type} build treats warnings as errors")
  endif()
endforeach()
file(REMOVE_RECURSE "${WORK_DIR}")
message(STATUS "plain Release and Debug builds stop on no warning")
