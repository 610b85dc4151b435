# Breaks the image table on purpose and fails unless the compiler refuses
# each broken copy with the table's own message.
#
#   cmake -DCXX=<compiler> -DSOURCE=<VerService.cpp> -DWORK=<dir> -P table_guard.cmake

file(READ ${SOURCE} good)
file(MAKE_DIRECTORY ${WORK})

# Writes the source with one text replaced and compiles it; sets rc and err.
function(compile name from to)
  string(REPLACE "${from}" "${to}" changed "${good}")
  if(changed STREQUAL good)
    message(FATAL_ERROR "${name}: \"${from}\" is not in ${SOURCE}")
  endif()
  file(WRITE ${WORK}/${name}.cpp "${changed}")
  execute_process(COMMAND ${CXX} -std=c++17 -fsyntax-only ${WORK}/${name}.cpp
    ERROR_VARIABLE err RESULT_VARIABLE rc)
  set(err "${err}" PARENT_SCOPE)
  set(rc "${rc}" PARENT_SCOPE)
endfunction()

function(refused name from to message)
  compile(${name} "${from}" "${to}")
  string(FIND "${err}" "${message}" at)
  if(rc EQUAL 0 OR at EQUAL -1)
    message(SEND_ERROR "${name}: not refused with \"${message}\":\n${err}")
  endif()
endfunction()

set(names "two images share a name")
set(digits "a build number is not plain decimal digits")
refused(same_name        [["UI.bin"]] [["web.bin"]]    "${names}")
refused(letter_in_number [["81736"]]  [["8230x"]]      "${digits}")
refused(negative         [["81736"]]  [["-5"]]         "${digits}")
refused(blank            [["81736"]]  [[" 81736"]]     "${digits}")
refused(empty            [["81736"]]  [[""]]           "${digits}")
refused(too_large        [["81736"]]  [["2147483648"]] "${digits}")

# The guard must not refuse a table that is good.
compile(largest [["81736"]] [["2147483647"]])
if(NOT rc EQUAL 0)
  message(SEND_ERROR "largest: a good table was refused:\n${err}")
endif()
