#!/usr/bin/env bash
# Pictures made by another program (ImageMagick) must load with `kelvandor-tool image` and
# give that program's own pixels: GIF (plain, interlaced, transparent, animated, 256 colours),
# the six PNM forms and XPM. Where the file holds 16-bit samples or colours, ImageMagick's own
# 8-bit output cuts them off while we round them, so those may differ by one step.
#
#   CrossCheck.sh KELVANDOR_TOOL WORK_DIR
#
# Exits 77 (skipped) when ImageMagick is not installed.
set -euo pipefail

tool=$1
work=$2
convert=""
for candidate in convert-im6.q16 convert-im6 magick; do
  if command -v "$candidate" >/dev/null 2>&1; then
    convert=$(command -v "$candidate")
    break
  fi
done
if [ -z "$convert" ]; then
  echo "ImageMagick is not installed (Debian package imagemagick): cross-check skipped"
  exit 77
fi
compare=${convert/convert/compare}
[ "$convert" = "$(command -v magick || true)" ] && compare="magick compare"

rm -rf "$work"
mkdir -p "$work"
cd "$work"

failures=0

# check FILE FUZZ: our pixels against ImageMagick's decoding of the file's first picture.
check() {
  local file=$1 fuzz=$2 line
  if ! line=$("$tool" image "$file" --out ours.pam); then
    echo "FAIL $file: $line"
    failures=$((failures + 1))
    return
  fi
  "$convert" "$file[0]" -depth 8 rgba:theirs.rgba
  "$convert" ours.pam -depth 8 rgba:ours.rgba
  local size
  size=$("$convert" "$file[0]" -format '%wx%h' info:)
  local differing
  differing=$($compare -metric AE -fuzz "$fuzz" -size "$size" -depth 8 rgba:theirs.rgba \
    rgba:ours.rgba null: 2>&1 || true)
  if [ "$differing" != "0" ]; then
    echo "FAIL $file: $differing pixels differ ($line)"
    failures=$((failures + 1))
  else
    echo "ok   $file: $line"
  fi
}

"$convert" -size 37x23 gradient:red-blue -colors 16 plain.gif
"$convert" -size 37x23 gradient:orange-navy -colors 16 -interlace GIF interlaced.gif
"$convert" -size 40x30 xc:none -fill red -draw "circle 20 15 20 5" transparent.gif
"$convert" -delay 10 -size 31x17 gradient:green-yellow gradient:red-blue -loop 0 animated.gif
"$convert" -seed 7 -size 160x120 plasma:fractal -colors 256 -interlace GIF full.gif
for f in plain interlaced transparent animated full; do check "$f.gif" 0; done

"$convert" -seed 3 -size 41x19 plasma:fractal source.png
"$convert" source.png -monochrome -compress none p1.pbm
"$convert" source.png -monochrome p4.pbm
"$convert" source.png -colorspace gray -depth 8 -compress none p2.pgm
"$convert" source.png -colorspace gray -depth 8 p5.pgm
"$convert" source.png -depth 8 -compress none p3.ppm
"$convert" source.png -depth 8 p6.ppm
"$convert" source.png -depth 4 -compress none p3-maxval15.ppm
for f in p1.pbm p4.pbm p2.pgm p5.pgm p3.ppm p6.ppm p3-maxval15.ppm; do check "$f" 0; done
"$convert" source.png -colorspace gray -depth 16 p5-16bit.pgm
"$convert" source.png -depth 16 p6-16bit.ppm
for f in p5-16bit.pgm p6-16bit.ppm; do check "$f" 0.5%; done

"$convert" transparent.gif transparent.xpm
check transparent.xpm 0
# ImageMagick writes these colours with 16 bits per channel.
"$convert" source.png -colors 40 colours.xpm
"$convert" -seed 5 -size 64x64 plasma:fractal many.xpm  # 256 colours, two characters each
for f in colours.xpm many.xpm; do check "$f" 0.5%; done

# Damaged files: the tool prints the reader's own message.
refused() {
  local file=$1 expected=$2 line
  line=$("$tool" image "$file" || true)
  if [ "$line" != "$expected" ]; then
    echo "FAIL $file: $line"
    failures=$((failures + 1))
  else
    echo "ok   $file: $line"
  fi
}
head -c 1500 full.gif > cut.gif
refused cut.gif 'result=-1 depth=0 width=0 height=0 alpha=0 message="Gif stream is corrupt"'
printf 'P2 1 1 0 0\n' > maxval0.pgm
refused maxval0.pgm 'result=-1 depth=0 width=0 height=0 alpha=0 message="Beschädigte PNM-Datei !"'

echo "$failures failed"
[ "$failures" -eq 0 ]
