# Installs the built library into a scratch prefix, then configures, builds
# and runs the consumer project (and, in the plain build, the service panel)
# against that prefix alone.
file(REMOVE_RECURSE "${WORK}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD}" --prefix "${WORK}/prefix"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(rc)
  message(FATAL_ERROR "install failed: ${rc}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -S "${SOURCE}" -B "${WORK}/build"
                        "-DCMAKE_PREFIX_PATH=${WORK}/prefix" "-DCMAKE_CXX_FLAGS=${FLAGS}"
                        "-DCMAKE_EXE_LINKER_FLAGS=${FLAGS}" "-DCMAKE_INSTALL_RPATH=${WORK}/prefix/lib"
                        "-DCMAKE_BUILD_WITH_INSTALL_RPATH=ON"
                RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "configure failed: ${rc}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build "${WORK}/build" RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "build failed: ${rc}")
endif()
execute_process(COMMAND "${WORK}/build/consumer" RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "consumer failed: ${rc}")
endif()

# The installed programs start from the prefix alone: axocomm answers a bad
# call with its usage (2) and a ping of a closed port with 1; the simulator
# serves TLS with the certificates installed beside it.
if(EXISTS "${WORK}/prefix/bin/axocomm")
  execute_process(COMMAND "${WORK}/prefix/bin/axocomm" RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
  if(NOT rc EQUAL 2)
    message(FATAL_ERROR "installed axocomm did not start: ${rc}")
  endif()
endif()
if(EXISTS "${WORK}/prefix/bin/axodriver-sim")
  execute_process(COMMAND "${WORK}/prefix/bin/axodriver-sim" --tls --port 0 --check
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "installed axodriver-sim did not start: ${rc} ${out} ${err}")
  endif()
endif()

# The service panel, configured and built against the prefix alone as an
# integrator builds it: it uses the public API only. In the plain build only
# (a sanitizer build would build it again, slowly, for nothing new), and only
# when the main build found Qt Widgets and built the examples.
file(STRINGS "${BUILD}/CMakeCache.txt" _cache
     REGEX "^(Qt5Widgets_DIR|AXOCOMM_BUILD_EXAMPLES|AXOCOMM_SANITIZE|AXOCOMM_TSAN):")
set(_widgets OFF)
set(_panel ON)
foreach(_entry IN LISTS _cache)
  if(_entry MATCHES "^Qt5Widgets_DIR:[A-Z]*=(.+)$" AND NOT CMAKE_MATCH_1 MATCHES "NOTFOUND$")
    set(_widgets ON)
  elseif(_entry MATCHES "^AXOCOMM_BUILD_EXAMPLES:BOOL=(OFF|FALSE|0)$"
         OR _entry MATCHES "^AXOCOMM_(SANITIZE|TSAN):BOOL=(ON|TRUE|1)$")
    set(_panel OFF)
  endif()
endforeach()
if(NOT _widgets)
  set(_panel OFF)
endif()
get_filename_component(_panel_source "${SOURCE}/../../examples/service-panel" ABSOLUTE)
if(_panel AND EXISTS "${_panel_source}/CMakeLists.txt")
  execute_process(COMMAND ${CMAKE_COMMAND} -S "${_panel_source}" -B "${WORK}/panel"
                          "-DCMAKE_PREFIX_PATH=${WORK}/prefix" "-DCMAKE_INSTALL_RPATH=${WORK}/prefix/lib"
                          "-DCMAKE_BUILD_WITH_INSTALL_RPATH=ON"
                  RESULT_VARIABLE rc)
  if(rc)
    message(FATAL_ERROR "service panel configure failed: ${rc}")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} --build "${WORK}/panel" -j 2 RESULT_VARIABLE rc)
  if(rc)
    message(FATAL_ERROR "service panel build failed: ${rc}")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen "${WORK}/panel/service-panel" --help
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_QUIET)
  if(rc OR NOT out MATCHES "--connect")
    message(FATAL_ERROR "installed-package service panel did not start: ${rc} ${out}")
  endif()
  message(STATUS "service panel built against the installed package")
endif()
