# Looks inside the built product library: it must carry no part of the
# tests' allocation switch.
find_program(NM nm REQUIRED)

execute_process(COMMAND ${NM} -C ${LIBRARY} OUTPUT_VARIABLE symbols
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[^\n]*(fail_allocation_after|allocation_failure_armed|allocation_count|live_allocations|allocations_made|failing_allocation|blocks_live)[^\n]*"
       switch "${symbols}")
if(switch)
  message(FATAL_ERROR "the test switch is in the product:\n${switch}")
endif()

message(STATUS "no test switch in the product")
