#!/bin/sh
# `quillo publish` with every side file and `quillo show` of the result, as a user runs them: the
# flags make the page, the executable, the SCORM package and its ZIP; `show` serves the page on
# 127.0.0.1 to a fake xdg-open that fetches it, and ends on SIGTERM.
# Usage: PublishShowTest.sh QUILLO WORKDIR
set -eu
Q="$1"
W="$2"
rm -rf "$W"
mkdir -p "$W/bin" "$W/settings" "$W/out" "$W/pkg"
cd "$W"
fail() { echo "FAIL: $*" >&2; exit 1; }
export QUILLO_SETTINGS_DIR="$W/settings"

"$Q" example ex > /dev/null
"$Q" publish ex/example.lumo -o "$W/out/A demo #2" --html --exe > publish.txt ||
  fail "publish with --html --exe"
grep -q "^report $W/out/A demo #2.txt\$" publish.txt || fail "the report is named"
[ -f "out/A demo #2.htm" ] && [ -f "out/ruffle/ruffle.js" ] || fail "page and web player"
[ -x "out/A demo #2" ] || fail "the executable"
grep -q "^Build 1 successfully completed" "out/A demo #2.txt" || fail "the report's status"

"$Q" publish ex/example.lumo -o "$W/pkg/B" --zip > /dev/null || fail "publish with --zip"
[ -f pkg/B_SCORM/imsmanifest.xml ] && [ -f pkg/B_SCORM/B.zip ] && [ -f pkg/B_SCORM/B.htm ] ||
  fail "the SCORM package"

cat > bin/xdg-open <<SCRIPT
#!/bin/sh
curl -sf "\$1" -o "$W/fetched.htm" && echo "\$1" > "$W/address"
SCRIPT
chmod +x bin/xdg-open
PATH="$W/bin:$PATH" "$Q" show "$W/out/A demo #2" > show.txt &
pid=$!
i=0
while [ ! -f address ] && [ $i -lt 200 ]; do sleep 0.1; i=$((i + 1)); done
[ -f address ] || fail "xdg-open was not run"
grep -q '^http://127.0.0.1:[0-9]*/A%20demo%20%232.htm$' address || fail "address $(cat address)"
cmp -s fetched.htm "out/A demo #2.htm" || fail "the served page differs"
base=$(sed 's|/A%20demo%20%232.htm$||' address)
curl -sf "$base/ruffle/ruffle.js" | cmp -s - out/ruffle/ruffle.js || fail "the web player"
kill -TERM $pid
wait $pid || fail "show ended badly"

# A package's page is found in its folder; a missing one is an error.
PATH="$W/bin:$PATH" "$Q" show "$W/nothing" 2> none.txt && fail "show of nothing succeeded"
grep -q "no published page" none.txt || fail "show of nothing says why"
echo "all checks passed"
