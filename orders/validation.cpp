// mConsiste_Campos_Pedido: checks the inputs of an order write, field by
// field, before anything is written; the first refusal decides.
#include "component/frame.h"

namespace zolt::component {

namespace {

constexpr std::string_view kOrderRequired = "Informe o pedido.";
constexpr std::string_view kSupplierRequired = "Informe o fornecedor.";
constexpr std::string_view kPlantRequired = "Informe a planta.";

}  // namespace

HRESULT ZOLT::mConsiste_Campos_Pedido(Variant& InVntPedido_ID, Variant& InVntTab_Status_ID,
                                      Variant& InVntNum_Pedido_Externo, Variant& InVntFornecedor_ID,
                                      Variant& OutVntPedido_ID, Variant& invntUsuario_Internet_ID,
                                      Variant& InVntConecta_DB, Variant& outvntMsg_Ret, Variant& InVntBanco_Dados,
                                      Variant& InVntFlag_Acao, Variant& InVntCliente_ID, bool& result) {
    start_result(result);
    Handler h("mConsiste_Campos_Pedido", kOrderUnavailable, TrailerForm::Validation, invntUsuario_Internet_ID,
              outvntMsg_Ret);
    return h.run([&] {
        h.step(10);
        // The action flag: "A" update, "E" deletion, anything else insertion.
        const auto action = [&] { return automation::trim(text(outside::formatter().TextValue(InVntFlag_Acao))); };

        h.step(20);
        const bool update = action() == "A";
        const bool deletion = action() == "E";
        if (update || deletion) {
            h.step(30);
            if (!required_number("Pedido", InVntPedido_ID, invntUsuario_Internet_ID, outvntMsg_Ret)) {
                outvntMsg_Ret = Variant(kOrderRequired);
                return;
            }
            h.step(40);
            if (action() == "E") {
                result = true;
                return;
            }
        }

        h.step(50);
        Variant number_label("N.º Programação"), max_length(int16_t{20}), required("S");
        if (!outside::validator().CheckText(number_label, InVntNum_Pedido_Externo, max_length,
                                            invntUsuario_Internet_ID, outvntMsg_Ret, required))
            return;

        h.step(60);
        if (!required_number("Fornecedor", InVntFornecedor_ID, invntUsuario_Internet_ID, outvntMsg_Ret)) {
            outvntMsg_Ret = Variant(kSupplierRequired);
            return;
        }

        h.step(70);
        if (!required_number("Planta", InVntCliente_ID, invntUsuario_Internet_ID, outvntMsg_Ret)) {
            outvntMsg_Ret = Variant(kPlantRequired);
            return;
        }

        h.step(80);
        bool unique = false;
        check(self().gVerifica_Duplicidade_PEDIDO(InVntPedido_ID, InVntNum_Pedido_Externo, InVntFornecedor_ID,
                                                  invntUsuario_Internet_ID, InVntConecta_DB, outvntMsg_Ret,
                                                  InVntBanco_Dados, unique));
        h.step(90);
        if (unique)
            result = true;
    });
}

}  // namespace zolt::component
