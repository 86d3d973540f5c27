#!/usr/bin/env bash
# The main job on the built-in example, from a finished build folder.
set -euo pipefail
BUILD=${1:-build}
OUT=${2:-$BUILD/example}
mkdir -p "$OUT"
"$BUILD/cli/quillo" example "$OUT"
"$BUILD/cli/quillo" info "$OUT/example.lumo"
"$BUILD/cli/quillo" publish "$OUT/example.lumo" -o "$OUT/example"
