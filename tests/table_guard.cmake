cmake_minimum_required(VERSION 3.25)
# Builds edited copies of the image table.  The compiler must refuse each
# broken table with the table's own message; a good one must build and,
# where it can run here, "-v" must end with the largest build number
# wherever it stands.
#
#   cmake -DCXX=<compiler> -DSOURCE=<VerService.cpp> -DLARGEST=<number>
#         -DWORK=<dir> [-DRUN=ON] -P table_guard.cmake

file(READ ${SOURCE} good)
file(MAKE_DIRECTORY ${WORK})

# The rows are found by their shape, not by this release's names and
# numbers; the build has found nine and the largest number, LARGEST.
string(REGEX MATCHALL "{[ \t]*\"[^\"\n]+\",[ \t]*\"[0-9]+\"[ \t]*}" rows "${good}")
math(EXPR above "${LARGEST} + 1")
list(GET rows 0 first_row)
string(REGEX MATCH "\"[^\"]+\"" first_name "${first_row}")

# Builds the source with the name (column 0) or the build text (column 1)
# of one row replaced; sets rc, err and exe.
function(build name row column text)
  list(GET rows ${row} from)
  set(field "(\"[0-9]+\")")          # the build text
  if(column EQUAL 0)
    set(field "^{[ \t]*(\"[^\"]+\")")
  endif()
  string(REGEX MATCH "${field}" _ "${from}")
  string(REPLACE "${CMAKE_MATCH_1}" "${text}" to "${from}")
  string(REPLACE "${from}" "${to}" changed "${good}")
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

set(digits "a build number is not plain decimal digits")
foreach(case IN ITEMS
    "same_name;0;${first_name};two images share a name"
    "letter_in_number;1;\"8230x\";${digits}"
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
