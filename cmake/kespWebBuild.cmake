# The web page, built beside the native build for the tests that run it
# against the native kesp: its engine with Emscripten in a build folder of
# its own (<build>/web-engine), then the page's static files with npm
# (<build>/web-page). Left out, with a message, when Emscripten, Node or npm
# is missing (tools/installDependencies.sh installs them).
find_program(KESP_EMCMAKE emcmake)
find_program(KESP_NODE node)
find_program(KESP_NPM npm)
if(NOT KESP_EMCMAKE OR NOT KESP_NODE OR NOT KESP_NPM)
  message(STATUS "The web page and its tests are left out: emcmake, node or npm not found")
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
                    -DCMAKE_BUILD_TYPE=Release -DKESP_REVISION=${KESP_GIT_REVISION}
  BUILD_COMMAND ${KESP_EMSCRIPTEN_ENVIRONMENT} ${CMAKE_COMMAND} --build <BINARY_DIR> --target kespWasm --parallel ${KESP_WEB_JOBS}
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${KESP_WEB_ENGINE_DIR}/web/kespEngine.js ${KESP_WEB_ENGINE_DIR}/web/kespEngine.wasm)
set(KESP_WEB_ENGINE ${KESP_WEB_ENGINE_DIR}/web/kespEngine.js)
set(KESP_WEB_FOUND ON)

# The page's packages (npm ci, again when package-lock.json changes), its
# type check, and its files, built from the sources and the engine.
set(KESP_WEB_SOURCE ${PROJECT_SOURCE_DIR}/web)
set(KESP_WEB_PAGE ${PROJECT_BINARY_DIR}/web-page)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/web-packages.stamp
  COMMAND ${KESP_NPM} ci --no-audit --no-fund
  COMMAND ${CMAKE_COMMAND} -E touch ${PROJECT_BINARY_DIR}/web-packages.stamp
  DEPENDS ${KESP_WEB_SOURCE}/package.json ${KESP_WEB_SOURCE}/package-lock.json
  WORKING_DIRECTORY ${KESP_WEB_SOURCE}
  COMMENT "Installing the web page's npm packages")
file(GLOB KESP_WEB_PAGE_SOURCES CONFIGURE_DEPENDS ${KESP_WEB_SOURCE}/src/*.ts)
add_custom_target(kespWebPage ALL
  COMMAND ${KESP_NPM} run --silent check
  COMMAND ${KESP_NPM} run --silent build -- --engine ${KESP_WEB_ENGINE_DIR}/web --out ${KESP_WEB_PAGE}
  DEPENDS ${PROJECT_BINARY_DIR}/web-packages.stamp ${KESP_WEB_PAGE_SOURCES}
          ${KESP_WEB_SOURCE}/index.html ${KESP_WEB_SOURCE}/style.css ${KESP_WEB_SOURCE}/build.mjs
  WORKING_DIRECTORY ${KESP_WEB_SOURCE}
  COMMENT "Checking and building the web page")
add_dependencies(kespWebPage kespWebEngine)
