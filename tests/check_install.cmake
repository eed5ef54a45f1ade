# SPDX-License-Identifier: MIT
# Installs the build into a fresh prefix and runs the installed workbench on a
# script: it must find its installed plug-in and libraries by itself, load
# that plug-in and not a stray file where a build tree keeps its plug-ins, and
# print what the build tree's workbench prints. The manual page names every
# option --help lists, and its example prints first what it says.
#   cmake -DBUILD_DIR=<dir> -DWORKBENCH=<built executable> -DPREFIX=<dir> -DSCRIPT=<file>
#         -DMANPAGE=<built manual page> -P check_install.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${PREFIX}"
                OUTPUT_QUIET RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cmake --install ${BUILD_DIR} --prefix ${PREFIX} failed")
endif()
file(WRITE "${PREFIX}/plugins/libtools_generic_position_mode.so" "not a plug-in")

get_filename_component(name "${WORKBENCH}" NAME)
foreach(tree build installed)
  if(tree STREQUAL build)
    set(workbench "${WORKBENCH}")
  else()
    set(workbench "${PREFIX}/bin/${name}")
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

execute_process(COMMAND "${WORKBENCH}" --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
file(READ "${MANPAGE}" manpage)
string(REGEX MATCHALL "--[a-z-]+" options "${help}")
list(REMOVE_DUPLICATES options)
foreach(option IN LISTS options)
  string(REPLACE "-" "\\\\-" troff "${option}")
  if(NOT manpage MATCHES "${troff}")
    message(FATAL_ERROR "the manual page ${MANPAGE} does not name ${option}")
  endif()
endforeach()
message(STATUS "the manual page names ${options}")

# The example of the manual page prints first the line the page shows.
string(REGEX MATCH "\n\\.nf\n(([^.\n][^\n]*\n)+)\\.fi\n" block "${manpage}")
set(example "${CMAKE_MATCH_1}")
string(REGEX MATCH "\nand prints\n\\.PP\n\\.RS\n\\.B ([^\n]+)\n" said "${manpage}")
set(said "${CMAKE_MATCH_1}")
if(example STREQUAL "" OR said STREQUAL "")
  message(FATAL_ERROR "the manual page ${MANPAGE} has no example script and the line it prints")
endif()
file(WRITE "${PREFIX}/manpage-example.wbs" "${example}")
execute_process(COMMAND "${WORKBENCH}" --script "${PREFIX}/manpage-example.wbs" OUTPUT_VARIABLE out)
string(REGEX MATCH "^[^\n]*\n" first "${out}")
if(NOT first STREQUAL "${said}\n")
  message(FATAL_ERROR "the manual page's example prints first\n${first}not\n${said}")
endif()
message(STATUS "the manual page's example prints \"${said}\" first")
