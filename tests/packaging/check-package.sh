#!/usr/bin/env bash
# Builds the Debian package from a build tree and checks what a user would get from it: the
# files in their standard places, the dependencies, and metadata that the desktop's validators
# accept.  Usage: check-package.sh <build-dir>
set -uo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0
check() { # description, command...
    local what=$1; shift
    if "$@" >"$work/out" 2>&1; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1)); echo "FAIL: $what"; sed 's/^/    /' "$work/out"
    fi
}

cpack --config "$build/CPackConfig.cmake" -B "$work/pkg" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/pkg/tarnwick_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || { echo "no package was built"; cat "$work/cpack.log"; exit 1; }
dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|' >"$work/files"

check "the files in their places" bash -c "! printf '%s\n' /usr/bin/tarnwick /usr/lib/tarnwick/tarnwick-window.so \
    /usr/share/applications/app.tarnwick.Tarnwick.desktop /usr/share/icons/hicolor/scalable/apps/app.tarnwick.Tarnwick.svg \
    /usr/share/metainfo/app.tarnwick.Tarnwick.metainfo.xml | grep -vxFf '$work/files'"
check "nothing outside /usr" bash -c "! grep -v '^/usr\(/\|$\)' '$work/files' | grep -v '^/$'"

check "depends on Qt 6" bash -c "dpkg-deb -f '$deb' Depends | grep libqt6core6 | grep libqt6gui6 | grep libqt6widgets6 | grep -q qt6-qpa-plugins"
check "package name" test "$(dpkg-deb -f "$deb" Package)" = tarnwick
check "version" grep -qx "$(sed -n 's/^project(Tarnwick VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../../CMakeLists.txt")" <<<"$(dpkg-deb -f "$deb" Version)"

dpkg-deb -x "$deb" "$work/root"
check "desktop entry validates" desktop-file-validate "$work/root/usr/share/applications/app.tarnwick.Tarnwick.desktop"
check "AppStream metadata validates" appstreamcli validate --no-net \
    "$work/root/usr/share/metainfo/app.tarnwick.Tarnwick.metainfo.xml"
check "installed program finds its window module" test -f "$work/root/usr/bin/../lib/tarnwick/tarnwick-window.so"
check "installed program answers --version" "$work/root/usr/bin/tarnwick" --version

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
