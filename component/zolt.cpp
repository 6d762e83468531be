// The ZOLT object itself: its life (references, live-object count) and the
// late-bound side of its dual interface. The business methods live in their
// own sources under orders/, items/ and component/.
#include "component/zolt.h"

#include <algorithm>
#include <array>

#include "component/interface_table.h"
#include "platform/com/names.h"

namespace zolt::component {

std::atomic<long>& live_objects() {
    static std::atomic<long> count{0};
    return count;
}

std::atomic<long>& server_locks() {
    static std::atomic<long> count{0};
    return count;
}

ZOLT::ZOLT() { ++live_objects(); }

ZOLT::~ZOLT() { --live_objects(); }

HRESULT ZOLT::QueryInterface(const com::Guid& iid, void** out) {
    if (!out) return com::E_POINTER;
    if (iid == com::kIID_IUnknown)
        *out = static_cast<com::IUnknown*>(this);
    else if (iid == com::kIID_IDispatch)
        *out = static_cast<com::IDispatch*>(this);
    else if (iid == kIID_ZOLT)
        *out = static_cast<_ZOLT*>(this);
    else {
        *out = nullptr;
        return com::E_NOINTERFACE;
    }
    AddRef();
    return com::S_OK;
}

uint32_t ZOLT::AddRef() { return ++references_; }

uint32_t ZOLT::Release() {
    uint32_t remaining = --references_;
    if (remaining == 0) delete this;
    return remaining;
}

const com::InterfaceInfo& ZOLT::GetTypeInfo() { return zolt_interface(); }

HRESULT ZOLT::GetIDsOfNames(const std::vector<std::string>& names, std::vector<com::DISPID>& ids) {
    ids.assign(names.size(), -1);
    if (names.empty()) return com::DISP_E_UNKNOWNNAME;
    const com::MethodInfo* method = zolt_interface().find(names[0]);
    if (!method) return com::DISP_E_UNKNOWNNAME;
    ids[0] = method->dispid;
    HRESULT status = com::S_OK;
    for (std::size_t i = 1; i < names.size(); ++i) {
        ids[i] = com::parameter_position(*method, names[i]);
        if (ids[i] < 0) status = com::DISP_E_UNKNOWNNAME;
    }
    return status;
}

HRESULT exception_status(HRESULT failure, com::ExcepInfo* excep) {
    try {
        com::raise_on_failure(failure);
    } catch (const automation::AutomationError& error) {
        if (excep) *excep = {error.number(), error.source().empty() ? kProgId : error.source(), error.description()};
    }
    return com::DISP_E_EXCEPTION;
}

namespace {

// No method has more parameters than this: the arguments fit on the stack.
constexpr std::size_t kMostParameters = 16;
using Arguments = std::array<Variant*, kMostParameters>;

// Calls the method with one argument per parameter and hands its result to
// the caller; a failure the method reports becomes DISP_E_EXCEPTION.
HRESULT call_method(_ZOLT& object, const MethodRow& method, Variant* const* arguments, Variant* result,
                    com::ExcepInfo* excep) {
    Variant value;
    HRESULT status;
    try {
        status = method.thunk(object, arguments, value);
    } catch (const automation::AutomationError& error) {
        com::set_error_info({error.number(), error.description(), error.source()});
        status = com::E_FAIL;
    } catch (const std::exception& error) {
        com::set_error_info({51, error.what(), kProgId});
        status = com::E_FAIL;
    }
    if (com::failed(status)) return exception_status(status, excep);
    if (result) *result = std::move(value);
    return com::S_OK;
}

// A parameter the caller left out is passed as an Empty Variant of this call;
// these are made only when one is left out.
[[gnu::noinline]] HRESULT call_omitting(_ZOLT& object, const MethodRow& method, Arguments& arguments,
                                        Variant* result, com::ExcepInfo* excep) {
    std::array<Variant, kMostParameters> omitted;
    for (std::size_t i = 0; i < method.info.parameters.size(); ++i)
        if (!arguments[i]) arguments[i] = &omitted[i];
    return call_method(object, method, arguments.data(), result, excep);
}

}  // namespace

HRESULT ZOLT::Invoke(com::DISPID member, com::DispParams& params, Variant* result, com::ExcepInfo* excep) {
    const MethodRow* method = method_row(member);
    if (!method) return com::DISP_E_MEMBERNOTFOUND;

    const std::size_t count = method->info.parameters.size();
    if (params.positional.size() + params.named.size() > count || count > kMostParameters)
        return com::DISP_E_BADPARAMCOUNT;
    Arguments arguments{};
    std::copy(params.positional.begin(), params.positional.end(), arguments.begin());
    for (auto [position, argument] : params.named) {
        if (position < 0 || static_cast<std::size_t>(position) >= count || arguments[position] || !argument)
            return com::DISP_E_PARAMNOTFOUND;
        arguments[position] = argument;
    }
    for (std::size_t i = 0; i < count; ++i)
        if (!arguments[i]) return call_omitting(*this, *method, arguments, result, excep);
    return call_method(*this, *method, arguments.data(), result, excep);
}

}  // namespace zolt::component
