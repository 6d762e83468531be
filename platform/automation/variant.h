// Automation values: the Variant every argument travels in, and the Basic
// conversion rules the component's code relies on.
#pragma once

#include <cstdint>
#include <cstring>
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

class Variant {
public:
    Variant() noexcept : tag_(Tag::Empty), i8_(0) {}
    static Variant null() noexcept {
        Variant v;
        v.tag_ = Tag::Null;
        return v;
    }

    Variant(int16_t v) noexcept : tag_(Tag::I2), i8_(0) { i2_ = v; }
    Variant(int32_t v) noexcept : tag_(Tag::I4), i8_(0) { i4_ = v; }
    Variant(int64_t v) noexcept : tag_(Tag::I8), i8_(v) {}
    Variant(double v) noexcept : tag_(Tag::R8), i8_(0) { r8_ = v; }
    Variant(bool v) noexcept : tag_(Tag::Bool), i8_(0) { bool_ = v; }
    Variant(Date v) noexcept : tag_(Tag::Date), i8_(0) { date_ = v; }
    Variant(std::string v) : tag_(Tag::Text) { new (&text_) std::string(std::move(v)); }
    Variant(std::string_view v) : Variant(std::string(v)) {}
    Variant(const char* v) : Variant(std::string(v)) {}
    Variant(ObjectPtr v) : tag_(Tag::Object) { new (&object_) ObjectPtr(std::move(v)); }
    Variant(Array v);

    // Values of the plain kinds are copied as they are; a text, an object
    // or an array as its own kind copies it.
    Variant(const Variant& other) : tag_(other.tag_) {
        if (other.plain())
            copy_plain(other);
        else
            construct_from(other);
    }
    Variant(Variant&& other) noexcept : tag_(other.tag_) {
        if (other.plain())
            copy_plain(other);
        else
            construct_from(std::move(other));
    }
    Variant& operator=(const Variant& other) {
        if (plain() && other.plain()) {
            tag_ = other.tag_;
            copy_plain(other);
        } else if (this != &other) {
            Variant copy(other);  // made first: a failing copy leaves this as it was
            *this = std::move(copy);
        }
        return *this;
    }
    Variant& operator=(Variant&& other) noexcept {
        if (plain() && other.plain()) {
            tag_ = other.tag_;
            copy_plain(other);
        } else if (this != &other) {
            // Taken out first: other may live inside this one's array.
            Variant taken(std::move(other));
            if (!plain())
                destroy();
            tag_ = taken.tag_;
            construct_from(std::move(taken));
        }
        return *this;
    }
    ~Variant() {
        if (!plain())
            destroy();
    }

    // Shorthands that say which integer width is meant.
    static Variant integer(int16_t v) { return Variant(v); }  // Integer (I2)
    static Variant long_(int32_t v) { return Variant(v); }    // Long (I4)

    VarType type() const noexcept {
        static constexpr VarType kTypes[] = {VarType::Empty, VarType::Null, VarType::I2,   VarType::I4,
                                             VarType::I8,    VarType::R8,   VarType::Bool, VarType::Date,
                                             VarType::BStr,  VarType::Dispatch, VarType::Array};
        return kTypes[static_cast<int>(tag_)];
    }
    bool is_empty() const noexcept { return tag_ == Tag::Empty; }
    bool is_null() const noexcept { return tag_ == Tag::Null; }
    bool is_object() const noexcept { return tag_ == Tag::Object; }
    bool is_array() const noexcept { return tag_ == Tag::Array; }
    bool is_text() const noexcept { return tag_ == Tag::Text; }

    // Raw accessors; each requires the matching type() and raises
    // std::bad_variant_access otherwise.
    int16_t i2() const { return expect(Tag::I2).i2_; }
    int32_t i4() const { return expect(Tag::I4).i4_; }
    int64_t i8() const { return expect(Tag::I8).i8_; }
    double r8() const { return expect(Tag::R8).r8_; }
    bool boolean() const { return expect(Tag::Bool).bool_; }
    Date date() const { return expect(Tag::Date).date_; }
    const std::string& text() const& { return expect(Tag::Text).text_; }
    // The text of a Variant about to go: moved out rather than copied.
    std::string text() && { return std::move(const_cast<Variant&>(expect(Tag::Text)).text_); }
    const ObjectPtr& object() const { return expect(Tag::Object).object_; }
    // Arrays are values: copying a Variant copies its array on the next write.
    const Array& array() const { return *expect(Tag::Array).array_; }
    Array& array_mut();

    void clear() noexcept {
        if (!plain())
            destroy();
        tag_ = Tag::Empty;
    }

    // Exact identity of type and value (not Basic equality); for tests.
    friend bool operator==(const Variant& a, const Variant& b);

private:
    // In the order of VarType's table in type().
    enum class Tag : uint8_t { Empty, Null, I2, I4, I8, R8, Bool, Date, Text, Object, Array };

    // Every kind before Text is a plain value of at most eight bytes.
    bool plain() const noexcept { return tag_ < Tag::Text; }
    void copy_plain(const Variant& other) noexcept { std::memcpy(&i8_, &other.i8_, sizeof i8_); }
    const Variant& expect(Tag tag) const {
        if (tag_ != tag)
            throw std::bad_variant_access();
        return *this;
    }
    // Makes this the kind other holds, whose tag this already has; copied
    // from an lvalue, moved from an rvalue.
    template <class Source>
    void construct_from(Source&& other);
    void destroy() noexcept;

    Tag tag_;
    union {
        int16_t i2_;
        int32_t i4_;
        int64_t i8_;  // spans every plain value: copied for any of them
        double r8_;
        bool bool_;
        Date date_;
        std::string text_;
        ObjectPtr object_;
        std::shared_ptr<Array> array_;
    };
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
// The parts of a date text as written, which are those of the date it reads
// as; false when it is not one.
bool parse_date_parts(std::string_view text, DateParts& out);
// Current local date and time of this machine.
Date now();

}  // namespace zolt::automation
