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
