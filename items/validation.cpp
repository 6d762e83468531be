// Not written yet: answers "not implemented" until its turn comes.
#include "component/frame.h"

namespace zolt::component {

HRESULT ZOLT::mConsiste_Campos_Pedido_Item(Variant& InVntPedido_Item_ID, Variant& InVntData_Embarque, Variant& InVntPeca_ID, Variant& InVntPedido_ID, Variant& InVntQtde_Pedida, Variant& invntUsuario_Internet_ID, Variant& InVntConecta_DB, Variant& outvntMsg_Ret, Variant& InVntBanco_Dados, Variant& InVntFlag_Acao, bool& result) {
    return com::E_NOTIMPL;
}

}  // namespace zolt::component
