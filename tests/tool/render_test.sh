#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# End-to-end checks of padsmith-kit render on the demo folder and its grooves: the same bytes
# twice, no overwrite without --force, the notes no zone plays, the sweep, refused grooves.
#   render_test.sh PADSMITH_KIT MAKE_DEMO
set -uo pipefail
tool="$1"
make_demo="$2"
. "$(dirname "$0")/../checks.sh"

"$make_demo" "$work/demo" >/dev/null || fail "make-demo failed"
kit="$work/demo/Zarvo/Demo Kit.txt"
grooves="$work/demo/Grooves"

# The rock beat, twice to two files: the same bytes; 24-bit stereo at 48 kHz.
expect_exit 0 "$tool" render "$kit" "$grooves/Rock Beat.mid" "$work/a.wav" --loops 2
expect_in "a.wav: .* s at 48000 Hz, 24-bit stereo; 50 notes played, 2 passes" "$work/out"
expect_exit 0 "$tool" render "$kit" "$grooves/Rock Beat.mid" "$work/b.wav" --loops 2
cmp -s "$work/a.wav" "$work/b.wav" && pass || fail "two renders of one groove differ"
expect_exit 0 "$tool" info "$work/a.wav"
expect_in "Stereo 24 bit / 48 kHz" "$work/out"

# OUT is kept without --force, replaced with it; the kit and the groove are never written over.
cp "$work/a.wav" "$work/a.orig"
expect_exit 1 "$tool" render "$kit" "$grooves/Rock Beat.mid" "$work/a.wav" --rate 44100
expect_in "a.wav exists; --force replaces it" "$work/err"
cmp -s "$work/a.wav" "$work/a.orig" && pass || fail "render replaced OUT without --force"
expect_exit 0 "$tool" render "$kit" "$grooves/Rock Beat.mid" "$work/a.wav" --rate 44100 --force
expect_in "at 44100 Hz" "$work/out"
cp "$kit" "$work/kit.orig"
expect_exit 2 "$tool" render "$kit" "$grooves/Rock Beat.mid" "$kit" --force
cmp -s "$kit" "$work/kit.orig" && pass || fail "render wrote over the kit"

# The demo kit has no crash and no toms but one: the fill names what it cannot play.
expect_exit 0 "$tool" render "$kit" "$grooves/Tom Fill.mid" "$work/fill.wav"
expect_in "^no zone plays note 49 (c#2): 1 hit, velocity 124$" "$work/out"
expect_in "^no zone plays note 50 (D2): 4 hits, velocities 80 to 89$" "$work/out"
expect_not_in "note 45" "$work/out"
expect_exit 0 "$tool" render "$kit" "$grooves/Shuffle.mid" "$work/shuffle.wav" --tempo 80

# The sweep of the kick pad: 16 hits, both layers.
expect_exit 0 "$tool" render "$kit" --sweep 1 "$work/sweep.wav"
expect_in "16 notes played" "$work/out"
expect_exit 1 "$tool" render "$kit" --sweep 12 "$work/empty.wav"
expect_in "pad 12 has no zones" "$work/err"
[ -e "$work/empty.wav" ] && fail "a sweep of an empty pad wrote a file" || pass

# Refusals: a broken groove names what is wrong, bad options are usage errors.
head -c 30 "$grooves/Rock Beat.mid" >"$work/cut.mid"
expect_exit 1 "$tool" render "$kit" "$work/cut.mid" "$work/cut.wav"
expect_in "cut.mid: track 1 announces" "$work/err"
[ -e "$work/cut.wav" ] && fail "a broken groove wrote a file" || pass
expect_exit 2 "$tool" render "$kit" "$grooves/Rock Beat.mid" "$work/x.wav" --loops 0
expect_exit 2 "$tool" render "$kit" "$grooves/Rock Beat.mid" "$work/x.wav" --rate 1000
expect_exit 2 "$tool" render "$kit" --sweep 1 "$work/x.wav" --tempo 90
expect_exit 2 "$tool" render "$kit" "$work/x.wav"
finish
