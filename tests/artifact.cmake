cmake_minimum_required(VERSION 3.25)
# Checks the built executable itself, not its answers.
#
#   cmake -DTOOL=<exe> -DOBJECT=<its object file> -DPROBE=<an object file
#         with a local array> -DREADELF=<readelf> -DBUILD_DIR=<dir>
#         -DBINDIR=<full install bin dir> -DSTAGE=<dir> [-DARM=ON]
#         [-DLINKAGE=dynamic|static] [-DLIBC=musl] [-DHARDENED=ON]
#         [-DMAX_SIZE=<bytes>]
#         -P artifact.cmake

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

readelf(elf_header -h ${TOOL})
readelf(tool_exe_symbols -s ${TOOL})
readelf(elf_segments -l ${TOOL})
readelf(elf_dynamic -d ${TOOL})
readelf(tool_symbols -s ${OBJECT})
readelf(probe_symbols -s ${PROBE})

# Only the table and main are seen from outside the module.
expect("${tool_symbols}" "OBJECT +GLOBAL +DEFAULT +[0-9]+ a2pcVersion\n" "global table")
refuse("${tool_symbols}" "GLOBAL[^\n]*(getBinIndex|getBuildNum)[^\n]*" "file-local queries")

if(ARM)
  readelf(attributes -A ${TOOL})
  expect("${elf_header}" "Class: +ELF32" "32-bit")
  expect("${elf_header}" "Machine: +ARM" "ARM")
  expect("${elf_header}" "Flags: .*Version5 EABI, hard-float ABI" "EABI5 hard-float")
  expect("${attributes}" "Tag_CPU_arch: v7\n" "ARMv7")
  expect("${attributes}" "Tag_CPU_arch_profile: Application" "ARMv7-A")
  expect("${attributes}" "Tag_ABI_VFP_args: VFP registers" "arguments in VFP registers")
endif()

if(LINKAGE STREQUAL "dynamic")
  expect("${elf_segments}" "program interpreter: [^]]*/ld-linux[^]/]*\\]" "loader")
  string(REGEX MATCHALL "\\(NEEDED\\)[^\n]*" needed "${elf_dynamic}")
  foreach(lib IN LISTS needed)
    if(NOT lib MATCHES "\\[(libc\\.so\\.6|ld-linux[^]/]*)\\]$")
      message(SEND_ERROR "needs more than the C library and its loader: ${lib}")
    endif()
  endforeach()
  expect("${needed}" "\\[libc\\.so\\.6\\]" "C library")
elseif(LINKAGE STREQUAL "static")
  refuse("${elf_segments}" "INTERP" "static executable")
  refuse("${elf_dynamic}" "NEEDED[^\n]*" "static executable")
elseif(NOT LINKAGE STREQUAL "")
  message(FATAL_ERROR "LINKAGE is \"${LINKAGE}\": dynamic, static or empty")
endif()

# musl's own start-up, not glibc's, which has no such function.
if(LIBC STREQUAL "musl")
  expect("${tool_exe_symbols}" " __init_libc\n" "musl start-up")
endif()

if(HARDENED)
  # The probe's local array is what -fstack-protector-strong always guards.
  expect("${probe_symbols}" "UND __stack_chk_fail\n" "stack protector")
  if(NOT LIBC STREQUAL "musl")   # musl has no _FORTIFY_SOURCE
    expect("${tool_symbols}" "UND __[a-z]+_chk\n" "_FORTIFY_SOURCE")
  endif()
  expect("${elf_header}" "Type: +DYN" "position-independent executable")
  expect("${elf_segments}" "GNU_RELRO" "RELRO")
  expect("${elf_dynamic}" "\\(FLAGS\\)[^\n]*BIND_NOW" "immediate binding")
endif()

# Installed as an integrator ships it: stripped, into a staging root.
file(REMOVE_RECURSE ${STAGE})
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${STAGE}
          ${CMAKE_COMMAND} --install ${BUILD_DIR} --strip
  OUTPUT_QUIET RESULT_VARIABLE rc)
set(installed ${STAGE}${BINDIR}/verservice)
if(NOT rc EQUAL 0 OR NOT EXISTS ${installed})
  message(FATAL_ERROR "cmake --install ${BUILD_DIR} --strip did not give ${installed}")
endif()
readelf(sections -S ${installed})
refuse("${sections}" "\\.symtab" "stripped install")

if(MAX_SIZE)
  file(SIZE ${installed} size)
  message(STATUS "installed, stripped: ${size} bytes, budget ${MAX_SIZE}")
  if(size GREATER MAX_SIZE)
    message(SEND_ERROR "stripped size ${size} bytes is over the budget of ${MAX_SIZE}")
  endif()
endif()
