#!/usr/bin/env bash
# Packs the built tree, unpacks the .deb into a scratch root and runs what it installed there.
#   bash tools/package-test.sh BUILD_DIR VERSION
# Exit 77 (skipped) where the Debian tools it needs are missing.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "$1")
version=$2

for tool in dpkg-deb dpkg dpkg-shlibdeps desktop-file-validate appstreamcli groff; do
  command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is missing (bash tools/deps.sh installs it)"; exit 77; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

TAVLO_PACKAGE_BUILD=$build bash "$src/tools/package.sh" "$work/out" >/dev/null
debs=("$work"/out/*.deb)
[ ${#debs[@]} -eq 1 ] || fail "expected one .deb, found: ${debs[*]}"
deb=${debs[0]}
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"

[ "$(dpkg-deb -f "$deb" Package)" = tavlo-ii ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version is not $version"
depends=$(dpkg-deb -f "$deb" Depends)
for d in libsqliteodbc odbcinst libqt6widgets6 libc6; do
  grep -qw -- "$d" <<<"$depends" || fail "Depends lacks $d: $depends"
done
grep -qw odbc-postgresql <<<"$(dpkg-deb -f "$deb" Recommends)" || fail "Recommends lacks odbc-postgresql"

# Exactly these files: a missing one breaks the install, a stray one would be left unowned.
expected=(
  ./usr/bin/tavlo-ii
  ./usr/bin/tavlo-ii-cli
  ./usr/lib/tavlo-ii/libvandrel.so
  ./usr/share/applications/tavlo-ii.desktop
  ./usr/share/doc/tavlo-ii/codebook.md
  ./usr/share/metainfo/no.tavlo.tavlo_ii.metainfo.xml
  ./usr/share/man/man1/tavlo-ii.1.gz
  ./usr/share/man/man1/tavlo-ii-cli.1.gz
  ./usr/share/icons/hicolor/scalable/apps/tavlo-ii.svg
)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/tavlo-ii.png")
done
actual=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
[ "$actual" = "$wanted" ] || fail "file list differs:
$(diff <(echo "$wanted") <(echo "$actual") || true)"

root=$work/root
dpkg -x "$deb" "$root"
before=$(cd "$root" && find . -printf '%p %s %T@\n' | sort)

# The run path alone must find the private library.
cli() { env -u LD_LIBRARY_PATH XDG_CONFIG_HOME="$work/config" HOME="$work/home" "$root/usr/bin/tavlo-ii-cli" "$@"; }
mkdir -p "$work/home"
for program in tavlo-ii tavlo-ii-cli; do
  found=$(env -u LD_LIBRARY_PATH ldd "$root/usr/bin/$program" | awk '$1 == "libvandrel.so" {print $3}')
  [ "$(realpath -m "$found")" = "$root/usr/lib/tavlo-ii/libvandrel.so" ] \
    || fail "$program does not find libvandrel in the package's own folder through its run path: '$found'"
done
cli --version | grep -qF "$version" || fail "--version does not say $version"
cli init-db "$work/db" --user prøve --password prøve123 --demo || fail "init-db"
[ -f "$work/db/TAVLO-II.mdb" ] && [ -f "$work/db/Virod.mdw" ] || fail "init-db made no database"
scored=$(cli score "$work/db" 1) || fail "score"
[ "$(wc -l <<<"$scored")" -gt 3 ] || fail "score printed too little: $scored"

after=$(cd "$root" && find . -printf '%p %s %T@\n' | sort)
[ "$before" = "$after" ] || fail "running the programs changed the installed tree"

notes=$(desktop-file-validate "$root/usr/share/applications/tavlo-ii.desktop" 2>&1) && [ -z "$notes" ] || fail "desktop entry: $notes"
appstreamcli validate --no-net "$root/usr/share/metainfo/no.tavlo.tavlo_ii.metainfo.xml" || fail "metainfo"
grep -qF "<release version=\"$version\"" "$root/usr/share/metainfo/no.tavlo.tavlo_ii.metainfo.xml" || fail "metainfo lacks release $version"
for page in tavlo-ii tavlo-ii-cli; do
  warnings=$(zcat "$root/usr/share/man/man1/$page.1.gz" | groff -ww -z -man 2>&1)
  [ -z "$warnings" ] || fail "$page(1): $warnings"
  zcat "$root/usr/share/man/man1/$page.1.gz" | head -n 1 | grep -qF "TAVLO-II $version" || fail "$page(1) lacks version $version"
done
echo "package installs and runs"
