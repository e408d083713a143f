#!/usr/bin/env bash
# Builds the .deb and .rpm from a configured build folder, checks them, installs the .deb into a
# scratch root and starts the installed program offscreen with a fresh home folder.
#
#   check-package.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
pid=""
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill "$pid"; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cd "$work"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >cpack-deb.log 2>&1 ||
  { cat cpack-deb.log; fail "cpack -G DEB"; }
deb=$(ls out/*.deb)
echo "package: $(basename "$deb")"

# The package's fields and files.
dpkg-deb --field "$deb" Package Version Architecture Depends Section
depends=$(dpkg-deb --field "$deb" Depends)
for lib in libqt6widgets6 libqt6network6 libqt6core6 fonts-dejavu-core qt6-translations-l10n; do
  grep -q "$lib" <<<"$depends" || fail "the .deb does not depend on $lib: $depends"
done
dpkg-deb --contents "$deb" | awk '{print $6}' | sed 's|^\./|/|' | grep -v '/$' | sort >deb-files.txt
for f in /usr/bin/velmor-kkt /usr/lib/velmor-kkt/velmor-kkt /usr/lib/velmor-kkt/Com/hs \
         /usr/lib/velmor-kkt/installed \
         /usr/lib/velmor-kkt/pf/set5x.ini /usr/lib/velmor-kkt/pf/set3x.ini \
         /usr/lib/velmor-kkt/virtual-driver/libfptr10.so \
         /usr/share/applications/ru.velmor.kkt.desktop /usr/share/metainfo/ru.velmor.kkt.metainfo.xml \
         /usr/share/icons/hicolor/scalable/apps/ru.velmor.kkt.svg \
         /usr/share/icons/hicolor/48x48/apps/ru.velmor.kkt.png \
         /usr/share/doc/velmor-kkt/copyright /usr/share/doc/velmor-kkt/changelog.gz \
         /usr/share/man/man1/velmor-kkt.1.gz /usr/share/man/man1/velmor-kkt-cli.1.gz \
         /usr/bin/velmor-kkt-cli /usr/lib/velmor-kkt/velmor-kkt-cli \
         /usr/share/bash-completion/completions/velmor-kkt-cli; do
  grep -qx "$f" deb-files.txt || fail "$f is not in the .deb"
done

# lintian: no errors.
if command -v lintian >/dev/null; then
  lintian --fail-on error --tag-display-limit 0 "$deb" | tee lintian.txt || fail "lintian errors"
fi
if command -v desktop-file-validate >/dev/null; then
  dpkg-deb -x "$deb" "$work/root"
  desktop-file-validate "$work/root/usr/share/applications/ru.velmor.kkt.desktop"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$work/root/usr/share/metainfo/ru.velmor.kkt.metainfo.xml" >appstream.txt ||
    { cat appstream.txt; fail "AppStream metadata"; }
fi

# The .rpm holds the same files and asks for the libraries it links.
if command -v rpmbuild >/dev/null; then
  cpack --config "$build/CPackConfig.cmake" -G RPM -B "$work/out" >cpack-rpm.log 2>&1 ||
    { cat cpack-rpm.log; fail "cpack -G RPM"; }
  rpm=$(ls out/*.rpm)
  echo "package: $(basename "$rpm")"
  # Files and links of the .rpm (folders left out) must be the .deb's.
  rpm -qp --qf '[%{FILEMODES:perms} %{FILENAMES}\n]' "$rpm" 2>/dev/null |
    awk '$1 !~ /^d/ {print $2}' | sort >rpm-files.txt
  diff -u deb-files.txt rpm-files.txt || fail "the .rpm and the .deb hold different files"
  # Folders of the system are not the package's.
  for dir in /usr/share/man /usr/share/applications /usr/lib /usr/share/doc; do
    if rpm -qpl "$rpm" 2>/dev/null | grep -qx "$dir"; then fail "the .rpm owns $dir"; fi
  done
  if rpm -qp --provides "$rpm" 2>/dev/null | grep -q libfptr10; then
    fail "the .rpm provides libfptr10.so"
  fi
  requires=$(rpm -qpR "$rpm" 2>/dev/null)
  for lib in 'libQt6Widgets.so.6' 'libQt6Network.so.6' 'libQt6Core.so.6'; do
    grep -q "$lib" <<<"$requires" || fail "the .rpm does not require $lib"
  done
fi

# Installed into a scratch root: the program finds its files and keeps the user's settings in
# the user's folder.
rm -rf "$work/root"
dpkg-deb -x "$deb" "$work/root"
chmod -R a-w "$work/root/usr/lib/velmor-kkt"
home="$work/home"
mkdir -p "$home"
chmod 755 "$work"
prog="$work/root/usr/bin/velmor-kkt"
export HOME="$home" QT_QPA_PLATFORM=offscreen
unset XDG_CONFIG_HOME VELMOR_BENCH
# A system-wide install is run by an ordinary user: root may write anywhere, so root runs it as
# nobody.
as_user=()
if [ "$(id -u)" = 0 ]; then
  chown nobody "$home"
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
fi
paths=$("${as_user[@]}" "$prog" --paths) || { echo "$paths"; fail "--paths reports a missing file"; }
echo "$paths"
grep -qx "settings file: $home/.config/velmor-kkt/set.ini (created at the first close)" <<<"$paths" ||
  fail "the settings file is not in the user's folder"
grep -q "^catalogue pf/set5x.ini: [0-9]* settings" <<<"$paths" || fail "catalogue not found"
grep -qx "handle listing Com/hs: found" <<<"$paths" || fail "hs not found"

# The command-line program beside it: without Qt Widgets, it reads the three-register bench
# through the installed program's own driver choice.
cli="$work/root/usr/bin/velmor-kkt-cli"
"$cli" --help | grep -q '^Usage: velmor-kkt-cli' || fail "velmor-kkt-cli --help"
if readelf -d "$work/root/usr/lib/velmor-kkt/velmor-kkt-cli" | grep -q libQt6Widgets; then
  fail "velmor-kkt-cli links Qt Widgets"
fi
cp "$here/../data/cli/bench.json" "$work/cli-bench.json"
chmod 644 "$work/cli-bench.json"
fn=$(VELMOR_BENCH="$work/cli-bench.json" "${as_user[@]}" "$cli" fn --port COM5 --format json) ||
  fail "velmor-kkt-cli fn: $fn"
grep -q '"fnSerialNumber":"7380440700000001"' <<<"$fn" || fail "velmor-kkt-cli fn gave $fn"

# Starts the installed program as "$@" with HOME=$1's folder, lets it come up and ends it with
# SIGTERM; its settings must then be in that home's configuration folder.
run_installed() {
  local home=$1
  shift
  export VELMOR_DRIVER_LOG="$home/driver.log"
  HOME="$home" "$@" "$prog" >run.log 2>&1 &
  pid=$!
  for _ in $(seq 1 300); do
    [ -s "$VELMOR_DRIVER_LOG" ] && break
    kill -0 "$pid" 2>/dev/null || { cat run.log; fail "the installed program ended at start"; }
    sleep 0.1
  done
  [ -d "$home/.config/velmor-kkt" ] || fail "the user's folder was not made at start"
  sleep 1
  kill -TERM "$pid"
  local status=0
  wait "$pid" || status=$?
  pid=""
  [ "$status" = 0 ] || { cat run.log; fail "the program ended with $status"; }
  local ini="$home/.config/velmor-kkt/set.ini"
  [ -f "$ini" ] || fail "no $ini after the close"
  grep -q '^\[Fset\]' "$ini" || fail "$ini holds no [Fset]"
  echo "installed program: started, settings written to $ini"
}
( cd "$work/root/usr/lib/velmor-kkt" && find . | sort ) >installed-files.txt
run_installed "$home" "${as_user[@]}"
[ ! -e "$work/root/usr/lib/velmor-kkt/pf/set.ini" ] || fail "a set.ini was written beside the program"

# Root can write the program's folder, yet its settings go to its own folder as everyone's.
if [ "$(id -u)" = 0 ]; then
  roothome="$work/roothome"
  mkdir -p "$roothome"
  chmod -R u+w "$work/root/usr/lib/velmor-kkt"
  grep -qx "settings file: $roothome/.config/velmor-kkt/set.ini (created at the first close)" \
    <<<"$(HOME="$roothome" "$prog" --paths)" || fail "root's settings file is not in root's folder"
  run_installed "$roothome" env
  ( cd "$work/root/usr/lib/velmor-kkt" && find . | sort ) | diff -u installed-files.txt - ||
    fail "a run as root changed the program's folder"
fi
