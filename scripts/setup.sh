#!/usr/bin/env bash
# Installs the Debian packages that building, testing and the demo need, when
# any is missing; "setup.sh fuzz" also those of the fuzz targets (clang and
# its fuzzing runtime). Runs apt-get as root, or through sudo when that is
# available.
set -euo pipefail

# python3-dev and pybind11-dev build the Python module; dpkg-dev and file make
# the Debian package (dpkg-shlibdeps finds its dependencies); unixodbc-dev,
# odbc-postgresql and postgresql serve the component on a database server and
# its tests.
packages=(cmake ninja-build g++ pkg-config libsqlite3-dev nlohmann-json3-dev libgtest-dev libbenchmark-dev sqlite3
          python3-dev pybind11-dev dpkg-dev file unixodbc-dev odbc-postgresql postgresql)
if [ "${1:-}" = fuzz ]; then
    packages+=(clang-14 libclang-rt-14-dev)
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
else
    echo "setup: missing packages (${missing[*]}) and neither root nor sudo to install them" >&2
    exit 1
fi

echo "setup: installing ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
