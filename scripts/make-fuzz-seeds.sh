#!/usr/bin/env bash
# Seed inputs for the fuzz targets, made from the program's own files and writers: the
# sample puzzles and their pictures, the replay scripts of the tests, screens written by
# `kelvandor-tool replay` (our PNG writer) and by `kelvandor-tool image --out` (our PAM
# writer), those screens in the other formats by ImageMagick when it is installed, and
# remote streams and dialog texts written here.
# Usage: scripts/make-fuzz-seeds.sh OUT [TOOL]    (TOOL defaults to build/bin/kelvandor-tool)
set -euo pipefail
out=${1:?usage: make-fuzz-seeds.sh OUT [TOOL]}
tool=${2:-build/bin/kelvandor-tool}
here=$(cd "$(dirname "$0")/.." && pwd)
rm -rf "$out"
for t in image_file image_reader puzzle_text load_puzzle remote_framer dialog_input settings replay_script control_request; do
  mkdir -p "$out/$t"
done

# Pictures: the samples', and a small screen of the game in every format we can write.
find "$here/samples" -type f \( -name '*.png' -o -name '*.jpg' -o -name '*.bmp' -o -name '*.gif' \) \
  -size -64k -exec cp {} "$out/image_file/" \;
if [ -x "$tool" ]; then
  printf 'size 96 64\nsetting PicPath %s/tests/replay/puzzles\nkey F5\nticks 30\nframe %s/screen.png\n' \
    "$here" "$out/image_file" | "$tool" replay - >/dev/null
  "$tool" image "$out/image_file/screen.png" --out "$out/image_file/screen.pam" >/dev/null || true
  if command -v convert >/dev/null 2>&1; then
    for ext in bmp gif ppm pgm pbm xpm xwd ico tif webp jpg eps; do
      convert "$out/image_file/screen.png" "$out/image_file/screen.$ext" 2>/dev/null || true
    done
    convert "$out/image_file/screen.png" -type palette -compress RLE "BMP3:$out/image_file/screen-rle.bmp" 2>/dev/null || true
  fi
fi
# The same files for each reader directly: the first byte picks the reader (see the target).
declare -A reader=([bmp]=0 [ico]=1 [tif]=2 [gif]=3 [png]=4 [jpg]=6 [xpm]=7 [eps]=8 [ppm]=9
                   [pgm]=9 [pbm]=9 [pam]=9 [xwd]=10 [webp]=11)
for f in "$out"/image_file/*; do
  ext=${f##*.}
  if [ -n "${reader[$ext]:-}" ]; then
    { printf "\\$(printf '%03o' "${reader[$ext]}")"; cat "$f"; } > "$out/image_reader/$(basename "$f")"
  fi
done

# Puzzles and scripts.
i=0
for f in "$here"/samples/puzzles/*/Game.txt "$here"/tests/replay/puzzles/*/Game.txt; do
  i=$((i + 1))
  cp "$f" "$out/puzzle_text/game$i.txt"
  cp "$f" "$out/load_puzzle/game$i.txt"
done
printf 'Frage\r\nRot|1|Rot.bmp\r\nBlau|2|bilder/blau.bmp\r\nGrün|3|../Game001/ROT.BMP\r\n' \
  > "$out/load_puzzle/pictures.txt"
cp "$here"/tests/replay/*.replay "$out/replay_script/"

# Remote streams: a first byte for the cutting (see the target), then frames and damage.
printf '\x03\x01\x05\x020D00000001\r1U00000002\n2S0000000A\r\n' > "$out/remote_framer/frames"
printf '\x0010D123456789\x311D12345678\r' > "$out/remote_framer/partial-then-good"
printf '\x02\x01\x07\r\n\r\nXD00000000\r7D0000FFFF\r' > "$out/remote_framer/noise"

for text in 12 -7 '  42 ' 0x10 99999999999 COM3 com12 3 '' abc; do
  printf '%s' "$text" > "$out/dialog_input/$(printf '%s' "$text" | md5sum | cut -c1-8)"
done
printf '\x01\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x02\x00\x00\x00\x1e\x00\x00\x00\x02\x00\x00\x00/tmp' \
  > "$out/settings/defaults"
printf '\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff' \
  > "$out/settings/all-ones"
# Control socket requests: the committed ones (written from the wire format) stand as seeds.
cp "$here"/fuzz/corpus/control_request/* "$out/control_request/"
echo "seeds in $out: $(find "$out" -type f | wc -l) files"
