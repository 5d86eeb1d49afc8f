#!/bin/sh
# Makes the pictures of this test set with ImageMagick (run by hand from this folder; the
# tests only read the files). The colours are pure so that a test can tell each picture's
# pixels on the screen.
set -e
convert -size 200x20 xc:'#FF0000' -depth 8 PNG24:Game001/wide10.png
convert -size 80x20 xc:'#00FF00' -depth 8 PNG24:Game001/wide4.png
convert -size 10x100 xc:'#0000FF' -depth 8 PNG24:Game001/tall10.png
convert -size 40x40 xc:'rgba(255,255,255,0.5)' -depth 8 PNG32:Game001/halfwhite.png
convert -size 20x20 xc:'#808080' -depth 8 PNG24:Game002/whole.png
# Cut short or damaged copies of a magenta picture: none of it may reach the screen.
convert -size 60x40 xc:'#FF00FF' -depth 8 PNG24:/tmp/full.png
head -c 200 /tmp/full.png > Game002/cut.png
convert -size 60x40 xc:'#FF00FF' -quality 90 /tmp/full.jpg
head -c 300 /tmp/full.jpg > Game002/cut.jpg
convert -size 60x40 xc:'#FF00FF' -type TrueColor BMP3:/tmp/full.bmp
head -c 4000 /tmp/full.bmp > Game002/cut.bmp
rm -f /tmp/full.png /tmp/full.jpg /tmp/full.bmp
