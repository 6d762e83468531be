// The ZOLT class and its dual interface _ZOLT: sixteen public methods in
// interface order, and the eleven private dialect emulations.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/automation/variant.h"
#include "platform/com/dispatch.h"

namespace zolt::component {

using automation::Variant;
using com::HRESULT;

inline const com::Guid kLibId = com::Guid::from("{A7C63F8E-E019-11D6-AA31-0002440A28C8}");
inline const com::Guid kClsidZOLT = com::Guid::from("{A7C63F8D-E019-11D6-AA31-0002440A28C8}");
inline const com::Guid kIID_ZOLT = com::Guid::from("{A7C63F8C-E019-11D6-AA31-0002440A28C8}");
inline constexpr const char* kProgId = "TvrZOLT22.ZOLT";

// Every parameter is a Variant by reference; the last one receives the
// result (a Boolean or a Variant). A method reports S_OK for every business
// outcome; a failing status only when its error handler itself failed.
class _ZOLT : public com::IDispatch {
public:
    virtual HRESULT gVerifica_Duplicidade_PEDIDO_ITEM(Variant& InVntPedido_Item_ID, Variant& InVntPeca_ID,
                                                      Variant& InVntPedido_ID, Variant& invntUsuario_Internet_ID,
                                                      Variant& InVntConecta_DB, Variant& outvntMsg_Ret,
                                                      Variant& InVntBanco_Dados, bool& result) = 0;
    virtual HRESULT gExclui_Campos_PEDIDO_ITEM(Variant& InVntPedido_Item_ID, Variant& invntUsuario_Internet_ID,
                                               Variant& InVntConecta_DB, Variant& outvntMsg_Ret,
                                               Variant& InVntBanco_Dados, Variant& result) = 0;
    virtual HRESULT gConsulta_Campos_LIS_PEDIDO_ITEM(
        Variant& InVntPedido_ID, Variant& OutArrVntData_Embarque, Variant& OutArrVntPeca_ID,
        Variant& OutArrVntPedido_ID, Variant& OutArrVntPedido_Item_ID, Variant& OutArrVntQtde_Pedida,
        Variant& OutArrVntCod_Peca, Variant& OutVntTam_Arr_Resposta, Variant& invntUsuario_Internet_ID,
        Variant& InVntConecta_DB, Variant& outvntMsg_Ret, Variant& InVntBanco_Dados, Variant& result) = 0;
    virtual HRESULT gConsulta_Campos_PEDIDO_ITEM(Variant& InVntPedido_Item_ID, Variant& OutVntData_Embarque,
                                                 Variant& OutVntPeca_ID, Variant& OutVntPedido_ID,
                                                 Variant& OutVntQtde_Pedida, Variant& OutVntCod_Peca,
                                                 Variant& invntUsuario_Internet_ID, Variant& InVntConecta_DB,
                                                 Variant& outvntMsg_Ret, Variant& InVntBanco_Dados,
                                                 Variant& result) = 0;
    virtual HRESULT gConsulta_Status_PEDIDO_ITEM(Variant& InVntPedido_Item_ID, Variant& OutVntTab_Status_ID,
                                                 Variant& invntUsuario_Internet_ID, Variant& InVntConecta_DB,
                                                 Variant& outvntMsg_Ret, Variant& InVntBanco_Dados,
                                                 Variant& result) = 0;
    virtual HRESULT mVerifica_Dupli_Pedido_Item_Fornecedor(Variant& InVntPedido_Item_ID, Variant& InVntPedido_ID,
                                                           Variant& InVntData, Variant& invntUsuario_Internet_ID,
                                                           Variant& InVntConecta_DB, Variant& outvntMsg_Ret,
                                                           Variant& InVntBanco_Dados, bool& result) = 0;
    virtual HRESULT gAltera_Campos_PEDIDO_ITEM(Variant& InVntPedido_Item_ID, Variant& InVntData_Embarque,
                                               Variant& InVntPeca_ID, Variant& InVntPedido_ID,
                                               Variant& InVntQtde_Pedida, Variant& invntUsuario_Internet_ID,
                                               Variant& InVntConecta_DB, Variant& outvntMsg_Ret,
                                               Variant& InVntBanco_Dados, Variant& result) = 0;
    virtual HRESULT gVerifica_Data_Atual(Variant& OutVntData_Atual, Variant& invntUsuario_Internet_ID,
                                         Variant& InVntConecta_DB, Variant& outvntMsg_Ret,
                                         Variant& InVntBanco_Dados, bool& result) = 0;
    virtual HRESULT gInclui_Campos_PEDIDO_ITEM(Variant& InVntData_Embarque, Variant& InVntPeca_ID,
                                               Variant& InVntPedido_ID, Variant& InVntQtde_Pedida,
                                               Variant& OutVntPedido_Item_ID, Variant& invntUsuario_Internet_ID,
                                               Variant& InVntConecta_DB, Variant& outvntMsg_Ret,
                                               Variant& InVntBanco_Dados, Variant& result) = 0;
    virtual HRESULT gConsulta_Campos_PEDIDO(Variant& InVntPedido_ID, Variant& OutVntNum_Pedido_Externo,
                                            Variant& OutVntFornecedor_ID, Variant& OutVntFornecedor,
                                            Variant& invntUsuario_Internet_ID, Variant& InVntConecta_DB,
                                            Variant& outvntMsg_Ret, Variant& InVntBanco_Dados,
                                            Variant& OutVntCliente_ID, Variant& OutVntCliente, Variant& result) = 0;
    virtual HRESULT gExclui_Campos_PEDIDO(Variant& InVntPedido_ID, Variant& invntUsuario_Internet_ID,
                                          Variant& InVntConecta_DB, Variant& outvntMsg_Ret,
                                          Variant& InVntBanco_Dados, Variant& result) = 0;
    virtual HRESULT gInclui_Campos_PEDIDO(Variant& InVntTab_Status_ID, Variant& InVntNum_Pedido_Externo,
                                          Variant& InVntFornecedor_ID, Variant& OutVntPedido_ID,
                                          Variant& invntUsuario_Internet_ID, Variant& InVntConecta_DB,
                                          Variant& outvntMsg_Ret, Variant& InVntBanco_Dados,
                                          Variant& InVntCliente_ID, Variant& result) = 0;
    virtual HRESULT gAltera_Campos_PEDIDO(Variant& InVntPedido_ID, Variant& InVntTab_Status_ID,
                                          Variant& InVntNum_Pedido_Externo, Variant& InVntFornecedor_ID,
                                          Variant& OutVntPedido_ID, Variant& invntUsuario_Internet_ID,
                                          Variant& InVntConecta_DB, Variant& outvntMsg_Ret,
                                          Variant& InVntBanco_Dados, Variant& InVntCliente_ID,
                                          Variant& result) = 0;
    virtual HRESULT mConsiste_Campos_Pedido(Variant& InVntPedido_ID, Variant& InVntTab_Status_ID,
                                            Variant& InVntNum_Pedido_Externo, Variant& InVntFornecedor_ID,
                                            Variant& OutVntPedido_ID, Variant& invntUsuario_Internet_ID,
                                            Variant& InVntConecta_DB, Variant& outvntMsg_Ret,
                                            Variant& InVntBanco_Dados, Variant& InVntFlag_Acao,
                                            Variant& InVntCliente_ID, bool& result) = 0;
    virtual HRESULT mConsiste_Campos_Pedido_Item(Variant& InVntPedido_Item_ID, Variant& InVntData_Embarque,
                                                 Variant& InVntPeca_ID, Variant& InVntPedido_ID,
                                                 Variant& InVntQtde_Pedida, Variant& invntUsuario_Internet_ID,
                                                 Variant& InVntConecta_DB, Variant& outvntMsg_Ret,
                                                 Variant& InVntBanco_Dados, Variant& InVntFlag_Acao,
                                                 bool& result) = 0;
    virtual HRESULT gVerifica_Duplicidade_PEDIDO(Variant& InVntPedido_ID, Variant& InVntNum_Pedido_Externo,
                                                 Variant& InVntFornecedor_ID, Variant& invntUsuario_Internet_ID,
                                                 Variant& InVntConecta_DB, Variant& outvntMsg_Ret,
                                                 Variant& InVntBanco_Dados, bool& result) = 0;

protected:
    ~_ZOLT() = default;
};

// The interface description: names, DISPIDs (0x60030000 upward, in interface
// order), result kinds and parameter names.
const com::InterfaceInfo& zolt_interface();

// Live objects and server locks of the library, for DllCanUnloadNow.
std::atomic<long>& live_objects();
std::atomic<long>& server_locks();

class ZOLT final : public _ZOLT {
public:
    ZOLT();
    ZOLT(const ZOLT&) = delete;
    ZOLT& operator=(const ZOLT&) = delete;

    // IUnknown
    HRESULT QueryInterface(const com::Guid& iid, void** out) override;
    uint32_t AddRef() override;
    uint32_t Release() override;
    // IDispatch
    const com::InterfaceInfo& GetTypeInfo() override;
    HRESULT GetIDsOfNames(const std::vector<std::string>& names, std::vector<com::DISPID>& ids) override;
    HRESULT Invoke(com::DISPID member, com::DispParams& params, Variant* result, com::ExcepInfo* excep) override;

    // _ZOLT: each defined in its own source file under orders/, items/ or component/.
    HRESULT gVerifica_Duplicidade_PEDIDO_ITEM(Variant& InVntPedido_Item_ID, Variant& InVntPeca_ID,
                                              Variant& InVntPedido_ID, Variant& invntUsuario_Internet_ID,
                                              Variant& InVntConecta_DB, Variant& outvntMsg_Ret,
                                              Variant& InVntBanco_Dados, bool& result) override;
    HRESULT gExclui_Campos_PEDIDO_ITEM(Variant& InVntPedido_Item_ID, Variant& invntUsuario_Internet_ID,
                                       Variant& InVntConecta_DB, Variant& outvntMsg_Ret, Variant& InVntBanco_Dados,
                                       Variant& result) override;
    HRESULT gConsulta_Campos_LIS_PEDIDO_ITEM(Variant& InVntPedido_ID, Variant& OutArrVntData_Embarque,
                                             Variant& OutArrVntPeca_ID, Variant& OutArrVntPedido_ID,
                                             Variant& OutArrVntPedido_Item_ID, Variant& OutArrVntQtde_Pedida,
                                             Variant& OutArrVntCod_Peca, Variant& OutVntTam_Arr_Resposta,
                                             Variant& invntUsuario_Internet_ID, Variant& InVntConecta_DB,
                                             Variant& outvntMsg_Ret, Variant& InVntBanco_Dados,
                                             Variant& result) override;
    HRESULT gConsulta_Campos_PEDIDO_ITEM(Variant& InVntPedido_Item_ID, Variant& OutVntData_Embarque,
                                         Variant& OutVntPeca_ID, Variant& OutVntPedido_ID,
                                         Variant& OutVntQtde_Pedida, Variant& OutVntCod_Peca,
                                         Variant& invntUsuario_Internet_ID, Variant& InVntConecta_DB,
                                         Variant& outvntMsg_Ret, Variant& InVntBanco_Dados,
                                         Variant& result) override;
    HRESULT gConsulta_Status_PEDIDO_ITEM(Variant& InVntPedido_Item_ID, Variant& OutVntTab_Status_ID,
                                         Variant& invntUsuario_Internet_ID, Variant& InVntConecta_DB,
                                         Variant& outvntMsg_Ret, Variant& InVntBanco_Dados,
                                         Variant& result) override;
    HRESULT mVerifica_Dupli_Pedido_Item_Fornecedor(Variant& InVntPedido_Item_ID, Variant& InVntPedido_ID,
                                                   Variant& InVntData, Variant& invntUsuario_Internet_ID,
                                                   Variant& InVntConecta_DB, Variant& outvntMsg_Ret,
                                                   Variant& InVntBanco_Dados, bool& result) override;
    HRESULT gAltera_Campos_PEDIDO_ITEM(Variant& InVntPedido_Item_ID, Variant& InVntData_Embarque,
                                       Variant& InVntPeca_ID, Variant& InVntPedido_ID, Variant& InVntQtde_Pedida,
                                       Variant& invntUsuario_Internet_ID, Variant& InVntConecta_DB,
                                       Variant& outvntMsg_Ret, Variant& InVntBanco_Dados,
                                       Variant& result) override;
    HRESULT gVerifica_Data_Atual(Variant& OutVntData_Atual, Variant& invntUsuario_Internet_ID,
                                 Variant& InVntConecta_DB, Variant& outvntMsg_Ret, Variant& InVntBanco_Dados,
                                 bool& result) override;
    HRESULT gInclui_Campos_PEDIDO_ITEM(Variant& InVntData_Embarque, Variant& InVntPeca_ID, Variant& InVntPedido_ID,
                                       Variant& InVntQtde_Pedida, Variant& OutVntPedido_Item_ID,
                                       Variant& invntUsuario_Internet_ID, Variant& InVntConecta_DB,
                                       Variant& outvntMsg_Ret, Variant& InVntBanco_Dados,
                                       Variant& result) override;
    HRESULT gConsulta_Campos_PEDIDO(Variant& InVntPedido_ID, Variant& OutVntNum_Pedido_Externo,
                                    Variant& OutVntFornecedor_ID, Variant& OutVntFornecedor,
                                    Variant& invntUsuario_Internet_ID, Variant& InVntConecta_DB,
                                    Variant& outvntMsg_Ret, Variant& InVntBanco_Dados, Variant& OutVntCliente_ID,
                                    Variant& OutVntCliente, Variant& result) override;
    HRESULT gExclui_Campos_PEDIDO(Variant& InVntPedido_ID, Variant& invntUsuario_Internet_ID,
                                  Variant& InVntConecta_DB, Variant& outvntMsg_Ret, Variant& InVntBanco_Dados,
                                  Variant& result) override;
    HRESULT gInclui_Campos_PEDIDO(Variant& InVntTab_Status_ID, Variant& InVntNum_Pedido_Externo,
                                  Variant& InVntFornecedor_ID, Variant& OutVntPedido_ID,
                                  Variant& invntUsuario_Internet_ID, Variant& InVntConecta_DB,
                                  Variant& outvntMsg_Ret, Variant& InVntBanco_Dados, Variant& InVntCliente_ID,
                                  Variant& result) override;
    HRESULT gAltera_Campos_PEDIDO(Variant& InVntPedido_ID, Variant& InVntTab_Status_ID,
                                  Variant& InVntNum_Pedido_Externo, Variant& InVntFornecedor_ID,
                                  Variant& OutVntPedido_ID, Variant& invntUsuario_Internet_ID,
                                  Variant& InVntConecta_DB, Variant& outvntMsg_Ret, Variant& InVntBanco_Dados,
                                  Variant& InVntCliente_ID, Variant& result) override;
    HRESULT mConsiste_Campos_Pedido(Variant& InVntPedido_ID, Variant& InVntTab_Status_ID,
                                    Variant& InVntNum_Pedido_Externo, Variant& InVntFornecedor_ID,
                                    Variant& OutVntPedido_ID, Variant& invntUsuario_Internet_ID,
                                    Variant& InVntConecta_DB, Variant& outvntMsg_Ret, Variant& InVntBanco_Dados,
                                    Variant& InVntFlag_Acao, Variant& InVntCliente_ID, bool& result) override;
    HRESULT mConsiste_Campos_Pedido_Item(Variant& InVntPedido_Item_ID, Variant& InVntData_Embarque,
                                         Variant& InVntPeca_ID, Variant& InVntPedido_ID, Variant& InVntQtde_Pedida,
                                         Variant& invntUsuario_Internet_ID, Variant& InVntConecta_DB,
                                         Variant& outvntMsg_Ret, Variant& InVntBanco_Dados,
                                         Variant& InVntFlag_Acao, bool& result) override;
    HRESULT gVerifica_Duplicidade_PEDIDO(Variant& InVntPedido_ID, Variant& InVntNum_Pedido_Externo,
                                         Variant& InVntFornecedor_ID, Variant& invntUsuario_Internet_ID,
                                         Variant& InVntConecta_DB, Variant& outvntMsg_Ret,
                                         Variant& InVntBanco_Dados, bool& result) override;

private:
    ~ZOLT();

    // The object's own interface, for calls from one method to another.
    _ZOLT& self() { return *this; }

    // Dialect emulations: each builds the statement the public method opens in
    // place of the procedure's answer; the write ones run their INSERT or
    // UPDATE first. All parameters by reference, as the public method passes them.
    bool mTrataSP_QBX_DUP_PEDIDO_ITEM_OLT1(std::string& kind, std::string& connection, int32_t& peca_id,
                                           int32_t& pedido_id, int32_t& pedido_item_id, std::string& statement,
                                           Variant& message, Variant& user_text);
    bool mTrataSP_QBX_EXC_PEDIDO_ITEM_OLT1(std::string& kind, std::string& connection, int32_t& pedido_item_id,
                                           int32_t& user_id, std::string& statement, Variant& message,
                                           Variant& user_text);
    bool mTrataSP_QBX_CON_LIS_PED_ITEM_OLT1(std::string& kind, std::string& connection, int32_t& pedido_id,
                                            std::string& statement, Variant& message, Variant& user_text);
    bool mTrataSP_QBX_CON_PEDIDO_ITEM_OLT1(std::string& kind, std::string& connection, int32_t& pedido_item_id,
                                           std::string& statement, Variant& message, Variant& user_text);
    bool mTrataSP_QBX_ALT_PEDIDO_ITEM_OLT1(std::string& kind, std::string& connection, int32_t& pedido_item_id,
                                           std::string& data_embarque, int32_t& peca_id, int32_t& pedido_id,
                                           int32_t& qtde_pedida, int32_t& one, int32_t& user_id,
                                           std::string& statement, Variant& message, Variant& user_text);
    bool mTrataSP_QBX_INC_PEDIDO_ITEM_OLT1(std::string& kind, std::string& connection, std::string& data_embarque,
                                           int32_t& peca_id, int32_t& pedido_id, int32_t& qtde_pedida,
                                           int32_t& one, int32_t& user_id, std::string& statement,
                                           Variant& message, Variant& user_text);
    bool mTrataSP_QBX_CON_PEDIDO_OLT1(std::string& kind, std::string& connection, int32_t& pedido_id,
                                      std::string& statement, Variant& message, Variant& user_text);
    bool mTrataSP_QBX_EXC_PEDIDO_OLT1(std::string& kind, std::string& connection, int32_t& pedido_id,
                                      int32_t& user_id, std::string& statement, Variant& message,
                                      Variant& user_text);
    bool mTrataSP_QBX_INC_PEDIDO_OLT1(std::string& kind, std::string& connection, int32_t& status,
                                      std::string& num_pedido_externo, int32_t& fornecedor_id, int32_t& user_id,
                                      std::string& statement, Variant& message, Variant& user_text,
                                      int32_t& cliente_id);
    bool mTrataSP_QBX_ALT_PEDIDO_OLT1(std::string& kind, std::string& connection, int32_t& pedido_id,
                                      int32_t& status, std::string& num_pedido_externo, int32_t& fornecedor_id,
                                      int32_t& user_id, std::string& statement, Variant& message,
                                      Variant& user_text, int32_t& cliente_id);
    bool mTrataSP_QBX_DUP_PEDIDO_OLT1(std::string& kind, std::string& connection, std::string& num_pedido_externo,
                                      int32_t& fornecedor_id, int32_t& pedido_id, std::string& statement,
                                      Variant& message, Variant& user_text);

    std::atomic<uint32_t> references_{1};
};

}  // namespace zolt::component
