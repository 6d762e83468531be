// gVerifica_Data_Atual: the database server's current date as dd/mm/yyyy.
#include "component/frame.h"

namespace zolt::component {

namespace {
constexpr std::string_view kDateUnavailable = "Erro na verificação da data atual.";
}  // namespace

HRESULT ZOLT::gVerifica_Data_Atual(Variant& OutVntData_Atual, Variant& invntUsuario_Internet_ID,
                                   Variant& InVntConecta_DB, Variant& outvntMsg_Ret, Variant& InVntBanco_Dados,
                                   bool& result) {
    Handler handler("gVerifica_Data_Atual", kItemUnavailable, TrailerForm::Public, invntUsuario_Internet_ID,
                    outvntMsg_Ret);
    return handler.run([&] {
        handler.step(10);
        result = false;

        handler.step(20);
        handler.statement = is_oracle(InVntBanco_Dados) ? "Select Sysdate as Data From Infra_IDS "
                                                        : "Select Getdate() as Data ";

        handler.step(30);
        auto answer = open_statement(Style::WriteReadBack, handler.statement, InVntConecta_DB);

        handler.step(40);
        if (answer->state() == 0 || answer->eof()) {
            outvntMsg_Ret = Variant(kDateUnavailable);
            return;
        }

        handler.step(50);
        const Variant date = outside::formatter().TextValue(answer->field_object("Data"));
        OutVntData_Atual = Variant(automation::format(date, "dd/mm/yyyy"));

        handler.step(60);
        answer->close();
        result = true;
    });
}

}  // namespace zolt::component
