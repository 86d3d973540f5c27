#!/usr/bin/env bash
# Records the scripted scene headlessly: starts a private Xvfb (1024x768) when no display is
# given, plays quillo-scene on it and records it with `quillo record` into OUT.
set -euo pipefail
BUILD=${1:-build}
OUT=${2:-$BUILD/scene-recording}
SECONDS_TO_RECORD=${3:-10}
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24 +extension MIT-SHM" "$0" "$@"
fi
mkdir -p "$OUT"
"$BUILD/cli/quillo-scene" --seconds $((SECONDS_TO_RECORD + 2)) &
SCENE=$!
trap 'kill $SCENE 2>/dev/null || true' EXIT
sleep 0.5
"$BUILD/cli/quillo" record "$OUT" --seconds "$SECONDS_TO_RECORD"
