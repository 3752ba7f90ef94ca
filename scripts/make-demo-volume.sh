#!/usr/bin/env bash
# Makes the demo volume that scripts/demo.sh opens: a 4 MB HFS image, made
# with hfsutils, holding a few folders, files with resource forks, types and
# creators, and names with accented Macintosh letters.
#   usage: make-demo-volume.sh IMAGE
set -euo pipefail
image=${1:?usage: make-demo-volume.sh IMAGE}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# hfsutils keeps its current volume in $HOME/.hcwd: give it a private home.
export HOME=$work TZ=UTC

# Writes a MacBinary II file: NAME (Mac Roman bytes) TYPE CREATOR DATA RSRC OUT.
macbinary() {
  perl -e '
    my ($name, $type, $creator, $data, $rsrc, $out) = @ARGV;
    my $header = pack("C C a63 a4 a4 C x x6 x x N N N N x23 C C",
        0, length $name, $name, $type, $creator, 0,
        length $data, length $rsrc, 0xB3A1C2D0, 0xB6F0A410, 129, 129);
    my $crc = 0;
    for my $byte (unpack "C*", substr($header, 0, 124)) {
      $crc ^= $byte << 8;
      for (1 .. 8) { $crc = ($crc & 0x8000) ? (($crc << 1) ^ 0x1021) : ($crc << 1); $crc &= 0xFFFF; }
    }
    $header = substr($header, 0, 124) . pack("n", $crc) . "\0\0";
    my $pad = sub { my $s = shift; $s . ("\0" x ((128 - length($s) % 128) % 128)) };
    open my $fh, ">:raw", $out or die "$out: $!";
    print $fh $header, $pad->($data), $pad->($rsrc);
  ' "$@"
}

# Copies a data-only file and gives it a type and creator: TEXT HFSPATH TYPE CREATOR.
text_file() {
  printf '%s' "$1" > "$work/text"
  hcopy -r "$work/text" "$2"
  hattrib -t "$3" -c "$4" "$2"
}

rm -f "$image"
dd if=/dev/zero of="$image" bs=1024 count=4096 status=none
hformat -l $'Korvane D\x8emo' "$image" >/dev/null

hmkdir :Letters
hmkdir :Projects
hmkdir :Projects:Archive
hmkdir $':Pictures & Sc\x8fnes'
hmkdir ':Empty folder'

text_file $'Welcome to Korvane.\rThis volume was made for the demo.\r' :ReadMe TEXT ttxt
text_file $'Dear Fran\x8doise,\r' $':Letters:Lettre \x88 Fran\x8doise' TEXT MSWD
text_file $'Curriculum vitae\r' $':Letters:R\x8esum\x8e' TEXT ttxt
text_file $'Notes\r' ':Projects:Notes' TEXT ttxt
text_file $'Old plans\r' $':Projects:Archive:Plan 1994' TEXT ttxt

macbinary $'Caf\x8e Men\x9f' TEXT ttxt $'Coffee 2.00\rTea 1.50\r' \
  "$(head -c 700 /dev/zero | tr '\0' 'R')" "$work/menu.bin"
hcopy -m "$work/menu.bin" :
macbinary 'Korvane Tool' APPL KRVN '' "$(head -c 3000 /dev/zero | tr '\0' 'C')" "$work/tool.bin"
hcopy -m "$work/tool.bin" :Projects:
macbinary $'Fa\x8dade' PICT 8BIM "$(head -c 12000 /dev/zero | tr '\0' 'P')" 'preview' "$work/pict.bin"
hcopy -m "$work/pict.bin" $':Pictures & Sc\x8fnes:'
macbinary $'\x80rger \x9fber Gr\x9a\xa7e' TEXT ttxt 'Umlaute' 'rsrc' "$work/umlaut.bin"
hcopy -m "$work/umlaut.bin" $':Pictures & Sc\x8fnes:'

humount "$image" 2>/dev/null || humount
echo "Demo volume: $image"
