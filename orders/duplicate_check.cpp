// Not written yet: answers "not implemented" until its turn comes.
#include "component/frame.h"

namespace zolt::component {

HRESULT ZOLT::gVerifica_Duplicidade_PEDIDO(Variant& InVntPedido_ID, Variant& InVntNum_Pedido_Externo, Variant& InVntFornecedor_ID, Variant& invntUsuario_Internet_ID, Variant& InVntConecta_DB, Variant& outvntMsg_Ret, Variant& InVntBanco_Dados, bool& result) {
    return com::E_NOTIMPL;
}

bool ZOLT::mTrataSP_QBX_DUP_PEDIDO_OLT1(std::string& kind, std::string& connection, std::string& num_pedido_externo, int32_t& fornecedor_id, int32_t& pedido_id, std::string& statement, Variant& message, Variant& user_text) {
    return false;
}

}  // namespace zolt::component
