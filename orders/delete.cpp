// Not written yet: answers "not implemented" until its turn comes.
#include "component/frame.h"

namespace zolt::component {

HRESULT ZOLT::gExclui_Campos_PEDIDO(Variant& InVntPedido_ID, Variant& invntUsuario_Internet_ID, Variant& InVntConecta_DB, Variant& outvntMsg_Ret, Variant& InVntBanco_Dados, Variant& result) {
    return com::E_NOTIMPL;
}

bool ZOLT::mTrataSP_QBX_EXC_PEDIDO_OLT1(std::string& kind, std::string& connection, int32_t& pedido_id, int32_t& user_id, std::string& statement, Variant& message, Variant& user_text) {
    return false;
}

}  // namespace zolt::component
