# The linker version script: the names the public header exports, and
# nothing else.
include(${CMAKE_CURRENT_LIST_DIR}/library-names.cmake)
vrelo_listed_exports(names)
set(body "{\n  global:\n")
foreach(name ${names})
  string(APPEND body "    ${name};\n")
endforeach()
string(APPEND body "  local:\n    *;\n};\n")
file(WRITE ${OUT} "${body}")
