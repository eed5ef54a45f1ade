# SPDX-License-Identifier: MIT
# The plug-in's sources reach the host only through the host API's include
# root. An include that climbs out of a folder ("../") could reach the
# simulation beside the API without the compiler noticing: none is allowed.
#   cmake -DSOURCES=<folder;folder...> -P check_plugin_includes.cmake
set(found "")
foreach(folder ${SOURCES})
  file(GLOB_RECURSE files "${folder}/*.h" "${folder}/*.cpp")
  foreach(file ${files})
    file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<][^\">]*\\.\\.[/\\\\]")
    foreach(line ${lines})
      string(APPEND found "\n  ${file}: ${line}")
    endforeach()
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "plug-in sources include past their folder:${found}")
endif()
