# SPDX-License-Identifier: MIT
# Compiler settings every target of the project takes, as one interface
# target linked privately: warnings, the Qt API level of the host, and the
# sanitizers when POSITIONMODE_SANITIZE is on, coverage when POSITIONMODE_COVERAGE is.
add_library(positionmode_flags INTERFACE)
target_compile_options(positionmode_flags INTERFACE -Wall -Wextra)
# The host is built against Qt 5.12: keep away from what was already obsolete then.
target_compile_definitions(positionmode_flags INTERFACE QT_DISABLE_DEPRECATED_BEFORE=0x050C00 QT_NO_FOREACH)
# The release every program reports (the plug-in's version string, the
# workbench's --version), from project(VERSION) alone: POSITIONMODE_VERSION is
# a string literal, "4.6.0".
target_compile_definitions(positionmode_flags INTERFACE POSITIONMODE_VERSION="${PROJECT_VERSION}")
if(POSITIONMODE_SANITIZE)
  target_compile_options(positionmode_flags INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(positionmode_flags INTERFACE -fsanitize=address,undefined -fno-sanitize-recover=all)
endif()
# Debian's hardening flags (dpkg-buildflags with every hardening feature:
# stack protector, _FORTIFY_SOURCE, format checks, full RELRO with immediate
# binding) in optimised builds, the one the package is made from among them.
# The build type keeps its own -O and -g; the sanitizer, coverage and fuzz
# builds have instrumentation of their own and go without.
option(POSITIONMODE_HARDEN "Compile and link optimised builds with Debian's hardening flags (dpkg-buildflags)" ON)
if(POSITIONMODE_HARDEN AND NOT POSITIONMODE_SANITIZE AND NOT POSITIONMODE_COVERAGE AND NOT POSITIONMODE_FUZZ
   AND CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$")
  find_program(POSITIONMODE_DPKG_BUILDFLAGS dpkg-buildflags)
  if(NOT POSITIONMODE_DPKG_BUILDFLAGS)
    message(FATAL_ERROR "POSITIONMODE_HARDEN needs dpkg-buildflags (dpkg-dev); or configure with -DPOSITIONMODE_HARDEN=OFF")
  endif()
  foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    # From the source folder, so that -ffile-prefix-map writes its paths relative to it.
    execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                            ${POSITIONMODE_DPKG_BUILDFLAGS} --get ${kind}
                    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    separate_arguments(flags UNIX_COMMAND "${flags}")
    list(REMOVE_ITEM flags -g -O2)
    if(kind STREQUAL LDFLAGS)
      target_link_options(positionmode_flags INTERFACE ${flags})
    else()
      target_compile_options(positionmode_flags INTERFACE ${flags})
    endif()
  endforeach()
  # What Debian's later releases add to these on amd64: stack clash
  # protection and control-flow protection (hardening-check looks for both).
  if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64)$")
    target_compile_options(positionmode_flags INTERFACE -fstack-clash-protection -fcf-protection)
  endif()
endif()
# Fuzzing: coverage for libFuzzer and the sanitizers everywhere; the fuzz
# targets themselves link libFuzzer's main (fuzz/CMakeLists.txt).
if(POSITIONMODE_FUZZ)
  target_compile_options(positionmode_flags INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(positionmode_flags INTERFACE -fsanitize=address,undefined -fno-sanitize-recover=all)
endif()

# Coverage counters (gcc --coverage) in every target that takes these flags;
# scripts/coverage.sh reads them with gcovr.
if(POSITIONMODE_COVERAGE)
  target_compile_options(positionmode_flags INTERFACE --coverage)
  target_link_options(positionmode_flags INTERFACE --coverage)
endif()

# Builds the tools' Designer forms into `target`: uic makes Ui_PositionMode_*
# for every source of the target that includes "ui_positionmode_*.h".
set(POSITIONMODE_FORMS_DIR ${CMAKE_CURRENT_LIST_DIR}/../forms)
function(positionmode_add_forms target)
  target_sources(${target} PRIVATE
    ${POSITIONMODE_FORMS_DIR}/positionmode_axisparameter.ui
    ${POSITIONMODE_FORMS_DIR}/positionmode_orsax.ui
    ${POSITIONMODE_FORMS_DIR}/positionmode_veltrax.ui
    ${POSITIONMODE_FORMS_DIR}/positionmode_veltrax_ap.ui
    ${POSITIONMODE_FORMS_DIR}/positionmode_zell.ui)
  set_property(TARGET ${target} APPEND PROPERTY AUTOUIC_SEARCH_PATHS ${POSITIONMODE_FORMS_DIR})
endfunction()
