#!/usr/bin/env bash
# Builds the Debian package of the build folder given, unpacks it into a scratch root and checks
# what a user gets: both programs run from there (the window's without a display), the manual
# pages render without warnings and cover every long option --help lists, the desktop entry
# validates and names the installed program and icons, the AppStream metadata validates and names
# the entry and both programs, Depends holds what dpkg-shlibdeps found, and lintian finds nothing
# to object to. Exits 77 (skipped) only when a tool is missing.
set -euo pipefail
build=$1
version=$2

for tool in cpack dpkg-deb dpkg-shlibdeps dpkg-parsechangelog file desktop-file-validate man \
  appstreamcli lintian; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

cpack -G DEB -B "$work/out" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack"; }
deb="$work/out/twk-decoder_${version}_amd64.deb"
[[ -f $deb ]] || fail "no $(basename "$deb") among: $(ls "$work/out")"
root="$work/root"
dpkg-deb -x "$deb" "$root"

depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6core6 libqt6widgets6 libstdc++6 fonts-liberation2; do
  [[ ", $depends," == *", $package ("* || ", $depends," == *", $package,"* ]] ||
    fail "Depends lacks $package: $depends"
done

# The window's program decides on --version before Qt starts, so it needs no display.
for program in twk-csv twk-decoder; do
  [[ -x $root/usr/bin/$program ]] || fail "usr/bin/$program missing"
  answer=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
    "$root/usr/bin/$program" --version) || fail "$program --version ended with status $?"
  [[ $answer == "$program $version "* ]] || fail "$program --version said: $answer"

  page="$root/usr/share/man/man1/$program.1.gz"
  [[ -f $page ]] || fail "no manual page for $program"
  warnings=$(LC_ALL=C MANWIDTH=100 man --warnings -l "$page" 2>&1 >"$work/$program.txt") ||
    fail "man -l $program.1.gz"
  [[ -z $warnings ]] || fail "$program.1: $warnings"
  for option in $("$root/usr/bin/$program" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u); do
    grep -qe "$option" "$work/$program.txt" || fail "the manual page of $program lacks $option"
  done
done

entry="$root/usr/share/applications/twk-decoder.desktop"
report=$(desktop-file-validate "$entry" 2>&1) && [[ -z $report ]] || fail "desktop entry: $report"
exec_line=$(grep '^Exec=' "$entry")
program=$(cut -d' ' -f1 <<<"${exec_line#Exec=}")
[[ -x $root/usr/bin/$program ]] || fail "$exec_line: no such program"
# A file manager hands over the paths of all the logs chosen at once (%F), and offers the entry
# for files of the type the shared MIME database gives *.log.
[[ $exec_line == "Exec=$program %F" ]] || fail "$exec_line: not one window for all the logs"
log_type=$(awk -F: '$3 == "*.log" { print $2; exit }' /usr/share/mime/globs2 2>/dev/null)
if [[ -n $log_type ]]; then
  grep -q "^MimeType=\(.*;\)\?$log_type;" "$entry" || fail "the entry is not offered for $log_type"
fi
# A window of its own, filed with the science programs.
for line in "Type=Application" "Terminal=false" "Categories=\(.*;\)\?Science;"; do
  grep -q "^$line" "$entry" || fail "the desktop entry lacks $line"
done
icon=$(grep '^Icon=' "$entry" | cut -d= -f2)
[[ -f $root/usr/share/icons/hicolor/64x64/apps/$icon.png ]] || fail "no icon $icon.png"
[[ -f $root/usr/share/icons/hicolor/scalable/apps/$icon.svg ]] || fail "no icon $icon.svg"

metainfo=("$root"/usr/share/metainfo/*.metainfo.xml)
[[ ${#metainfo[@]} -eq 1 && -f ${metainfo[0]} ]] || fail "metainfo files: ${metainfo[*]}"
report=$(appstreamcli validate --no-net --pedantic "${metainfo[0]}" 2>&1) ||
  fail "appstream metadata: $report"
# Software centres offer the program for the logs the entry opens.
for type in $(grep '^MimeType=' "$entry" | cut -d= -f2 | tr ';' ' '); do
  grep -qF "<mediatype>$type<" "${metainfo[0]}" || fail "the metainfo lacks the media type $type"
done
for provided in "<launchable type=\"desktop-id\">$(basename "$entry")<" \
  "<binary>twk-decoder<" "<binary>twk-csv<" "<release version=\"$version\""; do
  grep -qF "$provided" "${metainfo[0]}" || fail "the metainfo lacks $provided"
done

# The changelog's newest entry is this version's, so a new version cannot ship without one.
doc=$root/usr/share/doc/twk-decoder
[[ -f $doc/copyright ]] || fail "no copyright file"
gzip -dc "$doc/changelog.gz" >"$work/changelog"
logged=$(dpkg-parsechangelog -l "$work/changelog" -S Version) ||
  fail "changelog.gz does not parse"
[[ $logged == "$version" ]] || fail "the changelog's newest entry is $logged, not $version"

# Every tag fails, informational and pedantic ones included; only notes (N:) may stand.
lintian -I --pedantic --no-cfg --tag-display-limit 0 "$deb" >"$work/lintian.txt" \
  2>"$work/lintian.err" || true
grep -v '^running with root privileges' "$work/lintian.err" >>"$work/lintian.txt" || true
! grep -qvE '^\s*(N:.*)?$' "$work/lintian.txt" || fail "lintian: $(cat "$work/lintian.txt")"

echo "1 passed, 0 failed"
