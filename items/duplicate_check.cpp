// Not written yet: answers "not implemented" until its turn comes.
#include "component/frame.h"

namespace zolt::component {

HRESULT ZOLT::gVerifica_Duplicidade_PEDIDO_ITEM(Variant& InVntPedido_Item_ID, Variant& InVntPeca_ID, Variant& InVntPedido_ID, Variant& invntUsuario_Internet_ID, Variant& InVntConecta_DB, Variant& outvntMsg_Ret, Variant& InVntBanco_Dados, bool& result) {
    return com::E_NOTIMPL;
}

bool ZOLT::mTrataSP_QBX_DUP_PEDIDO_ITEM_OLT1(std::string& kind, std::string& connection, int32_t& peca_id, int32_t& pedido_id, int32_t& pedido_item_id, std::string& statement, Variant& message, Variant& user_text) {
    return false;
}

}  // namespace zolt::component
