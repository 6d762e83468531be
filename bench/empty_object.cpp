#include "bench/empty_object.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>

#include "component/zolt.h"
#include "platform/com/names.h"

namespace zolt::bench {

com::HRESULT EmptyObject::QueryInterface(const com::Guid&, void** out) {
    *out = nullptr;
    return com::E_NOINTERFACE;
}

const com::InterfaceInfo& EmptyObject::GetTypeInfo() { return component::zolt_interface(); }

com::HRESULT EmptyObject::GetIDsOfNames(const std::vector<std::string>& names, std::vector<com::DISPID>& ids) {
    ids.assign(names.size(), -1);
    const com::MethodInfo* method = names.empty() ? nullptr : GetTypeInfo().find(names[0]);
    if (!method)
        return com::DISP_E_UNKNOWNNAME;
    ids[0] = method->dispid;
    for (std::size_t i = 1; i < names.size(); ++i)
        ids[i] = com::parameter_position(*method, names[i]);
    return com::S_OK;
}

com::HRESULT EmptyObject::Invoke(com::DISPID member, com::DispParams& params, com::Variant* result, com::ExcepInfo*) {
    const com::MethodInfo* method = GetTypeInfo().find(member);
    if (!method)
        return com::DISP_E_MEMBERNOTFOUND;
    std::array<com::Variant*, 16> arguments{};
    std::copy(params.positional.begin(), params.positional.end(), arguments.begin());
    for (auto [position, argument] : params.named)
        arguments[static_cast<std::size_t>(position)] = argument;
    benchmark::DoNotOptimize(arguments);
    if (result)
        *result = com::Variant(true);
    return com::S_OK;
}

}  // namespace zolt::bench
