#!/usr/bin/env bash
# Quillo's two set-up commands (see README.md):
#   ./quickstart.sh example   install what is missing, build, record the scripted scene into a project
#   ./quickstart.sh test      install what is missing, build with sanitizers, run every test
set -euo pipefail
cd "$(dirname "$0")"
JOBS=${JOBS:-$(nproc)}

case "${1:-}" in
  example)
    scripts/install-deps.sh
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build build -j "$JOBS"
    exec scripts/run-example.sh build
    ;;
  test)
    scripts/install-deps.sh
    cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLO_SANITIZE=ON >/dev/null
    cmake --build build-test -j "$JOBS"
    cd build-test
    exec ctest --output-on-failure -j "$JOBS" --timeout 600
    ;;
  *)
    echo "usage: $0 example|test" >&2
    exit 2
    ;;
esac
