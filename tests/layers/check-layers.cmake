# Checks the include graph of a source tree (ROOT) against the library's
# layers: platform uses nothing of ours; encode, delay and offsetmem use
# platform; output uses all four. Outside src/ each may also include the
# public header. The renderer (src/inks) and the tools reach the library
# only through the public headers, besides their own. Every breach is
# reported, then the check fails.
cmake_minimum_required(VERSION 3.25)
set(layer_uses_platform platform)
set(layer_uses_encode encode platform)
set(layer_uses_delay delay platform)
set(layer_uses_offsetmem offsetmem platform)
set(layer_uses_output output encode delay offsetmem platform)
set(public_headers vrelo417.h vrelo417_host.h vrelo417_inks.h)

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

# A file of the tools (or of the renderer) includes a public header or a
# header of its own part.
function(check_public_only part words)
  file(GLOB_RECURSE part_sources ${ROOT}/${part}/*.cpp ${ROOT}/${part}/*.hpp
                                 ${ROOT}/${part}/*.c ${ROOT}/${part}/*.h)
  set(own_headers "")
  foreach(source ${part_sources})
    get_filename_component(name ${source} NAME)
    list(APPEND own_headers ${name})
  endforeach()
  foreach(source ${part_sources})
    file(STRINGS ${source} quoted REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line ${quoted})
      string(REGEX REPLACE "^[^\"]*\"([^\"]+)\".*$" "\\1" name "${line}")
      if(NOT name IN_LIST public_headers AND NOT name IN_LIST own_headers)
        file(RELATIVE_PATH where ${ROOT} ${source})
        list(APPEND breaches "${where} includes \"${name}\": ${words} use the library only through its public headers")
      endif()
    endforeach()
  endforeach()
  set(breaches ${breaches} PARENT_SCOPE)
endfunction()
check_public_only(tools "tools")
check_public_only(src/inks "the renderer's files")

if(breaches)
  list(JOIN breaches "\n  " text)
  message(FATAL_ERROR "includes across the layers:\n  ${text}")
endif()
message(STATUS "every include follows the layers")
