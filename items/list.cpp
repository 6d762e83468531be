// Not written yet: answers "not implemented" until its turn comes.
#include "component/frame.h"

namespace zolt::component {

HRESULT ZOLT::gConsulta_Campos_LIS_PEDIDO_ITEM(Variant& InVntPedido_ID, Variant& OutArrVntData_Embarque, Variant& OutArrVntPeca_ID, Variant& OutArrVntPedido_ID, Variant& OutArrVntPedido_Item_ID, Variant& OutArrVntQtde_Pedida, Variant& OutArrVntCod_Peca, Variant& OutVntTam_Arr_Resposta, Variant& invntUsuario_Internet_ID, Variant& InVntConecta_DB, Variant& outvntMsg_Ret, Variant& InVntBanco_Dados, Variant& result) {
    return com::E_NOTIMPL;
}

bool ZOLT::mTrataSP_QBX_CON_LIS_PED_ITEM_OLT1(std::string& kind, std::string& connection, int32_t& pedido_id, std::string& statement, Variant& message, Variant& user_text) {
    return false;
}

}  // namespace zolt::component
