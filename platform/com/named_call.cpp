// Late-bound calls by names.
#include "platform/com/named_call.h"

#include "platform/com/names.h"

namespace zolt::com {

NamedCall::NamedCall(IDispatch& object, const MethodInfo& method)
    : object_(&object), method_(&method), arguments_(method.parameters.size()) {}

bool NamedCall::set(std::string_view parameter, Variant value) {
    DISPID position = parameter_position(*method_, parameter);
    if (position < 0) return false;
    arguments_[static_cast<std::size_t>(position)] = std::move(value);
    return true;
}

HRESULT NamedCall::invoke(Variant* result, ExcepInfo* excep) {
    std::vector<std::string> names{method_->name};
    names.insert(names.end(), method_->parameters.begin(), method_->parameters.end());
    std::vector<DISPID> ids;
    if (HRESULT status = object_->GetIDsOfNames(names, ids); failed(status)) return status;
    DispParams params;
    for (std::size_t i = 0; i < arguments_.size(); ++i) params.named.emplace_back(ids[i + 1], &arguments_[i]);
    return object_->Invoke(ids[0], params, result, excep);
}

}  // namespace zolt::com
