#!/usr/bin/env bash
# install_test.sh BUILD: makes the Debian package, checks its declared
# dependencies and unpacks it into a throwaway root, where the packaged zolt
# registers the packaged component. A caller built outside the tree against
# that root twice, with find_package and with pkg-config, and the packaged
# Python module must each read the sample data through the component.
set -euo pipefail
build="$1"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export ZOLT_REGISTRY="$work/registry"

(cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }
deb=("$work"/tvrzolt22_*.deb)
depends="$(dpkg-deb -f "${deb[0]}" Depends)"
for package in libc6 libstdc++6 libsqlite3-0 python3; do
    [[ ", $depends" == *", $package "* ]] || { echo "undeclared dependency $package: $depends"; exit 1; }
done

dpkg-deb -x "${deb[0]}" "$work/root"
prefix="$work/root/usr"
registered="$("$prefix/bin/zolt" register)"
[[ "$registered" == *"($prefix/lib/libTvrZOLT22.so)"* ]] || { echo "$registered"; exit 1; }
"$prefix/bin/zolt" init --db "$work/zolt.db" --sample >/dev/null

expected="gConsulta_Campos_PEDIDO 0 | PRG-0001 | Metalúrgica Alfa | Planta Curitiba"
cmake -S "$here/caller" -B "$work/by-cmake" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/by-cmake" >/dev/null
diff <(echo "$expected") <("$work/by-cmake/caller" "$work/zolt.db")
# shellcheck disable=SC2046
c++ -o "$work/by-pkg-config" "$here/caller/caller.cpp" \
    $(PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --cflags --libs tvrzolt22)
diff <(echo "$expected") <(LD_LIBRARY_PATH="$prefix/lib" "$work/by-pkg-config" "$work/zolt.db")

PYTHONPATH="$prefix/lib/python3/dist-packages" /usr/bin/python3 -c "
import tvrzolt22
answer = tvrzolt22.create('TvrZOLT22.ZOLT').gConsulta_Campos_PEDIDO(
    InVntConecta_DB=tvrzolt22.connect('$work/zolt.db'), InVntPedido_ID=2)
assert answer.args['OutVntNum_Pedido_Externo'] == 'PRG-0002', answer"
echo "packaged $(basename "${deb[0]}") (Depends: $depends), registered, and called from outside the tree"
