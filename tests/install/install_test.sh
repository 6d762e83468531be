#!/usr/bin/env bash
# install_test.sh BUILD: installs the build into a throwaway prefix, registers
# the installed component with the installed zolt, and builds a caller
# outside the tree against the prefix twice, with find_package and with
# pkg-config; each must read the sample data through the component. Then it
# makes the Debian package, checks its files and declared dependencies,
# unpacks it into a throwaway root and runs the packaged zolt and Python
# module from there.
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
rm -rf "$prefix"  # the package stands on its own

(cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
deb=("$work"/tvrzolt22_*.deb)

# What running the packaged zolt and Python module below does not reach.
files="$(dpkg-deb -c "${deb[0]}" | awk '{print $6}')"
for file in ./usr/include/tvrzolt22/tvrzolt22.h ./usr/include/tvrzolt22/platform/com/named_call.h \
            ./usr/lib/cmake/TvrZOLT22/TvrZOLT22Config.cmake ./usr/lib/pkgconfig/tvrzolt22.pc; do
    grep -qxF "$file" <<<"$files" || { echo "missing from the package: $file"; exit 1; }
done
depends="$(dpkg-deb -f "${deb[0]}" Depends)"
for package in libc6 libstdc++6 libsqlite3-0 python3; do
    [[ ", $depends" == *", $package "* ]] || { echo "undeclared dependency $package: $depends"; exit 1; }
done

root="$work/root"
dpkg-deb -x "${deb[0]}" "$root"
zolt="$root/usr/bin/zolt"
"$zolt" register >/dev/null
"$zolt" call gVerifica_Data_Atual --db "$work/zolt.db" --kind ORACLE | grep -q '"result": {"vt":"BOOL","v":true}'
PYTHONPATH="$root/usr/lib/python3/dist-packages" /usr/bin/python3 -c "
import tvrzolt22
answer = tvrzolt22.create('TvrZOLT22.ZOLT').gConsulta_Campos_PEDIDO(
    InVntConecta_DB=tvrzolt22.connect('$work/zolt.db'), InVntPedido_ID=2)
assert answer.args['OutVntNum_Pedido_Externo'] == 'PRG-0002', answer"
echo "packaged $(basename "${deb[0]}"), Depends: $depends"
