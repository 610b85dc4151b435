# Checks the built executable itself, not its answers.
#
#   cmake -DTOOL=<exe> -DOBJECT=<its object file> -DREADELF=<readelf>
#         -DBUILD_DIR=<dir> -DBINDIR=<full install bin dir> -DSTAGE=<dir>
#         [-DARM=ON] [-DLINKAGE=dynamic|static] [-DHARDENED=ON]
#         [-DMAX_SIZE=<bytes>] [-DEMULATOR=<list>] -P artifact.cmake

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

readelf(header -h ${TOOL})
readelf(segments -l ${TOOL})
readelf(dynamic -d ${TOOL})

# Only the table and main are seen from outside the module.
readelf(object_symbols -s ${OBJECT})
expect("${object_symbols}" "OBJECT +GLOBAL +DEFAULT +[0-9]+ a2pcVersion\n" "global table")
refuse("${object_symbols}" "GLOBAL[^\n]*(getBinIndex|getBuildNum)[^\n]*" "file-local queries")

if(ARM)
  readelf(attributes -A ${TOOL})
  expect("${header}" "Class: +ELF32" "32-bit")
  expect("${header}" "Machine: +ARM" "ARM")
  expect("${header}" "Flags: .*Version5 EABI, hard-float ABI" "EABI5 hard-float")
  expect("${attributes}" "Tag_CPU_arch: v7\n" "ARMv7")
  expect("${attributes}" "Tag_CPU_arch_profile: Application" "ARMv7-A")
  expect("${attributes}" "Tag_ABI_VFP_args: VFP registers" "arguments in VFP registers")
endif()

if(LINKAGE STREQUAL "dynamic")
  expect("${segments}" "program interpreter: [^]]*/ld-linux[^]/]*\\]" "loader")
  string(REGEX MATCHALL "\\(NEEDED\\)[^\n]*" needed "${dynamic}")
  foreach(lib IN LISTS needed)
    if(NOT lib MATCHES "\\[(libc\\.so\\.6|ld-linux[^]/]*)\\]$")
      message(SEND_ERROR "needs more than the C library and its loader: ${lib}")
    endif()
  endforeach()
  expect("${needed}" "\\[libc\\.so\\.6\\]" "C library")
elseif(LINKAGE STREQUAL "static")
  refuse("${segments}" "INTERP" "static executable")
  refuse("${dynamic}" "NEEDED[^\n]*" "static executable")
  if(EMULATOR)
    # The bare emulator: no library root is needed to start it.
    list(GET EMULATOR 0 bare)
    execute_process(COMMAND ${bare} ${TOOL} -v OUTPUT_VARIABLE out RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0 OR NOT out STREQUAL "1.6.4.82307")
      message(SEND_ERROR "${bare} ${TOOL} -v: status ${rc}, output [${out}]")
    endif()
  endif()
endif()

if(HARDENED)
  expect("${object_symbols}" "UND __stack_chk_fail\n" "stack protector")
  expect("${object_symbols}" "UND __[a-z]+_chk\n" "_FORTIFY_SOURCE")
  if(LINKAGE STREQUAL "dynamic")
    expect("${header}" "Type: +DYN" "position-independent executable")
    expect("${segments}" "GNU_RELRO" "RELRO")
    expect("${dynamic}" "\\(FLAGS\\)[^\n]*BIND_NOW" "immediate binding")
  endif()
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
