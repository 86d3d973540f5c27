#!/bin/sh
# The whole-project commands end to end: timing data out and back in, removal of deleted frames
# checked picture by picture with `quillo frame`, both ways of combining, and a video import.
# Usage: ProjectOpsTestCli.sh QUILLO WORKDIR
set -eu
Q="$1"
W="$2"
rm -rf "$W"
mkdir -p "$W"
cd "$W"
fail() { echo "FAIL: $*" >&2; exit 1; }

"$Q" example ex > /dev/null
cp ex/example.lumo a.lumo
[ "$("$Q" export-timing a.lumo)" = "a_timing_data.txt" ] || fail "export-timing names its file"
# Frames 3, 7 and the last (14) deleted, a two-line text on frame 2.
sed -i 's/^3, \([0-9]*\), "N"/3, \1, "Y"/; s/^7, \([0-9]*\), "N"/7, \1, "Y"/;
        s/^14, \([0-9]*\), "N"/14, \1, "Y"/; s/^2, \([0-9]*\), "N", ""/2, \1, "N", "a\\nb"/' \
  a_timing_data.txt
"$Q" import-timing a.lumo > /dev/null
"$Q" info a.lumo | grep -q 'frame    3 .*deleted' || fail "import-timing marks frame 3 deleted"

"$Q" remove-deleted a.lumo kept.lumo 2> remove.log
grep -q "Removing Deleted Frames 100%" remove.log || fail "remove-deleted shows its progress"
"$Q" info kept.lumo | grep -q "11 frames" || fail "11 frames are kept"
"$Q" info kept.lumo | grep -q 'frame   11 .*\[key' || fail "the last kept frame is a key frame"
"$Q" info kept.lumo | grep -q 'bubble "a' || fail "the text stays with its frame"
n=0
for old in 1 2 4 5 6 8 9 10 11 12 13; do
  n=$((n + 1))
  "$Q" frame a.lumo "$old" old.png
  "$Q" frame kept.lumo "$n" new.png
  cmp -s old.png new.png || fail "kept frame $n differs from frame $old"
done

"$Q" combine c.lumo ex/example.lumo kept.lumo 2> combine.log
grep -q "Combining Quillo movies 100%" combine.log || fail "combine shows its progress"
"$Q" info c.lumo | grep -q "25 frames, 25 stream pictures" || fail "combined frames"
"$Q" combine e.lumo ex/example.lumo kept.lumo --editing-only 2> /dev/null
"$Q" info e.lumo | grep -q "25 frames, 0 stream pictures" || fail "editing-only writes no pixels"
"$Q" check e.lumo > /dev/null || fail "editing-only frames rebuild from their sources"
"$Q" frame kept.lumo 0 x.png 2> /dev/null && fail "frame 0 is a usage error"
"$Q" frame kept.lumo 1 k1.png
"$Q" frame e.lumo 15 e15.png
cmp -s k1.png e15.png || fail "frame 15 of the combination shows kept frame 1"

set +e
"$Q" combine x.lumo a.lumo 2> few.log
[ $? -eq 2 ] || fail "combining one file is a usage error"
set -e
grep -q "You must select at least two movie files for combining." few.log || fail "too few message"

if command -v ffmpeg > /dev/null; then
  ffmpeg -loglevel error -f lavfi -i testsrc=duration=1:size=160x120:rate=25 v.mp4
  "$Q" import-video v.mp4 v.lumo 2> import.log
  grep -q "Importing Video..." import.log || fail "import-video shows its progress"
  "$Q" info v.lumo | grep -q "160 x 120" || fail "the video's size"
  "$Q" info v.lumo | grep -q "25 frames" || fail "one frame per video frame"
  [ "$("$Q" info v.lumo | grep -c '0.04 s')" -eq 25 ] || fail "every frame lasts 4 hundredths"
  set +e
  "$Q" import-video missing.mp4 m.lumo 2> missing.log
  [ $? -eq 1 ] || fail "a file that is no video fails"
  set -e
  grep -q "Video Import \[warning\]: Unable to read file." missing.log || fail "unreadable video message"
fi
echo "project operations: all checks passed"
