cmake_minimum_required(VERSION 3.25)
# Builds edited copies of the image table.  The compiler must refuse each
# broken table with the table's own message; a good one must build and,
# where it can run here, "-v" must end with the largest build number
# wherever it stands.  Whole copies of the sources, configured and built
# elsewhere with this build's settings, show that configure leaves a
# broken table to the compiler, that a table laid out as C++ allows gives
# the version in "-v" and the package note alike, and, with SAME_BYTES,
# that an unchanged copy gives the same bytes without this build's paths,
# the host name or today's date.
#
#   cmake -DCXX=<compiler> -DSOURCE_DIR=<dir> -DBINARY_DIR=<dir> -DTOOL=<exe>
#         -DVERSION=<version> -DWORK=<dir> -DGENERATOR=<name>
#         -DSETTINGS=<cache file> [-DRUN=ON] [-DEMULATOR=<command>]
#         [-DNOTE=ON] [-DSAME_BYTES=ON] -P table_guard.cmake

file(READ ${SOURCE_DIR}/src/VerService.cpp good)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

# The rows are found by their shape, not by this release's names and
# numbers; the build has found the version and its largest number.
string(REGEX MATCHALL "{[ \t]*\"[^\"\n]+\",[ \t]*\"[0-9]+\"[ \t]*}" rows "${good}")
string(REGEX REPLACE "\\.[0-9]+$" "" fields "${VERSION}")
string(REGEX REPLACE ".*\\." "" largest "${VERSION}")
math(EXPR above "${largest} + 1")
list(GET rows 0 first_row)
string(REGEX MATCH "\"[^\"]+\"" first_name "${first_row}")

# The source with the name (column 0) or the build text (column 1) of one
# row replaced by text, in the variable named by out.
function(edit row column text out)
  list(GET rows ${row} from)
  set(field "(\"[0-9]+\")")          # the build text
  if(column EQUAL 0)
    set(field "^{[ \t]*(\"[^\"]+\")")
  endif()
  string(REGEX MATCH "${field}" _ "${from}")
  string(REPLACE "${CMAKE_MATCH_1}" "${text}" to "${from}")
  string(REPLACE "${from}" "${to}" changed "${good}")
  set(${out} "${changed}" PARENT_SCOPE)
endfunction()

# Compiles the source alone with one field replaced; sets rc, err and exe.
function(build name row column text)
  edit(${row} ${column} "${text}" changed)
  file(WRITE ${WORK}/${name}.cpp "${changed}")
  set(how -fsyntax-only)
  if(RUN)
    set(how -O2 -o ${WORK}/${name})
  endif()
  execute_process(COMMAND ${CXX} -std=c++17 ${how} ${WORK}/${name}.cpp
    ERROR_VARIABLE err RESULT_VARIABLE rc)
  set(exe ${WORK}/${name})
  return(PROPAGATE rc err exe)
endfunction()

# Configures and builds a copy of the sources with the given source, at a
# longer path, so that a leaked one also shifts what follows it; sets
# step (configure or build), rc, out and exe.
function(rebuild name source)
  set(copy ${WORK}/${name}/a/copy/of/the/sources/placed/elsewhere)
  file(COPY ${SOURCE_DIR}/CMakeLists.txt ${SOURCE_DIR}/cmake DESTINATION ${copy})
  file(COPY ${SOURCE_DIR}/tests/verservice-selftest DESTINATION ${copy}/tests)
  file(WRITE ${copy}/src/VerService.cpp "${source}")
  file(READ ${SETTINGS} settings)
  string(REPLACE "${SOURCE_DIR}" "${copy}" settings "${settings}")
  file(WRITE ${WORK}/${name}/settings.cmake "${settings}")
  set(exe ${WORK}/${name}/build/verservice)
  foreach(stage configure build)
    set(step ${stage})   # the loop's own variable ends with the loop
    set(args -G ${GENERATOR} -C ${WORK}/${name}/settings.cmake -DBUILD_TESTING=OFF
      -S ${copy} -B ${WORK}/${name}/build)
    if(step STREQUAL "build")
      set(args --build ${WORK}/${name}/build)
    endif()
    execute_process(COMMAND ${CMAKE_COMMAND} ${args}
      OUTPUT_VARIABLE out ERROR_VARIABLE out RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
      break()
    endif()
  endforeach()
  return(PROPAGATE step rc out exe)
endfunction()

set(digits "a build number is not plain decimal digits")
foreach(case IN ITEMS
    "same_name;0;${first_name};two images share a name"
    "negative;1;\"-5\";${digits}"
    "blank;1;\" 81736\";${digits}"
    "empty;1;\"\";${digits}"
    "too_large;1;\"2147483648\";${digits}")
  list(GET case 0 name)
  list(GET case 1 column)
  list(GET case 2 text)
  list(GET case 3 message)
  build(${name} 5 ${column} "${text}")
  string(FIND "${err}" "${message}" at)
  if(rc EQUAL 0 OR at EQUAL -1)
    message(SEND_ERROR "${name}: not refused with \"${message}\":\n${err}")
  endif()
endforeach()

# The largest build number alone in a middle row, in the last and in the
# first: the package number is the largest of all nine, whichever it is.
foreach(case IN ITEMS "4;2147483647" "8;${above}" "0;${above}")
  list(GET case 0 row)
  list(GET case 1 number)
  build(largest_in_row_${row} ${row} 1 "\"${number}\"")
  if(NOT rc EQUAL 0)
    message(SEND_ERROR "largest_in_row_${row}: a good table was refused:\n${err}")
  elseif(RUN)
    execute_process(COMMAND ${exe} -v OUTPUT_VARIABLE out RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0 OR NOT out MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+\\.${number}$")
      message(SEND_ERROR "largest_in_row_${row}: -v gave [${out}], status ${rc}; "
        "expected it to end with .${number}")
    endif()
  endif()
endforeach()

# A letter in a build text gets past configure to the compiler.
edit(3 1 "\"1234x\"" broken)
rebuild(letter_in_number "${broken}")
if(NOT step STREQUAL "build" OR rc EQUAL 0 OR NOT out MATCHES "${digits}")
  message(SEND_ERROR "letter_in_number: the ${step} step gave status ${rc}, "
    "not the compiler's \"${digits}\":\n${out}")
endif()

# A comment inside a row, and a row over two lines holding the largest number.
list(GET rows 1 from)
string(REPLACE "\", " "\", /* a comment, \"quoted\" */ " to "${from}")
string(REPLACE "${from}" "${to}" laid_out "${good}")
list(GET rows 3 from)
string(REGEX REPLACE "\"[0-9]+\"" "\n\t\t\"${above}\"" to "${from}")
string(REPLACE "${from}" "${to}" laid_out "${laid_out}")
rebuild(laid_out "${laid_out}")
set(want ${fields}.${above})
if(NOT rc EQUAL 0)
  message(SEND_ERROR "laid_out: the ${step} step failed:\n${out}")
else()
  if(NOTE)
    file(STRINGS ${exe} json REGEX "^{\"")
    string(JSON note ERROR_VARIABLE error GET "${json}" version)
    if(NOT note STREQUAL want)
      message(SEND_ERROR "laid_out: the package note [${json}] does not say ${want}")
    endif()
  endif()
  if(RUN OR EMULATOR)
    execute_process(COMMAND ${EMULATOR} ${exe} -v OUTPUT_VARIABLE out RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0 OR NOT out STREQUAL want)
      message(SEND_ERROR "laid_out: -v gave [${out}], status ${rc}, not ${want}")
    endif()
  endif()
endif()

if(NOT SAME_BYTES)
  return()
endif()
rebuild(unchanged "${good}")
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "unchanged: the ${step} step failed:\n${out}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${TOOL} ${exe} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(SEND_ERROR "${TOOL} and ${exe} differ")
endif()
string(TIMESTAMP iso "%Y-%m-%d")
string(TIMESTAMP date "%b %d %Y")   # as __DATE__ has it: "Dec  8 2026"
string(REPLACE " 0" "  " date "${date}")
cmake_host_system_information(RESULT host QUERY HOSTNAME)
set(leaks "${SOURCE_DIR}" "${BINARY_DIR}" "${iso}" "${date}")
string(LENGTH "${host}" length)
if(length GREATER 5)   # a shorter name turns up in any binary by chance
  list(APPEND leaks "${host}")
endif()
file(STRINGS ${TOOL} strings)
list(JOIN strings "\n" text)
foreach(leak IN LISTS leaks)
  string(FIND "${text}" "${leak}" at)
  if(NOT at EQUAL -1)
    message(SEND_ERROR "\"${leak}\" is in the executable")
  endif()
endforeach()
