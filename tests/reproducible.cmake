cmake_minimum_required(VERSION 3.25)
# Builds the sources again from a copy elsewhere, with the same settings;
# the two executables must be the same bytes, without the first build's
# paths, the host name or today's date.
#
#   cmake -DSOURCE_DIR=<dir> -DBINARY_DIR=<dir> -DWORK=<dir> -DTOOL=<exe>
#         -DGENERATOR=<name> -DSETTINGS=<cache file> -P reproducible.cmake

# A longer path, so that a leaked one also shifts what follows it.
set(copy ${WORK}/a/copy/of/the/sources/placed/elsewhere)
file(REMOVE_RECURSE ${WORK})
file(COPY ${SOURCE_DIR}/CMakeLists.txt ${SOURCE_DIR}/src ${SOURCE_DIR}/cmake
  DESTINATION ${copy})
file(COPY ${SOURCE_DIR}/tests/verservice-selftest DESTINATION ${copy}/tests)

# Paths in the settings (a prefix map) follow the sources to the copy.
file(READ ${SETTINGS} settings)
string(REPLACE "${SOURCE_DIR}" "${copy}" settings "${settings}")
file(WRITE ${WORK}/settings.cmake "${settings}")

execute_process(
  COMMAND ${CMAKE_COMMAND} -G ${GENERATOR} -C ${WORK}/settings.cmake
          -DBUILD_TESTING=OFF -S ${copy} -B ${WORK}/build
  OUTPUT_QUIET RESULT_VARIABLE rc)
if(rc EQUAL 0)
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK}/build
    OUTPUT_QUIET RESULT_VARIABLE rc)
endif()
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the second build failed")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files
  ${TOOL} ${WORK}/build/verservice RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(SEND_ERROR "${TOOL} and ${WORK}/build/verservice differ")
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
