cmake_minimum_required(VERSION 3.18...4.3)
# SPDX-FileCopyrightText: 2026 The verservice authors
# SPDX-License-Identifier: MIT
# Checks the executable itself, not its answers: the stripped install, as
# an integrator ships it, and the symbols of the build that made it.
#
#   cmake -DINSTALLED=<stripped install> -DDOCS=<its docdir> -DTOOL=<exe>
#         -DPROBE=<exe with a local array> -DOBJECT=<its object, without LTO>
#         -DREADELF=<readelf> -DSOURCE_DIR=<dir> -DBINARY_DIR=<dir> [-DSHIPS=ON]
#         [-DLINKAGE=dynamic|static] [-DLIBC=musl]
#         [-DHARDENED=ON] [-DMAX_SIZE=<bytes>] [-DREADME=<file>]
#         [-DNO_VFP=ON -DOBJDUMP=<objdump>] -P artifact.cmake

macro(readelf out)
  execute_process(COMMAND ${READELF} --wide ${ARGN} OUTPUT_VARIABLE ${out} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${READELF} ${ARGN} failed")
  endif()
endmacro()

function(expect text regex what)
  if(NOT text MATCHES "${regex}")
    message(SEND_ERROR "${what}: no match for \"${regex}\" in:\n${text}")
  endif()
endfunction()

function(refute text regex what)
  if(text MATCHES "${regex}")
    message(SEND_ERROR "${what}: \"${CMAKE_MATCH_0}\" found")
  endif()
endfunction()

readelf(shipped -h -l -d -r -S -A -n -V ${INSTALLED})
readelf(symbols -s ${TOOL} ${PROBE})
readelf(object -s ${OBJECT})

refute("${shipped}" "\\.symtab" "the install is not stripped")

# The module defines no global but the table and main, which the probe
# renames and calls from its own (ASan adds its indicator beside the table).
string(REGEX MATCHALL "GLOBAL +DEFAULT +[0-9]+ [^\n]+" globals "${object}")
list(TRANSFORM globals REPLACE ".* " "")
list(FILTER globals EXCLUDE REGEX "^__odr_asan|verserviceMain")
list(SORT globals)
if(NOT globals STREQUAL "a2pcVersion;main")
  message(SEND_ERROR "the module's globals are [${globals}], not [a2pcVersion;main]")
endif()

# The ARM builds are for ARMv7-A, in GNU readelf's words or LLVM's:
# "Tag_CPU_arch: v7", or "CPU_arch" above "Description: ARM v7".
if(shipped MATCHES "Machine: +ARM\n")
  expect("${shipped}" "CPU_arch(:|\n +Description: ARM) v7\n" "ARMv7")
  expect("${shipped}" "CPU_arch_profile(:|\n +Description:) Application\n" "the A profile")
endif()

# A core without VFP, or a kernel built without VFP support, traps every
# VFP and NEON instruction, even one behind a check of the hardware: a
# build for such cores has none, nor an attribute that asks for VFP.  The
# build's own executable is read, as its mapping symbols keep data from
# being taken for code, in GNU or LLVM objdump's words.
if(NO_VFP)
  execute_process(COMMAND ${OBJDUMP} -d ${TOOL} OUTPUT_VARIABLE code RESULT_VARIABLE rc)
  expect("${rc}:${code}" "^0:.*<main>:\n" "${OBJDUMP} -d")
  set(vfp "v[a-z]|f(ld|st)m[a-z]*x|(cdp|ldc|stc|mcr|mrc|mcrr|mrrc)2?l?[ \t]+p?1[01],")
  refute("${code}" "\n *[0-9a-f]+:[ \t]+[0-9a-f ]+\t(${vfp})[^\n]*" "a VFP or NEON instruction")
  refute("${shipped}" "(Tag_|TagName: )(ABI_VFP_args|FP_arch|Advanced_SIMD_arch)[^\n]*"
    "an attribute that asks for VFP")
endif()

# The install carries the tool's license and, static with musl, musl's.
file(READ ${DOCS}/LICENSE text)
expect("${text}" "Copyright [^\n]* The verservice authors\n.*Permission is hereby granted"
  "the tool's notice")
if(LINKAGE STREQUAL "static" AND LIBC STREQUAL "musl")
  file(READ ${DOCS}/LICENSE.libc text)
  expect("${text}" "Upstream-Name: musl\n.*License: MIT\n Permission is hereby granted"
    "musl's notice")
endif()

if(LINKAGE STREQUAL "dynamic")
  expect("${shipped}" "program interpreter: [^]]*/ld-linux[^]/]*\\]" "loader")
  string(REGEX MATCHALL "\\(NEEDED\\)[^\n]*" needed "${shipped}")
  expect("${needed}" "\\[libc\\.so\\.6\\]" "C library")
  list(FILTER needed EXCLUDE REGEX "\\[(libc\\.so\\.6|ld-linux[^]/]*)\\]$")
  if(needed)
    message(SEND_ERROR "needs more than the C library and its loader: ${needed}")
  endif()
  # No glibc version newer than the oldest the README promises: the
  # number between "glibc" and "or newer" and no other, the lowest where
  # it says so more than once.
  file(STRINGS ${README} promise REGEX "glibc [0-9]+\\.[0-9]+ or newer")
  string(REGEX MATCHALL "glibc [0-9]+\\.[0-9]+ or newer" promise "${promise}")
  list(TRANSFORM promise REPLACE "glibc ([0-9.]+) or newer" "\\1")
  list(SORT promise COMPARE NATURAL)
  list(GET promise 0 floor)
  string(REGEX MATCHALL "Name: GLIBC_[0-9.]+" asked "${shipped}")
  list(TRANSFORM asked REPLACE "Name: GLIBC_" "")
  list(SORT asked COMPARE NATURAL ORDER DESCENDING)
  list(GET asked 0 newest)
  if(newest VERSION_GREATER floor)
    message(SEND_ERROR "asks for glibc ${newest}; the README promises glibc ${floor} or newer")
  endif()
  if(HARDENED)
    expect("${shipped}" "Type: +DYN" "position-independent executable")
  endif()
elseif(LINKAGE STREQUAL "static")
  refute("${shipped}" "INTERP|NEEDED[^\n]*|GNU_RELRO|Relocation section[^\n]*" "static executable")
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

file(SIZE ${INSTALLED} size)
message(STATUS "installed, stripped: ${size} bytes; budget: ${MAX_SIZE}")
if(MAX_SIZE AND size GREATER MAX_SIZE)
  message(SEND_ERROR "stripped size ${size} bytes is over the budget of ${MAX_SIZE}")
endif()

# What ships holds no path of the sources or the build, nor
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
foreach(leak IN ITEMS "${SOURCE_DIR}" "${BINARY_DIR}" "${date}" "${host}")
  string(FIND "${strings}" "${leak}" at)
  if(leak AND at GREATER -1)
    message(SEND_ERROR "the executable holds \"${leak}\"")
  endif()
endforeach()
