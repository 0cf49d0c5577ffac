#!/usr/bin/env bash
# Checks the program as installed: makes the Debian package from the build
# (`cpack -G DEB`), unpacks it into a scratch root with `dpkg -x`, validates
# its desktop entry, AppStream metadata and manual pages, and runs the
# installed `hivewarden-cli scan` on a copy of the build's demo prefix, which
# must find its language packs and default lists in the installed
# share/hivewarden/ and report what the build's own copy reports. As root,
# `apt-get install --simulate` of the package proves its dependencies resolve.
# Leaves the package in build/package/ and the root in build/package-root/ for
# scripts/check-window-xvfb.sh. Needs a complete build in build/ (or $HW_BUILD).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${HW_BUILD:-$root/build}" && pwd)
package_dir="$build/package"
scratch="$build/package-root"

fail() {
  echo "check-install: $*" >&2
  exit 1
}

rm -rf "$package_dir" "$scratch"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$package_dir" >"$build/cpack.log" 2>&1 ||
  { cat "$build/cpack.log" >&2; fail "cpack failed"; }
shopt -s nullglob
debs=("$package_dir"/hivewarden_*.deb)
[ ${#debs[@]} -eq 1 ] || fail "expected one hivewarden_*.deb in $package_dir, found ${#debs[@]}"
deb=${debs[0]}
echo "Package: $deb"

# Its control data: the dependencies come from dpkg-shlibdeps.
depends=$(dpkg-deb --field "$deb" Depends)
for library in libc6 libstdc++6 libcurl4 libqt6widgets6 libqt6svg6; do
  grep -q "$library" <<<"$depends" || fail "Depends lacks $library: $depends"
done

dpkg-deb -x "$deb" "$scratch"
usr="$scratch/usr"
for file in bin/hivewarden bin/hivewarden-cli share/hivewarden/renglish.lng \
  share/hivewarden/rgerman.lng share/hivewarden/exclpath.def share/hivewarden/images/logo.svg \
  share/hivewarden/help/index.html share/doc/hivewarden/README.md \
  share/icons/hicolor/scalable/apps/hivewarden.svg share/man/man1/hivewarden.1.gz \
  share/man/man1/hivewarden-cli.1.gz; do
  [ -f "$usr/$file" ] || fail "the package lacks /usr/$file"
done
[ -z "$(find "$usr/bin" -name '*.lng' -o -name '*.def')" ] || fail "data files were installed into bin/"

desktop=("$usr"/share/applications/*.desktop)
metainfo=("$usr"/share/metainfo/*.metainfo.xml)
if [ ${#desktop[@]} -ne 1 ] || [ ${#metainfo[@]} -ne 1 ]; then fail "no single desktop entry and metainfo file"; fi
desktop-file-validate "${desktop[0]}" || fail "desktop-file-validate: ${desktop[0]}"
grep -qx 'Exec=hivewarden' "${desktop[0]}" || fail "the desktop entry does not start hivewarden"
appstreamcli validate --no-net "${metainfo[0]}" >"$build/appstream.log" 2>&1 ||
  { cat "$build/appstream.log" >&2; fail "appstreamcli validate: ${metainfo[0]}"; }
grep -q "<launchable type=\"desktop-id\">$(basename "${desktop[0]}")</launchable>" "${metainfo[0]}" ||
  fail "the metainfo names another desktop entry than $(basename "${desktop[0]}")"
for page in hivewarden hivewarden-cli; do
  warnings=$(gzip -dc "$usr/share/man/man1/$page.1.gz" | groff -man -ww -z 2>&1)
  [ -z "$warnings" ] || fail "groff warns about $page(1): $warnings"
  MANWIDTH=80 man -l "$usr/share/man/man1/$page.1.gz" 2>/dev/null | grep -q "^NAME" ||
    fail "man cannot show $page(1)"
done

# The installed command-line tool on a copy of the demo prefix: the default
# lists and packs come from the installed share/hivewarden/, and the findings
# are the build's own.
demo="$build/demo-prefix"
[ -f "$demo/system.reg" ] || cmake --build "$build" --target demo-prefix >/dev/null
work=$(mktemp -d "${TMPDIR:-/tmp}/hw-install-XXXXXX")
trap 'rm -rf "$work"' EXIT
cp -a "$demo" "$work/prefix"
installed_cli="$usr/bin/hivewarden-cli"
status=0
(cd "$work" && "$installed_cli" scan --prefix "$work/prefix" >"$work/installed.jsonl" 2>"$work/installed.err") ||
  status=$?
[ "$status" -eq 1 ] || { cat "$work/installed.err" >&2; fail "installed scan exited $status, not 1 (found)"; }
status=0
"$build/bin/hivewarden-cli" scan --prefix "$work/prefix" >"$work/built.jsonl" || status=$?
[ "$status" -eq 1 ] || fail "the build's scan exited $status"
cmp -s "$work/installed.jsonl" "$work/built.jsonl" ||
  fail "the installed scan reports other findings than the build's: $(diff "$work/built.jsonl" "$work/installed.jsonl" | head -5)"
# The German pack comes from the installed folder too.
"$installed_cli" scan --prefix "$work/prefix" --format report --lang Deutsch >"$work/report.txt" || true
grep -q 'Ungültige' "$work/report.txt" || fail "the German report did not use the installed pack"
# Without its data folder the installed tool says where it looked.
mv "$usr/share/hivewarden" "$usr/share/hivewarden.away"
status=0
"$installed_cli" scan --prefix "$work/prefix" >/dev/null 2>"$work/missing.err" || status=$?
mv "$usr/share/hivewarden.away" "$usr/share/hivewarden"
if [ "$status" -ne 2 ] || ! grep -q 'exclpath.def' "$work/missing.err"; then
  fail "without share/hivewarden the installed scan did not fail on the missing list (status $status)"
fi
echo "The installed hivewarden-cli scans with its data from $usr/share/hivewarden: $(wc -l <"$work/installed.jsonl") findings, as the build's."

if [ "$(id -u)" -eq 0 ]; then
  apt-get install --simulate -qq "$deb" >"$build/apt-simulate.log" 2>&1 ||
    { cat "$build/apt-simulate.log" >&2; fail "apt-get cannot install $deb"; }
  echo "apt-get install $deb: its dependencies resolve."
else
  echo "Not root: the apt-get installation of the package was not tried."
fi
