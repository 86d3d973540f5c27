#!/usr/bin/env bash
# The main job, from a finished build folder: plays the scripted scene on an X display (a
# private Xvfb when DISPLAY is not set), records it with `quillo record`, saves it as the
# project OUT/scene.lumo, describes it with `quillo info` and publishes it as OUT/scene.swf. The
# built-in example is made (and published) in
# OUT as well; without an X server it is the only result.
#   scripts/run-example.sh [BUILD [OUT [SECONDS]]]
set -euo pipefail
BUILD=${1:-build}
OUT=${2:-$BUILD/example}
SECONDS_TO_RECORD=${3:-10}
QUILLO=$BUILD/cli/quillo
SCENE=$BUILD/cli/quillo-scene
mkdir -p "$OUT"

"$QUILLO" example "$OUT" >/dev/null
echo "built-in example: $OUT/example.lumo (frame list in $OUT/frames.txt)"

WORK=$(mktemp -d)
XVFB_PID=
SCENE_PID=
cleanup() {
    [ -n "$SCENE_PID" ] && kill "$SCENE_PID" 2>/dev/null || true
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
    rm -rf "$WORK"
}
trap cleanup EXIT

fallback() {
    echo "$1; showing the built-in example instead" >&2
    "$QUILLO" info "$OUT/example.lumo"
    "$QUILLO" publish "$OUT/example.lumo" -o "$OUT/example"
    exit 0
}

if [ -z "${DISPLAY:-}" ]; then
    command -v Xvfb >/dev/null || fallback "no DISPLAY and no Xvfb"
    # Xvfb picks a free display number and writes it once it accepts clients.
    Xvfb -displayfd 3 -screen 0 1024x768x24 +extension MIT-SHM -nolisten tcp \
        3>"$WORK/display" 2>"$WORK/xvfb.log" &
    XVFB_PID=$!
    for _ in $(seq 300); do
        [ -s "$WORK/display" ] && break
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    [ -s "$WORK/display" ] || fallback "Xvfb did not start ($(tail -n 1 "$WORK/xvfb.log"))"
    DISPLAY=:$(head -n 1 "$WORK/display")
fi
export DISPLAY
echo "recording the scene on display $DISPLAY for $SECONDS_TO_RECORD seconds"

# The scene runs a little longer than the recording; recording starts at its first picture.
"$SCENE" --display "$DISPLAY" --seconds $((SECONDS_TO_RECORD + 3)) --hashes >"$WORK/hashes" &
SCENE_PID=$!
for _ in $(seq 300); do
    [ -s "$WORK/hashes" ] && break
    kill -0 "$SCENE_PID" 2>/dev/null || break
    sleep 0.1
done
[ -s "$WORK/hashes" ] || fallback "the scene did not start on $DISPLAY"

"$QUILLO" record "$OUT/scene.lumo" --display "$DISPLAY" --seconds "$SECONDS_TO_RECORD"
"$QUILLO" info "$OUT/scene.lumo"
"$QUILLO" publish "$OUT/scene.lumo" -o "$OUT/scene"
