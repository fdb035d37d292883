#!/usr/bin/env bash
# Builds the Debian package from a build tree and checks what a user gets: the files in their
# places and nothing outside /usr, the Qt dependencies, metadata the desktop's validators accept,
# and a program that runs.  Usage: check-package.sh <build-dir>
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
cpack --config "$1/CPackConfig.cmake" -B "$work" >"$work/log" 2>&1 || fail "cpack: $(cat "$work/log")"
deb=$(ls "$work"/tarnwick_*.deb)
dpkg-deb -x "$deb" "$work/root"
[[ $(ls "$work/root") == usr ]] || fail "files outside /usr"
cd "$work/root/usr"
ls bin/tarnwick lib/tarnwick/tarnwick-window.so share/applications/app.tarnwick.Tarnwick.desktop \
    share/icons/hicolor/scalable/apps/app.tarnwick.Tarnwick.svg share/metainfo/app.tarnwick.Tarnwick.metainfo.xml
[[ $(dpkg-deb -f "$deb" Package) == tarnwick ]] || fail "package name"
for dep in libqt6core6 libqt6gui6 libqt6widgets6 qt6-qpa-plugins; do
    dpkg-deb -f "$deb" Depends | grep -qw $dep || fail "no dependency on $dep"
done
desktop-file-validate share/applications/app.tarnwick.Tarnwick.desktop
appstreamcli validate --no-net share/metainfo/app.tarnwick.Tarnwick.metainfo.xml
[[ $(bin/tarnwick --version) == "tarnwick $(dpkg-deb -f "$deb" Version)" ]] || fail "version"
# Launchers: each shell's completion where it looks, as the program prints it; the desktop's search,
# started by D-Bus as the program the package installs.
for c in bash-completion/completions/tarnwick:bash zsh/vendor-completions/_tarnwick:zsh fish/vendor_completions.d/tarnwick.fish:fish; do
    cmp -s "share/${c%:*}" <(bin/tarnwick --completion "${c#*:}") || fail "completion ${c%:*}"
done
ls lib/tarnwick/tarnwick-search.so share/gnome-shell/search-providers/app.tarnwick.Tarnwick.search-provider.ini
grep -qx 'Exec=/usr/bin/tarnwick --search-provider' share/dbus-1/services/app.tarnwick.Tarnwick.SearchProvider.service || fail "D-Bus service"
grep -qx 'DesktopId=app.tarnwick.Tarnwick.desktop' share/gnome-shell/search-providers/app.tarnwick.Tarnwick.search-provider.ini || fail "search provider"
grep -qx 'X-Plasma-DBusRunner-Service=app.tarnwick.Tarnwick.SearchProvider' share/krunner/dbusplugins/app.tarnwick.Tarnwick.desktop || fail "KRunner plugin"
echo "package checked"
