// Date values: the calendar, date texts day first, Format with date
// patterns, and the machine's clock.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <ctime>

#include "platform/automation/detail.h"
#include "platform/automation/variant.h"

namespace zolt::automation {

namespace {

// Serial numbers of 01/01/0100 and of the day after 31/12/9999: the range of
// dates a Date value may hold.
constexpr double kFirstSerial = -657434.0;
constexpr double kEndSerial = 2958466.0;
constexpr int64_t kSecondsPerDay = 86400;

// Days between 01/01/1970 and a civil date of the proleptic Gregorian calendar.
int64_t days_from_civil(int64_t year, int64_t month, int64_t day) {
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t year_of_era = year - era * 400;
    const int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return era * 146097 + day_of_era - 719468;
}

struct CivilDate {
    int year, month, day;
};

CivilDate civil_from_days(int64_t days) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t day_of_era = days - era * 146097;
    const int64_t year_of_era = (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
    const int64_t day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
    const int64_t mp = (5 * day_of_year + 2) / 153;
    const int day = static_cast<int>(day_of_year - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    return {static_cast<int>(year_of_era + era * 400 + (month <= 2)), month, day};
}

const int64_t kDayZero = days_from_civil(1899, 12, 30);

bool is_leap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in_month(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && is_leap(year) ? 29 : kDays[month - 1];
}

// A serial from a whole day count and a time of day in seconds. Before day
// zero the time of day is counted away from zero, as automation dates do.
Date serial_of(int64_t days, double seconds) {
    const double fraction = seconds / kSecondsPerDay;
    return Date{days < 0 ? static_cast<double>(days) - fraction : static_cast<double>(days) + fraction};
}

// ---- reading date texts ----------------------------------------------------

class Cursor {
public:
    explicit Cursor(std::string_view text) : text_(text) {}
    bool done() const { return at_ == text_.size(); }
    bool take(char c) {
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }
    // Between min_digits and max_digits decimal digits.
    bool number(int min_digits, int max_digits, int& out) {
        int digits = 0;
        out = 0;
        while (digits < max_digits && at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') {
            out = out * 10 + (text_[at_++] - '0');
            ++digits;
        }
        return digits >= min_digits;
    }
    bool blanks() {
        const std::size_t start = at_;
        while (at_ < text_.size() && detail::is_blank(text_[at_]))
            ++at_;
        return at_ > start;
    }

private:
    std::string_view text_;
    std::size_t at_ = 0;
};

struct TimeOfDay {
    int hour = 0, minute = 0, second = 0;
};

// "h:mm" or "hh:mm:ss".
bool read_time(Cursor& in, TimeOfDay& time) {
    if (!in.number(1, 2, time.hour) || !in.take(':') || !in.number(2, 2, time.minute))
        return false;
    if (in.take(':') && !in.number(2, 2, time.second))
        return false;
    return time.hour < 24 && time.minute < 60 && time.second < 60;
}

bool valid_day(int year, int month, int day) {
    return year >= 100 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= days_in_month(year, month);
}

// "dd/mm/yyyy[ hh:mm[:ss]]"
bool read_day_first(std::string_view text, CivilDate& date, TimeOfDay& time) {
    Cursor in(text);
    if (!in.number(1, 2, date.day) || !in.take('/') || !in.number(1, 2, date.month) || !in.take('/') ||
        !in.number(4, 4, date.year))
        return false;
    if (in.done())
        return true;
    return in.blanks() && read_time(in, time) && in.done();
}

// "yyyy-mm-dd[( |T)hh:mm[:ss]]"
bool read_year_first(std::string_view text, CivilDate& date, TimeOfDay& time) {
    Cursor in(text);
    if (!in.number(4, 4, date.year) || !in.take('-') || !in.number(1, 2, date.month) || !in.take('-') ||
        !in.number(1, 2, date.day))
        return false;
    if (in.done())
        return true;
    return (in.take('T') || in.blanks()) && read_time(in, time) && in.done();
}

// "hh:mm[:ss]": a time on day zero.
bool read_time_alone(std::string_view text, CivilDate& date, TimeOfDay& time) {
    Cursor in(text);
    date = {1899, 12, 30};
    return read_time(in, time) && in.done();
}

// "dd/mm/yyyy" or "dd/mm/yyyy hh:mm:ss" with every digit in its place, the
// form dates are written in, read without the general reader; false for any
// other text, which the general reader then reads.
bool read_written(std::string_view text, CivilDate& date, TimeOfDay& time) {
    if (text.size() != 10 && text.size() != 19)
        return false;
    const char* at = text.data();
    auto two = [at](std::size_t i, int& out) {
        const unsigned high = static_cast<unsigned char>(at[i]) - '0';
        const unsigned low = static_cast<unsigned char>(at[i + 1]) - '0';
        out = static_cast<int>(high * 10 + low);
        return high < 10 && low < 10;
    };
    CivilDate day{};
    TimeOfDay clock;
    int century = 0, year = 0;
    if (at[2] != '/' || at[5] != '/' || !two(0, day.day) || !two(3, day.month) || !two(6, century) ||
        !two(8, year))
        return false;
    day.year = century * 100 + year;
    if (text.size() == 19 &&
        (at[10] != ' ' || at[13] != ':' || at[16] != ':' || !two(11, clock.hour) || !two(14, clock.minute) ||
         !two(17, clock.second) || clock.hour >= 24 || clock.minute >= 60 || clock.second >= 60))
        return false;
    date = day;
    time = clock;
    return true;
}

// The calendar day and time of day of a date text; false when it is not one.
bool read_date(std::string_view text, CivilDate& date, TimeOfDay& time) {
    const std::string_view body = detail::strip_blanks(text);
    if (!read_written(body, date, time) && !read_day_first(body, date, time) &&
        !read_year_first(body, date, time) && !read_time_alone(body, date, time))
        return false;
    return valid_day(date.year, date.month, date.day);
}

// ---- writing dates ---------------------------------------------------------

// Writes n (0 to 9999) at `at` with zeros in front up to `width` digits and
// answers the end; dates are written on every call that reads or checks one,
// so this stays clear of the formatted-output machinery.
char* put_digits(char* at, int n, std::size_t width) {
    const std::size_t length = std::max<std::size_t>(n >= 1000 ? 4 : n >= 100 ? 3 : n >= 10 ? 2 : 1, width);
    for (std::size_t i = length; i-- > 0; n /= 10)
        at[i] = static_cast<char>('0' + n % 10);
    return at + length;
}

// Writes a date through a pattern of d, dd, m, mm, yy, yyyy, h, hh, n, nn, s,
// ss (letters in either case); m or mm after an hour stands for minutes; any
// other character is written as it is. No character of the pattern writes
// more than two, so the text is made in a buffer of that size.
std::string render(const DateParts& parts, std::string_view pattern) {
    if (pattern == "dd/mm/yyyy") {  // the usual one, written at once
        char text[10];
        put_digits(text, parts.day, 2);
        text[2] = '/';
        put_digits(text + 3, parts.month, 2);
        text[5] = '/';
        put_digits(text + 6, parts.year, 4);
        return std::string(text, sizeof text);
    }
    char local[64];
    std::string spill;
    char* const first = pattern.size() * 2 <= sizeof local ? local : (spill.resize(pattern.size() * 2), spill.data());
    char* at = first;
    bool after_hour = false;
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c | 0x20) : c; };
    for (std::size_t i = 0; i < pattern.size();) {
        const char letter = lower(pattern[i]);
        int value = 0;
        std::size_t longest = 2;  // letters of a run that count
        switch (letter) {
        case 'd': value = parts.day; break;
        case 'm': value = after_hour ? parts.minute : parts.month; break;
        case 'y': value = parts.year, longest = 4; break;
        case 'h': value = parts.hour; break;
        case 'n': value = parts.minute; break;
        case 's': value = parts.second; break;
        default: *at++ = pattern[i++]; continue;
        }
        std::size_t run = 1;
        while (run < longest && i + run < pattern.size() && lower(pattern[i + run]) == letter)
            ++run;
        if (letter == 'y')
            at = run >= 3 ? put_digits(at, value, 4) : put_digits(at, value % 100, 2);
        else
            at = put_digits(at, value, run);
        after_hour = letter == 'h';
        i += run;
    }
    return std::string(first, at);
}

// The parts of the date a value stands for when Format writes it with a date
// pattern; a text that is neither a date nor a number is written unchanged
// (false). A date text gives its parts as read.
bool date_for_format(const Variant& plain, DateParts& out) {
    if (!plain.is_text()) {
        out = split_date(to_date(plain));
        return true;
    }
    CivilDate date{};
    TimeOfDay time;
    if (read_date(plain.text(), date, time)) {
        out = {date.year, date.month, date.day, time.hour, time.minute, time.second};
        return true;
    }
    double serial = 0;
    if (!parse_number(plain.text(), serial))
        return false;
    out = split_date(to_date(Variant(serial)));  // a numeric text is a date serial
    return true;
}

}  // namespace

Date make_date(int year, int month, int day, int hour, int minute, double second) {
    const double seconds_of_day = hour * 3600.0 + minute * 60.0 + second;
    if (year >= 0 && month >= 1 && month <= 12 && seconds_of_day >= 0 && seconds_of_day < kSecondsPerDay)
        return serial_of(days_from_civil(year, month, 1) + day - 1 - kDayZero, seconds_of_day);  // nothing rolls over
    // Months and days outside their range roll over, as DateSerial does.
    const int64_t months = int64_t{year} * 12 + (month - 1);
    const int64_t whole_years = (months >= 0 ? months : months - 11) / 12;
    const int64_t first = days_from_civil(whole_years, months - whole_years * 12 + 1, 1);
    const double seconds = hour * 3600.0 + minute * 60.0 + second;
    if (!std::isfinite(seconds) || std::fabs(seconds) > 1e15)
        throw AutomationError::overflow();
    const double day_seconds = seconds - std::floor(seconds / kSecondsPerDay) * kSecondsPerDay;
    const int64_t days = first + day - 1 - kDayZero + static_cast<int64_t>(std::floor(seconds / kSecondsPerDay));
    return serial_of(days, day_seconds);
}

DateParts split_date(Date d) {
    if (!std::isfinite(d.serial) || d.serial <= kFirstSerial - 1 || d.serial >= kEndSerial)
        throw AutomationError::overflow();
    int64_t days = static_cast<int64_t>(d.serial);  // toward zero
    // Rounded to the nearest second, a half up (the product is not negative).
    const double exact = std::fabs(d.serial - static_cast<double>(days)) * kSecondsPerDay;
    int64_t seconds = static_cast<int64_t>(exact);
    seconds += exact - static_cast<double>(seconds) >= 0.5;
    if (seconds >= kSecondsPerDay) {
        seconds -= kSecondsPerDay;
        days += d.serial < 0 ? -1 : 1;
    }
    const CivilDate civil = civil_from_days(days + kDayZero);
    return {civil.year,
            civil.month,
            civil.day,
            static_cast<int>(seconds / 3600),
            static_cast<int>(seconds / 60 % 60),
            static_cast<int>(seconds % 60)};
}

Date now() {
    const std::time_t clock = std::time(nullptr);
    std::tm local{};
    localtime_r(&clock, &local);
    return make_date(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                     local.tm_sec);
}

bool parse_date(std::string_view text, Date& out) {
    CivilDate date{};
    TimeOfDay time;
    if (!read_date(text, date, time))
        return false;
    out = make_date(date.year, date.month, date.day, time.hour, time.minute, time.second);
    return true;
}

bool parse_date_parts(std::string_view text, DateParts& out) {
    CivilDate date{};
    TimeOfDay time;
    if (!read_date(text, date, time))
        return false;
    out = {date.year, date.month, date.day, time.hour, time.minute, time.second};
    return true;
}

bool is_date(const Variant& v) {
    try {
        Variant holder;
        const Variant& plain = plain_value(v, holder);
        Date ignored;
        return plain.type() == VarType::Date || (plain.is_text() && parse_date(plain.text(), ignored));
    } catch (const AutomationError&) {
        return false;  // a Nothing object is not a date
    }
}

Date to_date(const Variant& v) {
    Variant holder;
    const Variant& plain = plain_value(v, holder);
    if (plain.type() == VarType::Date)
        return plain.date();
    if (plain.is_text()) {
        Date date;
        if (!parse_date(plain.text(), date))
            throw AutomationError::type_mismatch();
        return date;
    }
    const double serial = to_double(plain);
    if (serial < kFirstSerial || serial >= kEndSerial)
        throw AutomationError::overflow();
    return Date{serial};
}

namespace detail {

std::string date_text(Date date) {
    // Written digit by digit: every date a call reads or checks is written.
    const DateParts parts = split_date(date);  // a year of four digits at most
    const bool has_time = parts.hour != 0 || parts.minute != 0 || parts.second != 0;
    const bool day_zero = parts.year == 1899 && parts.month == 12 && parts.day == 30;
    char text[20];
    char* end = text;
    auto two = [&](int n, char after) {
        *end++ = static_cast<char>('0' + n / 10);
        *end++ = static_cast<char>('0' + n % 10);
        if (after)
            *end++ = after;
    };
    if (!(day_zero && has_time)) {
        two(parts.day, '/');
        two(parts.month, '/');
        two(parts.year / 100, 0);
        two(parts.year % 100, has_time ? ' ' : 0);
    }
    if (has_time) {
        two(parts.hour, ':');
        two(parts.minute, ':');
        two(parts.second, 0);
    }
    return std::string(text, end);
}

}  // namespace detail

std::string format(const Variant& v, std::string_view pattern) {
    Variant holder;
    const Variant& plain = plain_value(v, holder);
    if (plain.is_null() || plain.is_empty())
        return {};
    if (pattern.empty())
        return to_text(plain);
    DateParts parts;
    if (!date_for_format(plain, parts))
        return plain.text();
    return render(parts, pattern);
}

}  // namespace zolt::automation
