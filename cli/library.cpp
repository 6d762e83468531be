// The commands that work on the component library itself: register,
// unregister and methods, and finding the library.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>

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

std::string hex(com::DISPID dispid) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<uint32_t>(dispid));
    return text;
}

struct Released {
    void operator()(com::IDispatch* object) const { object->Release(); }
};

// The interface as the library itself describes it; no registration needed.
std::unique_ptr<com::IDispatch, Released> component_object() {
    return std::unique_ptr<com::IDispatch, Released>(
        com::create_object(component_library(), component::kClsidZOLT));
}

}  // namespace

// $ZOLT_LIBRARY when set; else the library beside this executable (a build
// folder); else the one in the library folder of the prefix it is installed in.
std::string component_library() {
    if (const char* explicit_path = std::getenv("ZOLT_LIBRARY"); explicit_path && *explicit_path) {
        if (!std::filesystem::exists(explicit_path))
            throw CommandError(std::string("ZOLT_LIBRARY names a missing file: ") + explicit_path);
        return explicit_path;
    }
    const auto folder = executable_folder();
    if (!folder.empty())
        for (const auto& candidate : {folder / kLibraryName, folder / ZOLT_LIBRARY_FROM_BINARY / kLibraryName})
            if (std::filesystem::exists(candidate)) return candidate.lexically_normal().string();
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

void print_methods(std::ostream& out) {
    auto object = component_object();
    const auto& info = object->GetTypeInfo();
    out << "Interface " << info.name << ' ' << info.iid.to_string() << ", " << info.methods.size() << " methods:\n";
    for (const auto& method : info.methods) {
        out << hex(method.dispid) << "  " << method.result_kind << "  " << method.name << '(';
        for (std::size_t i = 0; i < method.parameters.size(); ++i) out << (i ? ", " : "") << method.parameters[i];
        out << ")\n";
    }
}

int run_methods(const Options& options) {
    if (!options.positional.empty()) throw CommandError("methods takes no word " + options.positional[0]);
    if (!options.flags.contains("--json")) {
        print_methods(std::cout);
        return kExitOk;
    }
    auto object = component_object();
    const auto& info = object->GetTypeInfo();
    json methods = json::array();
    for (const auto& method : info.methods)
        methods.push_back(json{{"dispid", method.dispid},
                               {"name", method.name},
                               {"result", method.result_kind},
                               {"parameters", method.parameters}});
    std::cout << dump(json{{"interface", info.name}, {"iid", info.iid.to_string()}, {"methods", methods}}) << '\n';
    return kExitOk;
}

}  // namespace zolt::cli
