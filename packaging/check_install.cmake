# Installs the build into PREFIX and checks every file that lands there:
# exactly the expected files, runnable programs without a run path, a
# desktop entry that names the program and its icon, AppStream metadata
# that names the desktop entry and the programs and has this version's
# release, an icon of the right size in every size folder, man pages of the
# project's version, and a copyright file that carries LICENSE.
#   cmake -D BUILD_DIR=... -D PREFIX=... -D ICON_SIZES=16,22,... -D VERSION=1.1.0
#         -D GZIP=/usr/bin/gzip -D LICENSE=.../LICENSE -P check_install.cmake
cmake_minimum_required(VERSION 3.25)

foreach(var BUILD_DIR PREFIX ICON_SIZES VERSION GZIP LICENSE)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "check_install.cmake needs -D ${var}=...")
  endif()
endforeach()
string(REPLACE "," ";" ICON_SIZES "${ICON_SIZES}")

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()

set(failures)
macro(fail text)
  list(APPEND failures "${text}")
endmacro()

# Exactly these files, nothing else (no tests, benchmarks or libraries).
set(expected
    bin/tarvo-cli
    bin/tarvo-field-editor
    share/applications/tarvo-field-editor.desktop
    share/doc/tarvo-field-editor/copyright
    share/metainfo/tarvo-field-editor.metainfo.xml
    share/man/man1/tarvo-cli.1.gz
    share/man/man1/tarvo-field-editor.1.gz)
foreach(size IN LISTS ICON_SIZES)
  list(APPEND expected share/icons/hicolor/${size}x${size}/apps/tarvo-field-editor.png)
endforeach()
file(GLOB_RECURSE installed LIST_DIRECTORIES false RELATIVE "${PREFIX}" "${PREFIX}/*")
list(SORT expected)
list(SORT installed)
if(NOT installed STREQUAL expected)
  fail("installed files:\n  ${installed}\nexpected:\n  ${expected}")
endif()

# The programs run from the install tree.
execute_process(COMMAND "${PREFIX}/bin/tarvo-cli" --help RESULT_VARIABLE status
                OUTPUT_VARIABLE help)
if(NOT status EQUAL 0 OR NOT help MATCHES "Usage: tarvo-cli")
  fail("bin/tarvo-cli --help: status ${status}, output: ${help}")
endif()
execute_process(COMMAND test -x "${PREFIX}/bin/tarvo-field-editor" RESULT_VARIABLE status)
if(EXISTS "${PREFIX}/bin/tarvo-field-editor")
  file(READ "${PREFIX}/bin/tarvo-field-editor" magic LIMIT 4 HEX)
endif()
if(NOT status EQUAL 0 OR NOT magic STREQUAL "7f454c46")
  fail("bin/tarvo-field-editor is no executable program")
endif()

# No run path: the programs use only system libraries.
find_program(READELF readelf)
if(READELF)
  foreach(program tarvo-cli tarvo-field-editor)
    if(EXISTS "${PREFIX}/bin/${program}")
      execute_process(COMMAND "${READELF}" -d "${PREFIX}/bin/${program}"
                      OUTPUT_VARIABLE dynamic RESULT_VARIABLE status)
      if(NOT status EQUAL 0 OR dynamic MATCHES "RPATH|RUNPATH")
        fail("bin/${program} has a run path, or readelf failed: ${dynamic}")
      endif()
    endif()
  endforeach()
endif()

# The desktop entry starts the installed program with its icon, and offers it
# for .nes files.
set(entry "${PREFIX}/share/applications/tarvo-field-editor.desktop")
if(EXISTS "${entry}")
  file(STRINGS "${entry}" lines)
  foreach(want "Exec=tarvo-field-editor %f" "Icon=tarvo-field-editor" "Type=Application")
    if(NOT want IN_LIST lines)
      fail("the desktop entry lacks the line '${want}'")
    endif()
  endforeach()
  # The MimeType line is looked for in the whole text, as a list would split
  # it at its semicolon.
  file(READ "${entry}" text)
  string(FIND "${text}" "\nMimeType=application/x-nes-rom;\n" at)
  if(at LESS 0)
    fail("the desktop entry does not offer the editor for application/x-nes-rom")
  endif()
endif()

# The AppStream metadata: its id is the desktop entry's name, which it
# launches; it names both programs, the project's licence, and a release of
# this version first.
set(metainfo "${PREFIX}/share/metainfo/tarvo-field-editor.metainfo.xml")
if(EXISTS "${metainfo}")
  file(READ "${metainfo}" xml)
  foreach(want
      "<component type=\"desktop-application\">"
      "<id>tarvo-field-editor</id>"
      "<launchable type=\"desktop-id\">tarvo-field-editor.desktop</launchable>"
      "<name>Tarvo Field Editor</name>"
      "<project_license>MIT</project_license>"
      "<binary>tarvo-field-editor</binary>"
      "<binary>tarvo-cli</binary>")
    string(FIND "${xml}" "${want}" at)
    if(at LESS 0)
      fail("the AppStream metadata lacks ${want}")
    endif()
  endforeach()
  if(NOT xml MATCHES "<releases>[ \n]*<release version=\"([^\"]*)\" date=\"[0-9]+-[0-9]+-[0-9]+\"")
    fail("the AppStream metadata has no dated release first")
  elseif(NOT CMAKE_MATCH_1 STREQUAL VERSION)
    fail("the AppStream metadata's latest release is ${CMAKE_MATCH_1}, not ${VERSION}")
  endif()
endif()

# The copyright file, in Debian's machine-readable form, holds LICENSE's
# copyright line and every line of its terms, indented, blank lines as " .".
set(copyright "${PREFIX}/share/doc/tarvo-field-editor/copyright")
if(EXISTS "${copyright}")
  file(READ "${copyright}" text)
  file(STRINGS "${LICENSE}" license_lines)
  list(FILTER license_lines INCLUDE REGEX "^Copyright \\(c\\) ")
  string(REGEX REPLACE "^Copyright \\(c\\) " "" holder "${license_lines}")
  foreach(want
      "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
      "\nFiles: *\nCopyright: ${holder}\nLicense: Expat\n")
    string(FIND "${text}" "${want}" at)
    if(holder STREQUAL "" OR at LESS 0)
      fail("the copyright file lacks '${want}'")
    endif()
  endforeach()
  # Every line of the terms, from "Permission" on, indented by one space, an
  # empty one as " .".
  file(STRINGS "${copyright}" copyright_lines)
  file(STRINGS "${LICENSE}" license_lines)
  set(in_terms FALSE)
  set(term_lines 0)
  foreach(line IN LISTS license_lines)
    if(line MATCHES "^Permission is hereby granted")
      set(in_terms TRUE)
    endif()
    if(in_terms)
      math(EXPR term_lines "${term_lines} + 1")
      if(line STREQUAL "")
        set(line ".")
      endif()
      if(NOT " ${line}" IN_LIST copyright_lines)
        fail("the copyright file lacks the line of LICENSE '${line}'")
      endif()
    endif()
  endforeach()
  if(term_lines LESS 10)
    fail("LICENSE holds no terms from 'Permission is hereby granted' on")
  endif()
endif()

# Every icon is a PNG of its folder's size (width and height from IHDR).
foreach(size IN LISTS ICON_SIZES)
  set(icon "${PREFIX}/share/icons/hicolor/${size}x${size}/apps/tarvo-field-editor.png")
  if(NOT EXISTS "${icon}")
    continue()
  endif()
  file(READ "${icon}" head LIMIT 24 HEX)
  math(EXPR hex_size "${size}" OUTPUT_FORMAT HEXADECIMAL)
  string(SUBSTRING "${hex_size}" 2 -1 hex_size)
  string(LENGTH "${hex_size}" digits)
  while(digits LESS 8)
    string(PREPEND hex_size "0")
    math(EXPR digits "${digits} + 1")
  endwhile()
  string(TOLOWER "${hex_size}" hex_size)
  if(NOT head STREQUAL "89504e470d0a1a0a0000000d49484452${hex_size}${hex_size}")
    fail("${icon} is no ${size} x ${size} PNG (starts ${head})")
  endif()
endforeach()

# The man pages unpack and carry the project's version.
foreach(page tarvo-cli tarvo-field-editor)
  set(gz "${PREFIX}/share/man/man1/${page}.1.gz")
  if(NOT EXISTS "${gz}")
    continue()
  endif()
  execute_process(COMMAND "${GZIP}" -dc "${gz}" RESULT_VARIABLE status OUTPUT_VARIABLE text)
  string(TOUPPER "${page}" title)
  if(NOT status EQUAL 0 OR NOT text MATCHES "\n\\.TH ${title} 1 [^\n]*\"Tarvo Field Editor ${VERSION}\"")
    fail("${page}.1.gz does not unpack to a page titled ${title} of version ${VERSION}")
  endif()
endforeach()

file(REMOVE_RECURSE "${PREFIX}")
if(failures)
  list(JOIN failures "\n" text)
  message(FATAL_ERROR "${text}")
endif()
list(LENGTH expected count)
message(STATUS "The install tree holds the ${count} expected files")
