// Pieces several item methods share: the inline SELECT of live items, the
// status of a new item, and the shipping date as the caller sees it.
#pragma once

#include <cstdint>
#include <string_view>

#include "outside/outside.h"
#include "platform/automation/variant.h"

namespace zolt::component::items {

using automation::Variant;

// The inline SELECT of one item or of an order's items: the item columns and
// the part code, joined with the part. The caller appends its own key filter
// between the join and the live-item filter.
inline constexpr std::string_view kLiveItemColumnsAndJoin =
    " SELECT "
    " PEDIDO_ITEM.DATA_EMBARQUE , "
    " PEDIDO_ITEM.PECA_ID , "
    " PEDIDO_ITEM.PEDIDO_ID , "
    " PEDIDO_ITEM.PEDIDO_ITEM_ID , "
    " PEDIDO_ITEM.QTDE_PEDIDA , "
    " PEDIDO_ITEM.TAB_STATUS_ID , "
    " PECA.COD_PECA "
    " FROM "
    " PEDIDO_ITEM , PECA "
    " WHERE "
    " PEDIDO_ITEM.PECA_ID = PECA.PECA_ID ";
// Only items that are new or confirmed, of parts still active.
inline constexpr std::string_view kLiveItemFilter =
    " AND PEDIDO_ITEM.TAB_STATUS_ID IN ( 509 , 510 ) "
    " AND PECA.TAB_STATUS_ID = 1 ";

// Status an item is stored with when it is new; the only one in which it may change.
inline constexpr int16_t kNewItemStatus = 509;

// A shipping date field as "dd/mm/yyyy", or an empty text when the column is
// empty or Null.
inline Variant shipping_date_text(const Variant& field) {
    if (automation::to_text(outside::formatter().TextValue(field)).empty())
        return Variant("");
    return Variant(automation::format(field, "dd/mm/yyyy"));
}

}  // namespace zolt::component::items
