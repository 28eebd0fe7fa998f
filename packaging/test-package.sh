#!/usr/bin/env bash
# End to end: builds the Debian package, unpacks it into a scratch root (no
# root needed) and starts the installed program there through /usr/bin/tr-gui,
# offscreen, against the simulator. Passes when the trace shows an accepted
# reply, the program ends cleanly on SIGTERM, --version answers, the menu
# entry and metainfo validate, man finds nothing wrong with the manual page
# and lintian reports neither error nor warning (when they are installed).
#   test-package.sh BUILD_DIR SIMULATOR VERSION
set -euo pipefail
build=$(readlink -f "$1") sim=$(readlink -f "$2") version=$3
source "$(dirname "$0")/../tests/e2e/e2e.sh"
fail_logs=("$work/caller/trace.txt")

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" > "$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack failed"; }
debs=("$work"/package/tr-gui_"$version"_*.deb)
[ -f "${debs[0]}" ] || fail "no tr-gui_${version}_*.deb: $(ls "$work/package")"
deb=${debs[0]}
depends=$(dpkg-deb -f "$deb" Depends)
names=$(tr ',' '\n' <<< "$depends" | sed 's/[(|].*//; s/ //g')
for p in libqt6core6 libqt6gui6 libqt6widgets6 libqt6serialport6 libqt6svg6 libqt6printsupport6 libqcustomplot2.1-qt6 \
         qt6-translations-l10n; do
  grep -qx "$p" <<< "$names" || fail "Depends lacks $p: $depends"
done
[[ $depends != *-dev* ]] || fail "Depends names a -dev package: $depends"

root=$work/root
dpkg -x "$deb" "$root"
prog=$root/usr/lib/tr-gui
for f in "$prog/tr-gui" "$prog/Messages_en.txt" "$root/usr/share/applications/tr-gui.desktop" \
         "$root/usr/share/icons/hicolor/scalable/apps/tr-gui.svg" \
         "$root/usr/share/icons/hicolor/48x48/apps/tr-gui.png" \
         "$root/usr/share/metainfo/com.trelvik.trgui.metainfo.xml" \
         "$root/usr/share/man/man1/tr-gui.1.gz" "$root/usr/share/man/man1/tr-gui-cli.1.gz" "$prog/tr-gui-cli" \
         "$root/usr/share/doc/tr-gui/copyright" "$root/usr/share/doc/tr-gui/changelog.gz"; do
  [ -f "$f" ] || fail "not in the package: ${f#"$root"}"
done
[ -f "$root/usr/bin/tr-gui" ] && [ ! -L "$root/usr/bin/tr-gui" ] && [ -x "$root/usr/bin/tr-gui" ] ||
  fail "/usr/bin/tr-gui is not the launcher itself"
[ ! -e "$root/opt" ] || fail "the package still puts files under /opt"

if command -v desktop-file-validate > /dev/null; then
  desktop-file-validate "$root/usr/share/applications/tr-gui.desktop" || fail "menu entry invalid"
fi
if command -v appstreamcli > /dev/null; then
  appstreamcli validate --no-net "$root/usr/share/metainfo/com.trelvik.trgui.metainfo.xml" > "$work/appstream.log" 2>&1 ||
    { cat "$work/appstream.log"; fail "metainfo invalid"; }
fi

if command -v man > /dev/null && command -v groff > /dev/null; then
  for page in tr-gui tr-gui-cli; do
    LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l "$root/usr/share/man/man1/$page.1.gz" \
      2> "$work/man.log" > /dev/null || fail "man could not format $page.1: $(cat "$work/man.log")"
    [ ! -s "$work/man.log" ] || { cat "$work/man.log"; fail "man warns about $page.1"; }
  done
fi
lintian_summary="lintian not installed"
if command -v lintian > /dev/null; then
  lintian --display-info --fail-on error,warning "$deb" > "$work/lintian.log" 2>&1 ||
    { cat "$work/lintian.log"; fail "lintian reports errors or warnings"; }
  lintian_summary="lintian: $(grep -c '^I: ' "$work/lintian.log" || true) informational tags"
fi

mkdir "$work/caller"
cd "$work/caller"
out=$("$root/usr/bin/tr-gui" --version) || fail "--version failed: $out"
[[ $out == *"$version"* ]] || fail "--version printed: $out"

start_simulator "$sim" "$prog/TR-GUI.ini"

# From a directory of its own, with a relative trace file: the launcher must
# keep it in the caller's directory although the program runs in /usr/lib/tr-gui.
QT_QPA_PLATFORM=offscreen "$root/usr/bin/tr-gui" --trace trace.txt > "$work/gui.log" 2>&1 &
gui=$!
pids+=($gui)
for _ in $(seq 200); do
  grep -q ' accepted$' trace.txt 2>/dev/null && break
  kill -0 "$gui" 2>/dev/null || fail "tr-gui ended at start"
  sleep 0.1
done
grep -q ' accepted$' trace.txt 2>/dev/null || fail "no accepted reply in the trace within 20 s"
[ ! -e "$prog/trace.txt" ] || fail "the trace went into the program directory"

end_on_sigterm "$gui"

# The command line through its link on the path, in the caller's directory.
[ -L "$root/usr/bin/tr-gui-cli" ] || fail "/usr/bin/tr-gui-cli is not a link to the program directory"
"$root/usr/bin/tr-gui-cli" --device "$work/COM1" identify \
  > cli.txt 2> "$work/cli.log" || { cat "$work/cli.log"; fail "tr-gui-cli identify failed"; }
grep -q '^model: KM210' cli.txt || fail "tr-gui-cli identify printed: $(cat cli.txt)"
echo "PASS: $(basename "$deb") ($(du -k "$deb" | cut -f1) KiB); $lintian_summary; $(grep -c ' accepted$' trace.txt) accepted replies"
