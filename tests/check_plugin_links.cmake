# SPDX-License-Identifier: MIT
# The plug-in is loaded next to the host's own libraries and must not carry
# the simulation: no simulation library among its dependencies, no
# simulation class among its symbols.
#   cmake -DPLUGIN=<file> -DSIMULATION=<library file> -P check_plugin_links.cmake
foreach(tool nm ldd)
  find_program(${tool}_program ${tool} REQUIRED)
endforeach()
get_filename_component(simulation_name "${SIMULATION}" NAME)

execute_process(COMMAND ${ldd_program} "${PLUGIN}" OUTPUT_VARIABLE libraries RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "ldd failed on ${PLUGIN}")
endif()
string(FIND "${libraries}" "${simulation_name}" at)
if(NOT at EQUAL -1)
  message(FATAL_ERROR "${PLUGIN} depends on the simulation library ${simulation_name}:\n${libraries}")
endif()

execute_process(COMMAND ${nm_program} -C "${PLUGIN}" OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "nm failed on ${PLUGIN}")
endif()
foreach(class SimulatedModule SimulatedDevice DeviceStore MotorMotion SimulatedProduct JournalLink Journal::
        ProductReader RampGenerator RampBands MovePlanner MotionWiring)
  string(FIND "${symbols}" "${class}" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "${PLUGIN} names the simulation class ${class}")
  endif()
endforeach()
message(STATUS "${PLUGIN} links the host API only")
