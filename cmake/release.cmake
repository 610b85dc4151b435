cmake_minimum_required(VERSION 3.18...4.3)
# SPDX-FileCopyrightText: 2026 The verservice authors
# SPDX-License-Identifier: MIT
# Reads a release file, which the compiler includes as well: a FIRMWARE, an
# INTERNAL and nine IMAGE lines, in that order, each in exactly the shape
# below and ended by a line end, and nothing else.  So strict a shape
# leaves the preprocessor no comment, condition, splice or octal number
# to read otherwise, and the build proves it read the same (release_check).
# A fault the compiler would refuse is refused here with its words.
#
#   cmake -DRELEASE=<file> [-DOUT=<dir>] -P release.cmake
#
# prints the version it reads and, with OUT, writes there what a build
# writes from it: sw-versions, verservice-selftest and verservice.1.

set(release_selftest ${CMAKE_CURRENT_LIST_DIR}/../tests/verservice-selftest)
set(release_page ${CMAKE_CURRENT_LIST_DIR}/../man/verservice.1.in)
set(release_digits "a build number is not plain decimal digits within 2147483647")

# Sets release_firmware and release_internal (each a list of three fields),
# release_names and release_builds (the nine images), release_images (each
# name followed by its build), release_build (the largest build number) and
# release_version (what "-v" answers), release_image (the first image's
# name) and release_unknown (a name that no image has), for the tests.
# One line, as a compiler would say it, left unwrapped by its leading blank.
macro(refuse text)
  message(FATAL_ERROR " ${file}:${n}: ${text}")
endmacro()

function(release_read file)
  set(fields "\\((0|[1-9][0-9]*), (0|[1-9][0-9]*), (0|[1-9][0-9]*)\\)")
  set(say_fields "(N, N, N), each N a decimal number within 2147483647 without leading zeros")
  set(say_image "IMAGE(\"name\", \"build\"), the name of letters, digits, '.', '_' and '-'")
  file(READ "${file}" text)
  set(kinds - FIRMWARE INTERNAL)
  set(n 0)
  set(build 0)
  while(NOT text STREQUAL "" OR n LESS 11)
    math(EXPR n "${n} + 1")
    set(shape "^IMAGE\\(\"([A-Za-z0-9._-]+)\", \"([^\"\\\\]*)\"\\)$")
    set(what "${say_image}")
    if(n LESS 3)
      list(GET kinds ${n} kind)
      set(shape "^${kind}${fields}$")
      set(what "${kind}${say_fields}")
    elseif(n EQUAL 12)
      refuse("the release does not list nine images: expected the end of the file")
    endif()
    string(FIND "${text}" "\n" end)
    if(end LESS 0)
      refuse("expected ${what}, on a line of its own")
    endif()
    string(SUBSTRING "${text}" 0 ${end} line)
    math(EXPR end "${end} + 1")
    string(SUBSTRING "${text}" ${end} -1 text)
    if(NOT line MATCHES "${shape}")
      refuse("expected ${what}, not: ${line}")
    elseif(n LESS 3)
      set(three ${CMAKE_MATCH_1} ${CMAKE_MATCH_2} ${CMAKE_MATCH_3})
      foreach(value IN LISTS three)
        string(LENGTH "${value}" digits)
        if(digits GREATER 10 OR value GREATER 2147483647)
          refuse("expected ${what}, not: ${line}")
        endif()
      endforeach()
      if(n EQUAL 1)
        set(firmware ${three})
      else()
        set(internal ${three})
      endif()
      continue()
    endif()
    set(name "${CMAKE_MATCH_1}")
    set(number "${CMAKE_MATCH_2}")
    if(name IN_LIST names)
      refuse("two images share a name: ${name}")
    endif()
    list(APPEND names "${name}")
    list(APPEND builds "${number}")
    list(APPEND images "${name}" "${number}")
    # As "%d" reads it: leading zeros count for nothing.
    string(REGEX REPLACE "^0+([0-9])" "\\1" number "${number}")
    string(LENGTH "${number}" digits)
    if(NOT number MATCHES "^[0-9]+$" OR digits GREATER 10 OR number GREATER 2147483647)
      refuse("${release_digits}, not: ${line}")
    endif()
    if(number GREATER build)
      set(build ${number})
    endif()
  endwhile()
  string(REPLACE ";" "." version "${firmware};${build}")
  list(GET names 0 image)
  set(unknown nosuch.bin)
  while(unknown IN_LIST names)
    string(PREPEND unknown x)
  endwhile()
  foreach(var firmware internal names builds images build version image unknown)
    set(release_${var} "${${var}}" PARENT_SCOPE)
  endforeach()
endfunction()

# Writes text to file only when it differs, so that what depends on it is
# not rebuilt for nothing; file(CONFIGURE) before CMake 3.19 drops line ends.
function(release_write file text)
  file(WRITE "${file}.new" "${text}")
  configure_file("${file}.new" "${file}" COPYONLY)
  file(REMOVE "${file}.new")
endfunction()

# Writes what release_read read as C++ that the module compares at compile
# time with what it compiles from the release file itself.
function(release_check file firmware internal names builds build)
  string(REPLACE ";" ", " firmware "${firmware}")
  string(REPLACE ";" ", " internal "${internal}")
  set(rows)
  foreach(name build_text IN ZIP_LISTS names builds)
    string(APPEND rows "\t{ \"${name}\", \"${build_text}\" },\n")
  endforeach()
  release_write("${file}" "\
// What configure read from the release file, generated.
constexpr int aiReadFirmware[3] = { ${firmware} };
constexpr int aiReadInternal[3] = { ${internal} };
constexpr int iReadBuild = ${build};
constexpr const char *a2pcRead[][2] = {
${rows}};
")
endfunction()

# The self-test's cases that must find no image, each made from the
# first name of this release for which it is no name of the release too
# (Web.bin and web.bin may both be images): the name in the wrong letter
# case, without its extension, cut short, run on, behind a directory, and
# with blanks around it.  A name holds no quote, blank, "$" or "\".
function(release_near_misses out)
  set(lines)
  foreach(kind lower_case upper_case no_extension prefix extended directory absolute_path
      trailing_space leading_space newline inner_newline)
    foreach(name IN LISTS release_names)
      string(TOLOWER "${name}" lower_case)
      string(TOUPPER "${name}" upper_case)
      string(REGEX REPLACE "(.)\\.[^.]*$" "\\1" no_extension "${name}")
      string(REGEX REPLACE ".$" "" prefix "${name}")
      set(extended "${name}.old")
      set(directory "./${name}")
      set(absolute_path "/boot/${name}")
      set(trailing_space "${name} ")
      set(leading_space " ${name}")
      set(newline "${name}$nl")           # $nl is the self-test's line end
      string(SUBSTRING "${name}" 0 1 first)
      string(SUBSTRING "${name}" 1 -1 rest)
      set(inner_newline "${first}$nl${rest}")
      set(miss "${${kind}}")
      if(NOT miss STREQUAL name AND NOT miss STREQUAL "" AND NOT miss IN_LIST release_names)
        string(APPEND lines "check name.${kind} 0 '' -b \"${miss}\"\n")
        break()
      endif()
    endforeach()
  endforeach()
  set(${out} "${lines}" PARENT_SCOPE)
endfunction()

# What "-b" answers for name: its image's build, or nothing.
function(release_lookup out name)
  set(${out} "" PARENT_SCOPE)
  foreach(image build IN ZIP_LISTS release_names release_builds)
    if(image STREQUAL name)
      set(${out} "${build}" PARENT_SCOPE)
    endif()
  endforeach()
endfunction()

# Writes into dir, from what release_read read, sw-versions, the
# self-test and the manual page.  SWUpdate compares each image of an update with sw-versions,
# one "name version" line per image.  It gets the nine build numbers
# alone: install-if-higher cannot order a four-field version with a field
# over 65535, and the package build number is one of the nine anyway.
function(release_files dir)
  set(lines)
  set(bins)
  foreach(name build IN ZIP_LISTS release_names release_builds)
    string(APPEND lines "${name} ${build}\n")
    string(APPEND bins "check bin.${name} 0 '${build}' -b '${name}'\n")
  endforeach()
  release_write(${dir}/sw-versions "${lines}")
  release_near_misses(names)
  # The self-test's other cases ask for the first image, a name no image
  # has, and for "-v" and "-b" as names, which an image may have too.
  set(image ${release_image})
  set(unknown ${release_unknown})
  release_lookup(named_v -v)
  release_lookup(named_b -b)
  set(version ${release_version})
  string(REPLACE ";" "." internal "${release_internal};${release_build}")
  configure_file(${release_selftest} ${dir}/verservice-selftest @ONLY)
  # The page's table of images, with \& before a name that mdoc would
  # take for one of its macros.
  set(images)
  set(widest)
  foreach(name build IN ZIP_LISTS release_names release_builds)
    string(APPEND images ".It Pa \\&${name} Ta \\&${build}\n")
    string(LENGTH "${name}" length)
    string(LENGTH "${widest}" longest)
    if(length GREATER longest)
      set(widest "${name}")
    endif()
  endforeach()
  configure_file(${release_page} ${dir}/verservice.1 @ONLY)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  release_read("${RELEASE}")
  message("${RELEASE}: ${release_version}")
  if(OUT)
    release_files("${OUT}")
  endif()
endif()
