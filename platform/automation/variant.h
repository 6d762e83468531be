// Automation values: the Variant every argument travels in, and the Basic
// conversion rules the component's code relies on.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace zolt::automation {

// Variant type tags; the numbers are the classic automation ones so that
// trace output and JSON names can be derived from them.
enum class VarType : uint16_t {
    Empty = 0,
    Null = 1,
    I2 = 2,
    I4 = 3,
    R8 = 5,
    Date = 7,
    BStr = 8,
    Dispatch = 9,
    Bool = 11,
    I8 = 20,
    Array = 0x200C,  // array of Variants
};

// Basic error numbers callers may see.
namespace err {
inline constexpr int32_t kOverflow = 6;
inline constexpr int32_t kTypeMismatch = 13;
inline constexpr int32_t kObjectNotSet = 91;
inline constexpr int32_t kInvalidUseOfNull = 94;
inline constexpr int32_t kSubscriptOutOfRange = 9;
}  // namespace err

// Every failure of this layer and of the layers built on it is raised as an
// AutomationError: a number, a description and the source that raised it.
class AutomationError : public std::runtime_error {
public:
    AutomationError(int32_t number, std::string description, std::string source = {});
    int32_t number() const noexcept { return number_; }
    const std::string& description() const noexcept { return description_; }
    const std::string& source() const noexcept { return source_; }

    static AutomationError overflow();
    static AutomationError type_mismatch();
    static AutomationError invalid_use_of_null();
    static AutomationError object_not_set();

private:
    int32_t number_;
    std::string description_;
    std::string source_;
};

class Variant;

// An object held in a Variant (a data field, a connection ...). Conversions
// read its default property.
class Object {
public:
    virtual ~Object() = default;
    virtual Variant default_value() const = 0;
    // A short name of what the object is ("Field", "Connection" ...).
    virtual std::string kind() const = 0;
};
using ObjectPtr = std::shared_ptr<Object>;

// A date as the automation date number: days since 30/12/1899, the time of
// day as the fraction.
struct Date {
    double serial = 0.0;
    friend bool operator==(Date, Date) = default;
};

// One-dimensional array of Variants with its lower bound.
struct Array {
    int32_t lower_bound = 0;
    std::vector<Variant> items;
    int32_t upper_bound() const;
    Variant& at(int32_t index);
    const Variant& at(int32_t index) const;
};

struct NullValue {
    friend bool operator==(NullValue, NullValue) = default;
};

class Variant {
public:
    Variant() = default;  // Empty
    static Variant null() { return Variant(Storage{NullValue{}}); }

    Variant(int16_t v) : data_(v) {}
    Variant(int32_t v) : data_(v) {}
    Variant(int64_t v) : data_(v) {}
    Variant(double v) : data_(v) {}
    Variant(bool v) : data_(v) {}
    Variant(Date v) : data_(v) {}
    Variant(std::string v) : data_(std::move(v)) {}
    Variant(std::string_view v) : data_(std::string(v)) {}
    Variant(const char* v) : data_(std::string(v)) {}
    Variant(ObjectPtr v) : data_(std::move(v)) {}
    Variant(Array v) : data_(std::make_shared<Array>(std::move(v))) {}

    // Shorthands that say which integer width is meant.
    static Variant integer(int16_t v) { return Variant(v); }  // Integer (I2)
    static Variant long_(int32_t v) { return Variant(v); }    // Long (I4)

    VarType type() const;
    bool is_empty() const { return data_.index() == 0; }
    bool is_null() const { return data_.index() == 1; }
    bool is_object() const { return std::holds_alternative<ObjectPtr>(data_); }
    bool is_array() const { return std::holds_alternative<std::shared_ptr<Array>>(data_); }
    bool is_text() const { return std::holds_alternative<std::string>(data_); }

    // Raw accessors; each requires the matching type().
    int16_t i2() const { return std::get<int16_t>(data_); }
    int32_t i4() const { return std::get<int32_t>(data_); }
    int64_t i8() const { return std::get<int64_t>(data_); }
    double r8() const { return std::get<double>(data_); }
    bool boolean() const { return std::get<bool>(data_); }
    Date date() const { return std::get<Date>(data_); }
    const std::string& text() const& { return std::get<std::string>(data_); }
    // The text of a Variant about to go: moved out rather than copied.
    std::string text() && { return std::get<std::string>(std::move(data_)); }
    const ObjectPtr& object() const { return std::get<ObjectPtr>(data_); }
    // Arrays are values: copying a Variant copies its array on the next write.
    const Array& array() const { return *std::get<std::shared_ptr<Array>>(data_); }
    Array& array_mut();

    void clear() { data_ = std::monostate{}; }

    // Exact identity of type and value (not Basic equality); for tests.
    friend bool operator==(const Variant& a, const Variant& b);

private:
    using Storage = std::variant<std::monostate, NullValue, int16_t, int32_t, int64_t, double, bool, Date,
                                 std::string, ObjectPtr, std::shared_ptr<Array>>;
    explicit Variant(Storage s) : data_(std::move(s)) {}
    Storage data_;
};

// Defined once Variant is complete, as every compiler needs for its vector.
inline int32_t Array::upper_bound() const { return lower_bound + static_cast<int32_t>(items.size()) - 1; }

// ---- Basic rules -----------------------------------------------------------

// The value itself: an object's default property (followed until a plain
// value is reached); any other Variant unchanged. A Nothing object raises 91.
Variant value_of(Variant v);
// The value behind an object (v must hold one).
Variant object_value(const Variant& v);
// The same without copying a value that is not an object: an object's value
// is put in `holder`, and a reference to it or to v is answered.
inline const Variant& plain_value(const Variant& v, Variant& holder) {
    if (!v.is_object())
        return v;
    holder = object_value(v);
    return holder;
}

// Conversion to a 32-bit integer (CLng): halves round to the even neighbour,
// numeric texts are read, other texts raise 13, out of range raises 6, Null
// raises 94, Empty gives 0, True gives -1.
int32_t to_long(const Variant& v);
// Conversion to a 16-bit integer (CInt), same rules.
int16_t to_integer(const Variant& v);
// Conversion to a double (CDbl).
double to_double(const Variant& v);
// Conversion to a Boolean (CBool): numbers are True when not 0.
bool to_bool(const Variant& v);
// Conversion to a date (CDate): Dates, numbers and date texts ("dd/mm/yyyy",
// "dd/mm/yyyy hh:mm:ss", "yyyy-mm-dd", "yyyy-mm-ddThh:mm:ss" ...).
Date to_date(const Variant& v);
// Text of a value (CStr): Empty -> "", Null raises 94, Boolean -> "True" /
// "False", a date without time -> "dd/mm/yyyy", with time -> "dd/mm/yyyy
// hh:mm:ss", a time on day zero -> "hh:mm:ss"; numbers with a '.' decimal
// point and no grouping.
std::string to_text(const Variant& v);

// True when the value is a number or a text that reads as a number (IsNumeric).
bool is_numeric(const Variant& v);
// True when the value is a Date or a text that reads as a date (IsDate).
bool is_date(const Variant& v);
// Reads a numeric text ("15", " -2.5 ", "1e3"); false when it is not one.
bool parse_number(std::string_view text, double& out);
// Reads a date text; false when it is not one.
bool parse_date(std::string_view text, Date& out);

// Format(value, pattern) for the date patterns the component uses
// ("dd/mm/yyyy"); an empty pattern is to_text. Null gives "".
std::string format(const Variant& v, std::string_view pattern = {});

// Trim of leading and trailing blanks.
std::string trim(std::string_view s);
// Number of characters of a UTF-8 text.
std::size_t text_length(std::string_view s);

// Three-valued result of a Basic comparison: Null on either side gives Null,
// which an If treats as not true.
enum class Tri { False, True, Null };
inline bool is_true(Tri t) { return t == Tri::True; }

// Basic comparison: numbers numerically, texts by binary comparison, a number
// is less than a text, Empty counts as 0 against a number and "" against a
// text, two Empties are equal; objects are compared by their default value.
// Returns <0, 0, >0 inside an optional-like Tri for equality helpers below.
Tri equals(const Variant& a, const Variant& b);
Tri not_equals(const Variant& a, const Variant& b);
Tri less(const Variant& a, const Variant& b);
Tri greater(const Variant& a, const Variant& b);

// Calendar helpers for Date values.
Date make_date(int year, int month, int day, int hour = 0, int minute = 0, double second = 0);
struct DateParts {
    int year, month, day, hour, minute, second;
};
DateParts split_date(Date d);
// Current local date and time of this machine.
Date now();

}  // namespace zolt::automation
