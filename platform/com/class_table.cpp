// GUIDs, the thread's error info, and the in-process class table.
#include "platform/com/class_table.h"

#include <cstdio>
#include <map>
#include <mutex>
#include <utility>

namespace zolt::com {

namespace {

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Positions of the dashes in the 36-character form without braces.
constexpr bool is_dash_position(std::size_t i) { return i == 8 || i == 13 || i == 18 || i == 23; }

// A short description for a failing status that came without error info.
std::string describe(HRESULT hr) {
    switch (hr) {
        case E_NOTIMPL: return "Not implemented";
        case E_NOINTERFACE: return "No such interface supported";
        case E_POINTER: return "Invalid pointer";
        case E_FAIL: return "Unspecified error";
        case E_INVALIDARG: return "Invalid argument";
        case CLASS_E_CLASSNOTAVAILABLE: return "Class not available";
        case REGDB_E_CLASSNOTREG: return "Class not registered";
        case DISP_E_MEMBERNOTFOUND: return "Member not found";
        case DISP_E_PARAMNOTFOUND: return "Parameter not found";
        case DISP_E_TYPEMISMATCH: return "Type mismatch";
        case DISP_E_UNKNOWNNAME: return "Unknown name";
        case DISP_E_BADPARAMCOUNT: return "Invalid number of parameters";
        default: break;
    }
    char text[48];
    std::snprintf(text, sizeof text, "Automation error 0x%08X", static_cast<uint32_t>(hr));
    return text;
}

thread_local ErrorInfo thread_error_info;

struct ClassTable {
    std::mutex mutex;
    std::map<std::array<uint8_t, 16>, ClassFactoryFunction> classes;
};

ClassTable& class_table() {
    static ClassTable table;
    return table;
}

}  // namespace

std::optional<Guid> Guid::parse(std::string_view text) {
    if (text.size() == 38 && text.front() == '{' && text.back() == '}')
        text = text.substr(1, 36);
    if (text.size() != 36) return std::nullopt;
    Guid guid;
    std::size_t byte = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (is_dash_position(i)) {
            if (text[i] != '-') return std::nullopt;
            ++i;
            continue;
        }
        int high = hex_digit(text[i]);
        int low = hex_digit(text[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        guid.bytes[byte++] = static_cast<uint8_t>(high << 4 | low);
        i += 2;
    }
    return guid;
}

Guid Guid::from(std::string_view text) {
    auto guid = parse(text);
    if (!guid) throw automation::AutomationError(5, "Invalid GUID text: " + std::string(text));
    return *guid;
}

std::string Guid::to_string() const {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text = "{";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) text += '-';
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0F];
    }
    text += '}';
    return text;
}

void set_error_info(ErrorInfo info) { thread_error_info = std::move(info); }

ErrorInfo take_error_info() { return std::exchange(thread_error_info, ErrorInfo{}); }

void raise_on_failure(HRESULT hr) {
    if (!failed(hr)) return;
    ErrorInfo info = take_error_info();
    if (info.number == 0 && info.description.empty())
        throw automation::AutomationError(hr, describe(hr));
    throw automation::AutomationError(info.number, std::move(info.description), std::move(info.source));
}

void register_class(const Guid& clsid, ClassFactoryFunction factory) {
    auto& table = class_table();
    std::lock_guard lock(table.mutex);
    table.classes[clsid.bytes] = std::move(factory);
}

void unregister_class(const Guid& clsid) {
    auto& table = class_table();
    std::lock_guard lock(table.mutex);
    table.classes.erase(clsid.bytes);
}

ClassFactoryFunction find_class(const Guid& clsid) {
    auto& table = class_table();
    std::lock_guard lock(table.mutex);
    auto found = table.classes.find(clsid.bytes);
    return found == table.classes.end() ? ClassFactoryFunction{} : found->second;
}

std::shared_ptr<Unknown> create_instance(const Guid& clsid) {
    // The factory runs outside the lock: it may itself create further objects.
    auto factory = find_class(clsid);
    if (!factory)
        throw automation::AutomationError(429, "ActiveX component can't create object: no class " + clsid.to_string());
    auto object = factory();
    if (!object)
        throw automation::AutomationError(429, "ActiveX component can't create object: class " + clsid.to_string() +
                                                   " made no object");
    return object;
}

}  // namespace zolt::com
