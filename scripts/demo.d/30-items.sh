#!/usr/bin/env bash
# An order's items in each dialect: items added and listed, a part placed twice
# refused, an item confirmed and then refused for changes, a second item on the
# supplier's confirmed day refused, and logical deletions of the items and the order.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../demo-lib.sh"

answer="$(mktemp)"
trap 'rm -f "$answer"' EXIT

# The value of an output argument in the last answer, when it is a number.
number_in_answer() {
    sed -n "s/.*\"$1\": {[^}]*\"v\":\([0-9][0-9]*\).*/\1/p" "$answer"
}

# An item's arguments as JSON: item_args DATE PART ORDER QUANTITY [ITEM].
item_args() {
    local json="{\"InVntData_Embarque\": \"$1\", \"InVntPeca_ID\": $2, \"InVntPedido_ID\": $3, \"InVntQtde_Pedida\": $4"
    [ -n "${5:-}" ] && json+=", \"InVntPedido_Item_ID\": $5"
    printf '%s}' "$json"
}

# item_life KIND DAY NEXT_DAY: the days as dd/mm/yyyy, a different pair per dialect, since the
# confirmed items of one supplier on one day weigh on every order of that supplier.
item_life() {
    local kind="$1" day="$2" next_day="$3"
    section "Order items, $kind dialect"

    local new_order="{\"InVntTab_Status_ID\": 1, \"InVntNum_Pedido_Externo\": \"ITENS-$kind\","
    new_order+=" \"InVntFornecedor_ID\": 103, \"InVntCliente_ID\": 201}"
    show "An order for supplier 103 to hold the items" gInclui_Campos_PEDIDO --kind "$kind" --user 7 \
        --args "$new_order" | tee "$answer"
    local order
    order="$(number_in_answer OutVntPedido_ID)"
    if [ -z "$order" ]; then
        echo "    (no order came back; the rest of this dialect is skipped)"
        return
    fi

    show "Add part 301 shipping on $day: a new item (status 509) and its key" gInclui_Campos_PEDIDO_ITEM \
        --kind "$kind" --user 7 --trace --args "$(item_args "$day" 301 "$order" 100)" | tee "$answer"
    local first
    first="$(number_in_answer OutVntPedido_Item_ID)"
    show "Add part 302 shipping on $next_day" gInclui_Campos_PEDIDO_ITEM --kind "$kind" --user 7 \
        --args "$(item_args "$next_day" 302 "$order" 50)" | tee "$answer"
    local second
    second="$(number_in_answer OutVntPedido_Item_ID)"
    if [ -z "$first" ] || [ -z "$second" ]; then
        echo "    (the items were not added; the rest of this dialect is skipped)"
        return
    fi

    show "The order's items: six parallel arrays from index 0 and their count" gConsulta_Campos_LIS_PEDIDO_ITEM \
        --kind "$kind" --user 7 --trace --args "{\"InVntPedido_ID\": $order}"
    show "Part 301 a second time in the same order is refused" gInclui_Campos_PEDIDO_ITEM --kind "$kind" --user 7 \
        --args "$(item_args "$next_day" 301 "$order" 10)"

    printf '\n--- The supplier confirms item %s (status 510), as the confirmation step of the application does\n' \
        "$first"
    run_sql "UPDATE PEDIDO_ITEM SET TAB_STATUS_ID = 510 WHERE PEDIDO_ITEM_ID = $first"
    show "Its status, read with the same SELECT in every dialect" gConsulta_Status_PEDIDO_ITEM --kind "$kind" \
        --user 7 --trace --args "{\"InVntPedido_Item_ID\": $first}"
    show "A confirmed item can no longer be changed" gAltera_Campos_PEDIDO_ITEM --kind "$kind" --user 7 \
        --args "$(item_args "$day" 301 "$order" 120 "$first")"
    show "The item still new can: its quantity goes to 60" gAltera_Campos_PEDIDO_ITEM --kind "$kind" --user 7 \
        --trace --args "$(item_args "$next_day" 302 "$order" 60 "$second")"
    show "Part 303 on $day, a day on which the supplier has a confirmed item, is refused" \
        gInclui_Campos_PEDIDO_ITEM --kind "$kind" --user 7 --trace --args "$(item_args "$day" 303 "$order" 5)"

    show "Delete the new item: the row stays, with status 2" gExclui_Campos_PEDIDO_ITEM --kind "$kind" --user 7 \
        --trace --args "{\"InVntPedido_Item_ID\": $second}"
    show "A confirmed item may be deleted too" gExclui_Campos_PEDIDO_ITEM --kind "$kind" --user 7 \
        --args "{\"InVntPedido_Item_ID\": $first}"
    show "Deleted items are not listed: count 0, arrays left as passed" gConsulta_Campos_LIS_PEDIDO_ITEM \
        --kind "$kind" --user 7 --args "{\"InVntPedido_ID\": $order}"
    show "Nor found by the item query" gConsulta_Campos_PEDIDO_ITEM --kind "$kind" --user 7 \
        --args "{\"InVntPedido_Item_ID\": $first}"
    show "Last, the order itself, so that this scenario can run again" gExclui_Campos_PEDIDO --kind "$kind" \
        --user 7 --args "{\"InVntPedido_ID\": $order}"
}

item_life SQLSERVER 10/03/2031 11/03/2031
item_life ORACLE 17/03/2031 18/03/2031
