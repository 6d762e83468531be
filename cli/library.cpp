// The commands that work on the component library itself: register,
// unregister and methods, and finding the library.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "cli/cli.h"
#include "component/zolt.h"
#include "platform/com/registry.h"

namespace zolt::cli {

namespace {

constexpr const char* kLibraryName = "libTvrZOLT22.so";

std::filesystem::path executable_folder() {
    std::error_code error;
    auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : self.parent_path();
}

std::string failure_text(com::HRESULT status) {
    try {
        com::raise_on_failure(status);
    } catch (const automation::AutomationError& error) {
        return error.description();
    }
    return {};
}

}  // namespace

// $ZOLT_LIBRARY when set; else the library beside this executable; else the
// one in the build folder this command was built in.
std::string component_library() {
    if (const char* explicit_path = std::getenv("ZOLT_LIBRARY"); explicit_path && *explicit_path) {
        if (!std::filesystem::exists(explicit_path))
            throw CommandError(std::string("ZOLT_LIBRARY names a missing file: ") + explicit_path);
        return explicit_path;
    }
    for (const std::filesystem::path& folder : {executable_folder(), std::filesystem::path(ZOLT_LIBRARY_DIR)}) {
        if (folder.empty()) continue;
        auto candidate = folder / kLibraryName;
        if (std::filesystem::exists(candidate)) return candidate.string();
    }
    throw CommandError(std::string("cannot find ") + kLibraryName + " (set ZOLT_LIBRARY to its path)");
}

int run_registration(bool register_it) {
    const std::string library = component_library();
    const char* export_name = register_it ? "DllRegisterServer" : "DllUnregisterServer";
    auto entry = reinterpret_cast<com::DllRegisterServerFn>(com::server_export(library, export_name));
    if (com::HRESULT status = entry(); com::failed(status))
        throw CommandError(std::string(export_name) + " failed: " + failure_text(status));
    std::cout << (register_it ? "Registered " : "Unregistered ") << component::kProgId << " ("
              << std::filesystem::absolute(library).string() << ") in " << com::registry::location().string()
              << '\n';
    return kExitOk;
}

int run_methods() {
    com::IDispatch* object = com::create_object(component_library(), component::kClsidZOLT);
    const auto& info = object->GetTypeInfo();
    std::cout << "Interface " << info.name << ' ' << info.iid.to_string() << ", " << info.methods.size()
              << " methods:\n";
    for (const auto& method : info.methods) {
        char dispid[16];
        std::snprintf(dispid, sizeof dispid, "0x%08X", static_cast<uint32_t>(method.dispid));
        std::cout << dispid << "  " << method.result_kind << "  " << method.name << '(';
        for (std::size_t i = 0; i < method.parameters.size(); ++i)
            std::cout << (i ? ", " : "") << method.parameters[i];
        std::cout << ")\n";
    }
    object->Release();
    return kExitOk;
}

}  // namespace zolt::cli
