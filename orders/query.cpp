// Not written yet: answers "not implemented" until its turn comes.
#include "component/frame.h"

namespace zolt::component {

HRESULT ZOLT::gConsulta_Campos_PEDIDO(Variant& InVntPedido_ID, Variant& OutVntNum_Pedido_Externo, Variant& OutVntFornecedor_ID, Variant& OutVntFornecedor, Variant& invntUsuario_Internet_ID, Variant& InVntConecta_DB, Variant& outvntMsg_Ret, Variant& InVntBanco_Dados, Variant& OutVntCliente_ID, Variant& OutVntCliente, Variant& result) {
    return com::E_NOTIMPL;
}

bool ZOLT::mTrataSP_QBX_CON_PEDIDO_OLT1(std::string& kind, std::string& connection, int32_t& pedido_id, std::string& statement, Variant& message, Variant& user_text) {
    return false;
}

}  // namespace zolt::component
