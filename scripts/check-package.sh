#!/usr/bin/env bash
# check-package.sh [BUILD]
# Checks the Debian package made by `make package`: lintian finds no error;
# the desktop entry, the AppStream data and the man pages are valid; the
# driver file type is recognised by name and by content with the package's
# data; and the programs work from the unpacked package: the component
# libraries are found beside them, registered into a store and unregistered
# again.
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")/.." && pwd)
shopt -s nullglob
debs=("$build"/package/quillon_*.deb)
[ ${#debs[@]} -eq 1 ] || { echo "check-package: expected one package in $build/package, found ${#debs[@]}" >&2; exit 1; }
deb=${debs[0]}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Nothing below touches the settings of the machine or of the user.
export QUILLON_MACHINE_REGISTRY="$work/machine-registry.ini" QUILLON_USER_REGISTRY="$work/user-registry.ini"
unset QUILLON_COMPONENT_PATH

step() { echo "== $*"; }

step "lintian $(basename "$deb")"
lintian --fail-on error --display-level ">=warning" "$deb"

root="$work/root"
dpkg -x "$deb" "$root"
usr="$root/usr"

step "package contents"
dpkg-deb --field "$deb" Package Version Architecture Depends Recommends Installed-Size
dpkg-deb --contents "$deb" | awk '{print $6}'

# The menu entry and the AppStream data come with the desktop program.
if [ -e "$usr/bin/quillon" ]; then
  step "desktop entry"
  desktop-file-validate "$usr/share/applications/quillon.desktop"
  grep -qx 'MimeType=application/x-quillon-driver;' "$usr/share/applications/quillon.desktop"

  step "AppStream metadata"
  appstreamcli validate --no-net "$usr/share/metainfo/io.github.quillon.Quillon.metainfo.xml"
else
  step "no desktop program in this build: desktop entry and AppStream data not packaged"
  [ ! -e "$usr/share/applications/quillon.desktop" ]
fi

step "man pages"
pages=("$usr"/share/man/man1/*.1.gz)
[ ${#pages[@]} -ge 3 ] || { echo "check-package: only ${#pages[@]} man pages" >&2; exit 1; }
for page in "${pages[@]}"; do
  warnings=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || { echo "$page: $warnings" >&2; exit 1; }
  echo "$(basename "$page"): $(MANWIDTH=80 man -E UTF-8 -l "$page" 2>/dev/null | wc -l) lines"
done

step "installed programs"
cli="$usr/bin/quillon-cli"
"$cli" --version 2>/dev/null || "$cli" version
"$usr/bin/quillon-regsvr" --version
cd "$work"
"$cli" driver build "$here/data/samples/sample-driver.json" sample.vir
"$cli" driver show sample.vir | head -n 3

step "driver file type"
export XDG_DATA_DIRS="$usr/share:/usr/share"
update-mime-database "$usr/share/mime"
cp sample.vir sample-without-extension
for file in sample.vir sample-without-extension; do
  type=$(XDG_CURRENT_DESKTOP=GNOME xdg-mime query filetype "$file")
  echo "$file: $type"
  [ "$type" = application/x-quillon-driver ] || { echo "check-package: $file is $type" >&2; exit 1; }
done
for file in "$here/data/quillon.ini" "$usr/share/icons/hicolor/scalable/apps/quillon.svg" "$cli"; do
  type=$(XDG_CURRENT_DESKTOP=GNOME xdg-mime query filetype "$file")
  [ "$type" != application/x-quillon-driver ] || { echo "check-package: $file taken for a driver" >&2; exit 1; }
done

step "component libraries found beside the installed programs"
echo "POWER" > member.txt
"$cli" archive create found.pkg member.txt
"$cli" archive list found.pkg
components=("$usr"/lib/quillon/libVelmor*.so)
[ ${#components[@]} -eq 2 ] || { echo "check-package: ${#components[@]} component libraries" >&2; exit 1; }

step "registration into a machine store and back"
for library in "${components[@]}"; do "$usr/bin/quillon-regsvr" "$library"; done
grep -qF "@=sz:$usr/lib/quillon/libVelmorFileTools.so" "$QUILLON_MACHINE_REGISTRY"
# The registered path is the one used: a copy elsewhere is not searched.
QUILLON_COMPONENT_PATH=/nonexistent "$cli" archive create registered.pkg member.txt
"$cli" config set-folder common /etc/velmor/ --keep
"$cli" config set-folder common /elsewhere/ --keep | grep -q "/etc/velmor/ (kept)"
for library in "${components[@]}"; do "$usr/bin/quillon-regsvr" -u "$library"; done
if grep -q "InprocServer32" "$QUILLON_MACHINE_REGISTRY"; then
  echo "check-package: registrations left after unregistering" >&2
  exit 1
fi
echo "check-package: all checks passed"
