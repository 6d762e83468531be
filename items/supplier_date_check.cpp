// Not written yet: answers "not implemented" until its turn comes.
#include "component/frame.h"

namespace zolt::component {

HRESULT ZOLT::mVerifica_Dupli_Pedido_Item_Fornecedor(Variant& InVntPedido_Item_ID, Variant& InVntPedido_ID, Variant& InVntData, Variant& invntUsuario_Internet_ID, Variant& InVntConecta_DB, Variant& outvntMsg_Ret, Variant& InVntBanco_Dados, bool& result) {
    return com::E_NOTIMPL;
}

}  // namespace zolt::component
