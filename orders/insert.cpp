// Not written yet: answers "not implemented" until its turn comes.
#include "component/frame.h"

namespace zolt::component {

HRESULT ZOLT::gInclui_Campos_PEDIDO(Variant& InVntTab_Status_ID, Variant& InVntNum_Pedido_Externo, Variant& InVntFornecedor_ID, Variant& OutVntPedido_ID, Variant& invntUsuario_Internet_ID, Variant& InVntConecta_DB, Variant& outvntMsg_Ret, Variant& InVntBanco_Dados, Variant& InVntCliente_ID, Variant& result) {
    return com::E_NOTIMPL;
}

bool ZOLT::mTrataSP_QBX_INC_PEDIDO_OLT1(std::string& kind, std::string& connection, int32_t& status, std::string& num_pedido_externo, int32_t& fornecedor_id, int32_t& user_id, std::string& statement, Variant& message, Variant& user_text, int32_t& cliente_id) {
    return false;
}

}  // namespace zolt::component
