// caller DB: reads order 1 through a call by names, then asks for the server
// date through a call by DISPID, and prints what came back.
#include <tvrzolt22.h>

#include <iostream>

using namespace zolt;
using automation::Variant;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: caller DB\n";
        return 2;
    }
    try {
        Variant connection(automation::ObjectPtr(
            std::make_shared<ado::Connection>(std::string("Provider=SQLite;Data Source=") + argv[1])));
        com::IDispatch* object = com::create_object("TvrZOLT22.ZOLT");
        const com::InterfaceInfo& info = object->GetTypeInfo();

        com::NamedCall read(*object, *info.find("gConsulta_Campos_PEDIDO"));
        read.set("InVntPedido_ID", 1);
        read.set("InVntConecta_DB", connection);
        read.set("InVntBanco_Dados", "ORACLE");
        Variant result;
        com::ExcepInfo failure;
        com::raise_on_failure(read.invoke(&result, &failure));
        std::cout << "gConsulta_Campos_PEDIDO " << automation::to_text(result);
        for (const char* name : {"OutVntNum_Pedido_Externo", "OutVntFornecedor", "OutVntCliente"})
            std::cout << " | " << automation::to_text(read.arguments()[com::parameter_position(read.method(), name)]);
        std::cout << '\n';

        // By DISPID, with the arguments by position: OutVntData_Atual,
        // invntUsuario_Internet_ID, InVntConecta_DB, outvntMsg_Ret, InVntBanco_Dados.
        std::vector<Variant> arguments{Variant(), Variant::long_(1), connection, Variant(), Variant("SQLSERVER")};
        com::DispParams params;
        for (auto& argument : arguments) params.positional.push_back(&argument);
        std::vector<com::DISPID> ids;
        com::raise_on_failure(object->GetIDsOfNames({"gverifica_data_atual"}, ids));
        com::raise_on_failure(object->Invoke(ids[0], params, &result, &failure));
        std::cout << "gVerifica_Data_Atual " << automation::to_text(result) << " | "
                  << (arguments[0] == Variant(automation::format(Variant(automation::now()), "dd/mm/yyyy"))
                          ? "today"
                          : automation::to_text(arguments[0]))
                  << '\n';
        object->Release();
    } catch (const automation::AutomationError& error) {
        std::cerr << "caller: " << error.number() << ' ' << error.description() << '\n';
        return 1;
    }
    return 0;
}
