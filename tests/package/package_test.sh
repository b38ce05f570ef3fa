#!/usr/bin/env bash
# Builds the Debian package from the build tree, checks what it holds, unpacks
# it into a scratch folder and runs the programs from there, and validates the
# desktop entry and the AppStream file that it installs.
# Usage: package_test.sh BUILD_DIR
set -euo pipefail
build=$(realpath "$1")
for tool in cpack dpkg-deb dpkg-shlibdeps file desktop-file-validate appstreamcli; do
  if ! command -v "$tool" > /dev/null; then
    echo "SKIPPED: $tool is missing (scripts/deps.sh installs it)"
    exit 77
  fi
done
work=$(mktemp -d "${TMPDIR:-/tmp}/lorvex-package.XXXXXX")
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB -B "$work" > "$work/cpack.log") || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/lorvex_*.deb)
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./||' > "$work/contents"
fail=0
for path in usr/bin/lorvex usr/bin/lorvex-export usr/bin/lorvex-hpi \
            usr/share/applications/io.lorvex.Lorvex.desktop \
            usr/share/metainfo/io.lorvex.Lorvex.metainfo.xml \
            usr/share/icons/hicolor/scalable/apps/io.lorvex.Lorvex.svg \
            usr/share/icons/hicolor/48x48/apps/io.lorvex.Lorvex.png \
            usr/share/icons/hicolor/256x256/apps/io.lorvex.Lorvex.png \
            usr/share/man/man1/lorvex.1 usr/share/man/man1/lorvex-export.1 usr/share/man/man1/lorvex-hpi.1 \
            usr/share/lorvex/config/units.cfg; do
  grep -qx "$path" "$work/contents" || { echo "missing from the package: $path"; fail=1; }
done
depends=$(dpkg-deb -f "$deb" Depends)
case "$depends" in
  *libqt6widgets6*) ;;
  *) echo "the dependencies do not name the toolkit: $depends"; fail=1 ;;
esac

dpkg-deb -x "$deb" "$work/root"
bin=$work/root/usr/bin
# No display at all: the programs must answer without one.
check() {  # expected-output-pattern command...
  local pattern=$1; shift
  local out
  if ! out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@" 2>&1); then
    echo "failed: $* -> $out"; fail=1; return
  fi
  grep -q -- "$pattern" <<< "$out" || { echo "unexpected output of $*: $out"; fail=1; }
}
check '^lorvex 1\.' "$bin/lorvex" --version
check '^Usage: lorvex' "$bin/lorvex" --help
check 'lorvex-export' "$bin/lorvex-export" --version
check 'lorvex-hpi' "$bin/lorvex-hpi" --help

desktop-file-validate "$work/root/usr/share/applications/io.lorvex.Lorvex.desktop" || fail=1
grep -qx 'Exec=lorvex %f' "$work/root/usr/share/applications/io.lorvex.Lorvex.desktop" || { echo "Exec line"; fail=1; }
appstreamcli validate --no-net "$work/root/usr/share/metainfo/io.lorvex.Lorvex.metainfo.xml" || fail=1

[ $fail -eq 0 ] && echo "package $(basename "$deb") checked"
exit $fail
