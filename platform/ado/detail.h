// Helpers shared by the sources of the data layer; not part of its interface.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/automation/variant.h"

namespace zolt::ado::detail {

// Data-layer error numbers that only this layer raises.
inline constexpr int32_t kBadArguments = 3001;      // wrong type or value of an argument
inline constexpr int32_t kObjectOpen = 3705;        // operation on an open object
inline constexpr int32_t kProviderNotFound = 3706;  // no provider of that name
inline constexpr int32_t kConnectionUnusable = 3709;  // a closed connection given to a recordset

// Eight bytes of two names, equal or differing only in the case of ASCII
// letters. Each step works on all eight bytes at once; no step carries from
// one byte into the next.
inline bool same_letters(uint64_t a, uint64_t b) {
    constexpr uint64_t kCaseBits = 0x2020202020202020, kLow = 0x7f7f7f7f7f7f7f7f, kHigh = 0x8080808080808080;
    const uint64_t differ = a ^ b;
    if (differ == 0)
        return true;
    if (differ & ~kCaseBits)
        return false;
    const uint64_t lower = a | kCaseBits;
    const uint64_t low = lower & kLow;
    const uint64_t from_a = low + 0x1f1f1f1f1f1f1f1f;      // high bit set where low >= 'a'
    const uint64_t beyond_z = low + 0x0505050505050505;    // high bit set where low > 'z'
    const uint64_t letter = from_a & ~beyond_z & ~lower & kHigh;
    return ((differ << 2) & ~letter) == 0;                 // every case bit that differs is a letter's
}

// `Bytes` bytes of a name as a word, read as they lie.
template <std::size_t Bytes>
uint64_t name_word(const char* bytes) {
    std::conditional_t<Bytes == 8, uint64_t, uint32_t> word;
    std::memcpy(&word, bytes, Bytes);
    return word;
}

// Two names of equal size, compared eight bytes at a time by `same`: the
// last word of a name is read ending at its last byte, over bytes already
// compared, and a name of four to seven bytes as the two words of four that
// cover it.
template <class Same>
bool same_words(const char* x, const char* y, std::size_t size, Same same) {
    if (size >= 8) {
        for (std::size_t i = 0; i + 8 < size; i += 8)
            if (!same(name_word<8>(x + i), name_word<8>(y + i)))
                return false;
        return same(name_word<8>(x + size - 8), name_word<8>(y + size - 8));
    }
    if (size >= 4) {
        const auto ends = [size](const char* name) { return name_word<4>(name) | name_word<4>(name + size - 4) << 32; };
        return same(ends(x), ends(y));
    }
    uint64_t left = 0, right = 0;
    for (std::size_t i = 0; i < size; ++i) {
        left |= uint64_t{static_cast<unsigned char>(x[i])} << (8 * i);
        right |= uint64_t{static_cast<unsigned char>(y[i])} << (8 * i);
    }
    return same(left, right);
}

// ASCII case-insensitive equality, as names and keys are compared; field
// names are looked up on every read.
inline bool same_name(std::string_view a, std::string_view b) {
    return a.size() == b.size() && same_words(a.data(), b.data(), a.size(), same_letters);
}

// Byte-for-byte equality of short texts, without a call into the C library.
inline bool same_text(std::string_view a, std::string_view b) {
    return a.size() == b.size() && same_words(a.data(), b.data(), a.size(), std::equal_to<uint64_t>());
}

// The data-layer errors with their usual descriptions.
[[noreturn]] void raise(int32_t number, std::string_view source);

}  // namespace zolt::ado::detail
