#!/usr/bin/env bash
# An order's life in each dialect: created, read back, a second order with the
# same external number refused, changed, deleted, and then no longer found.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../demo-lib.sh"

answer="$(mktemp)"
trap 'rm -f "$answer"' EXIT

# order_life KIND NOTE: NOTE says what the read-back shows of the plant.
order_life() {
    local kind="$1" plant_note="$2"
    local new_order="{\"InVntTab_Status_ID\": 1, \"InVntNum_Pedido_Externo\": \"DEMO-$kind-1\","
    new_order+=" \"InVntFornecedor_ID\": 103, \"InVntCliente_ID\": 202}"

    section "Orders, $kind dialect"
    show "Create an order for supplier 103, plant 202: the new key comes back" gInclui_Campos_PEDIDO \
        --kind "$kind" --user 7 --trace --args "$new_order" | tee "$answer"
    local key
    key="$(sed -n 's/.*"OutVntPedido_ID": {[^}]*"v":\([0-9][0-9]*\).*/\1/p' "$answer")"
    if [ -z "$key" ]; then
        echo "    (no key came back; the rest of this dialect is skipped)"
        return
    fi
    local this_order="{\"InVntPedido_ID\": $key}"
    local changed="{\"InVntPedido_ID\": $key, \"InVntTab_Status_ID\": 1, \"InVntNum_Pedido_Externo\": \"DEMO-$kind-2\","
    changed+=" \"InVntFornecedor_ID\": 103, \"InVntCliente_ID\": 201}"

    show "Read it back ($plant_note)" gConsulta_Campos_PEDIDO --kind "$kind" --user 7 --trace --args "$this_order"
    show "A second order with the same external number for the same supplier is refused" gInclui_Campos_PEDIDO \
        --kind "$kind" --user 7 --trace --args "$new_order"
    show "Change its external number; the order itself does not count as a duplicate" gAltera_Campos_PEDIDO \
        --kind "$kind" --user 7 --trace --args "$changed"
    show "Delete it: the row stays, with status 2" gExclui_Campos_PEDIDO --kind "$kind" --user 7 --trace \
        --args "$this_order"
    show "A deleted order is not found" gConsulta_Campos_PEDIDO --kind "$kind" --user 7 --trace --args "$this_order"
}

order_life SQLSERVER "the procedure is not given the plant, so the order has none"
order_life ORACLE "the inline INSERT writes the plant"
