# Shared by the scripts that compare names: the names the subsystems list
# for export (LISTS holds their exports.txt files joined with "|"), and the
# output of a binutils tool run on the built LIBRARY.
function(vrelo_listed_exports out)
  set(names "")
  string(REPLACE "|" ";" files "${LISTS}")
  foreach(list_file ${files})
    file(STRINGS ${list_file} lines REGEX "^[A-Za-z_][A-Za-z0-9_]*$")
    list(APPEND names ${lines})
  endforeach()
  list(SORT names)
  set(${out} ${names} PARENT_SCOPE)
endfunction()

function(vrelo_inspect_library out tool)
  execute_process(COMMAND ${tool} ${ARGN} ${LIBRARY} OUTPUT_VARIABLE text
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${tool} failed on ${LIBRARY}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()
