#!/bin/sh
# Builds the Debian package from the built tree (argument 1) into a temporary folder
# and checks it as dpkg, the desktop and man would read it.
set -eu
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cpack --config "$1/CPackConfig.cmake" -B "$tmp" >"$tmp/cpack.log" 2>&1 || { cat "$tmp/cpack.log"; exit 1; }
deb=$(ls "$tmp"/corvex_*.deb)
status=0
fail() { echo "FAIL: $*"; status=1; }

listing=$(dpkg-deb -c "$deb" | awk '{ line = $2; for (i = 6; i <= NF; i++) line = line " " $i; print line }')
for entry in \
  'root/root ./usr/bin/corvex' \
  'root/root ./usr/share/corvex/bin/7zz -> ../../../bin/7zz' \
  'root/root ./usr/share/corvex/install-finder-actions.sh' \
  'root/root ./usr/share/corvex/corvex.svg' \
  'root/root ./usr/share/corvex/translations/corvex_de.qm' \
  'root/root ./usr/share/applications/io.github.corvex.Corvex.desktop' \
  'root/root ./usr/share/metainfo/io.github.corvex.Corvex.metainfo.xml' \
  'root/root ./usr/share/icons/hicolor/scalable/apps/corvex.svg' \
  'root/root ./usr/share/man/man1/corvex.1.gz' \
  'root/root ./usr/share/doc/corvex/copyright' \
  'root/root ./usr/share/doc/corvex/changelog.gz'; do
  printf '%s\n' "$listing" | grep -qxF "$entry" || fail "not in the package: $entry"
done
printf '%s\n' "$listing" | grep -v '^root/root \./usr/' && fail "files outside /usr or not owned by root"

depends=", $(dpkg-deb -f "$deb" Depends),"
for package in 7zip zstd zsh libqt6svg6 qt6-qpa-plugins libqt6widgets6; do
  case $depends in *", $package"[,\ ]*) ;; *) fail "Depends lacks $package: $depends" ;; esac
done

root=$tmp/root
dpkg-deb -x "$deb" "$root"
entry=$root/usr/share/applications/io.github.corvex.Corvex.desktop
grep -qx 'Exec="/usr/bin/corvex" %F' "$entry" || fail "the entry does not start /usr/bin/corvex: $(grep ^Exec "$entry")"
[ -z "$(desktop-file-validate "$entry")" ] || fail "desktop-file-validate: $(desktop-file-validate "$entry")"
appstreamcli validate-tree --strict --no-net "$root" >"$tmp/appstream.log" 2>&1 || { cat "$tmp/appstream.log"; fail "appstreamcli"; }
warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$root/usr/share/man/man1/corvex.1.gz" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "the manual page: $warnings"
exit $status
