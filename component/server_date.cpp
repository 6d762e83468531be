// Not written yet: answers "not implemented" until its turn comes.
#include "component/frame.h"

namespace zolt::component {

HRESULT ZOLT::gVerifica_Data_Atual(Variant& OutVntData_Atual, Variant& invntUsuario_Internet_ID, Variant& InVntConecta_DB, Variant& outvntMsg_Ret, Variant& InVntBanco_Dados, bool& result) {
    return com::E_NOTIMPL;
}

}  // namespace zolt::component
