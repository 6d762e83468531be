// What a C++ program needs to call the component: Variants and their rules,
// objects created by ProgID through the registry, late-bound calls by name
// (NamedCall) or by DISPID (IDispatch::Invoke), and database connections.
#pragma once

#include "platform/ado/ado.h"
#include "platform/automation/variant.h"
#include "platform/com/dispatch.h"
#include "platform/com/named_call.h"
#include "platform/com/names.h"
#include "platform/com/registry.h"
