// Variant storage, automation errors, and the Basic conversions to numbers,
// Booleans and text.
#include "platform/automation/variant.h"

#include <locale.h>
#include <strings.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "platform/automation/detail.h"

namespace zolt::automation {

// ---- errors ----------------------------------------------------------------

AutomationError::AutomationError(int32_t number, std::string description, std::string source)
    : std::runtime_error(description), number_(number), description_(std::move(description)),
      source_(std::move(source)) {}

AutomationError AutomationError::overflow() { return AutomationError(err::kOverflow, "Overflow"); }
AutomationError AutomationError::type_mismatch() { return AutomationError(err::kTypeMismatch, "Type mismatch"); }
AutomationError AutomationError::invalid_use_of_null() {
    return AutomationError(err::kInvalidUseOfNull, "Invalid use of Null");
}
AutomationError AutomationError::object_not_set() {
    return AutomationError(err::kObjectNotSet, "Object variable or With block variable not set");
}

// ---- arrays and variants ---------------------------------------------------

namespace {

const Variant& checked_item(const Array& array, int32_t index) {
    const int64_t offset = int64_t{index} - array.lower_bound;
    if (offset < 0 || offset >= static_cast<int64_t>(array.items.size()))
        throw AutomationError(err::kSubscriptOutOfRange, "Subscript out of range");
    return array.items[static_cast<std::size_t>(offset)];
}

}  // namespace

Variant& Array::at(int32_t index) { return const_cast<Variant&>(checked_item(*this, index)); }
const Variant& Array::at(int32_t index) const { return checked_item(*this, index); }

Variant::Variant(Array v) : tag_(Tag::Array) { new (&array_) std::shared_ptr<Array>(std::make_shared<Array>(std::move(v))); }

// A copy from an lvalue, a move from an rvalue: each member is read with the
// value category of its Variant.
template <class Source>
void Variant::construct_from(Source&& other) {
    switch (other.tag_) {
    case Tag::Text:
        new (&text_) std::string(std::forward<Source>(other).text_);
        break;
    case Tag::Object:
        new (&object_) ObjectPtr(std::forward<Source>(other).object_);
        break;
    case Tag::Array:
        new (&array_) std::shared_ptr<Array>(std::forward<Source>(other).array_);
        break;
    default:
        copy_plain(other);
    }
}
template void Variant::construct_from(const Variant&);
template void Variant::construct_from(Variant&&);

void Variant::destroy() noexcept {
    switch (tag_) {
    case Tag::Text:
        text_.~basic_string();
        break;
    case Tag::Object:
        object_.~ObjectPtr();
        break;
    case Tag::Array:
        array_.~shared_ptr();
        break;
    default:
        break;
    }
}

Array& Variant::array_mut() {
    auto& shared = const_cast<std::shared_ptr<Array>&>(expect(Tag::Array).array_);
    if (shared.use_count() > 1)
        shared = std::make_shared<Array>(*shared);
    return *shared;
}

bool operator==(const Variant& a, const Variant& b) {
    if (a.tag_ != b.tag_)
        return false;
    using Tag = Variant::Tag;
    switch (a.tag_) {
    case Tag::Empty:
    case Tag::Null:
        return true;
    case Tag::I2:
        return a.i2_ == b.i2_;
    case Tag::I4:
        return a.i4_ == b.i4_;
    case Tag::I8:
        return a.i8_ == b.i8_;
    case Tag::R8:
        return a.r8_ == b.r8_;
    case Tag::Bool:
        return a.bool_ == b.bool_;
    case Tag::Date:
        return a.date_ == b.date_;
    case Tag::Text:
        return a.text_ == b.text_;
    case Tag::Object:
        return a.object_ == b.object_;
    case Tag::Array: {
        const Array& x = *a.array_;
        const Array& y = *b.array_;
        return x.lower_bound == y.lower_bound && x.items == y.items;
    }
    }
    return false;
}

namespace {

// The value behind an object: its default property, followed until a plain
// value is reached. A default property may itself be an object (a field
// holding an object); the chain is bounded so that an object answering
// itself cannot loop.
Variant default_of(const Variant& object) {
    if (!object.is_object())
        return Variant();
    if (!object.object())
        throw AutomationError::object_not_set();
    // The usual object (a field, a connection) answers a plain value at once.
    Variant current = object.object()->default_value();
    constexpr int kMaxDepth = 16;
    for (int depth = 1; current.is_object(); ++depth) {
        if (!current.object())
            throw AutomationError::object_not_set();
        if (depth == kMaxDepth)
            throw AutomationError::type_mismatch();
        Variant next = current.object()->default_value();
        current = std::move(next);
    }
    return current;
}

}  // namespace

Variant value_of(Variant v) { return v.is_object() ? default_of(v) : std::move(v); }

Variant object_value(const Variant& v) { return default_of(v); }

// ---- numbers ---------------------------------------------------------------

namespace detail {

std::string_view strip_blanks(std::string_view text) {
    while (!text.empty() && is_blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && is_blank(text.back()))
        text.remove_suffix(1);
    return text;
}

double checked(double value) {
    if (!std::isfinite(value))
        throw AutomationError::overflow();
    return value;
}

}  // namespace detail

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Reads a decimal text in the C locale whatever the process locale is.
double read_decimal(const std::string& text) {
    static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", locale_t{});
    return strtod_l(text.c_str(), nullptr, c_locale);
}

// The number a plain (non-object) value stands for; texts must read as numbers.
double number_of(const Variant& plain) {
    switch (plain.type()) {
    case VarType::Empty: return 0.0;
    case VarType::Null: throw AutomationError::invalid_use_of_null();
    case VarType::I2: return plain.i2();
    case VarType::I4: return plain.i4();
    case VarType::I8: return static_cast<double>(plain.i8());
    case VarType::R8: return detail::checked(plain.r8());
    case VarType::Date: return detail::checked(plain.date().serial);
    case VarType::Bool: return plain.boolean() ? -1.0 : 0.0;
    case VarType::BStr: {
        double value = 0;
        if (!parse_number(plain.text(), value))
            throw AutomationError::type_mismatch();
        return detail::checked(value);
    }
    default: throw AutomationError::type_mismatch();
    }
}

// Rounds to the nearest integer, an exact half to the even neighbour.
double round_half_even(double x) {
    const double lower = std::floor(x);
    const double fraction = x - lower;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(lower, 2.0) != 0.0))
        return lower + 1.0;
    return lower;
}

template <class Int>
Int to_whole(const Variant& v) {
    constexpr auto low = std::numeric_limits<Int>::min();
    constexpr auto high = std::numeric_limits<Int>::max();
    if (v.type() == VarType::I4 || v.type() == VarType::I2) {  // the usual argument, read as it is
        const int32_t whole = v.type() == VarType::I4 ? v.i4() : v.i2();
        if (whole < low || whole > high)
            throw AutomationError::overflow();
        return static_cast<Int>(whole);
    }
    Variant holder;
    const Variant& plain = plain_value(v, holder);
    if (plain.type() == VarType::I8) {
        if (plain.i8() < low || plain.i8() > high)
            throw AutomationError::overflow();
        return static_cast<Int>(plain.i8());
    }
    const double rounded = round_half_even(number_of(plain));
    if (rounded < static_cast<double>(low) || rounded > static_cast<double>(high))
        throw AutomationError::overflow();
    return static_cast<Int>(rounded);
}

}  // namespace

bool parse_number(std::string_view text, double& out) {
    const std::string_view body = detail::strip_blanks(text);
    std::size_t i = 0;
    if (i < body.size() && (body[i] == '+' || body[i] == '-'))
        ++i;
    std::size_t digits = 0;
    int64_t whole = 0;
    while (i < body.size() && is_digit(body[i])) {
        whole = digits < 18 ? whole * 10 + (body[i] - '0') : whole;
        ++i, ++digits;
    }
    // A whole number of up to 15 digits is exact as a double: read at once.
    if (i == body.size() && digits > 0 && digits <= 15) {
        const double value = static_cast<double>(whole);
        out = body[0] == '-' ? -value : value;
        return true;
    }
    if (i < body.size() && body[i] == '.') {
        ++i;
        while (i < body.size() && is_digit(body[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return false;
    if (i < body.size() && (body[i] == 'e' || body[i] == 'E')) {
        ++i;
        if (i < body.size() && (body[i] == '+' || body[i] == '-'))
            ++i;
        std::size_t exponent_digits = 0;
        while (i < body.size() && is_digit(body[i]))
            ++i, ++exponent_digits;
        if (exponent_digits == 0)
            return false;
    }
    if (i != body.size())
        return false;
    // A text too large for a double reads as infinity; conversions then
    // report overflow.
    out = read_decimal(std::string(body));
    return true;
}

bool is_numeric(const Variant& v) {
    try {
        Variant holder;
        const Variant& plain = plain_value(v, holder);
        switch (plain.type()) {
        case VarType::I2:
        case VarType::I4:
        case VarType::I8:
        case VarType::R8:
        case VarType::Bool: return true;
        case VarType::BStr: {
            double ignored = 0;
            return parse_number(plain.text(), ignored);
        }
        default: return false;
        }
    } catch (const AutomationError&) {
        return false;  // a Nothing object is not a number
    }
}

int32_t to_long(const Variant& v) { return to_whole<int32_t>(v); }
int16_t to_integer(const Variant& v) { return to_whole<int16_t>(v); }

double to_double(const Variant& v) {
    Variant holder;
    return number_of(plain_value(v, holder));
}

bool to_bool(const Variant& v) {
    Variant holder;
    const Variant& plain = plain_value(v, holder);
    if (plain.is_text()) {
        const std::string word = trim(plain.text());
        if (word.size() == 4 && strncasecmp(word.c_str(), "true", 4) == 0)
            return true;
        if (word.size() == 5 && strncasecmp(word.c_str(), "false", 5) == 0)
            return false;
    }
    return number_of(plain) != 0.0;
}

// ---- text ------------------------------------------------------------------

namespace {

// Up to 15 significant digits, '.' as the decimal point, no trailing zeros,
// an exponent ("1E+20", "1E-07") only for very large or small magnitudes.
std::string double_text(double value) {
    detail::checked(value);
    if (value == 0.0)
        return "0";  // also for -0
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    std::string text(buffer, result.ptr);
    const auto e = text.find('e');
    if (e != std::string::npos)
        text[e] = 'E';
    return text;
}

}  // namespace

namespace {

std::string plain_text(const Variant& plain) {
    switch (plain.type()) {
    case VarType::Empty: return {};
    case VarType::Null: throw AutomationError::invalid_use_of_null();
    case VarType::I2: return std::to_string(plain.i2());
    case VarType::I4: return std::to_string(plain.i4());
    case VarType::I8: return std::to_string(plain.i8());
    case VarType::R8: return double_text(plain.r8());
    case VarType::Date: return detail::date_text(plain.date());
    case VarType::Bool: return plain.boolean() ? "True" : "False";
    case VarType::BStr: return plain.text();
    default: throw AutomationError::type_mismatch();
    }
}

}  // namespace

std::string to_text(const Variant& v) {
    if (!v.is_object())
        return plain_text(v);
    Variant value = default_of(v);
    return value.is_text() ? std::move(value).text() : plain_text(value);
}

std::string trim(std::string_view s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const auto last = s.find_last_not_of(' ');
    return std::string(s.substr(first, last - first + 1));
}

std::size_t text_length(std::string_view s) {
    std::size_t count = 0;
    for (const char c : s)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)  // not a continuation byte
            ++count;
    return count;
}

}  // namespace zolt::automation
