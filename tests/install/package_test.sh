#!/usr/bin/env bash
# package_test.sh BUILD: makes the Debian package of the build, checks its
# files and declared dependencies, unpacks it into a throwaway root and runs
# the packaged zolt and Python module from there.
set -euo pipefail
build="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export ZOLT_REGISTRY="$work/registry"

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
"$zolt" init --db "$work/zolt.db" --sample >/dev/null
"$zolt" register >/dev/null
"$zolt" call gVerifica_Data_Atual --db "$work/zolt.db" --kind ORACLE | grep -q '"result": {"vt":"BOOL","v":true}'
PYTHONPATH="$root/usr/lib/python3/dist-packages" /usr/bin/python3 -c "
import tvrzolt22
answer = tvrzolt22.create('TvrZOLT22.ZOLT').gConsulta_Campos_PEDIDO(
    InVntConecta_DB=tvrzolt22.connect('$work/zolt.db'), InVntPedido_ID=2)
assert answer.args['OutVntNum_Pedido_Externo'] == 'PRG-0002', answer"
echo "packaged $(basename "${deb[0]}"), Depends: $depends"
