#!/usr/bin/env bash
# Builds the Debian package kova: kova2, KOVA and kovaview in /usr/bin, their menu entries and
# icon, manual pages, AppStream metainfo, the README and the examples. The dependencies come
# from the binaries (dpkg-shlibdeps); lintian must find no error. Prints the package's path.
# Usage: bash tools/package-debian.sh      (builds in build/pkg, or in KOVA_DEB_BUILD: tools/test.sh
#        hands over its tested build, configured with the same options, so nothing is compiled twice)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${KOVA_DEB_BUILD:-$root/build/pkg}
packaging=$root/packaging

for tool in dpkg-deb dpkg-shlibdeps lintian desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null || { echo "package-debian: $tool is missing (tools/install-deps.sh installs it)" >&2; exit 1; }
done
version=$(sed -n 's/^project(KOVA VERSION \([0-9.]*\) .*/\1/p' "$root/CMakeLists.txt")
[ -n "$version" ] || { echo "package-debian: no version in CMakeLists.txt's project()" >&2; exit 1; }
arch=$(dpkg --print-architecture)

mapfile -t options < <(bash "$root/tools/debian-cmake-options.sh")
cmake -S "$root" -B "$build" -G Ninja "${options[@]}" >/dev/null
cmake --build "$build" -j 2 --target kova2 KOVA kovaview

# The tree the package installs, owned by root (dpkg-deb --root-owner-group).
stage=$build/deb/kova
rm -rf "$build/deb"
mkdir -p "$stage/DEBIAN" "$stage/usr/bin" "$stage/usr/share/man/man1" "$stage/usr/share/applications" \
  "$stage/usr/share/metainfo" "$stage/usr/share/doc/kova/examples"
for program in engine/kova2 frontend/KOVA viewer/kovaview; do
  install -m 0755 "$build/$program" "$stage/usr/bin/"
done
strip --strip-unneeded --remove-section=.comment --remove-section=.note "$stage"/usr/bin/*
for page in kova2 KOVA kovaview; do
  gzip -9n <"$packaging/man/$page.1" >"$stage/usr/share/man/man1/$page.1.gz"
done
install -m 0644 "$packaging"/desktop/*.desktop "$stage/usr/share/applications/"
install -m 0644 "$packaging/org.kova.kova.metainfo.xml" "$stage/usr/share/metainfo/"
/usr/bin/python3 "$packaging/hicolor_icons.py" "$stage/usr/share/icons/hicolor"
install -m 0644 "$root/README.md" "$packaging/copyright" "$stage/usr/share/doc/kova/"
install -m 0644 "$root/examples/worked_example.txt" "$root/examples/golub_500.txt" "$root/examples/golub_500.meta" \
  "$stage/usr/share/doc/kova/examples/"
gzip -9n <"$packaging/changelog" >"$stage/usr/share/doc/kova/changelog.gz"
find "$stage/usr" -type d -exec chmod 0755 {} +
find "$stage/usr/share" -type f -exec chmod 0644 {} +

desktop-file-validate "$stage"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$stage/usr/share/metainfo/org.kova.kova.metainfo.xml"

# dpkg-shlibdeps reads the package's name from a debian/control; a scratch one in build/ does.
shlibs=$build/deb/shlibdeps
mkdir -p "$shlibs/debian"
printf 'Source: kova\n\nPackage: kova\nArchitecture: any\n' >"$shlibs/debian/control"
depends=$(cd "$shlibs" && dpkg-shlibdeps -O "$stage"/usr/bin/* | sed -n 's/^shlibs:Depends=//p')
[ -n "$depends" ] || { echo "package-debian: dpkg-shlibdeps found no dependencies" >&2; exit 1; }

size=$(du -sk --exclude=DEBIAN "$stage" | cut -f1)
sed -e "s/@VERSION@/$version/" -e "s/@ARCH@/$arch/" -e "s/@SIZE@/$size/" -e "s/@DEPENDS@/$depends/" \
  "$packaging/control.in" >"$stage/DEBIAN/control"
(cd "$stage" && find usr -type f | LC_ALL=C sort | xargs md5sum >DEBIAN/md5sums)

deb=$build/kova_${version}_${arch}.deb
dpkg-deb --root-owner-group -Zxz --build "$stage" "$deb" >/dev/null
lintian --fail-on error --tag-display-limit 0 "$deb" >&2
echo "$deb"
