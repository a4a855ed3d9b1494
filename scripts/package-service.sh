#!/usr/bin/env bash
# Makes the Debian package lotse-service from a built native tree:
#   package-service.sh NATIVE_BUILD OUTDIR
# The binary goes to /usr/bin, the systemd unit to /lib/systemd/system, the
# configuration to /etc/lotse-service (a conffile), the manual page made by
# `lotse-service --man-page` to /usr/share/man/man8; the maintainer scripts are
# server/package/{postinst,prerm,postrm}. Prints the package's path.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
native=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
source_dir="$top/server/package"
binary="$native/server/lotse-service"
[ -x "$binary" ] || { echo "package-service: $binary is not built" >&2; exit 1; }

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$native/CMakeCache.txt")
arch=$(dpkg --print-architecture)
work=$(mktemp -d "$out/package.XXXXXX")
trap 'rm -rf "$work"' EXIT
root="$work/root"

install -D -m 0755 "$binary" "$root/usr/bin/lotse-service"
strip --strip-unneeded "$root/usr/bin/lotse-service"
install -D -m 0644 "$source_dir/lotse-service.service" "$root/lib/systemd/system/lotse-service.service"
install -D -m 0644 "$source_dir/lotse-service.conf" "$root/etc/lotse-service/lotse-service.conf"
install -d -m 0755 "$root/usr/share/man/man8" "$root/usr/share/doc/lotse-service"
"$binary" --man-page | gzip -9n >"$root/usr/share/man/man8/lotse-service.8.gz"
install -m 0644 "$top/server/README.md" "$root/usr/share/doc/lotse-service/README.md"

# The shared libraries the binary needs, as dpkg-shlibdeps names their packages.
mkdir -p "$work/debian"
printf 'Source: lotse\n\nPackage: lotse-service\nArchitecture: any\n' >"$work/debian/control"
depends=$(cd "$work" && dpkg-shlibdeps -O "$root/usr/bin/lotse-service" 2>/dev/null |
    sed -n 's/^shlibs:Depends=//p')
[ -n "$depends" ] || { echo "package-service: dpkg-shlibdeps found no dependencies" >&2; exit 1; }

install -d -m 0755 "$root/DEBIAN"
cat >"$root/DEBIAN/control" <<CONTROL
Package: lotse-service
Version: $version
Architecture: $arch
Maintainer: Lotse <lotse@localhost>
Section: net
Priority: optional
Depends: adduser, $depends
Installed-Size: $(du -sk --exclude=DEBIAN "$root" | cut -f1)
Description: web service of the Lotse guidance assistant
 Serves the help tickets and recorded solutions that Lotse asks for over
 HTTPS, backed by a SQLite file or a PostgreSQL database, with a health and
 Prometheus metrics listener, abuse limits per client address and admin
 commands. Runs under systemd as its own user once configured in
 /etc/lotse-service/lotse-service.conf.
CONTROL
echo /etc/lotse-service/lotse-service.conf >"$root/DEBIAN/conffiles"
for script in postinst prerm postrm; do
    install -m 0755 "$source_dir/$script" "$root/DEBIAN/$script"
done

deb="$out/lotse-service_${version}_${arch}.deb"
dpkg-deb --root-owner-group -Zxz --build "$root" "$deb" >/dev/null
echo "$deb"
