// Not written yet: answers "not implemented" until its turn comes.
#include "component/frame.h"

namespace zolt::component {

HRESULT ZOLT::gAltera_Campos_PEDIDO_ITEM(Variant& InVntPedido_Item_ID, Variant& InVntData_Embarque, Variant& InVntPeca_ID, Variant& InVntPedido_ID, Variant& InVntQtde_Pedida, Variant& invntUsuario_Internet_ID, Variant& InVntConecta_DB, Variant& outvntMsg_Ret, Variant& InVntBanco_Dados, Variant& result) {
    return com::E_NOTIMPL;
}

bool ZOLT::mTrataSP_QBX_ALT_PEDIDO_ITEM_OLT1(std::string& kind, std::string& connection, int32_t& pedido_item_id, std::string& data_embarque, int32_t& peca_id, int32_t& pedido_id, int32_t& qtde_pedida, int32_t& one, int32_t& user_id, std::string& statement, Variant& message, Variant& user_text) {
    return false;
}

}  // namespace zolt::component
