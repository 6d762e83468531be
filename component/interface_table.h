// How a late-bound call reaches the C++ method of ZOLT behind a DISPID.
#pragma once

#include "component/zolt.h"

namespace zolt::component {

// Calls one method of the object with one argument per parameter, in
// parameter order, and stores the method's result (a Boolean result as a
// Variant holding bool).
using MethodThunk = HRESULT (*)(_ZOLT& object, Variant* const* arguments, Variant& result);

// The thunk of the method with this DISPID; nullptr when there is none.
MethodThunk method_thunk(com::DISPID dispid);

}  // namespace zolt::component
