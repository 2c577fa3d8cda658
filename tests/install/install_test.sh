#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a scratch prefix and checks the tree a desktop reads: the programs
# run, the desktop entry, the metadata and the file type are valid and agree with each other,
# and the manual page covers every command of the tool.
#   install_test.sh BUILD_DIR VERSION MODULE_DIR
set -uo pipefail
build="$1"
version="$2"
moduledir="$3"
. "$(dirname "$0")/../checks.sh"
id=com.mervane.Padsmith

prefix="$work/prefix"
expect_exit 0 cmake --install "$build" --prefix "$prefix"
share="$prefix/share"
for file in bin/padsmith bin/padsmith-kit share/man/man1/padsmith-kit.1.gz \
    share/man/man1/padsmith.1.gz share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
    share/mime/packages/padsmith.xml share/icons/hicolor/scalable/apps/padsmith.svg \
    share/doc/padsmith/copyright share/doc/padsmith/changelog.gz; do
    [ -f "$prefix/$file" ] && pass || fail "$file not installed"
done
# Sound and MIDI come in a module the editor loads once its window is shown, other samplers'
# kits in one it loads on the first import or export; the editor starts without their libraries.
# padsmith-kit loads its audio, MIDI, convert and render commands from a module of its own.
for module in padsmith-sound padsmith-formats padsmith-kit-media; do
    [ -f "$prefix/$moduledir/$module.so" ] && pass || fail "the module $module not installed"
done
expect_exit 0 readelf -d "$prefix/bin/padsmith"
expect_not_in "libQt6Multimedia\|librtmidi\|libpulse\|libsoxr\|libarchive\|libsndfile\|libpugixml" \
    "$work/out"
expect_exit 0 readelf -d "$prefix/bin/padsmith-kit"
expect_not_in "libQt6\|librtmidi\|libpulse\|libjack\|libsoxr\|libarchive\|libsndfile\|libpugixml" \
    "$work/out"
# The installed tool finds its module in the package's folder of modules.
expect_exit 0 "$prefix/bin/padsmith-kit" help render
expect_in "^usage: padsmith-kit render" "$work/out"
for size in 16 32 48 64 128 256; do
    icon="$share/icons/hicolor/${size}x${size}/apps/padsmith.png"
    kind=$(file "$icon")
    [[ "$kind" == *"PNG image data, $size x $size"* ]] && pass || fail "no $size x $size icon: $kind"
done

# The installed programs run and know their version; the editor needs no display for it.
expect_exit 0 env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/padsmith" --version
expect_in "^Padsmith $version\$" "$work/out"
expect_in "GNU GPL version 3 or later" "$work/out"
expect_exit 0 "$prefix/bin/padsmith-kit" --version
expect_in "^padsmith-kit $version\$" "$work/out"
expect_in "GNU GPL version 3 or later" "$work/out"

# Desktop entry and metadata pass the validators the desktop tools use, and agree: the entry
# starts an installed program with its file, shows the installed icon and opens the file type
# the package defines.
desktop="$share/applications/$id.desktop"
# Neither validator may report an error or a warning (desktop-file-validate exits 0 on warnings;
# appstreamcli's info and pedantic notes are allowed).
expect_exit 0 desktop-file-validate "$desktop"
expect_not_in "error:\|warning:" "$work/out"
expect_exit 0 appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml"
expect_not_in "^[EW]:" "$work/out"
expect_in "<project_license>GPL-3.0-or-later</project_license>" "$share/metainfo/$id.metainfo.xml"
expect_in "<launchable type=\"desktop-id\">$id.desktop</launchable>" \
    "$share/metainfo/$id.metainfo.xml"
expect_in "<release version=\"$version\"" "$share/metainfo/$id.metainfo.xml"
expect_in "^Exec=padsmith %f\$" "$desktop"
expect_in "^Icon=padsmith\$" "$desktop"
mime=$(sed -n 's/^MimeType=\(.*\);$/\1/p' "$desktop")
expect_in "<mime-type type=\"$mime\">" "$share/mime/packages/padsmith.xml"

# The file type: a kit script is one by its first line, whatever its name; another text file
# named *.txt stays plain text.
if command -v update-mime-database >/dev/null && command -v gio >/dev/null; then
    mkdir -p "$work/data"
    cp -r "$share/mime" "$work/data/mime"
    update-mime-database "$work/data/mime" 2>/dev/null
    printf 'vst samples,\r\nKit,\r\nZARVO SAMPLES,\r\n,\r\n\r\n-1\r\n' >"$work/kit.txt"
    cp "$work/kit.txt" "$work/kit-without-extension"
    { printf '\xef\xbb\xbf'; cat "$work/kit.txt"; } >"$work/kit-with-mark.txt" # the editor reads these
    printf '\xef\xbb\xbfshopping list\n' >"$work/plain-with-mark.txt"
    printf 'vst samples are listed below,\n' >"$work/notes.txt"
    printf 'shopping list\n' >"$work/plain.txt"
    type_of() {
        XDG_DATA_DIRS="$work/data:/usr/share" XDG_DATA_HOME="$work/nowhere" \
            gio info -a standard::content-type "$1" | sed -n 's/.*content-type: //p'
    }
    [ "$(type_of "$work/kit.txt")" = "$mime" ] && pass || fail "kit.txt is $(type_of "$work/kit.txt")"
    [ "$(type_of "$work/kit-without-extension")" = "$mime" ] && pass || fail "kit without .txt not recognised"
    [ "$(type_of "$work/kit-with-mark.txt")" = "$mime" ] && pass || fail "kit with a byte-order mark not recognised"
    [ "$(type_of "$work/plain-with-mark.txt")" = text/plain ] && pass || fail "plain-with-mark.txt is $(type_of "$work/plain-with-mark.txt")"
    [ "$(type_of "$work/notes.txt")" = text/plain ] && pass || fail "notes.txt is $(type_of "$work/notes.txt")"
    [ "$(type_of "$work/plain.txt")" = text/plain ] && pass || fail "plain.txt is $(type_of "$work/plain.txt")"
else
    echo "SKIP: no update-mime-database or gio: file type detection not checked"
fi

# The manual pages render without warnings; the tool's has every command it lists, the
# editor's every option of its help.
for page in "$share"/man/man1/padsmith-kit.1.gz "$share"/man/man1/padsmith.1.gz; do
    expect_exit 0 man --warnings -E UTF-8 -l -Tutf8 -Z "$page"
    [ -s "$work/err" ] && fail "$page warnings: $(cat "$work/err")" || pass
done
"$prefix/bin/padsmith" --help | sed -n '/^options:/,/^$/p' | grep -o -- '--[a-z-]*' | sort -u >"$work/options"
[ -s "$work/options" ] && pass || fail "no options in padsmith --help"
MANWIDTH=200 man -l "$share/man/man1/padsmith.1.gz" 2>/dev/null >"$work/editor-page"
while read -r option; do
    expect_in "$option" "$work/editor-page"
done <"$work/options"
# The environment the editor reads and the settings a user may change by hand.
for name in PADSMITH_MIDI_API VST_PATH XDG_CONFIG_HOME ZVDIR CodePage SampleCacheMiB MidiApi \
    WaveEditor flShared; do
    expect_in "^ *$name\b" "$work/editor-page"
done
zcat "$share/man/man1/padsmith-kit.1.gz" | sed 's/\\-/-/g' >"$work/page" # hyphens plain
commands=$("$prefix/bin/padsmith-kit" --help | sed -n '/^commands:/,/^$/s/^  \([a-z-]\+\) .*/\1/p')
[ -n "$commands" ] && pass || fail "no commands listed by --help"
for command in $commands; do
    grep -q "^\.SS \"$command[ \"]" "$work/page" && pass ||
        fail "$command missing from the manual page"
done

finish
