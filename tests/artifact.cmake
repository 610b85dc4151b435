cmake_minimum_required(VERSION 3.25)
# Checks the executable itself, not its answers: the stripped install, as
# an integrator ships it, and the symbols of the build that made it.
#
#   cmake -DINSTALLED=<stripped install> -DTOOL=<exe> -DOBJECT=<its object>
#         -DPROBE=<object with a local array> -DREADELF=<readelf>
#         [-DPROCESSOR=<processor>] [-DNOTE=ON] [-DLINKAGE=dynamic|static] [-DLIBC=musl]
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

# The package note survives the stripped install; table_guard reads it.
# llvm-readelf 14 shows the note's type as a number and its text in hex.
if(NOTE)
  expect("${shipped}" "FDO +0x[0-9a-f]+[ \t]+(FDO_PACKAGING_METADATA|[^\n]*0xcafe1a7e)" "package note")
endif()

if(PROCESSOR MATCHES "^arm")
  expect("${shipped}" "Class: +ELF32\n.*Machine: +ARM\n.*Flags: [^\n]*Version5 EABI, hard-float ABI"
    "32-bit ARM, EABI5 hard-float")
  expect("${shipped}" "Tag_CPU_arch: v7\n +Tag_CPU_arch_profile: Application\n.*Tag_ABI_VFP_args: VFP registers"
    "ARMv7-A, arguments in VFP registers")
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
  # The probe's local array is what -fstack-protector-strong always guards.
  expect("${symbols}" "UND __stack_chk_fail\n" "stack protector")
  if(NOT LIBC STREQUAL "musl")   # musl has no _FORTIFY_SOURCE
    expect("${symbols}" "UND __[a-z]+_chk\n" "_FORTIFY_SOURCE")
  endif()
endif()

if(MAX_SIZE)
  file(SIZE ${INSTALLED} size)
  message(STATUS "installed, stripped: ${size} bytes, budget ${MAX_SIZE}")
  if(size GREATER MAX_SIZE)
    message(SEND_ERROR "stripped size ${size} bytes is over the budget of ${MAX_SIZE}")
  endif()
endif()
