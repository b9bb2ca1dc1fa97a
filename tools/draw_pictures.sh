#!/bin/sh
# shellcheck disable=SC2086  # $png_options is split into words on purpose
# Draws every picture the desktop program shows: resources/pictures/*.png and
# resources/about.jpg. The generated files are committed, so only this script
# needs ImageMagick; the build does not. Run it again after changing any art.
#
# The small pictures are pixel art, one character per pixel, so they stay sharp
# at 16 pixels; the larger icons and the About picture are drawn as shapes.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/resources/pictures"
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# No dates or other metadata, so that running the script again gives the same bytes.
# Used unquoted on purpose, so that it splits into separate options.
png_options="-strip -define png:exclude-chunks=date,time,tIME -define png:color-type=6"

# One palette for all pixel art. Fully transparent pixels get magenta as their
# colour value: the folder rows use the bottom-left pixel's colour as the
# transparent one, and magenta is used nowhere inside a picture.
palette() {
    cat <<'EOF'
". c None",
"k c #000000",
"K c #404040",
"g c #808080",
"G c #c0c0c0",
"s c #a0a0a0",
"w c #ffffff",
"r c #e01010",
"o c #800000",
"y c #ffd800",
"n c #8a5a00",
"N c #c08838",
"h c #5a3414",
"f c #f2c438",
"F c #fff0a0",
"O c #c89010",
"b c #2060d0",
"d c #0a2a80",
"B c #8cc0ff",
"c c #40d0e0",
"e c #20b020",
"v c #0a6010",
EOF
}

# pixel NAME WIDTH HEIGHT < grid: turns a character grid into NAME.png,
# refusing a grid of the wrong size so that a slip of the hand cannot pass.
pixel() {
    name=$1 width=$2 height=$3
    grep -v '^[[:space:]]*$' >"$tmp/$name.grid"
    awk -v w="$width" -v h="$height" -v n="$name" '
        length($0) != w { printf "%s: row %d is %d wide, not %d\n", n, NR, length($0), w; bad = 1 }
        END { if (NR != h) { printf "%s: %d rows, not %d\n", n, NR, h; bad = 1 } exit bad }
    ' "$tmp/$name.grid" >&2
    colours=$(palette | wc -l)
    {
        echo '/* XPM */'
        echo 'static char *picture[] = {'
        echo "\"$width $height $colours 1\","
        palette
        sed 's/.*/"&",/' "$tmp/$name.grid"
        echo '};'
    } >"$tmp/$name.xpm"
    convert "$tmp/$name.xpm" -background '#ff00ff' -alpha background $png_options "PNG32:$out/$name.png"
}

# disabled NAME: NAME_disabled.png, the same art without colour, lighter and
# partly see-through, as a button shows when it cannot be used.
disabled() {
    convert "$out/$1.png" -modulate 100,0 +level 38%,88% \
        -channel A -evaluate multiply 0.6 +channel \
        -background '#ff00ff' -alpha background $png_options "PNG32:$out/$1_disabled.png"
}

# --- Tool buttons, 16 x 16 -------------------------------------------------

pixel configure 16 16 <<'EOF'
......KKKK......
......KwGK......
.KK..KwGGGK..KK.
.KwKKwGGGGGKKGK.
..KwwGGGGGGGGK..
..KwGGGKKGGGGK..
KKwGGGK..KGGssKK
KwGGGK....KssssK
KGGGGK....KssssK
KKGGGGK..KssssKK
..KGGGGKKssssK..
..KGGGGssssssK..
.KGKKGsssssKKsK.
.KK..KssssK..KK.
......KssK......
......KKKK......
EOF

pixel scan 16 16 <<'EOF'
................
.nnnn...........
nFFFFn..........
nFffffnnnnnnn...
nFfffffffffffn..
nFfffffkkkfffn..
nFffffkBBBkffn..
nFfffkBwBBBkfn..
nFfffkBwBBBkfn..
nFfffkBBBBBkfn..
nFffffkBBBkhfn..
nFfffffkkkkhhn..
nnnnnnnnnnnhhh..
............hhh.
.............hh.
................
EOF

pixel save_list 16 16 <<'EOF'
kkkk.....rrr....
kwwkk....rrr....
kwwwwk...rrr....
kwggwk...rrr....
kwwwwk...rrr....
kwggwddrrrrrrrdd
kwwwwdbwrrrrrwbd
kkkkkdbwwrrrwwbd
.....dbwggrgwwbd
.....dbwwwwwwwbd
.....dbbbbbbbbbd
.....dbbGGGGGbbd
.....dbbGKGGGbbd
.....dbbGKGGGbbd
.....dbbGGGGGbbd
.....ddddddddddd
EOF

pixel print 16 16 <<'EOF'
................
...kkkkkkkkk....
...kwwwwwwwk....
...kwggggwwk....
...kwwwwwwwk....
.kkkkkkkkkkkkkk.
kwwwwwwwwwwwwwwk
kGGGGGGGGGGGeeGk
kGGGGGGGGGGGGGGk
kgggkkkkkkkkgggk
kgggkwwwwwwkgggk
kkkkkwggggwkkkkk
....kwwwwwwk....
....kwggggwk....
....kwwwwwwk....
....kkkkkkkk....
EOF

pixel view 16 16 <<'EOF'
................
................
................
.....kkkkkk.....
...kkwbbbbwkk...
..kwwbBBBBbwwk..
.kwwbBBkkBBbwwk.
kwwwbBwkkkBbwwwk
kwwwbBkkkkBbwwwk
.kwwbBBkkBBbwwk.
..kwwbBBBBbwwk..
...kkwbbbbwkk...
.....kkkkkk.....
................
................
................
EOF

pixel clear 16 16 <<'EOF'
kkkkkkkk........
kwwwwwwkk.......
kwwwwwwkwk......
kwggggwkkkk.....
kwwwwwwwwwk.....
kwgggggggwk.....
kwwwwwwwwwk.....
kwgggggggwk.....
kwwwwwwwrrk...rr
kwggggggrrr..rrr
kwwwwwwwwrrrrrr.
kwgggggggwrrrr..
kwwwwwwwwwrrrr..
kwgggggggrrrrrr.
kwwwwwwwrrr..rrr
.kkkkkkkrrk...rr
EOF

pixel search 16 16 <<'EOF'
....KKKK........
...KKKKKK.......
..KKwwBBKK......
.KKwBBBBBKK.....
.KwBBBBBBBK.....
KKwBBBBBBBKK....
KKBBBBBBBBKK....
.KBBBBBBBBK.....
.KKBBBBBBKK.....
..KKBBBBKKhh....
...KKKKKKhhhh...
....KKKK..hhhh..
...........hhhh.
............hhhh
.............hhh
................
EOF

pixel about 16 16 <<'EOF'
.....dddddd.....
...ddbbbbbbdd...
..dbbbbwwbbbbd..
.dbbbbbwwbbbbbd.
.dbbbbbbbbbbbbd.
dbbbbbwwwbbbbbbd
dbbbbbbwwbbbbbbd
dbbbbbbwwbbbbbbd
dbbbbbbwwbbbbbbd
dbbbbbbwwbbbbbbd
dbbbbbbwwbbbbbbd
.dbbbbwwwwbbbbd.
.dbbbbbbbbbbbbd.
..dbbbbbbbbbbd..
...ddbbbbbbdd...
.....dddddd.....
EOF

pixel exit 16 16 <<'EOF'
.kkkkkkkkk......
.kNKKKKKKk......
.knNKKKKKk......
.knnNKKKKk......
.knnnNKKKk.e....
.knnnnKKKk.ee...
.knnnnKeeeeeee..
.knnnyKeeeeeeee.
.knnnyKeeeeeeee.
.knnnnKeeeeeee..
.knnnnKKKk.ee...
.knnnnKKKk.e....
.knnnNKKKk......
.knnNKKKKk......
.knNKKKKKk......
.kkkkkkkkk......
EOF

for name in configure scan save_list print view clear search about exit; do
    disabled "$name"
done

# --- Pictures of the buttons with captions, 16 x 16 ------------------------

pixel tick 16 16 <<'EOF'
................
............vv..
...........veev.
..........veeev.
.........veeev..
........veeev...
.vv....veeev....
veev..veeev.....
veeevveeev......
.veeeeeeev......
..veeeeev.......
...veeev........
....vev.........
.....v..........
................
................
EOF

pixel cross 16 16 <<'EOF'
................
..ooo......ooo..
.ooroo....ooroo.
.orrroo..oorrro.
.oorrroooorrroo.
..oorrroorrroo..
...oorrrrrroo...
....oorrrroo....
....oorrrroo....
...oorrrrrroo...
..oorrroorrroo..
.oorrroooorrroo.
.orrroo..oorrro.
.ooroo....ooroo.
..ooo......ooo..
................
EOF

pixel door 16 16 <<'EOF'
...kkkkkkkkk....
...kNKKKKKKk....
...knNKKKKKk....
...knnNKKKKk....
...knnnNKKKk....
...knnnnKKKk....
...knnnnKKKk....
...knnnyKKKk....
...knnnyKKKk....
...knnnnKKKk....
...knnnnKKKk....
...knnnnKKKk....
...knnnNKKKk....
...knnNKKKKk....
...knNKKKKKk....
...kkkkkkkkk....
EOF

# The Save button and the Clear confirmation show the tool buttons' art.
cp "$out/save_list.png" "$out/save.png"
cp "$out/save_list_disabled.png" "$out/save_disabled.png"

# --- Drive list, 16 x 11 ---------------------------------------------------

pixel drive_removable 16 11 <<'EOF'
................
................
.kkkkkkkkkk.....
kBBBBBBBBBBkkkkk
kbBBBBBBBBBkGGGk
kbbwwwwbBBBkGkGk
kbbbbbbbbBBkGGGk
kbbbbbbbbbbkkkkk
.kkkkkkkkkk.....
................
................
EOF

pixel drive_fixed 16 11 <<'EOF'
................
...KKKKKKKKKKKKK
..KwwwwwwwwwwwKK
.KwwwwwwwwwwwKgK
KKKKKKKKKKKKKggK
KGGGGGGGGGGGKggK
KGkkkkkkGGeGKgK.
KGGGGGGGGGGGKK..
KKKKKKKKKKKKK...
................
................
EOF

pixel drive_cdrom 16 11 <<'EOF'
.....KKKKKK.....
...KKGGGGccKK...
..KGGGGGGcccGK..
.KGGGGGggcccGGK.
.KGGGGg..gcccGK.
.KGGGGg..gGGGGK.
.KGcccg..gGGGGK.
.KGGcccggGGGGGK.
..KGGcccGGGGGK..
...KKGcccGGKK...
.....KKKKKK.....
EOF

pixel drive_ram 16 11 <<'EOF'
................
................
vvvvvvvvvvvvvvvv
veeeeeeeeeeeeeev
veKKKeeKKKeeKKKv
veKKKeeKKKeeKKKv
veeeeeeeeeeeeeev
vvvvvvvvvvvvvvvv
.y.y.y.y.y.y.y.y
................
................
EOF

pixel drive_network 16 11 <<'EOF'
..KKKKKKKKKKKKK.
.KwwwwwwwwwwwKK.
KKKKKKKKKKKKKGK.
KGGGGGGGGGeGKGK.
KGGGGGGGGGGGKK..
KKKKKKKKKKKKK...
......KgK.......
KKKKKKKgKKKKKKKK
GGGGGGGGGGGGGGGG
KKKKKKKKKKKKKKKK
................
EOF

# --- Folder rows, 16 x 15 (bottom-left pixel transparent) ------------------

pixel folder_closed 16 15 <<'EOF'
................
................
..nnnnn.........
.nFFFFFn........
nFfffffFnnnnnnn.
nFFFFFFFFFFFFFFn
nFffffffffffffOn
nFffffffffffffOn
nFffffffffffffOn
nFffffffffffffOn
nFffffffffffffOn
nFffffffffffffOn
nOOOOOOOOOOOOOOn
nnnnnnnnnnnnnnnn
................
EOF

pixel folder_open 16 15 <<'EOF'
................
................
..nnnnn.........
.nFFFFFn........
nFfffffFnnnnnn..
nFOOOOOOOOOOOn..
nFOnnnnnnnnnnnnn
nFnFFFFFFFFFFFn.
nFnfffffffffffn.
nnFffffffffffn..
nnfffffffffffn..
nFffffffffffn...
nfffffffffffn...
nnnnnnnnnnnnn...
................
EOF

# The open folder with a written page standing in it: the folder now shown.
pixel folder_current 16 15 <<'EOF'
................
....gggggggg....
..nngwwwwwwg....
.nFFgwKKKKwg....
nFffgwwwwwwgnn..
nFOOgwKKKwwgOn..
nFOnnnnnnnnnnnnn
nFnFFFFFFFFFFFn.
nFnfffffffffffn.
nnFffffffffffn..
nnfffffffffffn..
nFffffffffffn...
nfffffffffffn...
nnnnnnnnnnnnn...
................
EOF

# --- 32 x 32 icons ---------------------------------------------------------

# shape NAME SIZE DRAW: draws NAME.png from shapes laid out on a 32 x 32 grid,
# scaled to SIZE (a multiple of 8) and smoothed by drawing four times larger
# and reducing.
shape() {
    name=$1 size=$2 drawing=$3
    big=$((size * 4))
    factor=$((big / 32))
    convert -size "${big}x${big}" xc:none -draw "scale $factor,$factor $drawing" "$tmp/$name.big.png"
    convert "$tmp/$name.big.png" -filter Box -resize "${size}x${size}" \
        -background '#ff00ff' -alpha background $png_options "PNG32:$out/$name.png"
}

question='
    stroke #0c2a6c stroke-width 1 fill #2a5cc8 roundrectangle 1.5,1.5 30.5,30.5 5,5
    stroke none fill #4f80e4 roundrectangle 3,3 29,15 4,4
    stroke none fill #2a5cc8 rectangle 3,10 29,15
    fill none stroke-linecap round stroke-linejoin round
    stroke #5a3c00 stroke-width 6.2 path "M 10.5,11.5 C 10.5,4.5 21.5,4.5 21.5,11 C 21.5,15.5 16,15 16,19.5 L 16,20"
    stroke #ffd400 stroke-width 3.8 path "M 10.5,11.5 C 10.5,4.5 21.5,4.5 21.5,11 C 21.5,15.5 16,15 16,19.5 L 16,20"
    stroke #5a3c00 stroke-width 1.2 fill #ffd400 circle 16,25.5 16,28.3
'

# A burst of the given number of points around (16,16).
burst() {
    awk -v n="$1" -v outer="$2" -v inner="$3" -v turn="$4" 'BEGIN {
        pi = atan2(0, -1)
        for (i = 0; i < 2 * n; i++) {
            r = (i % 2) ? inner : outer
            a = (i + turn) * pi / n - pi / 2
            printf "%.2f,%.2f ", 16 + r * cos(a), 16 + r * sin(a)
        }
    }'
}

alert="
    stroke #7a1000 stroke-width 1 fill #e02a10 polygon $(burst 12 15.2 11.4 0)
    stroke none fill #ffd820 polygon $(burst 12 12.6 9.2 1)
    stroke #0a2060 stroke-width 1 fill #1848c0
    polygon 13.8,6.5 18.2,6.5 17.2,19 14.8,19
    circle 16,23.4 16,25.9
"

printer='
    stroke #505050 stroke-width 1 fill #ffffff rectangle 9,2 22,12
    stroke #9090a0 line 11,5 20,5 line 11,7 20,7 line 11,9 17,9
    stroke #303030 fill #c4c4c4 roundrectangle 2,11 29,25 2,2
    stroke none fill #ececec rectangle 3,12 28,14
    fill #9a9a9a rectangle 3,22 28,24
    fill #20c020 rectangle 24,16 26,17
    fill #202020 rectangle 6,19 25,20
    stroke #505050 fill #ffffff rectangle 8,20 23,29
    stroke #7070b0 line 10,23 21,23 line 10,25 21,25 line 10,27 17,27
'

# A map folded in three, parchment coloured, with a coast, mountains and a
# dashed route to a red cross: the program's own icon.
folded_map='
    stroke none fill #0000002a polygon 4,8 13,5 23,8 32,5 32,27 23,30 13,27 4,30
    stroke #5b3a12 stroke-width 1 stroke-linejoin round
    fill #f5e4b2 polygon 2,6 11,3 11,25 2,28
    fill #d6ba7e polygon 11,3 21,6 21,28 11,25
    fill #f5e4b2 polygon 21,6 30,3 30,25 21,28
    stroke none
    fill #86b6e0 polygon 2.5,6.3 7.5,4.6 6.5,9 8,13 5.5,17 7,22 5,27.3 2.5,27.5
    fill #6f9cc6 polygon 11.5,18 15,19 17,22 20.5,21.5 20.5,27.5 11.5,24.6
    fill #8fc07a polygon 23,16 26,14 29.5,15 29.5,21 26,22 23,20
    fill none stroke-width 1 stroke #6a4a1a
    polyline 13,13 15.5,9.5 18,13
    polyline 23,11 25,8 27,11
    stroke #c01818 stroke-width 1.1 stroke-dasharray 1.6,1.2
    polyline 8.5,21 12,16 16.5,16.5 20,14 24.5,17.5
    stroke-dasharray none stroke-width 1.3
    line 24,15 27,18 line 27,15 24,18
'

shape question 32 "$question"
shape alert 32 "$alert"
shape printer32 32 "$printer"
shape program 32 "$folded_map"
shape program_64 64 "$folded_map"
shape program_128 128 "$folded_map"

# --- About picture: 173 x 193 colour JPEG ----------------------------------

# The coast runs down the picture; land to the right of it, sea to the left.
coast=$(awk 'BEGIN {
    for (y = -4; y <= 197; y += 3) {
        x = 62 + 16 * sin(y / 15) + 6 * sin(y / 5.3 + 1) + 2.5 * sin(y / 1.9)
        printf "%.1f,%d ", x, y
    }
}')
surf=$(awk 'BEGIN {
    for (y = -4; y <= 197; y += 3) {
        x = 62 + 16 * sin(y / 15) + 6 * sin(y / 5.3 + 1) + 2.5 * sin(y / 1.9) - 6
        printf "%.1f,%d ", x, y
    }
}')

mountain() { # x y size
    awk -v x="$1" -v y="$2" -v s="$3" 'BEGIN {
        printf "stroke #5a3a18 stroke-width 1 fill #c9a468 polygon %.1f,%.1f %.1f,%.1f %.1f,%.1f ", x - s, y, x, y - s * 1.2, x + s, y
        printf "stroke none fill #9c7a44 polygon %.1f,%.1f %.1f,%.1f %.1f,%.1f ", x, y - s * 1.2 + 1.5, x + s - 1.5, y - 0.5, x + 1, y - 0.5
    }'
}
tree() { # x y
    printf 'stroke #2d4a1a stroke-width 0.8 fill #5f8a3a circle %s,%s %s,%s ' "$1" "$2" "$1" "$(($2 - 3))"
}

mountains="$(mountain 110 60 9) $(mountain 124 54 11) $(mountain 138 62 8) $(mountain 100 72 7)
    $(mountain 146 90 7) $(mountain 131 84 6)"
forest="$(tree 141 117) $(tree 148 121) $(tree 144 125) $(tree 153 115) $(tree 157 126) $(tree 137 129)"

convert -size 173x193 xc:'#a8c4c2' -seed 7 \
    -attenuate 0.35 +noise Gaussian -blur 0x0.6 \
    -draw "stroke #7fa3a6 stroke-width 1 fill none polyline $surf" \
    -draw "stroke #5a3a18 stroke-width 1.5 fill #e8d3a0 polygon $coast 190,197 190,-4" \
    -draw "stroke #5a3a18 stroke-width 1.2 fill #e8d3a0 ellipse 28,160 11,6 0,360" \
    -draw "stroke #5a3a18 stroke-width 1 fill #e8d3a0 ellipse 18,132 5,3 0,360" \
    -draw "stroke #4f7fa8 stroke-width 1.6 fill none path 'M 124,66 C 118,90 140,100 128,118 C 118,134 84,140 58,147'" \
    -draw "$mountains" \
    -draw "$forest" \
    -draw "stroke #b01818 stroke-width 1.3 fill none stroke-dasharray 3,2 polyline 150,170 132,150 118,146 104,160 88,176" \
    -draw "stroke #b01818 stroke-width 2 line 146,166 154,174 line 154,166 146,174" \
    -draw "stroke #5a3a18 stroke-width 1 fill #b03020 rectangle 84,170 90,176" \
    -draw "translate 36,48
           stroke #5a3a18 stroke-width 1 fill none circle 0,0 0,19 circle 0,0 0,15
           fill #f0e2bc polygon 0,-26 4,-4 0,0 -4,-4 polygon 0,26 4,4 0,0 -4,4
           polygon 26,0 4,4 0,0 4,-4 polygon -26,0 -4,4 0,0 -4,-4
           fill #5a3a18 polygon 0,-26 -4,-4 0,0 polygon 0,26 4,4 0,0
           polygon 26,0 4,-4 0,0 polygon -26,0 -4,4 0,0
           fill #c99a40 polygon 11,-11 3,-1 1,-3 polygon -11,11 -3,1 -1,3
           polygon 11,11 1,3 3,1 polygon -11,-11 -1,-3 -3,-1
           fill none stroke #7a1010 stroke-width 1.4 polyline -3,-29 -3,-36 3,-29 3,-36" \
    \( -size 173x193 xc:'#f3e6c2' -seed 11 -attenuate 0.5 +noise Multiplicative \
       -fill '#8a6a3a' -colorize 8% \) +swap -compose Multiply -composite \
    -draw "stroke #5a3a18 stroke-width 2 fill none rectangle 3,3 169,189" \
    -draw "stroke #5a3a18 stroke-width 1 fill none rectangle 7,7 165,185" \
    -type TrueColor -interlace none -sampling-factor 2x2,1x1,1x1 -quality 90 -strip \
    "jpg:$root/resources/about.jpg"

echo "pictures written to $out and $root/resources/about.jpg"
