// The Basic rules of the automation layer that the component relies on.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <tuple>

#include "platform/automation/variant.h"
#include "tests/support/helpers.h"

namespace zolt::automation {
namespace {

using test::error_number;
using test::object_holding;

Variant array_of(std::vector<Variant> items) { return Variant(Array{0, std::move(items)}); }

// Halves round to the even neighbour; texts, Booleans, dates and an object's
// value convert too. A text converts when all of it, blanks aside, is a
// decimal number; what is beyond a Long overflows.
TEST(Conversion, ToLongAndItsRefusals) {
    const std::pair<Variant, int32_t> cases[] = {
        {Variant(0.5), 0},    {Variant(1.5), 2},      {Variant(2.5), 2},    {Variant(-2.5), -2},
        {Variant(2.5001), 3}, {Variant(" 2.5 "), 2},  {Variant("-7"), -7},  {Variant("+.5"), 0},
        {Variant("7."), 7},   {Variant("1e3"), 1000}, {Variant(), 0},       {Variant(true), -1},
        {Variant(Date{45000.5}), 45000},              {Variant(int64_t{2147483647}), 2147483647},
        {object_holding(object_holding(Variant("34"))), 34},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(to_long(input), expected) << to_text(input);
    EXPECT_EQ(to_integer(Variant(6.5)), 6);

    const std::pair<Variant, int32_t> errors[] = {
        {Variant(2147483647.5), err::kOverflow},      {Variant(int64_t{1} << 40), err::kOverflow},
        {Variant("1e999"), err::kOverflow},           {Variant(std::nan("")), err::kOverflow},
        {Variant::null(), err::kInvalidUseOfNull}, {object_holding(Variant::null()), err::kInvalidUseOfNull},
        {array_of({Variant(1)}), err::kTypeMismatch}, {Variant(ObjectPtr()), err::kObjectNotSet},
    };
    for (const auto& [input, expected] : errors)
        EXPECT_EQ(error_number([&] { to_long(input); }), expected) << (input.is_text() ? input.text() : "");
    for (const char* text : {"abc", "", " ", "1,5", "-", ".", "1e", "0x10", "inf", "1 2"})
        EXPECT_EQ(error_number([&] { to_long(Variant(text)); }), err::kTypeMismatch) << text;
    EXPECT_EQ(error_number([] { to_integer(Variant(32767.5)); }), err::kOverflow);
    EXPECT_EQ(error_number([] { to_date(Variant("31/02/2030")); }), err::kTypeMismatch);
}

// Dates are day first; a date with no time of day is written without it, a
// time on day zero without the date.
TEST(Text, OfValues) {
    const std::pair<Variant, std::string> cases[] = {
        {Variant(), ""},
        {Variant(true), "True"},
        {Variant(2.5), "2.5"},
        {Variant(15.0), "15"},
        {Variant(1.0 / 3), "0.333333333333333"},
        {Variant(1e20), "1E+20"},
        {object_holding(Variant("abc")), "abc"},
        {Variant(make_date(2030, 1, 15)), "15/01/2030"},
        {Variant(make_date(2030, 1, 15, 14, 30)), "15/01/2030 14:30:00"},
        {Variant(make_date(1899, 12, 30, 8, 5, 9)), "08:05:09"},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(to_text(input), expected);
    EXPECT_EQ(error_number([] { to_text(Variant::null()); }), err::kInvalidUseOfNull);
    EXPECT_EQ(error_number([] { to_text(array_of({})); }), err::kTypeMismatch);
}

// A date is the count of days since 30/12/1899, the time of day its fraction,
// which before that day counts away from zero. A text's parts as read are
// those of the date it reads as.
TEST(Dates, TextsAndFormat) {
    const std::pair<const char*, std::optional<Date>> cases[] = {
        {" 5/1/2030 ", make_date(2030, 1, 5)},
        {"15/01/2030 12:00", Date{47498.5}},
        {"29/12/1899 06:00", Date{-1.25}},
        {"2030-01-15T14:30:05", make_date(2030, 1, 15, 14, 30, 5)},
        {"29/02/2028", make_date(2028, 2, 29)},
        {"08:05:09", make_date(1899, 12, 30, 8, 5, 9)},
        {"31/02/2030", {}}, {"29/02/2030", {}}, {"15/13/2030", {}}, {"15/01/30", {}},
        {"15/01/2030 24:00", {}}, {"abc", {}}, {"", {}}};
    auto fields = [](const DateParts& p) { return std::tuple(p.year, p.month, p.day, p.hour, p.minute, p.second); };
    for (const auto& [text, expected] : cases) {
        Date date;
        EXPECT_EQ(parse_date(text, date) ? std::optional(date) : std::nullopt, expected) << text;
        DateParts parts{};
        ASSERT_EQ(parse_date_parts(text, parts), expected.has_value()) << text;
        if (expected)
            EXPECT_EQ(fields(parts), fields(split_date(*expected))) << text;
    }
    EXPECT_EQ(format(Variant(Date{-1.25}), "yyyy-mm-dd hh:mm:ss"), "1899-12-29 06:00:00");
    const Variant with_time(make_date(2030, 1, 15, 14, 30));
    EXPECT_EQ(format(object_holding(with_time), "dd/mm/yyyy"), "15/01/2030");
    EXPECT_EQ(format(Variant("2030-02-01T10:00:00"), "dd/mm/yyyy"), "01/02/2030");
    EXPECT_EQ(format(with_time, "yyyy-mm-dd hh:mm:ss"), "2030-01-15 14:30:00");
    EXPECT_EQ(format(Variant::null(), "dd/mm/yyyy"), "");
    EXPECT_EQ(format(Variant("abc"), "dd/mm/yyyy"), "abc");
    EXPECT_EQ(format(Variant("38415"), "dd/mm/yyyy"), "04/03/2005");  // a date serial
    EXPECT_EQ(format(with_time), "15/01/2030 14:30:00");
}

// Numbers compare numerically, texts exactly, a number is below a text, Empty
// is 0 or "" as the other side needs, and Null makes the answer Null.
TEST(Comparison, NumbersTextsEmptyAndNull) {
    const std::tuple<Variant, Variant, Tri, Tri> cases[] = {  // a, b, a = b, a < b
        {Variant::integer(10), Variant(10.0), Tri::True, Tri::False},
        {Variant(true), Variant(-1), Tri::True, Tri::False},
        {Variant(Date{2}), Variant(2), Tri::True, Tri::False},
        {Variant("abc"), Variant("ABC"), Tri::False, Tri::False},
        {Variant("abc "), Variant("abc"), Tri::False, Tri::False},
        {Variant(99), Variant("1"), Tri::False, Tri::True},
        {Variant(), Variant(0), Tri::True, Tri::False},
        {Variant(), Variant(""), Tri::True, Tri::False},
        {Variant(), Variant("a"), Tri::False, Tri::True},
        {Variant(), Variant(), Tri::True, Tri::False},
        {Variant::null(), Variant(1), Tri::Null, Tri::Null},
        {object_holding(Variant(5)), Variant(5), Tri::True, Tri::False},
    };
    for (const auto& [a, b, equal, a_less] : cases) {
        EXPECT_EQ(equals(a, b), equal) << ::testing::PrintToString(a) << " = " << ::testing::PrintToString(b);
        EXPECT_EQ(less(a, b), a_less) << ::testing::PrintToString(a) << " < " << ::testing::PrintToString(b);
    }
    EXPECT_EQ(greater(Variant("b"), Variant("a")), Tri::True);
    EXPECT_FALSE(is_true(equals(Variant::null(), Variant::null())));
    EXPECT_EQ(error_number([] { equals(array_of({}), Variant(1)); }), err::kTypeMismatch);
}

TEST(Variants, ArraysAreValues) {
    Variant first = array_of({Variant(1), Variant("x")});
    Variant copy = first;
    copy.array_mut().at(0) = Variant(2);
    EXPECT_EQ(first.array().at(0), Variant(1));
    EXPECT_EQ(error_number([&] { first.array().at(2); }), err::kSubscriptOutOfRange);
    EXPECT_EQ(Variant(Array{1, {Variant()}}).array().upper_bound(), 1);
    EXPECT_FALSE(Variant::integer(1) == Variant::long_(1));  // identity includes the type
}

// A Variant takes a value that lives inside its own array, by copy and by
// move, kind for kind: the value is taken before the array goes.
TEST(Variants, TakeAValueFromTheirOwnArray) {
    const std::string long_text(40, 't');  // beyond a string's inline room
    Variant by_copy = array_of({Variant(long_text)});
    by_copy = by_copy.array().at(0);
    EXPECT_EQ(by_copy, Variant(long_text));
    Variant by_move = array_of({Variant(long_text), Variant(3)});
    by_move = std::move(by_move.array_mut().at(0));
    EXPECT_EQ(by_move, Variant(long_text));
    Variant plain = array_of({Variant(7)});
    plain = std::move(plain.array_mut().at(0));
    EXPECT_EQ(plain, Variant(7));
}

}  // namespace
}  // namespace zolt::automation
