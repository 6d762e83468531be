// A late-bound call by names, the way scripts make one: the method is found by
// its name and each argument is set by its parameter's name, in any letter
// case. Every parameter is passed by reference, so after invoke() each
// argument holds what the method left in it; a parameter not set goes in Empty.
#pragma once

#include <string_view>
#include <vector>

#include "platform/com/dispatch.h"

namespace zolt::com {

class NamedCall {
public:
    // `method` comes from object.GetTypeInfo(); the object must outlive the call.
    NamedCall(IDispatch& object, const MethodInfo& method);

    const MethodInfo& method() const { return *method_; }
    // False when the method has no parameter of that name.
    bool set(std::string_view parameter, Variant value);
    // The arguments in parameter order.
    std::vector<Variant>& arguments() { return arguments_; }

    // Asks the object for the DISPIDs of the method and of every parameter
    // (GetIDsOfNames), then invokes it with every argument named.
    HRESULT invoke(Variant* result, ExcepInfo* excep);

private:
    IDispatch* object_;
    const MethodInfo* method_;
    std::vector<Variant> arguments_;
};

}  // namespace zolt::com
