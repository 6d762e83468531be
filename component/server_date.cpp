// gVerifica_Data_Atual: the database server's current date as dd/mm/yyyy.
#include "component/frame.h"

namespace zolt::component {

namespace {
constexpr std::string_view kDateUnavailable = "Erro na verificação da data atual.";
}  // namespace

HRESULT ZOLT::gVerifica_Data_Atual(Variant& OutVntData_Atual, Variant& invntUsuario_Internet_ID,
                                   Variant& InVntConecta_DB, Variant& outvntMsg_Ret, Variant& InVntBanco_Dados,
                                   bool& result) {
    start_result(result);
    Handler h("gVerifica_Data_Atual", kItemUnavailable, TrailerForm::Public, invntUsuario_Internet_ID, outvntMsg_Ret);
    return h.run([&] {
        h.step(10);
        h.statement =
            is_oracle(InVntBanco_Dados) ? "Select Sysdate as Data From Infra_IDS " : "Select Getdate() as Data ";

        h.step(20);
        auto answer = open_statement(Style::WriteReadBack, h.statement, InVntConecta_DB);

        h.step(30);
        if (answer->state() == 0 || answer->eof()) {
            outvntMsg_Ret = Variant(kDateUnavailable);
            return;
        }

        h.step(40);
        const Variant date = outside::formatter().TextValue(answer->field_object("Data"));
        OutVntData_Atual = Variant(automation::format(date, "dd/mm/yyyy"));

        h.step(50);
        answer->close();
        result = true;
    });
}

}  // namespace zolt::component
