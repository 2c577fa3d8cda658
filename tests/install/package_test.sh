#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the Debian package from the build with CPack and checks what it holds and needs, and
# (for a build with the distributions' hardening) what lintian says of it.
#   package_test.sh BUILD_DIR VERSION MODULE_DIR [lint]
set -uo pipefail
build="$1"
version="$2"
moduledir="$3"
lint="${4:-}"
. "$(dirname "$0")/../checks.sh"
id=com.mervane.Padsmith

expect_exit 0 cpack -G DEB -B "$work/package" --config "$build/CPackConfig.cmake"
deb=$(ls "$work"/package/padsmith_"$version"_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] && pass || { fail "no padsmith_${version}_*.deb made"; finish; exit 1; }

expect_exit 0 dpkg-deb -I "$deb"
info="$work/info"
cp "$work/out" "$info"
expect_in "^ Package: padsmith\$" "$info"
expect_in "^ Version: $version\$" "$info"
expect_in "^ Section: sound\$" "$info"
# Dependencies computed from the linked libraries.
for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libpulse0; do
    grep -q "^ Depends:.*\b$library\b" "$info" && pass || fail "$library not in Depends"
done

expect_exit 0 dpkg-deb -c "$deb"
contents="$work/contents"
awk '{print $6}' "$work/out" >"$contents"
for file in usr/bin/padsmith usr/bin/padsmith-kit usr/share/man/man1/padsmith-kit.1.gz \
    usr/share/man/man1/padsmith.1.gz usr/share/applications/$id.desktop \
    usr/share/metainfo/$id.metainfo.xml usr/share/mime/packages/padsmith.xml \
    usr/share/icons/hicolor/scalable/apps/padsmith.svg usr/share/icons/hicolor/48x48/apps/padsmith.png \
    usr/share/doc/padsmith/copyright usr/share/doc/padsmith/changelog.gz \
    usr/$moduledir/padsmith-sound.so usr/$moduledir/padsmith-formats.so \
    usr/$moduledir/padsmith-kit-media.so; do
    expect_in "^\./$file\$" "$contents"
done
# Everything under /usr, nothing of the build or the test tree.
expect_not_in "^\./\(usr/local\|opt\|home\|tmp\|build\)" "$contents"
outside=$(grep -v -e '^\./usr/' -e '^\./$' "$contents")
[ -z "$outside" ] && pass || fail "files outside /usr: $outside"

# The programs in the package are stripped and run.
expect_exit 0 dpkg-deb -x "$deb" "$work/root"
for program in bin/padsmith bin/padsmith-kit $moduledir/padsmith-sound.so \
    $moduledir/padsmith-formats.so $moduledir/padsmith-kit-media.so; do
    kind=$(file "$work/root/usr/$program")
    [[ "$kind" == *", stripped"* ]] && pass || fail "$program not stripped: $kind"
done
expect_exit 0 "$work/root/usr/bin/padsmith-kit" --version
expect_exit 0 env -u DISPLAY -u WAYLAND_DISPLAY "$work/root/usr/bin/padsmith" --version

# The copyright file in the machine-readable form, and a changelog entry for this version.
copyright="$work/root/usr/share/doc/padsmith/copyright"
expect_in "^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\$" "$copyright"
expect_in "^License: GPL-3+\$" "$copyright"
zcat "$work/root/usr/share/doc/padsmith/changelog.gz" >"$work/changelog"
expect_in "^padsmith ($version) " "$work/changelog"

# What a distribution checks first: no error, no warning, and no hardening note; the other
# notes it takes in its stride are listed, with their reasons, in lintian-suppressions.
if [ "$lint" = lint ]; then
    if command -v lintian >/dev/null; then
        suppressed=$(sed -e 's/#.*//' -e 's/ //g' "$(dirname "$0")/lintian-suppressions" |
            grep -v '^$' | paste -sd, -)
        options=(--fail-on error,warning,info --display-info)
        [ -n "$suppressed" ] && options+=(--suppress-tags "$suppressed")
        expect_exit 0 lintian "${options[@]}" "$deb"
    else
        fail "lintian is not installed (scripts/install-deps.sh installs it)"
    fi
fi

finish
