// The object runtime's basic vocabulary: GUIDs, statuses, error info, and the
// class table through which in-process classes are created.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/automation/variant.h"

namespace zolt::com {

using HRESULT = int32_t;
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001);
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002);
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003);
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154);
inline constexpr HRESULT DISP_E_UNKNOWNINTERFACE = static_cast<HRESULT>(0x80020001);
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003);
inline constexpr HRESULT DISP_E_PARAMNOTFOUND = static_cast<HRESULT>(0x80020004);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = static_cast<HRESULT>(0x80020006);
inline constexpr HRESULT DISP_E_EXCEPTION = static_cast<HRESULT>(0x80020009);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = static_cast<HRESULT>(0x8002000E);
inline constexpr bool failed(HRESULT hr) { return hr < 0; }

struct Guid {
    std::array<uint8_t, 16> bytes{};
    // Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (braces optional).
    static std::optional<Guid> parse(std::string_view text);
    static Guid from(std::string_view text);  // parse that must succeed
    std::string to_string() const;            // upper case, with braces
    friend bool operator==(const Guid&, const Guid&) = default;
};

// Error information of the calling thread: the number, description and
// source of the last failure a method reported with a failing status.
struct ErrorInfo {
    int32_t number = 0;
    std::string description;
    std::string source;
};
void set_error_info(ErrorInfo info);
ErrorInfo take_error_info();
// Turns a failing status into an AutomationError carrying the thread's error
// info (or the status itself when there is none); does nothing on success.
void raise_on_failure(HRESULT hr);

// Base of every in-process object created through the class table.
class Unknown {
public:
    virtual ~Unknown() = default;
};

// The in-process class table: CLSID -> how to make an instance. Registering a
// class under a CLSID that is already taken replaces the earlier class, so a
// test can put its own class in the place of a real one.
using ClassFactoryFunction = std::function<std::shared_ptr<Unknown>()>;
void register_class(const Guid& clsid, ClassFactoryFunction factory);
void unregister_class(const Guid& clsid);
// The factory registered under a CLSID; empty when none.
ClassFactoryFunction find_class(const Guid& clsid);
// Creates an instance, or raises 429 ("ActiveX component can't create object")
// when no class is registered under the CLSID.
std::shared_ptr<Unknown> create_instance(const Guid& clsid);
// Creates an instance and asks it for interface I (430 when it lacks it).
template <class I>
std::shared_ptr<I> create_instance_as(const Guid& clsid) {
    auto object = std::dynamic_pointer_cast<I>(create_instance(clsid));
    if (!object)
        throw automation::AutomationError(430, "Class does not support Automation or does not support expected interface");
    return object;
}

}  // namespace zolt::com
