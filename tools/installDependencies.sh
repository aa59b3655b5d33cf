#!/usr/bin/env bash
# Installs the Debian packages that one or more jobs need, and only those
# that are missing, without apt's recommended packages:
#
#   tools/installDependencies.sh [purpose...]
#   tools/installDependencies.sh --list [purpose...]     (the packages, one
#                                  a line, installed or not; installs nothing)
#   tools/installDependencies.sh --missing [purpose...]  (what it would
#                                  install here, and for which purpose)
#
# Purposes (each takes in those it builds on, shown in brackets):
#   program    kesp and kesp-scan (the default): g++, CMake, make,
#              nlohmann-json (kesp /json), OpenSSL's libcrypto (the SHA-256
#              of the input), yaml-cpp and CLI11 (kesp-scan's scan files and
#              command line)
#   python     the Python module kesp [program]: the interpreter's headers,
#              pybind11, numpy, pandas and tqdm; venv and pip to install it
#              into an environment, build for its wheel
#   plot       kesp-plot's figures [python]: matplotlib (with munkres, which
#              its fonttools take in place of SciPy)
#   workflow   the scan workflow [plot]: snakemake
#   notebooks  the notebooks of examples/notebooks, executed [plot]:
#              nbconvert, nbclient and the IPython kernel
#   web        the web page: Emscripten, Node and npm, Chromium for its tests
#   docs       the documentation site [plot: it documents the package and
#              shows kesp-plot's help]: Sphinx, MyST, furo, Breathe,
#              Doxygen, nbsphinx (with pandoc), numpydoc, MathJax
#   tests      everything the tests need: all of the above, GoogleTest,
#              jsonschema (the JSON documents against their schema),
#              pytest and pkg-config
#
# Says what it installs for which purpose; the package lists are updated
# only when a package is not known to apt yet. Needs root, or sudo.
# tools/measureInstall.sh measures what each purpose installs on a fresh
# machine (docs/guide/installation.md).
set -euo pipefail

readonly purposes=(program python plot workflow notebooks web docs tests)

usage() {
  cat <<'EOF'
Usage: tools/installDependencies.sh [--list | --missing] [purpose...]
Installs the Debian packages (without recommends) that are missing for each purpose:
  program    kesp and kesp-scan (the default)
  python     the Python module kesp (with program)
  plot       kesp-plot's figures (with python)
  workflow   the scan workflow, snakemake (with plot)
  notebooks  executing the example notebooks (with plot)
  web        the web page: Emscripten, Node, npm, and Chromium for its tests
  docs       the documentation site: Sphinx and its extensions, Doxygen (with plot)
  tests      everything the tests need (all of the above)
--list prints the purposes' packages, one a line, and installs nothing;
--missing prints those it would install here, for which purpose, and installs nothing.
EOF
}

# The purposes a purpose builds on.
requiredPurposes() {
  case $1 in
    program|web) ;;
    python) echo program ;;
    plot) echo python ;;
    workflow|notebooks) echo plot ;;
    docs) echo plot ;;
    tests) echo program python plot workflow notebooks web docs ;;
  esac
}

# The packages of a purpose alone.
packagesOf() {
  case $1 in
    program) echo g++ cmake make nlohmann-json3-dev libssl-dev libyaml-cpp-dev libcli11-dev ;;
    python) echo python3-dev python3-pybind11 python3-numpy python3-pandas python3-tqdm python3-venv \
                 python3-pip python3-build ;;
    # python3-munkres stands for SciPy in what matplotlib's fonttools
    # depends on (SciPy or munkres): 25 packages and 340 MB fewer.
    plot) echo python3-matplotlib python3-munkres ;;
    workflow) echo snakemake ;;
    notebooks) echo jupyter-nbconvert python3-nbclient python3-ipykernel ;;
    web) echo emscripten nodejs npm chromium ;;
    docs) echo python3-sphinx python3-myst-parser furo python3-breathe doxygen python3-nbsphinx pandoc \
               python3-numpydoc libjs-mathjax ;;
    tests) echo libgtest-dev libgmock-dev python3-jsonschema python3-pytest pkgconf ;;
  esac
}

# Python in isolated mode (-I): neither the current folder (a checkout's
# build/ would pass for the module build) nor PYTHONPATH stands in for a package.
python3Imports() { /usr/bin/python3 -I -c "import $1" >/dev/null 2>&1; }

debianInstalled() {
  [ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" = "install ok installed" ]
}

# Whether what a package provides is there already: the header, command or
# Python module the build and the tests look for (from Debian or not), else
# the Debian package itself.
isPresent() {
  case $1 in
    g++|cmake|make|snakemake|doxygen|pandoc|chromium|npm) command -v "$1" >/dev/null ;;
    nodejs) command -v node >/dev/null ;;
    emscripten) command -v emcmake >/dev/null ;;
    jupyter-nbconvert) command -v jupyter-nbconvert >/dev/null ;;
    pkgconf) command -v pkg-config >/dev/null ;;
    nlohmann-json3-dev) [ -f /usr/include/nlohmann/json.hpp ] ;;
    libssl-dev) [ -f /usr/include/openssl/evp.h ] ;;
    libyaml-cpp-dev) [ -f /usr/include/yaml-cpp/yaml.h ] ;;
    libcli11-dev) [ -f /usr/include/CLI/CLI.hpp ] ;;
    libgtest-dev) [ -f /usr/include/gtest/gtest.h ] ;;
    libgmock-dev) [ -f /usr/include/gmock/gmock.h ] ;;
    python3-dev) /usr/bin/python3 -I -c 'import os, sys, sysconfig
sys.exit(not os.path.isfile(os.path.join(sysconfig.get_path("include"), "Python.h")))' 2>/dev/null ;;
    python3-venv) python3Imports ensurepip ;;
    python3-pip) /usr/bin/python3 -I -m pip --version >/dev/null 2>&1 ;;
    python3-myst-parser) python3Imports myst_parser ;;
    python3-munkres) python3Imports munkres || python3Imports matplotlib ;;
    python3-*) python3Imports "${1#python3-}" ;;
    *) debianInstalled "$1" ;;
  esac
}

# The purposes asked for, with those they build on, each once, in the order
# of the list above.
expandPurposes() {
  local asked=" $* " purpose wanted=" "
  while [ "$asked" != "$wanted" ]; do
    wanted=$asked
    for purpose in $wanted; do
      for required in $(requiredPurposes "$purpose"); do
        [[ $asked == *" $required "* ]] || asked+="$required "
      done
    done
  done
  for purpose in "${purposes[@]}"; do
    [[ $asked == *" $purpose "* ]] && echo "$purpose"
  done
  return 0
}

checkPurposes() {
  local purpose
  for purpose in "$@"; do
    if [[ " ${purposes[*]} " != *" $purpose "* ]]; then
      echo "installDependencies: unknown purpose '$purpose' (purposes: ${purposes[*]}; see --help)" >&2
      exit 2
    fi
  done
}

# Every package of the purposes, once each.
listPackages() {
  local purpose
  for purpose in $(expandPurposes "$@"); do
    packagesOf "$purpose" | tr ' ' '\n'
  done | awk '!seen[$0]++'
}

main() {
  local mode=install
  case ${1:-} in
    -h|--help) usage; return 0 ;;
    --list) mode=list; shift ;;
    --missing) mode=missing; shift ;;
  esac
  [ $# -gt 0 ] || set -- program
  checkPurposes "$@"
  if [ $mode = list ]; then
    listPackages "$@"
    return 0
  fi

  local need=() purpose package missing
  for purpose in $(expandPurposes "$@"); do
    missing=()
    for package in $(packagesOf "$purpose"); do
      [[ " ${need[*]} " == *" $package "* ]] && continue
      isPresent "$package" || missing+=("$package")
    done
    if [ ${#missing[@]} -gt 0 ]; then
      echo "installDependencies: for $purpose: ${missing[*]}"
      need+=("${missing[@]}")
    fi
  done
  [ ${#need[@]} -gt 0 ] && [ $mode = install ] || return 0

  local run=()
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
      echo "installDependencies: ${need[*]} missing; install them as root" \
           "(apt-get install --no-install-recommends ${need[*]})" >&2
      exit 1
    fi
    run=(sudo)
  fi
  for package in "${need[@]}"; do
    if ! apt-cache show "$package" >/dev/null 2>&1; then
      "${run[@]}" apt-get update
      break
    fi
  done
  "${run[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${need[@]}"
}

main "$@"
