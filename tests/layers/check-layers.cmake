# Checks the include graph of a source tree (ROOT) against the library's
# layers: platform uses nothing of ours; encode, delay and offsetmem use
# platform; output uses all four. Outside src/ each may also include the
# public header. The host-side libraries (src/host, src/inks ...) and the
# programs (tools/) reach the library only through the public headers, and
# one another as their own layers say. Every breach is reported, then the
# check fails.
cmake_minimum_required(VERSION 3.25)
set(layer_uses_platform platform)
set(layer_uses_encode encode platform)
set(layer_uses_delay delay platform)
set(layer_uses_offsetmem offsetmem platform)
set(layer_uses_output output encode delay offsetmem platform)
set(public_headers vrelo417.h vrelo417_version.h vrelo417_host.h vrelo417_inks.h)

# The quoted and angled includes of a file, as they are written.
function(includes_of file out)
  file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
  set(names "")
  foreach(line ${lines})
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]+)[\">].*$" "\\1" name "${line}")
    list(APPEND names ${name})
  endforeach()
  set(${out} ${names} PARENT_SCOPE)
endfunction()

set(breaches "")
set(layers platform encode delay offsetmem output)
foreach(layer ${layers})
  file(GLOB_RECURSE sources ${ROOT}/src/${layer}/*.cpp ${ROOT}/src/${layer}/*.hpp
                            ${ROOT}/src/${layer}/*.c ${ROOT}/src/${layer}/*.h)
  foreach(source ${sources})
    includes_of(${source} names)
    foreach(name ${names})
      if(name STREQUAL "vrelo417.h" OR NOT name MATCHES "^([a-z]+)/")
        continue()
      endif()
      string(REGEX REPLACE "/.*$" "" used "${name}")
      if(used IN_LIST layers AND NOT used IN_LIST layer_uses_${layer})
        file(RELATIVE_PATH where ${ROOT} ${source})
        list(JOIN layer_uses_${layer} ", " uses)
        list(APPEND breaches "${where} includes \"${name}\": ${layer} may use ${uses}")
      endif()
    endforeach()
  endforeach()
endforeach()

# The host-side libraries beside it in src/ reach the library only through
# the public headers. Each may include its own headers and those of the
# host-side parts it builds on; every program (a folder of tools/) may use
# every host-side part, and its own headers.
set(host_parts host inks command_line pictures printing inspect)
set(host_uses_host)
set(host_uses_inks)
set(host_uses_command_line)
set(host_uses_pictures command_line)
set(host_uses_printing command_line)
set(host_uses_inspect command_line pictures printing)

function(sources_of folder out)
  file(GLOB_RECURSE found ${folder}/*.cpp ${folder}/*.hpp ${folder}/*.c ${folder}/*.h)
  set(${out} ${found} PARENT_SCOPE)
endfunction()

# The header names of a folder.
function(headers_of folder out)
  file(GLOB_RECURSE found ${folder}/*.hpp ${folder}/*.h)
  set(names "")
  foreach(header ${found})
    get_filename_component(name ${header} NAME)
    list(APPEND names ${name})
  endforeach()
  set(${out} ${names} PARENT_SCOPE)
endfunction()

foreach(part ${host_parts})
  headers_of(${ROOT}/src/${part} headers_of_${part})
endforeach()

# Every quoted include of the files in folder: a public header, one of the
# folder's own, or one of the parts it may use.
function(check_host_side folder uses who)
  headers_of(${folder} allowed)
  list(APPEND allowed ${public_headers})
  foreach(used ${uses})
    list(APPEND allowed ${headers_of_${used}})
  endforeach()
  sources_of(${folder} sources)
  foreach(source ${sources})
    file(STRINGS ${source} quoted REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line ${quoted})
      string(REGEX REPLACE "^[^\"]*\"([^\"]+)\".*$" "\\1" name "${line}")
      if(NOT name IN_LIST allowed)
        file(RELATIVE_PATH where ${ROOT} ${source})
        list(JOIN uses ", " list)
        set(also " and those of ${list}")
        if(list STREQUAL "")
          set(also "")
        endif()
        list(APPEND breaches "${where} includes \"${name}\": ${who} includes only the public headers, its own${also}")
      endif()
    endforeach()
  endforeach()
  set(breaches ${breaches} PARENT_SCOPE)
endfunction()

foreach(part ${host_parts})
  check_host_side(${ROOT}/src/${part} "${host_uses_${part}}" "src/${part}")
endforeach()
file(GLOB programs LIST_DIRECTORIES true ${ROOT}/tools/*)
foreach(program ${programs})
  if(IS_DIRECTORY ${program})
    check_host_side(${program} "${host_parts}" "a program")
  endif()
endforeach()

if(breaches)
  list(JOIN breaches "\n  " text)
  message(FATAL_ERROR "includes across the layers:\n  ${text}")
endif()
message(STATUS "every include follows the layers")
