// The four exports of libTvrZOLT22.so.
#pragma once

#include "platform/com/dispatch.h"

extern "C" {
// A class factory for ZOLT's CLSID; CLASS_E_CLASSNOTAVAILABLE for any other.
zolt::com::HRESULT DllGetClassObject(const zolt::com::Guid* clsid, const zolt::com::Guid* iid, void** out);
// S_OK when no object and no server lock is alive, S_FALSE otherwise.
zolt::com::HRESULT DllCanUnloadNow();
// Writes the class, ProgID, type library and interface entries to the
// registry file ($ZOLT_REGISTRY, or a per-user default).
zolt::com::HRESULT DllRegisterServer();
// Removes exactly the entries DllRegisterServer wrote.
zolt::com::HRESULT DllUnregisterServer();
}
