# Shared by the scripts that compare names: the names the library exports,
# read from the one list of them, the public header (HEADER), where every
# exported call and table is declared VRELO_API; and the output of a
# binutils tool run on the built LIBRARY.
function(vrelo_listed_exports out)
  file(STRINGS ${HEADER} lines REGEX "^VRELO_API ")
  set(names "")
  foreach(line ${lines})
    # The declared name: the identifier before the first "(" or "[".
    string(REGEX MATCH "([A-Za-z_][A-Za-z0-9_]*) *[[(]" _ "${line}")
    list(APPEND names ${CMAKE_MATCH_1})
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
