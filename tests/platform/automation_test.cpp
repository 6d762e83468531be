// The Basic rules of the automation layer that the component relies on.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

#include "platform/automation/variant.h"

namespace zolt::automation {
namespace {

// An object whose default property is a fixed value, like a data field.
class FixedObject : public Object {
public:
    explicit FixedObject(Variant value) : value_(std::move(value)) {}
    Variant default_value() const override { return value_; }
    std::string kind() const override { return "Fixed"; }

private:
    Variant value_;
};

Variant object_holding(Variant value) { return Variant(ObjectPtr(std::make_shared<FixedObject>(std::move(value)))); }

Variant array_of(std::vector<Variant> items) { return Variant(Array{0, std::move(items)}); }

template <class Call>
int32_t error_number(Call call) {
    try {
        call();
    } catch (const AutomationError& e) {
        return e.number();
    }
    return 0;
}

TEST(Conversion, LongRoundsHalvesToEven) {
    const std::pair<double, int32_t> cases[] = {{0.5, 0},   {1.5, 2},   {2.5, 2},   {3.5, 4},  {-2.5, -2},
                                                {-1.5, -2}, {2.4999, 2}, {2.5001, 3}, {-0.5, 0}, {1e9, 1000000000}};
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(to_long(Variant(input)), expected) << input;
    EXPECT_EQ(to_long(Variant(" 2.5 ")), 2);
    EXPECT_EQ(to_long(Variant("-7")), -7);
    EXPECT_EQ(to_integer(Variant(6.5)), 6);
}

TEST(Conversion, LongOfOtherKinds) {
    EXPECT_EQ(to_long(Variant()), 0);
    EXPECT_EQ(to_long(Variant(true)), -1);
    EXPECT_EQ(to_long(Variant(false)), 0);
    EXPECT_EQ(to_long(Variant(Date{45000.5})), 45000);
    EXPECT_EQ(to_long(Variant(int64_t{2147483647})), 2147483647);
    EXPECT_EQ(to_long(object_holding(Variant::integer(12))), 12);
    EXPECT_EQ(to_long(object_holding(object_holding(Variant("34")))), 34);
}

TEST(Conversion, Errors) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::pair<Variant, int32_t> cases[] = {
        {Variant(2147483647.5), err::kOverflow},   {Variant(-2147483648.6), err::kOverflow},
        {Variant(int64_t{1} << 40), err::kOverflow}, {Variant(1e300), err::kOverflow},
        {Variant(nan), err::kOverflow},             {Variant(inf), err::kOverflow},
        {Variant("1e999"), err::kOverflow},         {Variant("abc"), err::kTypeMismatch},
        {Variant(""), err::kTypeMismatch},           {Variant("1,5"), err::kTypeMismatch},
        {Variant("12abc"), err::kTypeMismatch},      {Variant("nan"), err::kTypeMismatch},
        {Variant::null(), err::kInvalidUseOfNull},   {object_holding(Variant::null()), err::kInvalidUseOfNull},
        {array_of({Variant(1)}), err::kTypeMismatch}, {Variant(ObjectPtr()), err::kObjectNotSet},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(error_number([&] { to_long(input); }), expected) << (input.is_text() ? input.text() : "");
    EXPECT_EQ(error_number([] { to_integer(Variant(32767.5)); }), err::kOverflow);
    EXPECT_EQ(error_number([] { to_double(Variant("x")); }), err::kTypeMismatch);
    EXPECT_EQ(error_number([] { to_date(Variant("31/02/2030")); }), err::kTypeMismatch);
}

TEST(Conversion, NumbersReadFromTexts) {
    const std::pair<const char*, double> cases[] = {{"15", 15}, {" -2.5 ", -2.5}, {"1e3", 1000}, {"+.5", 0.5},
                                                    {"7.", 7},  {"\t3\t", 3}};
    for (const auto& [text, expected] : cases) {
        double value = 0;
        EXPECT_TRUE(parse_number(text, value)) << text;
        EXPECT_EQ(value, expected) << text;
    }
    for (const char* text : {"", " ", "-", ".", "1e", "0x10", "inf", "1 2", "1.2.3"}) {
        double value = 0;
        EXPECT_FALSE(parse_number(text, value)) << text;
    }
    EXPECT_TRUE(is_numeric(Variant(" 42 ")));
    EXPECT_FALSE(is_numeric(Variant("4 2")));
    EXPECT_FALSE(is_numeric(Variant::null()));
    EXPECT_FALSE(is_numeric(Variant(ObjectPtr())));
}

TEST(Text, OfValues) {
    EXPECT_EQ(to_text(Variant()), "");
    EXPECT_EQ(to_text(Variant(true)), "True");
    EXPECT_EQ(to_text(Variant(false)), "False");
    EXPECT_EQ(to_text(Variant::integer(-3)), "-3");
    EXPECT_EQ(to_text(Variant(2.5)), "2.5");
    EXPECT_EQ(to_text(Variant(15.0)), "15");
    EXPECT_EQ(to_text(Variant(0.1)), "0.1");
    EXPECT_EQ(to_text(Variant(-0.0)), "0");
    EXPECT_EQ(to_text(Variant(1.0 / 3)), "0.333333333333333");
    EXPECT_EQ(to_text(Variant(1e20)), "1E+20");
    EXPECT_EQ(to_text(object_holding(Variant("abc"))), "abc");
    EXPECT_EQ(error_number([] { to_text(Variant::null()); }), err::kInvalidUseOfNull);
    EXPECT_EQ(error_number([] { to_text(array_of({})); }), err::kTypeMismatch);
    EXPECT_EQ(error_number([] { to_text(Variant(std::numeric_limits<double>::quiet_NaN())); }), err::kOverflow);
}

TEST(Text, OfDates) {
    EXPECT_EQ(to_text(Variant(make_date(2030, 1, 15))), "15/01/2030");
    EXPECT_EQ(to_text(Variant(make_date(2030, 1, 15, 14, 30))), "15/01/2030 14:30:00");
    EXPECT_EQ(to_text(Variant(make_date(1899, 12, 30, 8, 5, 9))), "08:05:09");
    EXPECT_EQ(to_text(Variant(make_date(1800, 3, 1, 6))), "01/03/1800 06:00:00");
    EXPECT_EQ(error_number([] { to_text(Variant(Date{1e12})); }), err::kOverflow);
}

TEST(Dates, SerialsAndParts) {
    EXPECT_EQ(make_date(1899, 12, 30).serial, 0.0);
    EXPECT_EQ(make_date(1900, 1, 1).serial, 2.0);
    EXPECT_EQ(make_date(2030, 1, 15, 12).serial, 47498.5);
    EXPECT_EQ(make_date(1899, 12, 29, 6).serial, -1.25);  // before day zero the time counts away from zero
    EXPECT_EQ(make_date(2030, 13, 1).serial, make_date(2031, 1, 1).serial);
    const DateParts parts = split_date(make_date(2024, 2, 29, 23, 59, 59));
    EXPECT_EQ((std::array{parts.year, parts.month, parts.day, parts.hour, parts.minute, parts.second}),
              (std::array{2024, 2, 29, 23, 59, 59}));
    const DateParts before = split_date(Date{-1.25});
    EXPECT_EQ((std::array{before.year, before.month, before.day, before.hour}), (std::array{1899, 12, 29, 6}));
}

TEST(Dates, Texts) {
    const std::pair<const char*, Date> accepted[] = {
        {"15/01/2030", make_date(2030, 1, 15)},
        {" 5/1/2030 ", make_date(2030, 1, 5)},
        {"15/01/2030 14:30", make_date(2030, 1, 15, 14, 30)},
        {"15/01/2030 14:30:05", make_date(2030, 1, 15, 14, 30, 5)},
        {"2030-01-15", make_date(2030, 1, 15)},
        {"2030-01-15 14:30:05", make_date(2030, 1, 15, 14, 30, 5)},
        {"2030-01-15T14:30:05", make_date(2030, 1, 15, 14, 30, 5)},
        {"29/02/2028", make_date(2028, 2, 29)},
        {"08:05:09", make_date(1899, 12, 30, 8, 5, 9)},
    };
    for (const auto& [text, expected] : accepted) {
        Date date;
        EXPECT_TRUE(parse_date(text, date)) << text;
        EXPECT_EQ(date, expected) << text;
    }
    for (const char* text : {"31/02/2030", "29/02/2030", "00/01/2030", "15/13/2030", "15/01/30", "2030-02-30",
                             "15/01/2030 24:00", "15/01/2030 10:60", "15/01/2030x", "abc", "", "15-01-2030"}) {
        Date date;
        EXPECT_FALSE(parse_date(text, date)) << text;
    }
    EXPECT_TRUE(is_date(Variant("2030-01-15")));
    EXPECT_TRUE(is_date(Variant(Date{1})));
    EXPECT_FALSE(is_date(Variant(15)));
}

TEST(Dates, Format) {
    const Variant with_time(make_date(2030, 1, 15, 14, 30));
    EXPECT_EQ(format(with_time, "dd/mm/yyyy"), "15/01/2030");
    EXPECT_EQ(format(Variant("2030-02-01T10:00:00"), "dd/mm/yyyy"), "01/02/2030");
    EXPECT_EQ(format(object_holding(with_time), "dd/mm/yyyy"), "15/01/2030");
    EXPECT_EQ(format(with_time, "yyyy-mm-dd hh:mm:ss"), "2030-01-15 14:30:00");
    EXPECT_EQ(format(Variant::null(), "dd/mm/yyyy"), "");
    EXPECT_EQ(format(Variant(), "dd/mm/yyyy"), "");
    EXPECT_EQ(format(Variant("abc"), "dd/mm/yyyy"), "abc");
    EXPECT_EQ(format(with_time), "15/01/2030 14:30:00");
}

TEST(Text, TrimAndLength) {
    EXPECT_EQ(trim("  a b  "), "a b");
    EXPECT_EQ(trim("   "), "");
    EXPECT_EQ(text_length("N.º Programação"), 15u);
    EXPECT_EQ(text_length(""), 0u);
}

TEST(Comparison, NumbersTextsEmptyAndNull) {
    struct Case {
        Variant a, b;
        Tri equal, a_less;
    };
    const Case cases[] = {
        {Variant::integer(10), Variant(10.0), Tri::True, Tri::False},
        {Variant(int64_t{3}), Variant::long_(4), Tri::False, Tri::True},
        {Variant(true), Variant(-1), Tri::True, Tri::False},
        {Variant(Date{2}), Variant(2), Tri::True, Tri::False},
        {Variant("abc"), Variant("abc"), Tri::True, Tri::False},
        {Variant("abc"), Variant("ABC"), Tri::False, Tri::False},
        {Variant("abc "), Variant("abc"), Tri::False, Tri::False},
        {Variant("Á"), Variant("z"), Tri::False, Tri::False},
        {Variant(99), Variant("1"), Tri::False, Tri::True},
        {Variant(), Variant(0), Tri::True, Tri::False},
        {Variant(), Variant(-1), Tri::False, Tri::False},
        {Variant(), Variant(""), Tri::True, Tri::False},
        {Variant(), Variant("a"), Tri::False, Tri::True},
        {Variant(), Variant(), Tri::True, Tri::False},
        {Variant::null(), Variant::null(), Tri::Null, Tri::Null},
        {Variant::null(), Variant(1), Tri::Null, Tri::Null},
        {Variant(""), Variant::null(), Tri::Null, Tri::Null},
        {object_holding(Variant(5)), Variant(5), Tri::True, Tri::False},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(equals(cases[i].a, cases[i].b), cases[i].equal) << "case " << i;
        EXPECT_EQ(less(cases[i].a, cases[i].b), cases[i].a_less) << "case " << i;
    }
    EXPECT_EQ(not_equals(Variant("A"), Variant("a")), Tri::True);
    EXPECT_EQ(greater(Variant("b"), Variant("a")), Tri::True);
    EXPECT_FALSE(is_true(equals(Variant::null(), Variant::null())));
    EXPECT_EQ(error_number([] { equals(array_of({}), Variant(1)); }), err::kTypeMismatch);
}

TEST(Variants, ArraysAreValues) {
    Variant first = array_of({Variant(1), Variant("x")});
    Variant copy = first;
    copy.array_mut().at(0) = Variant(2);
    EXPECT_EQ(first.array().at(0), Variant(1));
    EXPECT_EQ(copy.array().at(0), Variant(2));
    EXPECT_EQ(error_number([&] { first.array().at(2); }), err::kSubscriptOutOfRange);
    EXPECT_EQ(Variant(Array{1, {Variant()}}).array().upper_bound(), 1);
    EXPECT_EQ(first.type(), VarType::Array);
    EXPECT_FALSE(Variant::integer(1) == Variant::long_(1));  // identity includes the type
}

}  // namespace
}  // namespace zolt::automation
