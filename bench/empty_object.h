// The lower bound of a late-bound call: an object with the interface of ZOLT
// whose methods do nothing.
#pragma once

#include "platform/com/dispatch.h"

namespace zolt::bench {

// Invoke takes the arguments as ZOLT's does (the method by DISPID, every
// argument a Variant by reference, named by position) and answers True, so
// that a case called on it measures the calling convention alone.
class EmptyObject final : public com::IDispatch {
public:
    com::HRESULT QueryInterface(const com::Guid&, void** out) override;
    uint32_t AddRef() override { return 1; }
    uint32_t Release() override { return 1; }
    const com::InterfaceInfo& GetTypeInfo() override;
    com::HRESULT GetIDsOfNames(const std::vector<std::string>& names, std::vector<com::DISPID>& ids) override;
    com::HRESULT Invoke(com::DISPID member, com::DispParams& params, com::Variant* result, com::ExcepInfo*) override;
};

}  // namespace zolt::bench
