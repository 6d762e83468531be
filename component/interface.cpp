// The _ZOLT interface table: one row per method, in interface order, giving
// its name, its parameter names and the C++ method it calls. The description
// that GetIDsOfNames and the command line read, and the calls Invoke makes,
// both come from this one table.
#include <cstddef>
#include <tuple>
#include <type_traits>
#include <utility>

#include "component/interface_table.h"

namespace zolt::component {

namespace {

constexpr com::DISPID kFirstDispid = 0x60030000;

template <class Member>
struct MemberTraits;
template <class... Args>
struct MemberTraits<HRESULT (_ZOLT::*)(Args...)> {
    // Every parameter is a Variant; the last argument receives the result.
    static constexpr std::size_t parameter_count = sizeof...(Args) - 1;
    using Result = std::remove_reference_t<std::tuple_element_t<parameter_count, std::tuple<Args...>>>;
    static_assert(std::is_same_v<Result, bool> || std::is_same_v<Result, Variant>);
};

// A Variant result is written where the caller wants it; a Boolean one is
// made a Variant once the method has answered.
template <auto Member>
HRESULT call(_ZOLT& object, Variant* const* arguments, Variant& result) {
    using Traits = MemberTraits<decltype(Member)>;
    return [&]<std::size_t... I>(std::index_sequence<I...>) {
        if constexpr (std::is_same_v<typename Traits::Result, Variant>) {
            return (object.*Member)(*arguments[I]..., result);
        } else {
            bool value = false;
            const HRESULT status = (object.*Member)(*arguments[I]..., value);
            result = Variant(value);
            return status;
        }
    }(std::make_index_sequence<Traits::parameter_count>{});
}

using Row = MethodRow;

// The parameter list's length is checked against the C++ signature when this compiles.
template <auto Member, std::size_t N>
Row row(const char* name, const char* const (&parameters)[N]) {
    using Traits = MemberTraits<decltype(Member)>;
    static_assert(N == Traits::parameter_count, "parameter names do not match the method's signature");
    com::MethodInfo info;
    info.name = name;
    info.result_kind = std::is_same_v<typename Traits::Result, bool> ? "Boolean" : "Variant";
    info.parameters.assign(std::begin(parameters), std::end(parameters));
    return Row{std::move(info), &call<Member>};
}

#define ZOLT_METHOD(name, ...) row<&_ZOLT::name>(#name, {__VA_ARGS__})

std::vector<Row> make_rows() {
    std::vector<Row> rows{
        ZOLT_METHOD(gVerifica_Duplicidade_PEDIDO_ITEM, "InVntPedido_Item_ID", "InVntPeca_ID", "InVntPedido_ID",
                    "invntUsuario_Internet_ID", "InVntConecta_DB", "outvntMsg_Ret", "InVntBanco_Dados"),
        ZOLT_METHOD(gExclui_Campos_PEDIDO_ITEM, "InVntPedido_Item_ID", "invntUsuario_Internet_ID", "InVntConecta_DB",
                    "outvntMsg_Ret", "InVntBanco_Dados"),
        ZOLT_METHOD(gConsulta_Campos_LIS_PEDIDO_ITEM, "InVntPedido_ID", "OutArrVntData_Embarque", "OutArrVntPeca_ID",
                    "OutArrVntPedido_ID", "OutArrVntPedido_Item_ID", "OutArrVntQtde_Pedida", "OutArrVntCod_Peca",
                    "OutVntTam_Arr_Resposta", "invntUsuario_Internet_ID", "InVntConecta_DB", "outvntMsg_Ret",
                    "InVntBanco_Dados"),
        ZOLT_METHOD(gConsulta_Campos_PEDIDO_ITEM, "InVntPedido_Item_ID", "OutVntData_Embarque", "OutVntPeca_ID",
                    "OutVntPedido_ID", "OutVntQtde_Pedida", "OutVntCod_Peca", "invntUsuario_Internet_ID",
                    "InVntConecta_DB", "outvntMsg_Ret", "InVntBanco_Dados"),
        ZOLT_METHOD(gConsulta_Status_PEDIDO_ITEM, "InVntPedido_Item_ID", "OutVntTab_Status_ID",
                    "invntUsuario_Internet_ID", "InVntConecta_DB", "outvntMsg_Ret", "InVntBanco_Dados"),
        ZOLT_METHOD(mVerifica_Dupli_Pedido_Item_Fornecedor, "InVntPedido_Item_ID", "InVntPedido_ID", "InVntData",
                    "invntUsuario_Internet_ID", "InVntConecta_DB", "outvntMsg_Ret", "InVntBanco_Dados"),
        ZOLT_METHOD(gAltera_Campos_PEDIDO_ITEM, "InVntPedido_Item_ID", "InVntData_Embarque", "InVntPeca_ID",
                    "InVntPedido_ID", "InVntQtde_Pedida", "invntUsuario_Internet_ID", "InVntConecta_DB",
                    "outvntMsg_Ret", "InVntBanco_Dados"),
        ZOLT_METHOD(gVerifica_Data_Atual, "OutVntData_Atual", "invntUsuario_Internet_ID", "InVntConecta_DB",
                    "outvntMsg_Ret", "InVntBanco_Dados"),
        ZOLT_METHOD(gInclui_Campos_PEDIDO_ITEM, "InVntData_Embarque", "InVntPeca_ID", "InVntPedido_ID",
                    "InVntQtde_Pedida", "OutVntPedido_Item_ID", "invntUsuario_Internet_ID", "InVntConecta_DB",
                    "outvntMsg_Ret", "InVntBanco_Dados"),
        ZOLT_METHOD(gConsulta_Campos_PEDIDO, "InVntPedido_ID", "OutVntNum_Pedido_Externo", "OutVntFornecedor_ID",
                    "OutVntFornecedor", "invntUsuario_Internet_ID", "InVntConecta_DB", "outvntMsg_Ret",
                    "InVntBanco_Dados", "OutVntCliente_ID", "OutVntCliente"),
        ZOLT_METHOD(gExclui_Campos_PEDIDO, "InVntPedido_ID", "invntUsuario_Internet_ID", "InVntConecta_DB",
                    "outvntMsg_Ret", "InVntBanco_Dados"),
        ZOLT_METHOD(gInclui_Campos_PEDIDO, "InVntTab_Status_ID", "InVntNum_Pedido_Externo", "InVntFornecedor_ID",
                    "OutVntPedido_ID", "invntUsuario_Internet_ID", "InVntConecta_DB", "outvntMsg_Ret",
                    "InVntBanco_Dados", "InVntCliente_ID"),
        ZOLT_METHOD(gAltera_Campos_PEDIDO, "InVntPedido_ID", "InVntTab_Status_ID", "InVntNum_Pedido_Externo",
                    "InVntFornecedor_ID", "OutVntPedido_ID", "invntUsuario_Internet_ID", "InVntConecta_DB",
                    "outvntMsg_Ret", "InVntBanco_Dados", "InVntCliente_ID"),
        ZOLT_METHOD(mConsiste_Campos_Pedido, "InVntPedido_ID", "InVntTab_Status_ID", "InVntNum_Pedido_Externo",
                    "InVntFornecedor_ID", "OutVntPedido_ID", "invntUsuario_Internet_ID", "InVntConecta_DB",
                    "outvntMsg_Ret", "InVntBanco_Dados", "InVntFlag_Acao", "InVntCliente_ID"),
        ZOLT_METHOD(mConsiste_Campos_Pedido_Item, "InVntPedido_Item_ID", "InVntData_Embarque", "InVntPeca_ID",
                    "InVntPedido_ID", "InVntQtde_Pedida", "invntUsuario_Internet_ID", "InVntConecta_DB",
                    "outvntMsg_Ret", "InVntBanco_Dados", "InVntFlag_Acao"),
        ZOLT_METHOD(gVerifica_Duplicidade_PEDIDO, "InVntPedido_ID", "InVntNum_Pedido_Externo", "InVntFornecedor_ID",
                    "invntUsuario_Internet_ID", "InVntConecta_DB", "outvntMsg_Ret", "InVntBanco_Dados"),
    };
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i].info.dispid = kFirstDispid + static_cast<com::DISPID>(i);
    return rows;
}

#undef ZOLT_METHOD

const std::vector<Row>& rows() {
    static const std::vector<Row> table = make_rows();
    return table;
}

}  // namespace

const com::InterfaceInfo& zolt_interface() {
    static const com::InterfaceInfo info = [] {
        com::InterfaceInfo interface_info{"_ZOLT", kIID_ZOLT, {}};
        for (const auto& r : rows()) interface_info.methods.push_back(r.info);
        return interface_info;
    }();
    return info;
}

const MethodRow* method_row(com::DISPID dispid) {
    const auto& table = rows();
    auto index = static_cast<int64_t>(dispid) - kFirstDispid;
    return index >= 0 && index < static_cast<int64_t>(table.size()) ? &table[static_cast<std::size_t>(index)]
                                                                      : nullptr;
}

}  // namespace zolt::component
