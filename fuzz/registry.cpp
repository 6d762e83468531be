// The registry file: any contents either read as entries or are refused with
// an automation error, and every entry read is found again by its key and
// value name.
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "fuzz/fuzz.h"
#include "platform/com/registry.h"

using namespace zolt;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string file = [] {
        const std::string path = std::filesystem::path(fuzz::sample_database()).parent_path() / "registry";
        setenv("ZOLT_REGISTRY", path.c_str(), 1);
        return path;
    }();
    std::ofstream(file, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), size);
    try {
        for (const com::RegistryEntry& entry : com::registry::read())
            if (!com::registry::value(entry.key, entry.name))
                fuzz::finding("an entry read is not found by its key", entry.key + " " + entry.name);
        com::registry::value("CLSID\\{A7C63F8D-E019-11D6-AA31-0002440A28C8}\\InprocServer32");
    } catch (const automation::AutomationError&) {
    }
    return 0;
}
