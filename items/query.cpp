// Not written yet: answers "not implemented" until its turn comes.
#include "component/frame.h"

namespace zolt::component {

HRESULT ZOLT::gConsulta_Campos_PEDIDO_ITEM(Variant& InVntPedido_Item_ID, Variant& OutVntData_Embarque, Variant& OutVntPeca_ID, Variant& OutVntPedido_ID, Variant& OutVntQtde_Pedida, Variant& OutVntCod_Peca, Variant& invntUsuario_Internet_ID, Variant& InVntConecta_DB, Variant& outvntMsg_Ret, Variant& InVntBanco_Dados, Variant& result) {
    return com::E_NOTIMPL;
}

bool ZOLT::mTrataSP_QBX_CON_PEDIDO_ITEM_OLT1(std::string& kind, std::string& connection, int32_t& pedido_item_id, std::string& statement, Variant& message, Variant& user_text) {
    return false;
}

}  // namespace zolt::component
