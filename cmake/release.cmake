cmake_minimum_required(VERSION 3.18...4.3)
# SPDX-FileCopyrightText: 2026 The verservice authors
# SPDX-License-Identifier: MIT
# Reads and judges a release file, and writes from what it read all that
# the build takes from the release.  docs/integrating.md gives the file's
# shape and what is refused.
#
#   cmake -DRELEASE=<file> [-DOUT=<dir>] -P release.cmake
#
# prints the version it reads and, with OUT, writes there what a build
# writes from it: release.h, sw-versions, verservice-selftest and verservice.1.
#
# A release's words stay data.  They reach no set() but set(... PARENT_SCOPE),
# as set() takes a lone PARENT_SCOPE or CACHE for its own keyword even when
# quoted, and every variable is set before it is read, so that no variable
# of the caller or the cache joins the release.

set(release_selftest ${CMAKE_CURRENT_LIST_DIR}/../tests/verservice-selftest)
set(release_page ${CMAKE_CURRENT_LIST_DIR}/../man/verservice.1.in)
# What configure says of a line it refuses.
set(release_fields "N.N.N, each N a decimal number within 2147483647 without leading zeros")
set(release_shape "expected NAME BUILD, one blank between, the name of letters, digits, \
'.', '_' and '-', and not . or ..")
set(release_digits "a build number is not plain decimal digits within 2147483647")
set(release_long "an image name or build number is longer than 255 bytes")
set(release_twice "two images share a name")
set(release_end "expected a line end after the line")
set(release_nine "expected nine images, then the end of the file")
set(release_list "a release's path cannot hold ';', a list to CMake")

# On one line, which its leading blank keeps CMake from wrapping.
function(release_refuse file n words line)
  message(FATAL_ERROR " ${file}:${n}: ${words}, in: ${line}")
endfunction()

# The text of a line from its bytes, each two hex digits and a blank.  A
# byte outside printable ASCII, and the backslash, show as printf's %b
# writes them: \0 and three octal digits, and \\.
function(release_text out bytes)
  string(STRIP "${bytes}" bytes)
  string(REPLACE " " ";" bytes "${bytes}")
  set(text "")
  foreach(byte IN LISTS bytes)
    math(EXPR code "0x${byte}")
    if(code EQUAL 92)
      string(APPEND text "\\\\")
    elseif(code GREATER 31 AND code LESS 127)
      string(ASCII ${code} char)
      string(APPEND text "${char}")
    else()
      math(EXPR octal "1000 + ${code} / 64 * 100 + ${code} / 8 % 8 * 10 + ${code} % 8")
      string(SUBSTRING ${octal} 1 3 octal)
      string(APPEND text "\\0${octal}")
    endif()
  endforeach()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Sets release_firmware and release_internal (each a list of three fields),
# release_names and release_builds (the nine images), release_build (the
# largest build number), release_version (what "-v" answers) and
# release_image (the first image's name).
function(release_read file)
  if(file MATCHES ";")
    message(FATAL_ERROR " ${file}: ${release_list}")
  endif()
  # The file's own bytes: text from file(READ) would end at a NUL byte.
  # No release comes near 64 KiB, so the first fault lies within them.
  file(READ "${file}" hex LIMIT 65536 HEX)
  string(REGEX REPLACE "(..)" "\\1 " hex "${hex}")
  # Each line's bytes, then those after the last line end.
  string(REPLACE "0a " ";" lines "${hex}")
  list(LENGTH lines count)
  set(kinds FIRMWARE INTERNAL)
  set(field "(0|[1-9][0-9]*)")
  set(names "")
  set(builds "")
  set(build 0)
  foreach(n RANGE 1 12)
    set(bytes "")
    math(EXPR at "${n} - 1")
    if(n LESS_EQUAL count)
      list(GET lines ${at} bytes)
    endif()
    release_text(line "${bytes}")
    if(n GREATER 11)
      if(count GREATER 12 OR NOT bytes STREQUAL "")
        release_refuse("${file}" ${n} "${release_nine}" "${line}")
      endif()
    elseif(n LESS 3)
      list(GET kinds ${at} kind)
      set(words "expected ${kind} ${release_fields}")
      if(NOT line MATCHES "^${kind} ${field}\\.${field}\\.${field}$")
        release_refuse("${file}" ${n} "${words}" "${line}")
      endif()
      set(fields ${CMAKE_MATCH_1} ${CMAKE_MATCH_2} ${CMAKE_MATCH_3})
      foreach(value IN LISTS fields)
        if(value GREATER 2147483647)
          release_refuse("${file}" ${n} "${words}" "${line}")
        endif()
      endforeach()
      string(TOLOWER ${kind} kind)
      set(${kind} ${fields})
    else()
      if(NOT line MATCHES "^([A-Za-z0-9._-]+) (.*)$")
        release_refuse("${file}" ${n} "${release_shape}" "${line}")
      endif()
      string(CONCAT name "${CMAKE_MATCH_1}")
      string(CONCAT stamped "${CMAKE_MATCH_2}")
      string(LENGTH "${name}" name_length)
      string(LENGTH "${stamped}" stamped_length)
      if(name STREQUAL "." OR name STREQUAL "..")
        release_refuse("${file}" ${n} "${release_shape}" "${line}")
      elseif(name_length GREATER 255 OR stamped_length GREATER 255)
        release_refuse("${file}" ${n} "${release_long}" "${line}")
      elseif(name IN_LIST names)
        release_refuse("${file}" ${n} "${release_twice}" "${line}")
      elseif(NOT stamped MATCHES "^[0-9]+$" OR stamped GREATER 2147483647)
        release_refuse("${file}" ${n} "${release_digits}" "${line}")
      endif()
      list(APPEND names "${name}")
      list(APPEND builds "${stamped}")
      # As "%d" reads it, without leading zeros.
      math(EXPR value "${stamped}")
      if(value GREATER build)
        set(build ${value})
      endif()
    endif()
    # What follows the last line end, here a line without one of its own.
    if(n EQUAL count AND n LESS 12)
      release_refuse("${file}" ${n} "${release_end}" "${line}")
    endif()
  endforeach()
  list(GET names 0 image)
  string(REPLACE ";" "." version "${firmware};${build}")
  foreach(var firmware internal names builds build version image)
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

# The self-test passes "-b" a near miss of each kind below, which must
# find no image: a name in other letter case, without its extension, one
# byte short, and so on.  near_misses gives those of one name, in the
# same order.
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

# The self-test's case of each kind, made from the release's first name
# whose near miss of that kind is no image's name too: Web.bin and web.bin
# may both be images.  The miss is written between double quotes, where
# the shell takes each byte as it is, as a name holds no quote, "$" or
# "\"; a line end is written as ${nl}.
function(release_near_misses out)
  set(cases "")
  set(kinds "${release_misses}")
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
  set(rows "")
  set(lines "")
  set(bins "")
  set(images "")
  set(widest "")
  set(longest "")
  set(longest_build "")
  foreach(name build IN ZIP_LISTS release_names release_builds)
    if(NOT rows STREQUAL "")
      string(APPEND rows ", \\\n")
    endif()
    string(APPEND rows "\t{ \"${name}\", \"${build}\" }")
    string(APPEND lines "${name} ${build}\n")
    string(APPEND bins "check bin.${name} 0 '${build}' -b '${name}'\n")
    # The page's table of images: \& on both sides of a name keeps mdoc
    # from reading it as a macro (Ta), an option (-offset) or a closing
    # delimiter (a name that ends in ".").
    string(APPEND images ".It Pa \\&${name}\\& Ta ${build}\n")
    string(LENGTH "${name}" length)
    string(LENGTH "${widest}" most)
    if(length GREATER most)
      string(CONCAT widest "${name}")
    endif()
    string(LENGTH "${build}" length)
    string(LENGTH "${longest_build}" most)
    if(length GREATER most)
      string(CONCAT longest "${name}")
      string(CONCAT longest_build "${build}")
    endif()
  endforeach()
  string(REPLACE ";" ", " firmware_fields "${release_firmware}")
  string(REPLACE ";" ", " internal_fields "${release_internal}")
  release_write("${dir}/release.h" "\
/* Written by configure from the release file: edit that, not this. */
#define VERSERVICE_FIRMWARE ${firmware_fields}
#define VERSERVICE_INTERNAL ${internal_fields}
#define VERSERVICE_IMAGES \\
${rows}
")
  release_write("${dir}/sw-versions" "${lines}")
  # The self-test's other cases ask for the first image, for the image
  # with the longest build, and for "-v" and "-b" as names, which an image
  # may have too.
  release_near_misses(names)
  release_lookup(named_v -v)
  release_lookup(named_b -b)
  string(REPLACE ";" "." internal "${release_internal};${release_build}")
  configure_file("${release_selftest}" "${dir}/verservice-selftest" @ONLY)
  configure_file("${release_page}" "${dir}/verservice.1" @ONLY)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  release_read("${RELEASE}")
  message("${RELEASE}: ${release_version}")
  if(OUT)
    release_files("${OUT}")
  endif()
endif()
