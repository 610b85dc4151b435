cmake_minimum_required(VERSION 3.18...4.3)
# Edits the image table in a copy of the sources and builds each edit as
# a release engineer would.  The compiler, not configure, must refuse a
# broken table with its own message.  A good one must build, and its note
# and "-v" must both end with the largest build number, wherever it stands
# and however the rows are laid out.  With SAME_BYTES, the unchanged
# source must give this build's bytes at another path.
#
#   cmake -DSOURCE_DIR=<dir> -DTOOL=<exe> -DVERSION=<version>
#         -DWORK=<dir> -DGENERATOR=<name> -DSETTINGS=<cache file>
#         [-DCROSS=ON] [-DEMULATOR=<command>] [-DNOTE=ON] [-DSAME_BYTES=ON]
#         -P table_guard.cmake

file(READ ${SOURCE_DIR}/src/VerService.cpp good)
set(copy ${WORK}/a/copy/of/the/sources/placed/elsewhere)
file(REMOVE_RECURSE ${WORK})
file(COPY ${SOURCE_DIR}/CMakeLists.txt ${SOURCE_DIR}/cmake ${SOURCE_DIR}/src
  DESTINATION ${copy})
file(COPY ${SOURCE_DIR}/tests/verservice-selftest DESTINATION ${copy}/tests)
file(READ ${SETTINGS} settings)
string(REPLACE "${SOURCE_DIR}" "${copy}" settings "${settings}")
file(WRITE ${WORK}/settings.cmake "${settings}")
execute_process(COMMAND ${CMAKE_COMMAND} -G ${GENERATOR} -C ${WORK}/settings.cmake
  -DBUILD_TESTING=OFF -S ${copy} -B ${WORK}/build OUTPUT_VARIABLE out ERROR_VARIABLE out
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the copy of the sources did not configure:\n${out}")
endif()
set(exe ${WORK}/build/verservice)

# Builds the copy with the given source; configure runs again by itself,
# as it does for anyone who edits the table.  Sets rc and out.
function(try source)
  file(WRITE ${copy}/src/VerService.cpp "${source}")
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK}/build
    OUTPUT_VARIABLE out ERROR_VARIABLE out RESULT_VARIABLE rc)
  set(rc ${rc} PARENT_SCOPE)
  set(out "${out}" PARENT_SCOPE)
endfunction()

# The rows are found by their shape, not by this release's names and
# numbers; the build has found the version and its largest number.
string(REGEX MATCHALL "{[ \t]*\"[^\"\n]+\",[ \t]*\"[0-9]+\"[ \t]*}" rows "${good}")
string(REGEX MATCH "^(.*)\\.([0-9]+)$" _ "${VERSION}")
set(fields ${CMAKE_MATCH_1})
math(EXPR above "${CMAKE_MATCH_2} + 1")

list(GET rows 0 first_row)
string(REGEX MATCH "\"[^\"]+\"" first_name "${first_row}")

# The source with one row's name (column 0) or build text (column 1)
# replaced by text, in the variable named by out.
function(edit row column text out)
  list(GET rows ${row} from)
  set(field "(\"[0-9]+\")")
  if(column EQUAL 0)
    set(field "^{[ \t]*(\"[^\"]+\")")
  endif()
  string(REGEX MATCH "${field}" _ "${from}")
  string(REPLACE "${CMAKE_MATCH_1}" "${text}" to "${from}")
  string(REPLACE "${from}" "${to}" changed "${good}")
  set(${out} "${changed}" PARENT_SCOPE)
endfunction()

set(digits "a build number is not plain decimal digits")
foreach(case IN ITEMS
    "same_name;0;${first_name};two images share a name"
    "letter_in_number;1;\"1234x\";${digits}"
    "negative;1;\"-5\";${digits}"
    "blank;1;\" 81736\";${digits}"
    "empty;1;\"\";${digits}"
    "too_large;1;\"2147483648\";${digits}")
  list(POP_FRONT case name column text message)
  edit(5 ${column} "${text}" source)
  try("${source}")
  string(FIND "${out}" "${message}" at)
  if(rc EQUAL 0 OR at EQUAL -1)
    message(SEND_ERROR "${name}: not refused by the compiler with \"${message}\":\n${out}")
  endif()
endforeach()

# The largest build number alone in a middle row, in the last and in the
# first; then a comment inside one row and another row over two lines.
edit(4 1 "\"2147483647\"" in_row_4)
edit(8 1 "\"${above}\"" in_row_8)
edit(0 1 "\"${above}\"" in_row_0)
list(GET rows 1 from)
string(REPLACE "\", " "\", /* a comment, \"quoted\" */ " to "${from}")
string(REPLACE "${from}" "${to}" laid_out "${good}")
list(GET rows 3 from)
string(REGEX REPLACE "\"[0-9]+\"" "\n\t\t\"${above}\"" to "${from}")
string(REPLACE "${from}" "${to}" laid_out "${laid_out}")
foreach(case IN ITEMS "in_row_4;2147483647" "in_row_8;${above}" "in_row_0;${above}"
    "laid_out;${above}")
  list(POP_FRONT case name number)
  set(want ${fields}.${number})
  try("${${name}}")
  if(NOT rc EQUAL 0)
    message(SEND_ERROR "${name}: a good table was refused:\n${out}")
    continue()
  endif()
  set(json "{\"name\":\"verservice\",\"version\":\"${want}\",\"architecture\":\"-\"}")
  set(answer ${want})
  if(NOTE)
    file(STRINGS ${exe} json REGEX "^{\"")
  endif()
  foreach(key name version architecture)
    string(REGEX MATCH "\"${key}\":\"([^\"]*)\"" _ "${json}")
    set(${key} "${CMAKE_MATCH_1}")
  endforeach()
  if(EMULATOR OR NOT CROSS)
    execute_process(COMMAND ${EMULATOR} ${exe} -v OUTPUT_VARIABLE answer)
  endif()
  if(NOT "${name} ${version} ${answer}" STREQUAL "verservice ${want} ${want}" OR NOT architecture)
    message(SEND_ERROR "${name}: -v answers [${answer}], the package note [${json}]; "
      "expected the name verservice, an architecture and ${want} in both")
  endif()
endforeach()

if(NOT SAME_BYTES)
  return()
endif()
try("${good}")
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${TOOL} ${exe} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(SEND_ERROR "${TOOL} and ${exe}, built from the same source, differ")
endif()
# Same bytes at another path show that no path leaked; the date that
# __DATE__ gives ("Dec  8 2026") or the host name would be the same in both.
string(TIMESTAMP date "%b %d %Y")
string(REPLACE " 0" "  " date "${date}")
cmake_host_system_information(RESULT host QUERY HOSTNAME)
if(NOT host MATCHES "......")   # a shorter name turns up in any binary by chance
  set(host "${date}")
endif()
file(STRINGS ${TOOL} leaked REGEX "${date}|${host}")
if(leaked)
  message(SEND_ERROR "the date or the host name is in the executable: ${leaked}")
endif()
