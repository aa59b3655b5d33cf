#!/usr/bin/env bash
# Installs the libraries the build needs beyond g++, CMake and GoogleTest,
# and only those that are missing (Debian packages):
#   libyaml-cpp-dev  yaml-cpp, which reads kesp-scan's scan files
#   libcli11-dev     CLI11, which reads kesp-scan's command line
#   nlohmann-json3-dev
#                    nlohmann-json, which writes the JSON document of kesp /json
#   libssl-dev       OpenSSL's libcrypto, the SHA-256 of the input in that document
#   python3-jsonschema
#                    checks the JSON documents against their schema in the tests
#   python3-pandas, python3-matplotlib
#                    kesp-plot's tables and figures (for /usr/bin/python3)
#   snakemake        the workflow that runs scans in parts, on a cluster too
#   python3-dev, python3-pybind11
#                    the Python module kesp (the interpreter's headers, pybind11)
#   python3-tqdm     its progress bars
#   python3-pytest   its tests
#   python3-venv, python3-pip
#                    the test that installs it with pip into a fresh environment
#   jupyter-nbconvert, python3-nbclient, python3-ipykernel
#                    the notebooks of examples/notebooks, executed by the tests
#   emscripten       the engine in WebAssembly, for the web page
#   chromium         the browser the web page's tests drive
# Says what it installs; the package lists are updated only when a package
# is not known to apt yet. Needs root, or sudo.
set -euo pipefail

need=()
[ -f /usr/include/yaml-cpp/yaml.h ] || need+=(libyaml-cpp-dev)
[ -f /usr/include/CLI/CLI.hpp ] || need+=(libcli11-dev)
[ -f /usr/include/nlohmann/json.hpp ] || need+=(nlohmann-json3-dev)
[ -f /usr/include/openssl/evp.h ] || need+=(libssl-dev)
/usr/bin/python3 -c 'import jsonschema' 2>/dev/null || need+=(python3-jsonschema)
/usr/bin/python3 -c 'import pandas' 2>/dev/null || need+=(python3-pandas)
/usr/bin/python3 -c 'import matplotlib' 2>/dev/null || need+=(python3-matplotlib)
command -v snakemake >/dev/null || need+=(snakemake)
/usr/bin/python3 -c 'import os, sys, sysconfig
sys.exit(not os.path.isfile(os.path.join(sysconfig.get_path("include"), "Python.h")))' 2>/dev/null \
  || need+=(python3-dev)
/usr/bin/python3 -c 'import pybind11' 2>/dev/null || need+=(python3-pybind11)
/usr/bin/python3 -c 'import tqdm' 2>/dev/null || need+=(python3-tqdm)
/usr/bin/python3 -c 'import pytest' 2>/dev/null || need+=(python3-pytest)
/usr/bin/python3 -c 'import ensurepip' 2>/dev/null || need+=(python3-venv)
/usr/bin/python3 -m pip --version >/dev/null 2>&1 || need+=(python3-pip)
command -v jupyter-nbconvert >/dev/null || need+=(jupyter-nbconvert)
command -v emcmake >/dev/null || need+=(emscripten)
[ -x /usr/bin/chromium ] || need+=(chromium)
/usr/bin/python3 -c 'import nbclient' 2>/dev/null || need+=(python3-nbclient)
/usr/bin/python3 -c 'import ipykernel' 2>/dev/null || need+=(python3-ipykernel)
if [ ${#need[@]} -eq 0 ]; then
  exit 0
fi

run=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null; then
    echo "installDependencies: ${need[*]} missing; install them as root (apt-get install ${need[*]})" >&2
    exit 1
  fi
  run=(sudo)
fi

echo "installDependencies: installing ${need[*]}"
for package in "${need[@]}"; do
  if ! apt-cache show "$package" >/dev/null 2>&1; then
    "${run[@]}" apt-get update
    break
  fi
done
"${run[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "${need[@]}"
