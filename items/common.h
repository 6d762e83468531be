// Pieces the item methods share: the inline SELECT of live items, the shipping
// date as the caller sees it, literals for inline SQL, and the write log.
#pragma once

#include <cstdint>
#include <string>
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
// Entity code of an item in the write log, and the two operation codes.
inline constexpr int32_t kItemEntity = 260;
inline constexpr int32_t kInsertion = 1;
inline constexpr int32_t kUpdate = 2;

// A shipping date field as "dd/mm/yyyy", or an empty text when the column is
// empty or Null.
Variant shipping_date_text(const Variant& field);

// Literals written for inline SQL, each with a fresh empty operator text.
std::string number_literal(const Variant& value);
std::string date_literal(const Variant& value);

// Records an item write with the key generator: the user id is read from its
// text, the key as a number. Answers what RecordOperation answered.
bool record_item_operation(outside::KeyGenerator& keys, std::string& kind, int32_t operation, const Variant& user_text,
                           int32_t key, std::string& message, std::string& connection);

}  // namespace zolt::component::items
