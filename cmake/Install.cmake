# Install layout (GNU directories under the prefix):
#   bin/workbench                                  the host application
#   LIBDIR/tools-generic-position-mode/            the host stand-in's two libraries
#   LIBDIR/tools-generic-position-mode/plugins/    the plug-in file
#   share/applications, share/icons/hicolor        the workbench's desktop entry and icon
#   DOCDIR                                         README and its pictures and scripts
# The libraries are private to the workbench and the plug-in, so they stay out
# of the linker's search path and each binary finds them through its RUNPATH.
set(POSITIONMODE_PACKAGE_NAME tools-generic-position-mode)
# Debian keeps a package's documents under its package name.
set(CMAKE_INSTALL_DOCDIR share/doc/${POSITIONMODE_PACKAGE_NAME} CACHE PATH "Documentation (README, docs/)")
include(GNUInstallDirs)

set(POSITIONMODE_INSTALL_LIBDIR ${CMAKE_INSTALL_LIBDIR}/${POSITIONMODE_PACKAGE_NAME})
set(POSITIONMODE_INSTALL_PLUGINDIR ${POSITIONMODE_INSTALL_LIBDIR}/plugins)

# The installed workbench looks for the plug-in relative to its own directory.
file(RELATIVE_PATH workbench_to_plugins /${CMAKE_INSTALL_BINDIR} /${POSITIONMODE_INSTALL_PLUGINDIR})
file(RELATIVE_PATH workbench_to_libraries /${CMAKE_INSTALL_BINDIR} /${POSITIONMODE_INSTALL_LIBDIR})

set_target_properties(hostapi hostsimulation PROPERTIES INSTALL_RPATH "\$ORIGIN")
set_target_properties(tools_generic_position_mode PROPERTIES INSTALL_RPATH "\$ORIGIN/..")
install(TARGETS hostapi hostsimulation LIBRARY DESTINATION ${POSITIONMODE_INSTALL_LIBDIR})
install(TARGETS tools_generic_position_mode LIBRARY DESTINATION ${POSITIONMODE_INSTALL_PLUGINDIR})

if(TARGET workbench)
  target_compile_definitions(workbench_session PRIVATE
    POSITIONMODE_INSTALLED_PLUGIN_DIR="${workbench_to_plugins}")
  set_target_properties(workbench PROPERTIES INSTALL_RPATH "\$ORIGIN/${workbench_to_libraries}")
  install(TARGETS workbench RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES packaging/positionmode-workbench.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES packaging/positionmode-workbench.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs)
