#!/usr/bin/env bash
# Packs the built tree, unpacks the .deb into a scratch root and runs what it installed there.
#   bash tools/package-test.sh BUILD_DIR VERSION
# Exit 77 (skipped) where the Debian tools it needs are missing.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "$1")
version=$2

for tool in dpkg-deb dpkg dpkg-shlibdeps desktop-file-validate appstreamcli groff lintian update-mime-database gio; do
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
# The project's version with the package's own revision after it.
[[ "$(dpkg-deb -f "$deb" Version)" == "$version"-[0-9]* ]] || fail "version is not $version-REVISION"
depends=$(dpkg-deb -f "$deb" Depends)
for d in libsqliteodbc odbcinst libqt6widgets6 libc6 libssl3; do
  grep -qw -- "$d" <<<"$depends" || fail "Depends lacks $d: $depends"
done
grep -qw odbc-postgresql <<<"$(dpkg-deb -f "$deb" Recommends)" || fail "Recommends lacks odbc-postgresql"
[ -n "$(dpkg-deb -f "$deb" Homepage)" ] || fail "no Homepage field"

# Lintian's errors and warnings: none. A tag the package means would go into allowed, with why.
allowed=()
notes=$(lintian --no-tag-display-limit "$deb" 2>&1 | grep -E '^[EW]: ' || true)
for tag in "${allowed[@]}"; do
  notes=$(grep -v -E "^[EW]: [^:]+: $tag( |\$)" <<<"$notes" || true)
done
[ -z "$notes" ] || fail "lintian:
$notes"
# No maintainer script runs ldconfig for the private library.
dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -qE 'postinst|postrm|triggers' && fail "maintainer scripts: $(dpkg-deb --ctrl-tarfile "$deb" | tar -t)"

# Exactly these files: a missing one breaks the install, a stray one would be left unowned.
expected=(
  ./usr/bin/tavlo-ii
  ./usr/bin/tavlo-ii-cli
  "./usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/tavlo-ii/libvandrel.so"
  "./usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/tavlo-ii/libtavlo-cli-paint.so"
  ./usr/share/applications/tavlo-ii.desktop
  ./usr/share/bash-completion/completions/tavlo-ii-cli
  ./usr/share/doc/tavlo-ii/changelog.Debian.gz
  ./usr/share/doc/tavlo-ii/codebook.md
  ./usr/share/doc/tavlo-ii/copyright
  ./usr/share/lintian/overrides/tavlo-ii
  ./usr/share/mime/packages/tavlo-ii.xml
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
found=$(env -u LD_LIBRARY_PATH ldd "$root/usr/bin/tavlo-ii" | awk '$1 == "libvandrel.so" {print $3}')
[ "$(realpath -m "$found")" = "$root/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/tavlo-ii/libvandrel.so" ] \
  || fail "tavlo-ii does not find libvandrel in the package's own folder through its run path: '$found'"
cli --version | grep -qF "$version" || fail "--version does not say $version"
cli init-db "$work/db" --user prøve --password prøve123 --demo || fail "init-db"
[ -f "$work/db/TAVLO-II.mdb" ] && [ -f "$work/db/Virod.mdw" ] || fail "init-db made no database"
scored=$(cli score "$work/db" 1) || fail "score"
# The painting library, found from the installed tool; the tool itself does not need QtGui.
[ "$(cli report "$work/db" 1 --pdf - | head -c 5)" = "%PDF-" ] || fail "report --pdf - wrote no PDF"
# A text command loads no more than QtCore: not QtGui, not even through libvandrel.
env -u LD_LIBRARY_PATH ldd "$root/usr/bin/tavlo-ii-cli" | grep -qE 'libQt6Gui|libvandrel' && fail "tavlo-ii-cli loads QtGui"
found=$(env -u LD_LIBRARY_PATH ldd "$root/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/tavlo-ii/libtavlo-cli-paint.so" \
        | awk '$1 == "libvandrel.so" {print $3}')
[ "$(realpath -m "$found")" = "$(realpath -m "$root/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/tavlo-ii/libvandrel.so")" ] \
  || fail "the painting library does not find libvandrel beside it: '$found'"
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

# Debian's copyright format, naming the publisher; the changelog names the version.
copyright=$root/usr/share/doc/tavlo-ii/copyright
head -n 1 "$copyright" | grep -qF 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' || fail "copyright format"
grep -qx 'License: LicenseRef-proprietary' "$copyright" || fail "copyright licence"
publisher=$(sed -n 's/^Copyright: [0-9]* //p' "$copyright")
[ -n "$publisher" ] || fail "copyright names no publisher"
grep -qF "<developer_name>$publisher</developer_name>" "$root/usr/share/metainfo/no.tavlo.tavlo_ii.metainfo.xml" \
  || fail "metainfo names another publisher than $publisher"
zcat "$root/usr/share/doc/tavlo-ii/changelog.Debian.gz" | head -n 1 | grep -qF "tavlo-ii ($(dpkg-deb -f "$deb" Version))" \
  || fail "changelog lacks the package's version"
grep -qF '<url type="homepage">' "$root/usr/share/metainfo/no.tavlo.tavlo_ii.metainfo.xml" || fail "metainfo lacks its web page"

# A file manager's view of the database file: the package's type for TAVLO-II.mdb, while
# another SQLite file keeps its own.
share=$work/share
mkdir -p "$share/mime/packages" "$work/files"
cp "$root/usr/share/mime/packages/tavlo-ii.xml" "$share/mime/packages/"
XDG_DATA_HOME=$share update-mime-database "$share/mime" || fail "update-mime-database"
cp "$work/db/TAVLO-II.mdb" "$work/files/other.db"
typeOf() { env XDG_DATA_HOME="$share" XDG_DATA_DIRS=/usr/share gio info -a standard::content-type "$1" | awk '/standard::content-type/ {print $2}'; }
for case in "$work/db/TAVLO-II.mdb application/x-tavlo-ii-database" \
            "$work/files/other.db application/vnd.sqlite3"; do
  read -r file type <<<"$case"
  [ "$(typeOf "$file")" = "$type" ] || fail "$file is $(typeOf "$file"), not $type"
done
echo "package installs and runs"
