#!/bin/sh
# `quillo frame --overlays` and `quillo speak` from outside: a bubble given through the timing
# data file is drawn over its frame, files with spaces and '#' in their names work, and speech
# is a WAV file that sox can measure.
# Usage: BubbleCliTest.sh QUILLO WORKDIR
set -eu
Q="$1"
W="$2"
rm -rf "$W"
mkdir -p "$W"
cd "$W"
fail() { echo "FAIL: $*" >&2; exit 1; }

"$Q" example ex > /dev/null
cp ex/example.lumo "my #project.lumo"
"$Q" export-timing "my #project.lumo" > /dev/null
sed -i 's/^2, \([0-9]*\), "N", ""/2, \1, "N", "Hello\\nworld"/' "my #project_timing_data.txt"
"$Q" import-timing "my #project.lumo" > /dev/null

"$Q" frame "my #project.lumo" 2 plain.png
"$Q" frame "my #project.lumo" 2 "with bubble #2.png" --overlays
cmp -s plain.png "with bubble #2.png" && fail "the bubble is drawn over frame 2"
"$Q" frame "my #project.lumo" 1 one.png
"$Q" frame "my #project.lumo" 1 one-overlays.png --overlays
cmp -s one.png one-overlays.png || fail "frame 1 has no bubble and stays as it is"
set +e
"$Q" frame "my #project.lumo" 2 x.png --overlay 2> /dev/null
[ $? -eq 2 ] || fail "an unknown option is a usage error"
set -e

"$Q" speak "Hello world" "hello #1.wav"
len=$(sox "hello #1.wav" -n stat 2>&1 | sed -n 's/^Length (seconds): *//p')
awk "BEGIN { exit !($len >= 0.5 && $len <= 3) }" || fail "speech lasts $len s"
"$Q" speak --markup 'Hello world' marked.wav
"$Q" speak --markup 'Hello <silence msec="1000"/> world' pause.wav
len1=$(sox marked.wav -n stat 2>&1 | sed -n 's/^Length (seconds): *//p')
len2=$(sox pause.wav -n stat 2>&1 | sed -n 's/^Length (seconds): *//p')
awk "BEGIN { d = $len2 - $len1; exit !(d > 0.8 && d < 1.2) }" || fail "silence adds 1 s ($len1 -> $len2)"
"$Q" speak "Bonjour" fr.wav --voice fr
set +e
"$Q" speak "Hello" bad.wav --voice no-such-voice 2> bad.log
[ $? -eq 1 ] || fail "an unknown voice fails"
set -e
[ -e bad.wav ] && fail "a failed speech leaves no file"
grep -q "no-such-voice" bad.log || fail "the failure names the voice"
echo "all checks passed"
