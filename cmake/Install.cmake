# SPDX-License-Identifier: MIT
# Install layout (GNU directories under the prefix):
#   bin/positionmode-workbench                     the host application
#   LIBDIR/tools-generic-position-mode/            the host stand-in's two libraries
#   LIBDIR/tools-generic-position-mode/plugins/    the plug-in file
#   share/applications, share/icons/hicolor        the workbench's desktop entry and icon
#   share/man/man1                                 the workbench's manual page
#   DOCDIR                                         README, pictures and scripts, copyright, changelog
# LIBDIR is Debian's multiarch folder (lib/x86_64-linux-gnu) where the build
# knows it. The libraries are private to the workbench and the plug-in: their
# SONAMEs carry no version, they stay out of the linker's search path, each
# binary finds them through its RUNPATH, and so no ldconfig call is needed
# (CPack would add one for libraries directly under lib/ or one folder below).
set(POSITIONMODE_PACKAGE_NAME tools-generic-position-mode)
# The prefix the Debian package installs under (cmake/Package.cmake).
set(POSITIONMODE_PACKAGE_PREFIX /usr)
# Debian keeps a package's documents under its package name.
set(CMAKE_INSTALL_DOCDIR share/doc/${POSITIONMODE_PACKAGE_NAME} CACHE PATH "Documentation (README, docs/)")
if(CMAKE_LIBRARY_ARCHITECTURE)
  set(CMAKE_INSTALL_LIBDIR lib/${CMAKE_LIBRARY_ARCHITECTURE} CACHE PATH "Object code libraries")
endif()
include(GNUInstallDirs)

set(POSITIONMODE_INSTALL_LIBDIR ${CMAKE_INSTALL_LIBDIR}/${POSITIONMODE_PACKAGE_NAME})
set(POSITIONMODE_INSTALL_PLUGINDIR ${POSITIONMODE_INSTALL_LIBDIR}/plugins)

# The installed workbench looks for the plug-in relative to its own directory.
file(RELATIVE_PATH workbench_to_plugins /${CMAKE_INSTALL_BINDIR} /${POSITIONMODE_INSTALL_PLUGINDIR})
file(RELATIVE_PATH workbench_to_libraries /${CMAKE_INSTALL_BINDIR} /${POSITIONMODE_INSTALL_LIBDIR})

# Folders the install makes on the way (usr/share/doc, ...) take these
# permissions rather than the builder's umask; so does the package (CPack
# takes this setting for its folders too).
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# A stripped install (cmake --install --strip, and the package) also drops
# the .comment section, which strip keeps: the compiler's version strings,
# nothing a program reads.
function(positionmode_install_binary target destination)
  install(TARGETS ${target} RUNTIME DESTINATION ${destination} LIBRARY DESTINATION ${destination})
  install(CODE "if(CMAKE_INSTALL_DO_STRIP)
  execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section .comment
    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${destination}/$<TARGET_FILE_NAME:${target}>\"
    COMMAND_ERROR_IS_FATAL ANY)
endif()")
endfunction()

set_target_properties(hostapi hostsimulation PROPERTIES INSTALL_RPATH "\$ORIGIN")
set_target_properties(tools_generic_position_mode PROPERTIES INSTALL_RPATH "\$ORIGIN/..")
positionmode_install_binary(hostapi ${POSITIONMODE_INSTALL_LIBDIR})
positionmode_install_binary(hostsimulation ${POSITIONMODE_INSTALL_LIBDIR})
positionmode_install_binary(tools_generic_position_mode ${POSITIONMODE_INSTALL_PLUGINDIR})

# Debian wants the documents it ships compressed with gzip -9n (no name, no
# time stamp, so the same text gives the same bytes).
# FILE is in the build tree; FILE.gz lands beside it.
function(positionmode_gzip file)
  add_custom_command(OUTPUT ${file}.gz COMMAND gzip -9nkf ${file} DEPENDS ${file} VERBATIM)
endfunction()

# The changelog names the version the project builds.
file(STRINGS packaging/changelog changelog_head LIMIT_COUNT 1)
if(NOT changelog_head MATCHES "^${POSITIONMODE_PACKAGE_NAME} \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog starts with \"${changelog_head}\": "
                      "its first entry must be version ${PROJECT_VERSION}")
endif()
set(packaging_dir ${CMAKE_BINARY_DIR}/packaging)
configure_file(packaging/changelog ${packaging_dir}/changelog COPYONLY)
positionmode_gzip(${packaging_dir}/changelog)
set(packaging_outputs ${packaging_dir}/changelog.gz)
# The licence is in the copyright file, which Debian wants instead of a copy.
install(FILES packaging/copyright ${packaging_dir}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

if(TARGET workbench)
  target_compile_definitions(workbench_session PRIVATE
    POSITIONMODE_INSTALLED_PLUGIN_DIR="${workbench_to_plugins}")
  set_target_properties(workbench PROPERTIES INSTALL_RPATH "\$ORIGIN/${workbench_to_libraries}")
  positionmode_install_binary(workbench ${CMAKE_INSTALL_BINDIR})
  install(FILES packaging/positionmode-workbench.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES packaging/positionmode-workbench.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

  # The manual page names the package's folders, with troff's hyphens.
  string(REPLACE "-" "\\-" MAN_PLUGIN_DIR "${POSITIONMODE_PACKAGE_PREFIX}/${POSITIONMODE_INSTALL_PLUGINDIR}")
  string(REPLACE "-" "\\-" MAN_DOC_DIR "${POSITIONMODE_PACKAGE_PREFIX}/${CMAKE_INSTALL_DOCDIR}")
  configure_file(packaging/positionmode-workbench.1.in ${packaging_dir}/positionmode-workbench.1 @ONLY)
  positionmode_gzip(${packaging_dir}/positionmode-workbench.1)
  list(APPEND packaging_outputs ${packaging_dir}/positionmode-workbench.1.gz)
  install(FILES ${packaging_dir}/positionmode-workbench.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
add_custom_target(positionmode_packaging_files ALL DEPENDS ${packaging_outputs})

install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs)
