# The documentation site (KESP_BUILD_DOCS): Doxygen reads the public headers
# into XML, then Sphinx builds the pages of docs/ (MyST Markdown), the C++
# reference from that XML (Breathe), the Python reference from the package of
# the build tree (autodoc, numpydoc), the example notebooks with their stored
# outputs (nbsphinx) and the command-line reference from the built programs,
# into <build>/docs/html. Every warning fails the build. Nothing is fetched:
# the math is typeset by Debian's MathJax, copied into the site.
#
# Sphinx reads a copy of docs/ in <build>/docs/source, with the notebooks of
# examples/notebooks beside the pages and the JSON document of a run of
# examples/proton10MeV.inp, so that neither folder is written to.
find_program(KESP_DOXYGEN doxygen)
find_program(KESP_SPHINX_BUILD sphinx-build)
set(KESP_MATHJAX_DIR /usr/share/javascript/mathjax CACHE PATH "MathJax 2 (Debian's libjs-mathjax), copied into the site")
set(KESP_DOCS_PACKAGES "doxygen python3-sphinx python3-myst-parser python3-breathe python3-nbsphinx python3-numpydoc furo libjs-mathjax")
set(KESP_DOCS_HINT "the documentation needs the Debian packages ${KESP_DOCS_PACKAGES} "
                   "(tools/installDependencies.sh docs), or configure with -DKESP_BUILD_DOCS=OFF")
if(NOT KESP_DOXYGEN)
  message(FATAL_ERROR "doxygen not found: " ${KESP_DOCS_HINT})
endif()
if(NOT KESP_SPHINX_BUILD)
  message(FATAL_ERROR "sphinx-build not found: " ${KESP_DOCS_HINT})
endif()
if(NOT EXISTS ${KESP_MATHJAX_DIR}/MathJax.js)
  message(FATAL_ERROR "MathJax not found in ${KESP_MATHJAX_DIR}: " ${KESP_DOCS_HINT})
endif()
# sphinx-build runs with the interpreter of its first line; its extensions
# must import there.
file(STRINGS ${KESP_SPHINX_BUILD} sphinxShebang LIMIT_COUNT 1)
string(REGEX REPLACE "^#! *([^ ]+).*$" "\\1" KESP_SPHINX_PYTHON "${sphinxShebang}")
execute_process(COMMAND ${KESP_SPHINX_PYTHON} -c "import myst_parser, breathe, nbsphinx, numpydoc, furo"
                RESULT_VARIABLE sphinxExtensions OUTPUT_QUIET ERROR_VARIABLE sphinxExtensionsError)
if(NOT sphinxExtensions EQUAL 0)
  message(FATAL_ERROR "A Sphinx extension is missing (${sphinxExtensionsError}): " ${KESP_DOCS_HINT})
endif()
if(NOT KESP_PYTHON_FOUND OR NOT TARGET kesp OR NOT TARGET kesp-scan OR NOT EXISTS ${PROJECT_BINARY_DIR}/plot/kesp-plot)
  message(FATAL_ERROR "The documentation's references are made from kesp, kesp-scan, kesp-plot and the Python "
                      "module: configure with KESP_BUILD_PROGRAM, KESP_BUILD_SCAN and KESP_BUILD_PYTHON on "
                      "(and the Python module's dependencies installed), or with -DKESP_BUILD_DOCS=OFF")
endif()

set(KESP_DOCS_DIR ${PROJECT_BINARY_DIR}/docs)
set(KESP_DOCS_SOURCE ${KESP_DOCS_DIR}/source)
set(KESP_DOCS_HTML ${KESP_DOCS_DIR}/html)
set(KESP_DOXYGEN_OUTPUT ${KESP_DOCS_DIR}/doxygen)
set(KESP_DOXYGEN_XML ${KESP_DOXYGEN_OUTPUT}/xml)

# Doxygen: the public headers, as full paths, and nothing else.
list(TRANSFORM KESP_PUBLIC_HEADERS PREPEND ${PROJECT_SOURCE_DIR}/ OUTPUT_VARIABLE KESP_DOCS_HEADERS)
list(JOIN KESP_DOCS_HEADERS " " KESP_DOXYGEN_INPUT)
configure_file(${PROJECT_SOURCE_DIR}/docs/Doxyfile.in ${KESP_DOCS_DIR}/Doxyfile @ONLY)
# The stamp is written only when Doxygen succeeds, so that a failed run is
# run again by the next build rather than leaving its XML behind as done.
add_custom_command(OUTPUT ${KESP_DOCS_DIR}/doxygen.stamp
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${KESP_DOXYGEN_OUTPUT}
  COMMAND ${KESP_DOXYGEN} ${KESP_DOCS_DIR}/Doxyfile
  COMMAND ${CMAKE_COMMAND} -E touch ${KESP_DOCS_DIR}/doxygen.stamp
  DEPENDS ${KESP_DOCS_HEADERS} ${KESP_DOCS_DIR}/Doxyfile
  COMMENT "Reading the public headers with Doxygen")

# What the site is made from: any change rebuilds it.
file(GLOB_RECURSE KESP_DOCS_PAGES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/*)
file(GLOB KESP_DOCS_NOTEBOOKS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/examples/notebooks/*.ipynb)
file(GLOB KESP_DOCS_PYTHON CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/python/kesp/*.py)
file(GLOB KESP_DOCS_VERSION CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/VERSION)
# MathJax 2 with its TeX input and SVG output, which needs no web fonts (a
# page opened from file:// may not load them).
set(mathjax ${KESP_DOCS_SOURCE}/_static/mathjax)
set(KESP_DOCS_EXAMPLE_INPUT ${PROJECT_SOURCE_DIR}/examples/proton10MeV.inp)
set(KESP_DOCS_STAGE
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${KESP_DOCS_SOURCE}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_SOURCE_DIR}/docs ${KESP_DOCS_SOURCE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KESP_DOCS_SOURCE}/notebooks
  COMMAND ${CMAKE_COMMAND} -E copy ${KESP_DOCS_NOTEBOOKS} ${KESP_DOCS_SOURCE}/notebooks
  COMMAND ${CMAKE_COMMAND} -E make_directory ${mathjax}/config ${mathjax}/jax/output/SVG/fonts
  COMMAND ${CMAKE_COMMAND} -E copy ${KESP_MATHJAX_DIR}/MathJax.js ${mathjax}
  COMMAND ${CMAKE_COMMAND} -E copy ${KESP_MATHJAX_DIR}/config/TeX-AMS_SVG.js ${mathjax}/config
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${KESP_MATHJAX_DIR}/extensions ${mathjax}/extensions
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${KESP_MATHJAX_DIR}/jax/input/TeX ${mathjax}/jax/input/TeX
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${KESP_MATHJAX_DIR}/jax/element ${mathjax}/jax/element
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${KESP_MATHJAX_DIR}/jax/output/SVG/autoload
          ${mathjax}/jax/output/SVG/autoload
  COMMAND ${CMAKE_COMMAND} -E copy ${KESP_MATHJAX_DIR}/jax/output/SVG/config.js
          ${KESP_MATHJAX_DIR}/jax/output/SVG/jax.js ${mathjax}/jax/output/SVG
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${KESP_MATHJAX_DIR}/jax/output/SVG/fonts/TeX
          ${mathjax}/jax/output/SVG/fonts/TeX
  # The JSON document's example, written by a run of the built kesp.
  COMMAND ${CMAKE_COMMAND} -E copy ${KESP_DOCS_EXAMPLE_INPUT} ${KESP_DOCS_SOURCE}/formats
  COMMAND ${CMAKE_COMMAND} -E chdir ${KESP_DOCS_SOURCE}/formats $<TARGET_FILE:kesp> proton10MeV.inp /json)

# Sphinx, from a fresh copy of the sources each time (a page removed from
# docs/ leaves nothing behind). The references run the built programs and
# import the package of the build tree.
add_custom_command(OUTPUT ${KESP_DOCS_DIR}/html.stamp
  ${KESP_DOCS_STAGE}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${KESP_DOCS_HTML} ${KESP_DOCS_DIR}/doctrees
  COMMAND ${CMAKE_COMMAND} -E env
          PYTHONPATH=${PROJECT_BINARY_DIR}/python
          KESP_SOURCE_DIR=${PROJECT_SOURCE_DIR}
          KESP_DOXYGEN_XML=${KESP_DOXYGEN_XML}
          KESP_EXECUTABLE=$<TARGET_FILE:kesp>
          KESP_SCAN_EXECUTABLE=$<TARGET_FILE:kesp-scan>
          KESP_PLOT_EXECUTABLE=${PROJECT_BINARY_DIR}/plot/kesp-plot
          MPLBACKEND=Agg
          ${KESP_SPHINX_BUILD} -W --keep-going -n -q -b html -d ${KESP_DOCS_DIR}/doctrees
          ${KESP_DOCS_SOURCE} ${KESP_DOCS_HTML}
  COMMAND ${CMAKE_COMMAND} -E touch ${KESP_DOCS_DIR}/html.stamp
  DEPENDS ${KESP_DOCS_DIR}/doxygen.stamp ${KESP_DOCS_PAGES} ${KESP_DOCS_NOTEBOOKS} ${KESP_DOCS_EXAMPLE_INPUT} ${KESP_DOCS_PYTHON} ${KESP_DOCS_VERSION}
          kesp kesp-scan kespPython kespPythonPackage ${PROJECT_BINARY_DIR}/plot/kesp-plot
          $<TARGET_FILE:kesp> $<TARGET_FILE:kesp-scan> $<TARGET_FILE:kespPython>
  COMMENT "Building the documentation site with Sphinx (${KESP_DOCS_HTML})")
add_custom_target(kespDocs ALL DEPENDS ${KESP_DOCS_DIR}/html.stamp)
