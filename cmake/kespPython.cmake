# Chooses the interpreter the Python module is built for and finds what the
# module needs: the interpreter's headers and pybind11. KESP_PYTHON names the
# interpreter; by default Debian's /usr/bin/python3, where Debian's pybind11,
# numpy, pandas, matplotlib and Jupyter live (a python3 found first on the
# PATH may be another one without them). When something is missing the
# module (and kesp-plot with it) is left out, and the configure output says
# why in one line.
# Sets KESP_PYTHON_FOUND, and KESP_PYTHON_INSTALL_DIR (relative to the
# install prefix) for the package.
set(KESP_PYTHON_FOUND OFF)
if(KESP_SANITIZE OR KESP_SANITIZE_THREAD)
  message(STATUS "Python module and kesp-plot: not built in a sanitizer build")
  return()
endif()
if(NOT KESP_BUILD_SCAN)
  message(STATUS "Python module and kesp-plot: not built (kesp.scan needs the scan library: KESP_BUILD_SCAN=ON)")
  return()
endif()
set(defaultPython /usr/bin/python3)
if(NOT EXISTS ${defaultPython})
  find_program(defaultPython NAMES python3)
endif()
set(KESP_PYTHON "${defaultPython}" CACHE FILEPATH "The Python interpreter the module is built for")
# FindPython keeps what it found for the interpreter of an earlier configure
# (its headers, say) as long as the version matches: another interpreter
# starts afresh, and gets its own package folder.
if(DEFINED CACHE{KESP_PYTHON_LAST} AND NOT KESP_PYTHON_LAST STREQUAL KESP_PYTHON)
  get_cmake_property(cached CACHE_VARIABLES)
  foreach(name IN LISTS cached)
    if(name MATCHES "^_Python")
      unset(${name} CACHE)
    endif()
  endforeach()
  unset(KESP_PYTHON_INSTALL_DIR CACHE)
endif()
set(KESP_PYTHON_LAST "${KESP_PYTHON}" CACHE INTERNAL "The interpreter of the last configure")
set(Python_EXECUTABLE ${KESP_PYTHON})
find_package(Python 3.9 QUIET COMPONENTS Interpreter Development.Module)
if(NOT Python_FOUND)
  message(STATUS "Python module and kesp-plot: not built (no headers for ${KESP_PYTHON}; Debian package python3-dev)")
  return()
endif()
set(PYBIND11_FINDPYTHON ON)
find_package(pybind11 2.6 CONFIG QUIET)
if(NOT pybind11_FOUND)
  message(STATUS "Python module and kesp-plot: not built (pybind11 not found; Debian package python3-pybind11)")
  return()
endif()
set(KESP_PYTHON_FOUND ON)
# The libraries go into a shared module too.
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
# Where the interpreter looks for packages of its installation: relative to
# /usr/local for Debian's (its dist-packages there), else to its own prefix.
if(NOT DEFINED KESP_PYTHON_INSTALL_DIR)
  execute_process(
    COMMAND ${Python_EXECUTABLE} -c "import os, sys, sysconfig
path = sysconfig.get_path('platlib')
base = '/usr/local' if path.startswith('/usr/local/') else sys.prefix
print(os.path.relpath(path, base))"
    OUTPUT_VARIABLE packageDir OUTPUT_STRIP_TRAILING_WHITESPACE)
  set(KESP_PYTHON_INSTALL_DIR "${packageDir}" CACHE PATH
      "Where cmake --install puts the Python package, relative to the prefix")
endif()
message(STATUS "Python module: built for ${Python_EXECUTABLE} (Python ${Python_VERSION}, pybind11 ${pybind11_VERSION}),"
               " installed to <prefix>/${KESP_PYTHON_INSTALL_DIR}")
