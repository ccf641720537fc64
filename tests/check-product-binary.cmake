# Looks inside the built product library. It must carry no part of the
# tests' allocation switch, and every reference from the library to one of
# its own exported names must be bound inside it: a relocation that names
# an export would let a host program or another library that defines the
# same name take over the library's own calls.
cmake_policy(SET CMP0057 NEW)
include(${CMAKE_CURRENT_LIST_DIR}/../cmake/library-names.cmake)
find_program(NM nm REQUIRED)
find_program(READELF readelf REQUIRED)

vrelo_inspect_library(symbols ${NM} -C)
string(REGEX MATCHALL "[^\n]*(fail_allocation_after|allocation_failure_armed|allocation_count|live_allocations|allocations_made|failing_allocation|blocks_live)[^\n]*"
       switch "${symbols}")
if(switch)
  message(FATAL_ERROR "the test switch is in the product:\n${switch}")
endif()

vrelo_listed_exports(exported)
vrelo_inspect_library(relocations ${READELF} -rW)
string(REPLACE "\n" ";" rows "${relocations}")
set(interposable "")
foreach(row ${rows})
  # offset info type symbol-value symbol-name[@version] [+ addend]
  if(row MATCHES "^[0-9a-f]+ +[0-9a-f]+ +[A-Z0-9_]+ +[0-9a-f]+ +([A-Za-z_][A-Za-z0-9_]*)")
    if(CMAKE_MATCH_1 IN_LIST exported)
      list(APPEND interposable ${CMAKE_MATCH_1})
    endif()
  endif()
endforeach()
list(REMOVE_DUPLICATES interposable)
if(interposable)
  message(FATAL_ERROR "own exports reached through relocations: ${interposable}")
endif()
message(STATUS "no test switch; every own export bound inside")
