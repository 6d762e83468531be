// caller DB: reads order 1 through a call by names and prints what came back.
#include <tvrzolt22.h>

#include <iostream>

using namespace zolt;
using automation::to_text;
using automation::Variant;

int main(int, char** argv) {
    Variant connection(automation::ObjectPtr(
        std::make_shared<ado::Connection>(std::string("Provider=SQLite;Data Source=") + argv[1])));
    com::IDispatch* object = com::create_object("TvrZOLT22.ZOLT");
    com::NamedCall read(*object, *object->GetTypeInfo().find("gConsulta_Campos_PEDIDO"));
    read.set("InVntPedido_ID", 1);
    read.set("InVntConecta_DB", connection);
    read.set("InVntBanco_Dados", "ORACLE");
    Variant result;
    com::ExcepInfo failure;
    com::raise_on_failure(read.invoke(&result, &failure));  // an error ends the program with its text
    std::cout << "gConsulta_Campos_PEDIDO " << to_text(result);
    for (const char* name : {"OutVntNum_Pedido_Externo", "OutVntFornecedor", "OutVntCliente"})
        std::cout << " | " << to_text(read.arguments()[com::parameter_position(read.method(), name)]);
    std::cout << '\n';
    object->Release();
}
