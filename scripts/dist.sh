#!/usr/bin/env bash
# Builds what Lotse delivers and puts it into build/dist/:
#   LotseSetup.exe  the Windows setup of lotse.exe (installer/, packed with NSIS)
#   lotse-service_VERSION_ARCH.deb  the service as a Debian package
#                   (scripts/package-service.sh: binary, systemd unit, configuration,
#                   manual page)
# The service address, the access code and the build number are those of the
# build (LOTSE_SERVICE_PORT, LOTSE_BUILD_NUMBER, CMake cache); a delivery for
# users is built with the public service's settings.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${LOTSE_BUILD:-$top/build}
dist="$build/dist"

"$top/scripts/build.sh"
mkdir -p "$dist"

setting() { sed -n "s/^$1:[A-Z]*=//p" "$build/win/CMakeCache.txt"; }
cp "$build/win/LotseSetup.exe" "$dist/LotseSetup.exe"
echo "dist: $dist/LotseSetup.exe: Lotse $(setting CMAKE_PROJECT_VERSION).$(setting LOTSE_BUILD_NUMBER)" \
    "for the service https://$(setting LOTSE_SERVICE_HOST):$(setting LOTSE_SERVICE_PORT)"

rm -f "$dist"/lotse-service_*.deb
deb=$("$top/scripts/package-service.sh" "$build/native" "$dist")
echo "dist: $deb"

(cd "$dist" && sha256sum LotseSetup.exe "$(basename "$deb")")
