// The registry file of in-process servers, and creating objects by ProgID.
//
// The file holds one entry a line: "<key> = <value>" for a key's default
// value, "<key> <value name> = <value>" for a named value, for example
//   CLSID\{...}\InprocServer32 = /usr/lib/libExample.so
//   CLSID\{...}\InprocServer32 ThreadingModel = Apartment
// Keys and value names are matched without regard to letter case. Its path is
// $ZOLT_REGISTRY, or else $XDG_CONFIG_HOME/tvrzolt22/registry, or else
// ~/.config/tvrzolt22/registry. Changes are made under an exclusive lock of
// the file, so several processes can register at once.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/com/dispatch.h"

namespace zolt::com {

struct RegistryEntry {
    std::string key;    // backslash-separated path, e.g. "CLSID\{...}\InprocServer32"
    std::string name;   // "" for the key's default value
    std::string value;
    friend bool operator==(const RegistryEntry&, const RegistryEntry&) = default;
};

namespace registry {

std::filesystem::path location();
// Every entry of the file, in file order; none when the file does not exist.
std::vector<RegistryEntry> read();
// Adds the entries, replacing the values of those already present.
void write(const std::vector<RegistryEntry>& entries);
// Removes the entries with the same key and value name, whatever their value.
void remove(const std::vector<RegistryEntry>& entries);
// The value of one entry.
std::optional<std::string> value(std::string_view key, std::string_view name = {});

}  // namespace registry

// Loads an in-process server library (it stays loaded for the life of the
// process) and finds one of its exports. Raises 429 when either fails.
void* server_export(const std::string& library, const char* export_name);

// Creates an object of a class of an in-process server library through the
// library's DllGetClassObject and the class factory it answers. The caller
// owns the one reference returned. Raises 429 with the reason (missing
// library or export, no factory for the class, the factory refusing).
IDispatch* create_object(const std::string& library, const Guid& clsid);

// Creates an object by ProgID: the registry names the class and its library,
// then as above. Also raises 429 for an unknown ProgID or class.
IDispatch* create_object(std::string_view progid);

}  // namespace zolt::com
