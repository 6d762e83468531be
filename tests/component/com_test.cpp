// The object runtime and the ZOLT object as late-bound callers and the
// loader see them: error info, the class table, the interface description,
// GetIDsOfNames and Invoke, the class factory and unload check, and
// registration and creation by ProgID through the registry file.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "component/exports.h"
#include "component/interface_table.h"
#include "component/zolt.h"
#include "platform/com/registry.h"
#include "tests/support/helpers.h"

namespace zolt::component {
namespace {

using com::DISPID;
using com::Guid;

constexpr DISPID kServerDate = 0x60030007;

using test::error_number;

// ---- Error info and the class table ----------------------------------

// A failing call's error info is raised once by the calling method, or handed
// to a late-bound caller as an exception; without info the status speaks.
TEST(ErrorInfo, TravelsOnceFromAFailingCallToItsCaller) {
    EXPECT_NO_THROW(com::raise_on_failure(com::S_FALSE));
    com::set_error_info({6, "Overflow", "Somewhere"});
    EXPECT_EQ(test::error_text([] { com::raise_on_failure(com::E_FAIL); }), "6|Overflow|Somewhere");
    EXPECT_EQ(error_number([] { com::raise_on_failure(com::E_NOTIMPL); }), com::E_NOTIMPL);

    com::ExcepInfo excep;
    com::set_error_info({91, "Object variable not set", ""});
    EXPECT_EQ(exception_status(com::E_FAIL, &excep), com::DISP_E_EXCEPTION);
    EXPECT_EQ(excep.number, 91);
    EXPECT_EQ(excep.description, "Object variable not set");
    EXPECT_EQ(excep.source, kProgId);
    EXPECT_EQ(exception_status(com::E_NOTIMPL, &excep), com::DISP_E_EXCEPTION);
    EXPECT_EQ(excep.description, "Not implemented");
    com::set_error_info({5, "Invalid procedure call", "SqlFormatter"});
    EXPECT_EQ(exception_status(com::E_FAIL, nullptr), com::DISP_E_EXCEPTION);
    EXPECT_EQ(com::take_error_info().number, 0);  // taken even when nobody asked for it
}

struct Thing : com::Unknown {};
struct Other : com::Unknown {};

TEST(ClassTable, RefusesUnknownClassesAndInterfaces) {
    const Guid clsid = Guid::from("{11111111-2222-3333-4444-555555555555}");
    com::register_class(clsid, [] { return std::make_shared<Thing>(); });
    EXPECT_EQ(error_number([&] { com::create_instance_as<Other>(clsid); }), 430);
    com::unregister_class(clsid);
    EXPECT_EQ(error_number([&] { com::create_instance(clsid); }), 429);
}

// ---- The interface description ------------------------------------------------

// Methods in interface order with DISPIDs counting up; every one takes the
// four common arguments once; the client arguments stand after the kind.
TEST(Interface, ListsTheSixteenMethodsInOrder) {
    const auto& info = zolt_interface();
    EXPECT_EQ(info.name, "_ZOLT");
    EXPECT_EQ(info.iid, kIID_ZOLT);
    ASSERT_EQ(info.methods.size(), 16u);
    std::string kinds;
    for (std::size_t i = 0; i < info.methods.size(); ++i) {
        EXPECT_EQ(info.methods[i].dispid, 0x60030000 + static_cast<DISPID>(i));
        kinds += info.methods[i].result_kind.front();
        for (const char* common :
             {"invntUsuario_Internet_ID", "InVntConecta_DB", "outvntMsg_Ret", "InVntBanco_Dados"})
            EXPECT_EQ(std::ranges::count(info.methods[i].parameters, common), 1)
                << info.methods[i].name << common;
    }
    EXPECT_EQ(kinds, "BVVVVBVBVVVVVBBB");
    EXPECT_EQ(info.find(0x6003000A)->name, "gExclui_Campos_PEDIDO");
}

// ---- The object: identity, names and calls --------------------------------------

class ZoltObject : public test::ComponentTest {
protected:
    com::IDispatch* object = &zolt();
};

TEST_F(ZoltObject, AnswersItsThreeInterfacesOnly) {
    for (const Guid& iid : {com::kIID_IUnknown, com::kIID_IDispatch, kIID_ZOLT}) {
        void* out = nullptr;
        ASSERT_EQ(object->QueryInterface(iid, &out), com::S_OK);
        static_cast<com::IUnknown*>(out)->Release();
    }
    void* out = &out;
    EXPECT_EQ(object->QueryInterface(com::kIID_IClassFactory, &out), com::E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(object->QueryInterface(kIID_ZOLT, nullptr), com::E_POINTER);
}

TEST_F(ZoltObject, ResolvesNamesInAnyLetterCase) {
    std::vector<DISPID> ids;
    EXPECT_EQ(object->GetIDsOfNames(
                  {"GVERIFICA_DATA_ATUAL", "outvntmsg_ret", "InVntBanco_Dados", "OUTVNTDATA_ATUAL"}, ids),
              com::S_OK);
    EXPECT_EQ(ids, (std::vector<DISPID>{kServerDate, 3, 4, 0}));

    EXPECT_EQ(object->GetIDsOfNames({"gVerifica_Data_Atual", "InVntPedido_ID", "outvntMsg_Ret"}, ids),
              com::DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids, (std::vector<DISPID>{kServerDate, -1, 3}));
    EXPECT_EQ(object->GetIDsOfNames({"gNada", "outvntMsg_Ret"}, ids), com::DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids, (std::vector<DISPID>{-1, -1}));
}

// Invoke refuses calls that do not fit the method. Positional arguments
// reach the parameters in order; named ones left out are Empty (here the
// connection, so the method's handler reports it).
TEST_F(ZoltObject, InvokesByPositionOrByNameWhatFitsTheMethod) {
    Variant a, b, c, d, e, f;
    struct Call {
        DISPID member;
        com::DispParams params;
        com::HRESULT status;
    };
    std::vector<Call> refused{
        {kServerDate, {{&a, &b, &c}, {{3, &d}, {4, &e}, {0, &f}}}, com::DISP_E_BADPARAMCOUNT},
        {kServerDate, {{}, {{5, &a}}}, com::DISP_E_PARAMNOTFOUND},
        {kServerDate, {{&a}, {{0, &b}}}, com::DISP_E_PARAMNOTFOUND},
        {0x60030010, {}, com::DISP_E_MEMBERNOTFOUND},
    };
    for (Call& call : refused)
        EXPECT_EQ(object->Invoke(call.member, call.params, nullptr, nullptr), call.status) << call.member;

    Variant user = Variant::long_(2), kind = sql_server();
    Variant date, message("as passed"), result;
    com::DispParams positional{{&date, &user, &connection, &message, &kind}, {}};
    ASSERT_EQ(object->Invoke(kServerDate, positional, &result, nullptr), com::S_OK);
    EXPECT_EQ(result, Variant(true));
    EXPECT_EQ(date, Variant(automation::format(Variant(automation::now()), "dd/mm/yyyy")));
    EXPECT_EQ(message, Variant("as passed"));

    com::DispParams left_out{{}, {{1, &user}, {3, &message}}};
    ASSERT_EQ(object->Invoke(kServerDate, left_out, &result, nullptr), com::S_OK);
    EXPECT_EQ(result, Variant(false));
    EXPECT_EQ(message, Variant("Acesso ao item do pedido não disponível.Favor tentar mais tarde."));
}

// ---- Class factory and unloading ---------------------------------------------------

// The factory makes ZOLT objects only, and the library may be unloaded only
// when no object and no lock lives.
TEST(Exports, OffersAFactoryForZoltOnlyAndStaysLoadedWhileUsed) {
    void* out = &out;
    const Guid other = Guid::from("{A7C63F8E-E019-11D6-AA31-0002440A28C8}");
    EXPECT_EQ(DllGetClassObject(&other, &com::kIID_IClassFactory, &out), com::CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);

    ASSERT_EQ(DllCanUnloadNow(), com::S_OK);
    com::IClassFactory* factory = nullptr;
    ASSERT_EQ(DllGetClassObject(&kClsidZOLT, &com::kIID_IClassFactory, reinterpret_cast<void**>(&factory)),
              com::S_OK);
    auto* outer = reinterpret_cast<com::IUnknown*>(factory);
    EXPECT_EQ(factory->CreateInstance(outer, com::kIID_IUnknown, &out), com::CLASS_E_NOAGGREGATION);
    EXPECT_EQ(factory->CreateInstance(nullptr, com::kIID_IClassFactory, &out), com::E_NOINTERFACE);
    EXPECT_EQ(live_objects(), 0);  // the refused object did not stay alive
    factory->LockServer(true);
    EXPECT_EQ(DllCanUnloadNow(), com::S_FALSE);
    factory->LockServer(false);
    factory->Release();
    EXPECT_EQ(DllCanUnloadNow(), com::S_OK);

    com::IDispatch* object = test::new_zolt();
    EXPECT_EQ(live_objects(), 1);
    object->AddRef();
    object->Release();
    EXPECT_EQ(DllCanUnloadNow(), com::S_FALSE);
    object->Release();
    EXPECT_EQ(live_objects(), 0);
    EXPECT_EQ(DllCanUnloadNow(), com::S_OK);
}

// ---- Registration and creation by ProgID ----------------------------------------------

// A registry file of its own in a new folder, for the rest of the process.
class Registry : public ::testing::Test {
protected:
    Registry() {
        std::filesystem::create_directories(folder_);
        ::setenv("ZOLT_REGISTRY", (folder_ / "registry").c_str(), 1);
    }
    ~Registry() override { std::filesystem::remove_all(folder_); }
    const std::filesystem::path folder_ =
        std::filesystem::temp_directory_path() / ("zolt-registry-" + std::to_string(::getpid()));
};

const std::string kClassKey = "CLSID\\" + kClsidZOLT.to_string();
const com::RegistryEntry kForeign{"CLSID\\{00000000-1111-2222-3333-444444444444}\\InprocServer32", "",
                                  "/opt/other = library.so"};

TEST_F(Registry, RegistersAndUnregistersExactlyItsOwnEntries) {
    com::registry::write({kForeign});
    ASSERT_EQ(DllRegisterServer(), com::S_OK);
    ASSERT_EQ(DllRegisterServer(), com::S_OK);  // again: nothing doubles
    const auto entries = com::registry::read();

    auto library = com::registry::value(kClassKey + "\\InprocServer32");
    ASSERT_TRUE(library);
    EXPECT_TRUE(std::filesystem::equivalent(*library, std::string(ZOLT_LIBRARY_DIR) + "/libTvrZOLT22.so"));
    EXPECT_EQ(com::registry::value(kClassKey + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_EQ(com::registry::value(kClassKey + "\\ProgID"), kProgId);
    EXPECT_EQ(com::registry::value(std::string(kProgId) + "\\CLSID"), kClsidZOLT.to_string());
    EXPECT_EQ(com::registry::value("TypeLib\\" + kLibId.to_string() + "\\1.0"), "TvrZOLT22");
    EXPECT_EQ(com::registry::value("Interface\\" + kIID_ZOLT.to_string()), "_ZOLT");
    EXPECT_EQ(com::registry::value("Interface\\" + kIID_ZOLT.to_string() + "\\TypeLib"), kLibId.to_string());
    std::set<std::pair<std::string, std::string>> places;
    for (const auto& entry : entries)
        places.emplace(entry.key, entry.name);
    EXPECT_EQ(places.size(), entries.size());

    // Creation by ProgID, in any letter case, goes through the registered library.
    const long before = live_objects();
    com::IDispatch* object = com::create_object("tvrzolt22.zolt");
    ASSERT_TRUE(object);
    EXPECT_EQ(live_objects(), before + 1);
    EXPECT_EQ(object->GetTypeInfo().name, "_ZOLT");
    object->Release();

    ASSERT_EQ(DllUnregisterServer(), com::S_OK);
    EXPECT_EQ(com::registry::read(), std::vector<com::RegistryEntry>{kForeign});
}

TEST_F(Registry, ExplainsWhyAnObjectCannotBeCreated) {
    auto reason = [](std::string_view progid) {
        return test::error_text([&] { com::create_object(progid)->Release(); });
    };
    EXPECT_TRUE(reason(kProgId).starts_with("429|")) << reason(kProgId);
    EXPECT_NE(reason(kProgId).find("not registered"), std::string::npos);

    const std::string clsid = "{00000000-1111-2222-3333-444444444444}";
    com::registry::write(
        {{"Test.NoClass\\CLSID", "", clsid}, {"Test.Missing\\CLSID", "", kClsidZOLT.to_string()}});
    EXPECT_NE(reason("Test.NoClass").find("no InprocServer32"), std::string::npos);

    com::registry::write({{kClassKey + "\\InprocServer32", "", (folder_ / "libMissing.so").string()}});
    EXPECT_NE(reason("Test.Missing").find("cannot load"), std::string::npos);

    // A real library that is not a server.
    com::registry::write(
        {{kClassKey + "\\InprocServer32", "", std::string(ZOLT_LIBRARY_DIR) + "/libzolt_platform.so"}});
    EXPECT_NE(reason("Test.Missing").find("no export DllGetClassObject"), std::string::npos);
}

}  // namespace
}  // namespace zolt::component
