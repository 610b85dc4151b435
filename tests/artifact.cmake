cmake_minimum_required(VERSION 3.18...4.3)
# SPDX-FileCopyrightText: 2026 The verservice authors
# SPDX-License-Identifier: MIT
# Checks the executable itself, not its answers: the stripped install, as
# an integrator ships it, and the symbols of the build that made it.
#
#   cmake -DINSTALLED=<stripped install> -DTOOL=<exe> -DOBJECT=<the module, without LTO>
#         -DPROBE=<exe with a local array> -DREADELF=<readelf> -DVERSION=<version>
#         -DSOURCE_DIR=<dir> -DBINARY_DIR=<dir> -DRELEASE=<file> [-DSHIPS=ON]
#         [-DFLOAT_ABI=hard|soft] [-DNOTE=ON] [-DLINKAGE=dynamic|static] [-DLIBC=musl]
#         [-DHARDENED=ON] [-DMAX_SIZE=<bytes>] [-DREADME=<file>] -P artifact.cmake

function(readelf out)
  execute_process(COMMAND ${READELF} --wide ${ARGN}
    OUTPUT_VARIABLE text RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${READELF} ${ARGN} failed")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(expect text regex what)
  if(NOT text MATCHES "${regex}")
    message(SEND_ERROR "${what}: no match for \"${regex}\" in:\n${text}")
  endif()
endfunction()


readelf(shipped -h -l -d -r -S -A -n -V ${INSTALLED})
readelf(symbols -s ${TOOL} ${PROBE})
readelf(object -s ${OBJECT})

if(shipped MATCHES "\\.symtab")
  message(SEND_ERROR "the install is not stripped")
endif()
# The module defines no global but the table and main (ASan adds its own
# indicator beside the table).
string(REGEX MATCHALL "GLOBAL +DEFAULT +[0-9]+ [^\n]+" globals "${object}")
list(TRANSFORM globals REPLACE ".* " "")
list(FILTER globals EXCLUDE REGEX "^__odr_asan")
list(SORT globals)
if(NOT globals STREQUAL "a2pcVersion;main")
  message(SEND_ERROR "the module's globals are [${globals}], not [a2pcVersion;main]")
endif()

# The package note survives the stripped install, with the version that
# configure read.  llvm-readelf 14 shows its text only in hex, so the text
# is read from the file itself: only the note puts it there.
if(NOTE)
  file(STRINGS ${INSTALLED} json REGEX "^{\"")
  expect("${json}" "\"name\":\"verservice\",\"version\":\"${VERSION}\",\"architecture\":\"[a-z0-9_]+\"}(;|$)"
    "the package note's name, version and architecture")
endif()

# ARMv7-A, EABI version 5, with the float ABI the compiler was asked for.
# The header's flags are read as a number, and the attributes in either
# readelf's words: GNU's "Tag_CPU_arch: v7", LLVM's "CPU_arch" above
# "Description: ARM v7".
if(FLOAT_ABI)
  string(REGEX MATCH "Flags: +0x([0-9a-fA-F]+)" _ "${shipped}")
  math(EXPR eabi "(0x0${CMAKE_MATCH_1} >> 24) & 0xff")
  math(EXPR float "(0x0${CMAKE_MATCH_1} >> 9) & 3")   # EF_ARM_ABI_FLOAT_SOFT 1, _HARD 2
  set(abis unmarked soft hard both)
  list(GET abis ${float} abi)
  if(NOT shipped MATCHES "Machine: +ARM\n" OR NOT "${eabi} ${abi}" STREQUAL "5 ${FLOAT_ABI}")
    message(SEND_ERROR "not ARM EABI5 ${FLOAT_ABI}-float: EABI${eabi}, ${abi}-float")
  endif()
  expect("${shipped}" "CPU_arch(:|\n +Description: ARM) v7\n" "ARMv7")
  expect("${shipped}" "CPU_arch_profile(:|\n +Description:) Application\n" "A profile")
endif()

if(LINKAGE STREQUAL "dynamic")
  expect("${shipped}" "program interpreter: [^]]*/ld-linux[^]/]*\\]" "loader")
  string(REGEX MATCHALL "\\(NEEDED\\)[^\n]*" needed "${shipped}")
  foreach(lib IN LISTS needed)
    if(NOT lib MATCHES "\\[(libc\\.so\\.6|ld-linux[^]/]*)\\]$")
      message(SEND_ERROR "needs more than the C library and its loader: ${lib}")
    endif()
  endforeach()
  expect("${needed}" "\\[libc\\.so\\.6\\]" "C library")
  # No glibc version newer than the oldest the README promises.
  file(STRINGS ${README} promise REGEX "glibc [0-9.]+ or newer")
  string(REGEX MATCH "glibc ([0-9.]+) or newer" _ "${promise}")
  set(floor "${CMAKE_MATCH_1}")
  string(REGEX MATCHALL "GLIBC_[0-9.]+" asked "${shipped}")
  list(REMOVE_DUPLICATES asked)
  foreach(version IN LISTS asked)
    string(SUBSTRING ${version} 6 -1 version)
    if(NOT floor OR version VERSION_GREATER floor)
      message(SEND_ERROR "asks for glibc ${version}; the README promises glibc ${floor} or newer")
    endif()
  endforeach()
  if(HARDENED)
    expect("${shipped}" "Type: +DYN" "position-independent executable")
  endif()
elseif(LINKAGE STREQUAL "static")
  if(shipped MATCHES "INTERP|NEEDED[^\n]*|GNU_RELRO|Relocation section[^\n]*")
    message(SEND_ERROR "static executable: \"${CMAKE_MATCH_0}\" found")
  endif()
endif()

# musl's own start-up, not glibc's, which has no such function.
if(LIBC STREQUAL "musl")
  expect("${symbols}" " __init_libc\n" "musl start-up")
endif()

if(HARDENED)
  # The probe's local arrays are what -fstack-protector-strong always
  # guards, and its strcpy into one is what GCC and Clang both fortify.
  expect("${symbols}" " __stack_chk_fail(@[^\n]*)?\n" "stack protector")
  if(NOT LIBC STREQUAL "musl")   # musl has no _FORTIFY_SOURCE
    expect("${symbols}" " __strcpy_chk(@[^\n]*)?\n" "_FORTIFY_SOURCE")
  endif()
endif()

if(MAX_SIZE)
  file(SIZE ${INSTALLED} size)
  message(STATUS "installed, stripped: ${size} bytes, budget ${MAX_SIZE}")
  if(size GREATER MAX_SIZE)
    message(SEND_ERROR "stripped size ${size} bytes is over the budget of ${MAX_SIZE}")
  endif()
endif()

# What ships holds no path of the sources, the build or the release, nor
# the date that __DATE__ would give ("Dec  9 2026") or the host name: the
# same sources build the same bytes anywhere.  Debug builds, which the
# sanitizers' own tables fill with paths, do not ship.
if(NOT SHIPS)
  return()
endif()
string(TIMESTAMP date "%b %d %Y")
string(REPLACE " 0" "  " date "${date}")
cmake_host_system_information(RESULT host QUERY HOSTNAME)
string(REGEX MATCH "......+" host "${host}")   # a shorter one is in any binary by chance
file(STRINGS ${INSTALLED} strings)
get_filename_component(release_dir "${RELEASE}" DIRECTORY)
foreach(leak IN ITEMS "${SOURCE_DIR}" "${BINARY_DIR}" "${release_dir}" "${date}" "${host}")
  string(FIND "${strings}" "${leak}" at)
  if(leak AND at GREATER -1)
    message(SEND_ERROR "the executable holds \"${leak}\"")
  endif()
endforeach()
