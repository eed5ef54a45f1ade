# Installs the build into a fresh prefix and runs the installed workbench on a
# script: it must find its installed plug-in and libraries by itself and print
# what the build tree's workbench prints.
#   cmake -DBUILD_DIR=<dir> -DPREFIX=<dir> -DSCRIPT=<file> -P check_install.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${PREFIX}"
                OUTPUT_QUIET RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cmake --install ${BUILD_DIR} --prefix ${PREFIX} failed")
endif()
if(EXISTS "${PREFIX}/plugins")
  message(FATAL_ERROR "the install layout must not look like the build layout")
endif()

foreach(tree build installed)
  if(tree STREQUAL build)
    set(workbench "${BUILD_DIR}/bin/workbench")
  else()
    set(workbench "${PREFIX}/bin/workbench")
  endif()
  execute_process(COMMAND "${workbench}" --script "${SCRIPT}"
                  OUTPUT_VARIABLE ${tree}_out ERROR_VARIABLE ${tree}_err RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${workbench} exited with ${status}:\n${${tree}_err}")
  endif()
endforeach()
if(NOT installed_out STREQUAL build_out OR installed_out STREQUAL "")
  message(FATAL_ERROR "the installed workbench printed\n${installed_out}\nthe build tree's\n${build_out}")
endif()
message(STATUS "installed workbench prints what the build tree's does")
