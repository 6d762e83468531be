// Not written yet: answers "not implemented" until its turn comes.
#include "component/frame.h"

namespace zolt::component {

HRESULT ZOLT::gConsulta_Status_PEDIDO_ITEM(Variant& InVntPedido_Item_ID, Variant& OutVntTab_Status_ID, Variant& invntUsuario_Internet_ID, Variant& InVntConecta_DB, Variant& outvntMsg_Ret, Variant& InVntBanco_Dados, Variant& result) {
    return com::E_NOTIMPL;
}

}  // namespace zolt::component
