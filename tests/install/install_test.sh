#!/usr/bin/env bash
# install_test.sh BUILD: installs the build into a throwaway prefix, registers
# the installed component with the installed zolt, and builds a caller
# outside the tree against the prefix twice, with find_package and with
# pkg-config; each must read the sample data through the component.
set -euo pipefail
build="$1"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
export ZOLT_REGISTRY="$work/registry"

cmake --install "$build" --prefix "$prefix" >/dev/null
"$prefix/bin/zolt" init --db "$work/zolt.db" --sample >/dev/null
registered="$("$prefix/bin/zolt" register)"
[[ "$registered" == *"($prefix/lib/libTvrZOLT22.so)"* ]] || { echo "registered elsewhere: $registered"; exit 1; }

expected="gConsulta_Campos_PEDIDO 0 | PRG-0001 | Metalúrgica Alfa | Planta Curitiba"

cmake -S "$here/caller" -B "$work/by-cmake" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/by-cmake" >/dev/null
diff <(echo "$expected") <("$work/by-cmake/caller" "$work/zolt.db")

# shellcheck disable=SC2046
c++ -o "$work/by-pkg-config" "$here/caller/caller.cpp" \
    $(PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --cflags --libs tvrzolt22)
diff <(echo "$expected") <(LD_LIBRARY_PATH="$prefix/lib" "$work/by-pkg-config" "$work/zolt.db")
echo "installed, registered, and called from outside the tree"
