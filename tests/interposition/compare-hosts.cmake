# Runs the plain host and the host that defines exported names of its own
# (through EMULATOR when the build needs one) and compares what they wrote.
foreach(host PLAIN INTERPOSING)
  execute_process(COMMAND ${EMULATOR} ${${host}} OUTPUT_FILE ${OUT}.${host}
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${${host}} failed: ${rc}")
  endif()
endforeach()
file(SIZE ${OUT}.PLAIN size)
if(size LESS 100000)
  message(FATAL_ERROR "the plain host wrote only ${size} bytes")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT}.PLAIN
                        ${OUT}.INTERPOSING RESULT_VARIABLE differ)
if(differ)
  message(FATAL_ERROR "a host defining exported names got other output")
endif()
message(STATUS "${size} bytes alike")
