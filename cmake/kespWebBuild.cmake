# The web page's engine, built with Emscripten in a build folder of its own
# (<build>/web-engine) beside the native build, for the tests that run it
# against the native kesp. Left out, with a message, when Emscripten or Node
# is missing (tools/installDependencies.sh installs them).
find_program(KESP_EMCMAKE emcmake)
find_program(KESP_NODE node)
if(NOT KESP_EMCMAKE OR NOT KESP_NODE)
  message(STATUS "The web engine and its tests are left out: emcmake or node not found")
  return()
endif()
include(ExternalProject)
set(KESP_WEB_ENGINE_DIR ${PROJECT_BINARY_DIR}/web-engine)
# Debian's Emscripten runs its JavaScript tools with the installed Node,
# which finds Debian's Node modules only through NODE_PATH.
set(KESP_EMSCRIPTEN_ENVIRONMENT ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs
                                --unset=CMAKE_CXX_COMPILER_LAUNCHER)
# Its own build runs on all cores: it cannot share the jobs of the native one.
cmake_host_system_information(RESULT KESP_WEB_JOBS QUERY NUMBER_OF_LOGICAL_CORES)
ExternalProject_Add(kespWebEngine
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${KESP_WEB_ENGINE_DIR}
  CONFIGURE_COMMAND ${KESP_EMSCRIPTEN_ENVIRONMENT} ${KESP_EMCMAKE} ${CMAKE_COMMAND} -S <SOURCE_DIR> -B <BINARY_DIR>
                    -DCMAKE_BUILD_TYPE=Release
  BUILD_COMMAND ${KESP_EMSCRIPTEN_ENVIRONMENT} ${CMAKE_COMMAND} --build <BINARY_DIR> --target kespWasm --parallel ${KESP_WEB_JOBS}
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${KESP_WEB_ENGINE_DIR}/web/kespEngine.js ${KESP_WEB_ENGINE_DIR}/web/kespEngine.wasm)
set(KESP_WEB_ENGINE ${KESP_WEB_ENGINE_DIR}/web/kespEngine.js)
set(KESP_WEB_FOUND ON)
