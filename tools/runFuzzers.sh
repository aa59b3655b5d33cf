#!/usr/bin/env bash
# Builds the libFuzzer targets (in build-fuzz, with clang) and runs them.
#
# Usage: tools/runFuzzers.sh [--replay] [--target NAME] [SECONDS]
#   SECONDS        how long each target fuzzes (default 60)
#   --replay       only run the committed regression inputs and the seed
#                  corpus once each, without fuzzing (what CI does)
#   --target NAME  only this target (inputReaderFuzzer or textRoutinesFuzzer)
#
# Seeds come from the examples: every examples/*.inp is a seed of both
# targets; for the input reader an input that names a field file gets
# "FN=f.txt" instead, followed by a NUL byte and the field file itself, the
# way the harness splits its input. Inputs that once made a target fail are
# kept in fuzz/regressions/<target>/ and are replayed and fuzzed from too.
# New findings of a fuzzing run are kept in
# build-fuzz/corpus/<target>, crashes and hangs in build-fuzz/artifacts/<target>.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=60
replay=false
targets=(inputReaderFuzzer textRoutinesFuzzer)
while [ $# -gt 0 ]; do
  case "$1" in
    --replay) replay=true ;;
    --target) targets=("$2"); shift ;;
    -h|--help) sed -n '2,16p' "$0"; exit 0 ;;
    *) seconds="$1" ;;
  esac
  shift
done

# Absolute paths: the input reader harness works in a directory of its own.
buildDir="$PWD/build-fuzz"
cmake -S . -B "$buildDir" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKESP_BUILD_FUZZERS=ON -DKESP_BUILD_TESTS=OFF >/dev/null
cmake --build "$buildDir" -j2 --target "${targets[@]}"

# The examples as seeds, joined with their field files for the input reader.
makeSeeds() {
  local target="$1" seedDir="$buildDir/seeds/$1"
  rm -rf "$seedDir"
  mkdir -p "$seedDir"
  local inp field
  for inp in examples/*.inp; do
    field=$(grep -o 'FN=[^ ]*' "$inp" | head -n 1 | cut -c4- || true)
    if [ "$target" = inputReaderFuzzer ] && [ -n "$field" ] && [ -f "examples/$field" ]; then
      { sed "s/FN=$field/FN=f.txt/" "$inp"; printf '\0'; cat "examples/$field"; } >"$seedDir/$(basename "$inp")"
    else
      cp "$inp" "$seedDir/"
    fi
  done
}

status=0
for target in "${targets[@]}"; do
  makeSeeds "$target"
  binary="$buildDir/fuzz/$target"
  regressions="$PWD/fuzz/regressions/$target"
  artifacts="$buildDir/artifacts/$target/"
  mkdir -p "$artifacts"
  options=(-timeout=10 -rss_limit_mb=2048 -artifact_prefix="$artifacts")
  if [ -f "fuzz/$target.dict" ]; then
    options+=(-dict="$PWD/fuzz/$target.dict")
  fi
  if $replay; then
    # Given files (not folders), libFuzzer runs each once and does not fuzz.
    mapfile -t inputs < <(find "$regressions" "$buildDir/seeds/$target" -type f 2>/dev/null | sort)
    echo "== $target: replaying ${#inputs[@]} inputs"
    "$binary" "${options[@]}" "${inputs[@]}" || status=1
  else
    corpus="$buildDir/corpus/$target"
    mkdir -p "$corpus" "$regressions"
    echo "== $target: fuzzing for $seconds s"
    "$binary" "${options[@]}" -max_total_time="$seconds" -print_final_stats=1 \
      "$corpus" "$buildDir/seeds/$target" "$regressions" || status=1
  fi
done
exit $status
