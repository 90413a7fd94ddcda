# Installs the built library into a scratch prefix, then configures, builds
# and runs the consumer project against that prefix alone.
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
