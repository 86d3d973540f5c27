#!/usr/bin/env bash
# A private sound server for tests, in its own folder, that touches no user's session:
#   sound-test-server.sh start DIR   starts it and prints PULSE_SERVER=... for the clients
#   sound-test-server.sh stop DIR    stops it
# It has a null sink "quillo_out" (the default output; its monitor "quillo_out.monitor" records
# what is played) and a pipe source "quillo_in" (the default input) fed by writing signed 16-bit
# mono samples at 44100 Hz into DIR/in.fifo. Works as root too: the server runs as a per-user
# instance whose home, runtime and state folders are all inside DIR.
set -euo pipefail

cmd=${1:-}
dir=${2:-}
if [ -z "$cmd" ] || [ -z "$dir" ]; then
  echo "usage: $0 start|stop DIR" >&2
  exit 2
fi

case "$cmd" in
  start)
    mkdir -p "$dir/runtime" "$dir/state"
    dir=$(cd "$dir" && pwd)
    cat >"$dir/server.pa" <<PA
load-module module-native-protocol-unix socket=$dir/native auth-anonymous=1
load-module module-null-sink sink_name=quillo_out rate=44100 channels=2
load-module module-pipe-source source_name=quillo_in file=$dir/in.fifo format=s16le rate=44100 channels=1
set-default-sink quillo_out
set-default-source quillo_in
PA
    rm -f "$dir/native"
    HOME="$dir" XDG_RUNTIME_DIR="$dir/runtime" PULSE_RUNTIME_PATH="$dir/runtime" \
      PULSE_STATE_PATH="$dir/state" PULSE_CONFIG_PATH="$dir/state" \
      setsid pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit=yes \
        --use-pid-file=no --disable-shm=yes --log-target=file:"$dir/server.log" \
        -F "$dir/server.pa" </dev/null >/dev/null 2>&1 &
    echo $! >"$dir/server.pid"
    for _ in $(seq 100); do
      if [ -S "$dir/native" ]; then
        echo "PULSE_SERVER=unix:$dir/native"
        exit 0
      fi
      if ! kill -0 "$(cat "$dir/server.pid")" 2>/dev/null; then
        break
      fi
      sleep 0.1
    done
    echo "sound server did not start; its log:" >&2
    cat "$dir/server.log" >&2 2>/dev/null || true
    exit 1
    ;;
  stop)
    if [ -f "$dir/server.pid" ]; then
      pid=$(cat "$dir/server.pid")
      kill "$pid" 2>/dev/null || true
      for _ in $(seq 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
      done
      kill -9 "$pid" 2>/dev/null || true
      rm -f "$dir/server.pid"
    fi
    ;;
  *)
    echo "usage: $0 start|stop DIR" >&2
    exit 2
    ;;
esac
