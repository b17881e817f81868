#!/usr/bin/env bash
# Draws the toolbar bitmaps of the editor's resource library (16 x 16 pictures side by side, one
# per button, in the order of the toolbar's BUTTON lines) from DejaVu Sans symbols with
# ImageMagick. Run it after changing a toolbar's buttons; the PNG files are kept in the tree.
set -euo pipefail
out=${1:-$(dirname "$0")/../resources/kfm5/bitmaps}
font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
bold=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf

# One picture: symbol, colour, point size, font.
picture() {
  convert -size 16x16 xc:none -font "${4:-$font}" -pointsize "${3:-13}" -fill "$2" \
    -gravity center -annotate +0+0 "$1" "PNG32:$5"
}

strip() {
  local name=$1; shift
  local tmp; tmp=$(mktemp -d)
  local i=0 files=()
  while [ $# -gt 0 ]; do
    picture "$1" "$2" "$3" "$4" "$tmp/$(printf %02d $i).png"
    files+=("$tmp/$(printf %02d $i).png"); i=$((i + 1)); shift 4
  done
  convert "${files[@]}" +append "PNG32:$out/$name.png"
  rm -rf "$tmp"
}

ink='#202020'; blue='#1f4fa0'; green='#1f7a2e'; red='#a02020'; amber='#9a6a00'
strip toolbar100 \
  '□' "$ink" 15 "$font"   '⇪' "$amber" 13 "$font"   '↓' "$blue" 14 "$bold" \
  '⊕' "$green" 13 "$font"  '◇' "$green" 13 "$font" \
  '✂' "$ink" 13 "$font"   '❐' "$ink" 13 "$font"    '▤' "$ink" 13 "$font" \
  '✕' "$red" 13 "$bold"   '↶' "$blue" 14 "$bold" \
  '▭' "$ink" 14 "$font"   'T' "$blue" 13 "$bold"   '☐' "$green" 13 "$font" \
  '⇆' "$ink" 13 "$bold"   '⇅' "$ink" 13 "$bold"    '⟳' "$ink" 13 "$bold" \
  '⇲' "$ink" 13 "$font"   '⌧' "$ink" 13 "$font" \
  '◷' "$amber" 13 "$font"  '≋' "$blue" 13 "$font"   '▦' "$green" 13 "$font" \
  '+' "$ink" 14 "$bold"   '−' "$ink" 14 "$bold"    '✎' "$amber" 13 "$font" \
  '◎' "$blue" 13 "$font"  '◉' "$green" 13 "$font"  '▣' "$ink" 13 "$font" \
  '⌂' "$blue" 13 "$font"
strip toolbar103 \
  '▶' "$green" 13 "$font" \
  '⇤' "$ink" 13 "$font"  '◀' "$ink" 11 "$font"  '▷' "$green" 12 "$font" \
  '‖' "$ink" 13 "$bold"  '▶' "$ink" 11 "$font"  '⇥' "$ink" 13 "$font" \
  '⊡' "$ink" 13 "$font" \
  '‹' "$blue" 15 "$bold" '›' "$blue" 15 "$bold" '◫' "$ink" 13 "$font"
strip toolbar104 \
  '⇤' "$blue" 13 "$font"  '⇥' "$blue" 13 "$font"  '↑' "$blue" 13 "$font" \
  '↓' "$blue" 13 "$font" \
  '↔' "$ink" 13 "$font"   '↕' "$ink" 13 "$font"   '⇹' "$ink" 13 "$font" \
  '⇳' "$ink" 13 "$font" \
  '«' "$green" 14 "$bold" '»' "$green" 14 "$bold"
