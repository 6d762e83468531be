// The four exports of libTvrZOLT22.so: the class factory of ZOLT, the unload
// check, and self-registration in the registry file.
#include "component/exports.h"

#include <dlfcn.h>

#include <filesystem>
#include <new>

#include "component/zolt.h"
#include "outside/outside.h"
#include "platform/com/registry.h"
#include "services/services.h"

namespace zolt::component {

namespace {

// The outside components' classes go into the class table as soon as the
// library is loaded, before any object can ask for them.
[[maybe_unused]] const bool services_registered = [] {
    services::register_services();
    return true;
}();

class ZoltFactory final : public com::IClassFactory {
public:
    HRESULT QueryInterface(const com::Guid& iid, void** out) override {
        if (!out) return com::E_POINTER;
        if (iid != com::kIID_IUnknown && iid != com::kIID_IClassFactory) {
            *out = nullptr;
            return com::E_NOINTERFACE;
        }
        *out = static_cast<com::IClassFactory*>(this);
        AddRef();
        return com::S_OK;
    }
    // The factory lives as long as the library; references are only counted.
    uint32_t AddRef() override { return ++references_; }
    uint32_t Release() override { return --references_; }

    HRESULT CreateInstance(com::IUnknown* outer, const com::Guid& iid, void** out) override {
        if (!out) return com::E_POINTER;
        *out = nullptr;
        if (outer) return com::CLASS_E_NOAGGREGATION;
        auto* object = new (std::nothrow) ZOLT;
        if (!object) return com::E_FAIL;
        HRESULT status = object->QueryInterface(iid, out);
        object->Release();  // leaves the object alive only when the caller got a reference
        return status;
    }

    HRESULT LockServer(bool lock) override {
        if (lock)
            ++server_locks();
        else
            --server_locks();
        return com::S_OK;
    }

private:
    std::atomic<uint32_t> references_{0};
};

ZoltFactory& factory() {
    static ZoltFactory instance;
    return instance;
}

constexpr HRESULT kSelfRegistrationFailed = static_cast<HRESULT>(0x80040201);
// The system's standard marshaler for interfaces described by a type library.
constexpr const char* kTypeLibraryMarshaler = "{00020424-0000-0000-C000-000000000046}";

std::string library_path() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&DllRegisterServer), &info) || !info.dli_fname)
        throw automation::AutomationError(53, "Cannot find the path of the TvrZOLT22 library");
    return std::filesystem::absolute(info.dli_fname).string();
}

// What registration writes. Unregistration removes the same keys and names.
std::vector<com::RegistryEntry> registration_entries(const std::string& library) {
    const std::string clsid = "CLSID\\" + kClsidZOLT.to_string();
    const std::string typelib = "TypeLib\\" + kLibId.to_string() + "\\1.0";
    const std::string interface_key = "Interface\\" + kIID_ZOLT.to_string();
    return {
        {clsid, "", kProgId},
        {clsid + "\\InprocServer32", "", library},
        {clsid + "\\InprocServer32", "ThreadingModel", "Apartment"},
        {clsid + "\\ProgID", "", kProgId},
        {clsid + "\\TypeLib", "", kLibId.to_string()},
        {clsid + "\\VERSION", "", "1.0"},
        {kProgId, "", kProgId},
        {std::string(kProgId) + "\\CLSID", "", kClsidZOLT.to_string()},
        {typelib, "", "TvrZOLT22"},
        {typelib + "\\0\\library", "", library},
        {interface_key, "", "_ZOLT"},
        {interface_key + "\\ProxyStubClsid32", "", kTypeLibraryMarshaler},
        {interface_key + "\\TypeLib", "", kLibId.to_string()},
        {interface_key + "\\TypeLib", "Version", "1.0"},
    };
}

template <class Change>
HRESULT change_registration(Change&& change) noexcept {
    try {
        change(registration_entries(library_path()));
        return com::S_OK;
    } catch (const automation::AutomationError& error) {
        com::set_error_info({error.number(), error.description(), kProgId});
    } catch (const std::exception& error) {
        com::set_error_info({51, error.what(), kProgId});
    }
    return kSelfRegistrationFailed;
}

}  // namespace

}  // namespace zolt::component

using namespace zolt;

extern "C" __attribute__((visibility("default"))) com::HRESULT DllGetClassObject(const com::Guid* clsid,
                                                                                  const com::Guid* iid, void** out) {
    if (!out || !clsid || !iid) return com::E_POINTER;
    *out = nullptr;
    if (*clsid != component::kClsidZOLT) return com::CLASS_E_CLASSNOTAVAILABLE;
    return component::factory().QueryInterface(*iid, out);
}

extern "C" __attribute__((visibility("default"))) com::HRESULT DllCanUnloadNow() {
    return component::live_objects() == 0 && component::server_locks() == 0 ? com::S_OK : com::S_FALSE;
}

extern "C" __attribute__((visibility("default"))) com::HRESULT DllRegisterServer() {
    return component::change_registration([](const auto& entries) { com::registry::write(entries); });
}

extern "C" __attribute__((visibility("default"))) com::HRESULT DllUnregisterServer() {
    return component::change_registration([](const auto& entries) { com::registry::remove(entries); });
}
