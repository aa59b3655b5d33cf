# The engine built with Emscripten for the web page:
#   emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release && cmake --build build-web -j2
# gives build-web/web/kespEngine.js and kespEngine.wasm.

# The engine throws RunError for every error a user can meet; WebAssembly's
# own exception handling catches them at no cost while nothing is thrown.
target_compile_options(kespBuildOptions INTERFACE -fwasm-exceptions)
target_link_options(kespBuildOptions INTERFACE -fwasm-exceptions)

# nlohmann-json is header-only and not part of Emscripten's system root: its
# package is taken from the build machine's.
if(NOT nlohmann_json_DIR)
  find_path(KESP_HOST_JSON_PACKAGE nlohmann_jsonConfig.cmake
            PATHS /usr/share/cmake/nlohmann_json /usr/lib/cmake/nlohmann_json /usr/local/share/cmake/nlohmann_json
            NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(KESP_HOST_JSON_PACKAGE)
    set(nlohmann_json_DIR ${KESP_HOST_JSON_PACKAGE})
  endif()
endif()

# Its headers lie among the build machine's system headers, which must stay
# out of a WebAssembly build: the folder `variable` names gets a view that
# holds nlohmann's folder alone.
function(kesp_web_json_include variable)
  get_target_property(folders nlohmann_json::nlohmann_json INTERFACE_INCLUDE_DIRECTORIES)
  list(GET folders 0 folder)
  set(view ${PROJECT_BINARY_DIR}/nlohmannJson)
  file(MAKE_DIRECTORY ${view})
  file(CREATE_LINK ${folder}/nlohmann ${view}/nlohmann SYMBOLIC)
  set(${variable} ${view} PARENT_SCOPE)
endfunction()
