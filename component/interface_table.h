// How a late-bound call reaches the C++ method of ZOLT behind a DISPID.
#pragma once

#include "component/zolt.h"

namespace zolt::component {

// Calls one method of the object with one argument per parameter, in
// parameter order, and stores the method's result in an Empty Variant (a
// Boolean result as a Variant holding bool).
using MethodThunk = HRESULT (*)(_ZOLT& object, Variant* const* arguments, Variant& result);

// One method of the interface: its description and the call Invoke makes.
struct MethodRow {
    com::MethodInfo info;
    MethodThunk thunk;
};

// The method with this DISPID; nullptr when there is none.
const MethodRow* method_row(com::DISPID dispid);

// What Invoke answers for a method that reported a failing status:
// DISP_E_EXCEPTION, with excep (when given) filled from the thread's error
// info, or from the status alone when the method left none.
HRESULT exception_status(HRESULT failure, com::ExcepInfo* excep);

}  // namespace zolt::component
