// Helpers shared by the sources of the data layer; not part of its interface.
#pragma once

#include <string>
#include <string_view>

#include "platform/automation/variant.h"

namespace zolt::ado::detail {

// Data-layer error numbers that only this layer raises.
inline constexpr int32_t kBadArguments = 3001;      // wrong type or value of an argument
inline constexpr int32_t kObjectOpen = 3705;        // operation on an open object
inline constexpr int32_t kProviderNotFound = 3706;  // no provider of that name
inline constexpr int32_t kConnectionUnusable = 3709;  // a closed connection given to a recordset

// ASCII case-insensitive equality, as names and keys are compared.
bool same_name(std::string_view a, std::string_view b);

// The data-layer errors with their usual descriptions.
[[noreturn]] void raise(int32_t number, std::string_view source);

}  // namespace zolt::ado::detail
