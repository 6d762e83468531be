// Not written yet: answers "not implemented" until its turn comes.
#include "component/frame.h"

namespace zolt::component {

HRESULT ZOLT::mConsiste_Campos_Pedido(Variant& InVntPedido_ID, Variant& InVntTab_Status_ID, Variant& InVntNum_Pedido_Externo, Variant& InVntFornecedor_ID, Variant& OutVntPedido_ID, Variant& invntUsuario_Internet_ID, Variant& InVntConecta_DB, Variant& outvntMsg_Ret, Variant& InVntBanco_Dados, Variant& InVntFlag_Acao, Variant& InVntCliente_ID, bool& result) {
    return com::E_NOTIMPL;
}

}  // namespace zolt::component
