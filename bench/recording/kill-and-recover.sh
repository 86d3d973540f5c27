#!/usr/bin/env bash
# Kills `quillo record` of the scripted scene with SIGKILL at a random moment between 5 and 15 s,
# RUNS times (5 by default), recovers each capture file with `quillo recover` and reports every
# run and the worst: how far the recovered playing time is from the time recorded before the kill.
# Usage: bench/recording/kill-and-recover.sh BUILD [RUNS]
set -euo pipefail
BUILD=${1:-build}
RUNS=${2:-5}
LOG=$(mktemp)
trap 'rm -f "$LOG"' EXIT
QUILLO_KILL_RUNS=$RUNS "$BUILD/tests/cli/quillo_tests_cli_recover" \
    --gtest_filter='*KilledAtARandomMoment*' | tee "$LOG"
grep '^kill run' "$LOG" | awk '
    { s = $0; sub(/.*\(/, "", s); sub(/ %\).*/, "", s); d = s + 0; if (d < 0) d = -d;
      if (NR == 1 || d > worst) { worst = d; line = $0 } }
    END { if (NR == 0) { print "no runs"; exit 1 } print "worst of " NR ": " line }'
