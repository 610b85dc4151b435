cmake_minimum_required(VERSION 3.25)
# Checks the executable itself, not its answers: the stripped install, as
# an integrator ships it, and the symbols of the build that made it.
#
#   cmake -DINSTALLED=<stripped install> -DTOOL=<exe> -DOBJECT=<its object>
#         -DPROBE=<object with a local array> -DREADELF=<readelf>
#         [-DPROCESSOR=<processor>] [-DCROSS=ON [-DEMULATOR=<command>]]
#         [-DNOTE=ON] [-DLINKAGE=dynamic|static] [-DLIBC=musl]
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

function(refuse text regex what)
  if(text MATCHES "${regex}")
    message(SEND_ERROR "${what}: \"${CMAKE_MATCH_0}\" found")
  endif()
endfunction()

readelf(shipped -h -l -d -r -S -A -n -V ${INSTALLED})
readelf(symbols -s ${TOOL} ${PROBE})
readelf(object -s ${OBJECT})

refuse("${shipped}" "\\.symtab" "stripped install")
# The module defines no global but the table and main (ASan adds its own
# indicator beside the table).
string(REGEX MATCHALL "GLOBAL +DEFAULT +[0-9]+ [^\n]+" globals "${object}")
list(TRANSFORM globals REPLACE ".* " "")
list(FILTER globals EXCLUDE REGEX "^__odr_asan")
list(SORT globals)
if(NOT globals STREQUAL "a2pcVersion;main")
  message(SEND_ERROR "the module's globals are [${globals}], not [a2pcVersion;main]")
endif()

# The package note names the tool, an architecture, and the version that
# the installed tool answers for "-v".
if(NOTE)
  # llvm-readelf 14 shows the note's type as a number and its text in hex.
  expect("${shipped}" "FDO +0x[0-9a-f]+[ \t]+(FDO_PACKAGING_METADATA|[^\n]*0xcafe1a7e)" "package note")
  file(STRINGS ${INSTALLED} json REGEX "^{\"")
  foreach(key name version architecture)
    string(JSON ${key} ERROR_VARIABLE error GET "${json}" ${key})
  endforeach()
  if(EMULATOR OR NOT CROSS)
    execute_process(COMMAND ${EMULATOR} ${INSTALLED} -v OUTPUT_VARIABLE answer)
  else()
    message(STATUS "no emulator: the note's version is not compared with -v")
    set(answer "${version}")
  endif()
  if(NOT name STREQUAL "verservice" OR NOT architecture OR NOT version STREQUAL answer)
    message(SEND_ERROR "package note [${json}]: expected the name verservice, "
      "an architecture and the version ${answer}")
  endif()
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
  set(newest 0)
  foreach(version IN LISTS asked)
    string(SUBSTRING ${version} 6 -1 version)
    if(version VERSION_GREATER newest)
      set(newest ${version})
    endif()
  endforeach()
  if(NOT floor OR newest VERSION_GREATER floor)
    message(SEND_ERROR "asks for glibc ${newest}; the README promises glibc ${floor} or newer")
  endif()
  if(HARDENED)
    expect("${shipped}" "Type: +DYN" "position-independent executable")
  endif()
elseif(LINKAGE STREQUAL "static")
  refuse("${shipped}" "INTERP|NEEDED[^\n]*|GNU_RELRO|Relocation section[^\n]*" "static executable")
elseif(NOT LINKAGE STREQUAL "")
  message(FATAL_ERROR "LINKAGE is \"${LINKAGE}\": dynamic, static or empty")
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
