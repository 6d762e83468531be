// Interfaces of the object runtime: reference-counted objects, late-bound
// dispatch, class factories, and the description of a dispatch interface.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/automation/variant.h"
#include "platform/com/class_table.h"

namespace zolt::com {

using automation::Variant;
using DISPID = int32_t;

inline const Guid kIID_IUnknown = Guid::from("{00000000-0000-0000-C000-000000000046}");
inline const Guid kIID_IDispatch = Guid::from("{00020400-0000-0000-C000-000000000046}");
inline const Guid kIID_IClassFactory = Guid::from("{00000001-0000-0000-C000-000000000046}");

class IUnknown {
public:
    virtual HRESULT QueryInterface(const Guid& iid, void** out) = 0;
    virtual uint32_t AddRef() = 0;
    virtual uint32_t Release() = 0;

protected:
    ~IUnknown() = default;
};

// Arguments of a late-bound call, all by reference: positional ones in the
// order of the method's parameters, then named ones by parameter position.
struct DispParams {
    std::vector<Variant*> positional;
    std::vector<std::pair<DISPID, Variant*>> named;
};

struct ExcepInfo {
    int32_t number = 0;
    std::string source;
    std::string description;
};

// The description of one method of a dispatch interface.
struct MethodInfo {
    DISPID dispid = 0;
    std::string name;
    std::string result_kind;  // "Boolean" or "Variant"
    std::vector<std::string> parameters;
};

struct InterfaceInfo {
    std::string name;
    Guid iid;
    std::vector<MethodInfo> methods;
    // Case-insensitive lookups; nullptr / -1 when unknown.
    const MethodInfo* find(std::string_view method_name) const;
    const MethodInfo* find(DISPID dispid) const;
};

class IDispatch : public IUnknown {
public:
    virtual const InterfaceInfo& GetTypeInfo() = 0;
    // names[0] is a method name, the rest its parameter names; ids receives the
    // method's DISPID and each parameter's position. DISP_E_UNKNOWNNAME when any
    // name is unknown (its id is then -1).
    virtual HRESULT GetIDsOfNames(const std::vector<std::string>& names, std::vector<DISPID>& ids) = 0;
    // Calls a method by DISPID. DISP_E_MEMBERNOTFOUND for an unknown DISPID,
    // DISP_E_BADPARAMCOUNT for a wrong argument count, DISP_E_PARAMNOTFOUND for
    // a bad named argument, DISP_E_EXCEPTION (with excep filled) when the method
    // itself reported a failure.
    virtual HRESULT Invoke(DISPID member, DispParams& params, Variant* result, ExcepInfo* excep) = 0;

protected:
    ~IDispatch() = default;
};

class IClassFactory : public IUnknown {
public:
    virtual HRESULT CreateInstance(IUnknown* outer, const Guid& iid, void** out) = 0;
    virtual HRESULT LockServer(bool lock) = 0;

protected:
    ~IClassFactory() = default;
};

// Signatures of the four exports of an in-process server library.
extern "C" {
using DllGetClassObjectFn = HRESULT (*)(const Guid* clsid, const Guid* iid, void** out);
using DllCanUnloadNowFn = HRESULT (*)();
using DllRegisterServerFn = HRESULT (*)();
using DllUnregisterServerFn = HRESULT (*)();
}

}  // namespace zolt::com
