cmake_minimum_required(VERSION 3.18...4.3)
# SPDX-FileCopyrightText: 2026 The verservice authors
# SPDX-License-Identifier: MIT
# Reads and judges a release file, the one place where a release's
# versions and images are written, and writes from what it read all that
# the build takes from the release.  The file is plain data, a FIRMWARE
# and an INTERNAL line and then nine image lines, each an image's name
# and build number as sw-versions has them:
#
#   FIRMWARE 1.6.4
#   INTERNAL 1.0.0
#   00_switch_oem.bin 82307
#
# One blank between words, a line end after every line, and nothing else.
# Anything else is refused, naming the file and the line and quoting it.
#
#   cmake -DRELEASE=<file> [-DOUT=<dir>] -P release.cmake
#
# prints the version it reads and, with OUT, writes there what a build
# writes from it: release.h, sw-versions, verservice-selftest and verservice.1.

set(release_selftest ${CMAKE_CURRENT_LIST_DIR}/../tests/verservice-selftest)
set(release_page ${CMAKE_CURRENT_LIST_DIR}/../man/verservice.1.in)
# What configure says of a line it refuses.
set(release_fields "N.N.N, each N a decimal number within 2147483647 without leading zeros")
set(release_shape
  "expected NAME BUILD, one blank between, the name of letters, digits, '.', '_' and '-'")
set(release_digits "a build number is not plain decimal digits within 2147483647")
set(release_long "an image name or build number is longer than 255 bytes")
set(release_twice "two images share a name")
set(release_nine "expected nine images, then the end of the file")

# Refuses line n of file, on one line that its leading blank keeps CMake
# from wrapping.  A function, not a macro, so that the line is quoted as
# written and never read as CMake code.
function(refuse words)
  message(FATAL_ERROR " ${file}:${n}: ${words}, in: ${line}")
endfunction()

# Moves the first line of text into line, counts it in n and its bytes in
# done.  file(READ) gives a CR before a line end as a bare line end, so
# the file's own bytes (hex) tell: such a CR is put back, to be refused.
function(next_line what)
  math(EXPR n "${n} + 1")
  string(FIND "${text}" "\n" end)
  if(end LESS 0)
    set(line "${text}")
    refuse("${what}, ended by a line end")
  endif()
  string(SUBSTRING "${text}" 0 ${end} line)
  math(EXPR at "(${done} + ${end}) * 2")
  string(SUBSTRING "${hex}" ${at} 2 byte)
  if(byte STREQUAL "0d")
    string(APPEND line "\r")
  endif()
  math(EXPR end "${end} + 1")
  math(EXPR done "${done} + ${end}")
  string(SUBSTRING "${text}" ${end} -1 text)
  foreach(var n line text done)
    set(${var} "${${var}}" PARENT_SCOPE)
  endforeach()
endfunction()

# Sets release_firmware and release_internal (each a list of three fields),
# release_names and release_builds (the nine images), release_images (each
# name followed by its build), release_build (the largest build number) and
# release_version (what "-v" answers), release_image (the first image's
# name) and release_unknown (a name that no image has), for the tests.
function(release_read file)
  file(READ "${file}" text)
  file(READ "${file}" hex HEX)
  set(n 0)
  set(done 0)
  set(field "(0|[1-9][0-9]*)")
  foreach(kind IN ITEMS FIRMWARE INTERNAL)
    set(expected "expected ${kind} ${release_fields}")
    next_line("${expected}")
    if(NOT line MATCHES "^${kind} ${field}\\.${field}\\.${field}$")
      refuse("${expected}")
    endif()
    set(fields ${CMAKE_MATCH_1} ${CMAKE_MATCH_2} ${CMAKE_MATCH_3})
    foreach(value IN LISTS fields)
      string(LENGTH "${value}" digits)
      if(digits GREATER 10 OR value GREATER 2147483647)
        refuse("${expected}")
      endif()
    endforeach()
    string(TOLOWER ${kind} var)
    set(${var} ${fields})
  endforeach()
  set(build 0)
  foreach(row RANGE 1 9)
    next_line("${release_shape}")
    if(NOT line MATCHES "^([A-Za-z0-9._-]+) (.*)$")
      refuse("${release_shape}")
    endif()
    set(name "${CMAKE_MATCH_1}")
    set(stamped "${CMAKE_MATCH_2}")
    string(LENGTH "${name}" name_length)
    string(LENGTH "${stamped}" stamped_length)
    if(name_length GREATER 255 OR stamped_length GREATER 255)
      refuse("${release_long}")
    elseif(name IN_LIST names)
      refuse("${release_twice}")
    endif()
    list(APPEND names "${name}")
    list(APPEND builds "${stamped}")
    list(APPEND images "${name}" "${stamped}")
    # As "%d" reads it: leading zeros count for nothing.
    string(REGEX MATCH "[1-9][0-9]*$" value "${stamped}")
    string(LENGTH "${value}" digits)
    if(NOT stamped MATCHES "^[0-9]+$" OR digits GREATER 10 OR value GREATER 2147483647)
      refuse("${release_digits}")
    elseif(value GREATER build)
      set(build ${value})
    endif()
  endforeach()
  # Any byte after the ninth image, counted in the file itself: file(READ)
  # stops at a NUL byte.
  file(SIZE "${file}" size)
  if(size GREATER done)
    math(EXPR n "${n} + 1")
    string(FIND "${text}" "\n" end)
    string(SUBSTRING "${text}" 0 ${end} line)
    refuse("${release_nine}")
  endif()
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

# The kinds of near miss that the self-test passes to "-b", none of which
# may find an image, and those of one name, in that order.
set(release_misses lower_case upper_case no_extension prefix extended directory
  absolute_path trailing_space leading_space newline inner_newline)
function(near_misses out name)
  string(TOLOWER "${name}" lower)
  string(TOUPPER "${name}" upper)
  string(REGEX REPLACE "(.)\\.[^.]*$" "\\1" stem "${name}")
  string(REGEX REPLACE ".$" "" short "${name}")
  string(SUBSTRING "${name}" 0 1 first)
  string(SUBSTRING "${name}" 1 -1 rest)
  set(${out} "${lower}" "${upper}" "${stem}" "${short}" "${name}.old" "./${name}"
    "/boot/${name}" "${name} " " ${name}" "${name}\n" "${first}\n${rest}" PARENT_SCOPE)
endfunction()

# The self-test's case of each kind, made from the first name of this
# release whose near miss of that kind is no name of the release too
# (Web.bin and web.bin may both be images).  Between double quotes, as a
# name holds no quote, "$" or "\", the shell reads each byte as it is but
# for ${nl}, the self-test's line end.
function(release_near_misses out)
  set(cases)
  set(kinds ${release_misses})
  foreach(name IN LISTS release_names)
    near_misses(misses "${name}")
    foreach(kind miss IN ZIP_LISTS release_misses misses)
      if(kind IN_LIST kinds AND NOT miss STREQUAL "" AND NOT miss IN_LIST release_names)
        list(REMOVE_ITEM kinds ${kind})
        string(REPLACE "\n" "\${nl}" miss "${miss}")
        string(APPEND cases "check name.${kind} 0 '' -b \"${miss}\"\n")
      endif()
    endforeach()
  endforeach()
  set(${out} "${cases}" PARENT_SCOPE)
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

# Writes into dir, from what release_read read, the compiler's release.h,
# sw-versions, the self-test and the manual page.  A name is only letters,
# digits, ".", "_" and "-", and a build only digits: between double quotes
# in C, and single quotes in sh, each byte stands for itself.  SWUpdate
# compares each image of an update with sw-versions, one "name version"
# line per image.  It gets the nine build numbers alone: install-if-higher
# cannot order a four-field version with a field over 65535, and the
# package build number is one of the nine anyway.
function(release_files dir)
  set(rows)
  set(lines)
  set(bins)
  foreach(name build IN ZIP_LISTS release_names release_builds)
    list(APPEND rows "{ \"${name}\", \"${build}\" }")
    string(APPEND lines "${name} ${build}\n")
    string(APPEND bins "check bin.${name} 0 '${build}' -b '${name}'\n")
  endforeach()
  string(REPLACE ";" ", " firmware_fields "${release_firmware}")
  string(REPLACE ";" ", " internal_fields "${release_internal}")
  string(JOIN ", \\\n\t" rows ${rows})
  release_write(${dir}/release.h "\
/* Written by configure from the release file: edit that, not this. */
#define VERSERVICE_FIRMWARE ${firmware_fields}
#define VERSERVICE_INTERNAL ${internal_fields}
#define VERSERVICE_IMAGES \\
\t${rows}
")
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
  # The page's table of images, with \& before each name and the widest
  # one, which mdoc would take for a macro (Ta) or an option (-offset).
  set(images)
  set(widest)
  foreach(name build IN ZIP_LISTS release_names release_builds)
    string(APPEND images ".It Pa \\&${name} Ta ${build}\n")
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
