// Date literals, the server clock, procedure calls and procedure definitions
// in statement texts.
#include "platform/sqlite/sql_text.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>

#include "platform/ado/ado.h"

namespace zolt::sqlite {

void raise_provider_error(std::string description) {
    throw automation::AutomationError(ado::err::kProviderError, std::move(description), "Provider");
}

namespace {

// Classes of the bytes of a statement text, looked up rather than computed:
// texts are scanned byte by byte on every call.
enum : uint8_t { kSpace = 1, kDigit = 2, kName = 4 };
constexpr std::array<uint8_t, 256> kClasses = [] {
    std::array<uint8_t, 256> classes{};
    for (const char c : {' ', '\t', '\r', '\n', '\f', '\v'})
        classes[static_cast<unsigned char>(c)] = kSpace;
    for (int c = 0; c < 256; ++c) {
        if (c >= '0' && c <= '9')
            classes[c] = kDigit | kName;
        else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$' || c >= 0x80)
            classes[c] = kName;
    }
    return classes;
}();

bool is_space(char c) { return kClasses[static_cast<unsigned char>(c)] & kSpace; }
bool is_digit(char c) { return kClasses[static_cast<unsigned char>(c)] & kDigit; }
bool is_name_char(char c) { return kClasses[static_cast<unsigned char>(c)] & kName; }
// Letters folded to lower case by a table: names and keywords are compared
// on every statement.
constexpr std::array<char, 256> kLower = [] {
    std::array<char, 256> folded{};
    for (int c = 0; c < 256; ++c)
        folded[c] = static_cast<char>(c >= 'A' && c <= 'Z' ? c | 0x20 : c);
    return folded;
}();
char lower(char c) { return kLower[static_cast<unsigned char>(c)]; }

std::string_view skip_spaces(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && is_space(text[i]))
        ++i;
    return text.substr(i);
}

// Length of the leading run of name characters.
std::size_t name_length(std::string_view text) {
    std::size_t n = 0;
    while (n < text.size() && is_name_char(text[n]))
        ++n;
    return n;
}

// Length of a quoted text, comment or quoted name at the start of text, or 0
// when it does not start with one. An unclosed one runs to the end.
std::size_t quoted_length(std::string_view text) {
    if (text.empty())
        return 0;
    auto through = [&](std::size_t from, std::string_view closing) {
        const auto end = text.find(closing, from);
        return end == std::string_view::npos ? text.size() : end + closing.size();
    };
    switch (text[0]) {
    case '\'':  // a doubled quote closes and reopens, which copies the same way
        return through(1, "'");
    case '"':
        return through(1, "\"");
    case '`':
        return through(1, "`");
    case '[':
        return through(1, "]");
    case '-':
        return text.size() > 1 && text[1] == '-' ? through(2, "\n") : 0;
    case '/':
        return text.size() > 1 && text[1] == '*' ? through(2, "*/") : 0;
    default:
        return 0;
    }
}

bool read_int(std::string_view text, std::size_t& pos, std::size_t digits, int& out) {
    if (pos + digits > text.size())
        return false;
    int value = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        const char c = text[pos + i];
        if (!is_digit(c))
            return false;
        value = value * 10 + (c - '0');
    }
    pos += digits;
    out = value;
    return true;
}

bool expect(std::string_view text, std::size_t& pos, char c) {
    if (pos >= text.size() || text[pos] != c)
        return false;
    ++pos;
    return true;
}

int days_in_month(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

// {ts '...'} or {d '...'} at the start of text: its length and its Julian day.
std::size_t date_escape(std::string_view text, double& julian) {
    std::size_t pos = 1;
    auto skip = [&] {
        while (pos < text.size() && is_space(text[pos]))
            ++pos;
    };
    skip();
    const std::size_t word = name_length(text.substr(pos));
    const std::string_view kind = text.substr(pos, word);
    if (!same_word(kind, "ts") && !same_word(kind, "d"))
        return 0;
    pos += word;
    skip();
    if (!expect(text, pos, '\''))
        return 0;
    const auto closing = text.find('\'', pos);
    if (closing == std::string_view::npos)
        return 0;
    const std::string_view literal = text.substr(pos, closing - pos);
    pos = closing + 1;
    skip();
    if (!expect(text, pos, '}'))
        return 0;
    if (!parse_julian_day(trim(literal), julian))
        raise_provider_error("Invalid date literal " + std::string(text.substr(0, pos)) + ".");
    return pos;
}

void append_number(std::string& out, double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

}  // namespace

std::string_view trim(std::string_view text) {
    text = skip_spaces(text);
    while (!text.empty() && is_space(text.back()))
        text.remove_suffix(1);
    return text;
}

bool same_word(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

bool starts_with_word(std::string_view text, std::string_view word) {
    return text.size() >= word.size() && same_word(text.substr(0, word.size()), word) &&
           (text.size() == word.size() || !is_name_char(text[word.size()]));
}

std::string_view skip_blanks_and_comments(std::string_view sql) {
    for (;;) {
        sql = skip_spaces(sql);
        if (sql.starts_with("--") || sql.starts_with("/*"))
            sql.remove_prefix(quoted_length(sql));
        else
            return sql;
    }
}

double julian_day(int year, int month, int day, int hour, int minute, double second) {
    // The engine's own arithmetic, step by step, so that equal instants give
    // equal numbers.
    int y = year, m = month;
    if (m <= 2) {
        --y;
        m += 12;
    }
    const int a = y / 100;
    const int b = 2 - a + a / 4;
    const int x1 = 36525 * (y + 4716) / 100;
    const int x2 = 306001 * (m + 1) / 10000;
    int64_t milliseconds = static_cast<int64_t>((x1 + x2 + day + b - 1524.5) * 86400000);
    milliseconds += hour * 3600000 + minute * 60000 + static_cast<int64_t>(second * 1000 + 0.5);
    return static_cast<double>(milliseconds) / 86400000.0;
}

bool parse_julian_day(std::string_view text, double& out) {
    std::size_t pos = 0;
    int year, month, day, hour = 0, minute = 0;
    double second = 0;
    if (!read_int(text, pos, 4, year) || !expect(text, pos, '-') || !read_int(text, pos, 2, month) ||
        !expect(text, pos, '-') || !read_int(text, pos, 2, day))
        return false;
    if (month < 1 || month > 12 || day < 1 || day > days_in_month(year, month))
        return false;
    if (pos < text.size()) {
        if (text[pos] != ' ' && text[pos] != 'T')
            return false;
        ++pos;
        if (!read_int(text, pos, 2, hour) || !expect(text, pos, ':') || !read_int(text, pos, 2, minute))
            return false;
        if (pos < text.size()) {
            int whole;
            if (!expect(text, pos, ':') || !read_int(text, pos, 2, whole))
                return false;
            second = whole;
            if (pos < text.size()) {
                if (text[pos] != '.' || pos + 1 == text.size())
                    return false;
                double fraction = 0, scale = 0.1;
                for (++pos; pos < text.size(); ++pos, scale /= 10) {
                    if (!is_digit(text[pos]))
                        return false;
                    fraction += (text[pos] - '0') * scale;
                }
                second += fraction;
            }
        }
        if (hour > 23 || minute > 59 || second >= 60)
            return false;
    }
    out = julian_day(year, month, day, hour, minute, second);
    return true;
}

bool needs_rewrite(std::string_view sql) {
    if (sql.find('{') != std::string_view::npos)
        return true;
    static constexpr std::string_view kSysdate = "sysdate";
    // Its y first, a letter few statement texts hold.
    for (std::size_t i = 0; i + kSysdate.size() <= sql.size(); ++i)
        if (lower(sql[i + 1]) == 'y' && same_word(sql.substr(i, kSysdate.size()), kSysdate))
            return true;
    return false;
}

std::string rewrite_inline_sql(std::string_view sql) {
    std::string out;
    out.reserve(sql.size() + 16);
    std::size_t i = 0;
    while (i < sql.size()) {
        const std::string_view rest = sql.substr(i);
        if (const std::size_t quoted = quoted_length(rest)) {
            out.append(rest.substr(0, quoted));
            i += quoted;
            continue;
        }
        const char c = sql[i];
        if (c == '{') {
            double julian;
            if (const std::size_t escape = date_escape(rest, julian)) {
                append_number(out, julian);
                i += escape;
                continue;
            }
        } else if (is_name_char(c)) {
            const std::size_t length = name_length(rest);
            const std::string_view name = rest.substr(0, length);
            const bool qualified = i > 0 && (sql[i - 1] == '.' || sql[i - 1] == '@' || sql[i - 1] == ':');
            const bool called = skip_spaces(rest.substr(length)).starts_with('(');
            out.append(name);
            if (same_word(name, "sysdate") && !qualified && !called)
                out.append("()");
            i += length;
            continue;
        }
        out.push_back(c);
        ++i;
    }
    return out;
}

// ---- procedure calls -------------------------------------------------------

namespace {

// A number as written, as a whole significand times a power of ten, so that
// its size and whether a double holds it exactly can be told without
// rounding. Only the first 19 significant digits are kept.
struct Decimal {
    uint64_t significand = 0;
    int digits = 0;          // significant digits, trailing zeros not counted
    int64_t exponent = 0;    // of the last significant digit
};

Decimal decimal_of(std::string_view text) {
    Decimal decimal;
    std::size_t i = text.starts_with('+') || text.starts_with('-') ? 1 : 0;
    int zeros = 0;  // pending zeros after the last nonzero digit
    bool point = false;
    for (; i < text.size() && (is_digit(text[i]) || text[i] == '.'); ++i) {
        if (text[i] == '.') {
            point = true;
            continue;
        }
        if (point)
            --decimal.exponent;
        const int digit = text[i] - '0';
        if (digit == 0) {
            zeros += decimal.digits > 0;
            continue;
        }
        for (; zeros >= 0; --zeros) {
            if (decimal.digits < 19)
                decimal.significand = decimal.significand * 10 + (zeros > 0 ? 0 : digit);
            else
                ++decimal.exponent;
            ++decimal.digits;
        }
        zeros = 0;
    }
    decimal.exponent += zeros;
    if (++i < text.size()) {  // past the e of an exponent
        const bool negative = text[i] == '-';
        i += text[i] == '+' || text[i] == '-';
        int64_t exponent = 0;
        for (; i < text.size(); ++i)
            exponent = std::min<int64_t>(exponent * 10 + (text[i] - '0'), 1000000);
        decimal.exponent += negative ? -exponent : exponent;
    }
    return decimal;
}

// True when the real number written is a double exactly, and not zero: any
// correct reading of the text gives that very double, so binding it changes
// nothing. (A zero keeps its sign only as written: the engine reads -0.0 as
// negative zero but computes - ? as 0 - ?.)
bool exact_nonzero_double(std::string_view text) {
    const Decimal decimal = decimal_of(text);
    constexpr uint64_t kMostExact = uint64_t{1} << 53;
    if (decimal.digits == 0 || decimal.digits > 16)
        return false;
    uint64_t value = decimal.significand;
    if (decimal.exponent >= 0) {
        for (int64_t e = 0; e < decimal.exponent; ++e)
            if ((value *= 10) > kMostExact)
                return false;
        return value <= kMostExact;
    }
    // A fraction: exact when it is a whole number over a power of two, that
    // is when the significand is a multiple of 5 to the number of decimals.
    if (decimal.exponent < -22 || value > kMostExact)
        return false;
    uint64_t five_power = 1;
    for (int64_t e = 0; e < -decimal.exponent; ++e)
        five_power *= 5;
    return value % five_power == 0;
}

// One literal at the start of text; its length, or 0 when there is none.
std::size_t read_literal(std::string_view text, Literal& literal) {
    if (text.empty())
        return 0;
    std::size_t start = 0;
    if ((text[0] == 'N' || text[0] == 'n') && text.size() > 1 && text[1] == '\'')
        start = 1;  // N'...' is a text like any other here
    if (text[start] == '\'') {
        literal.kind = Literal::Kind::Text;
        literal.text.clear();
        for (std::size_t i = start + 1;;) {
            const std::size_t quote = text.find('\'', i);
            if (quote == std::string_view::npos)
                raise_provider_error("Unclosed quotation mark in procedure call.");
            literal.text.append(text.substr(i, quote - i));
            if (quote + 1 < text.size() && text[quote + 1] == '\'') {
                literal.text.push_back('\'');  // a doubled quote stands for one
                i = quote + 2;
            } else {
                return quote + 1;
            }
        }
    }
    if ((text[0] == 'N' || text[0] == 'n') && starts_with_word(text, "NULL")) {
        literal.kind = Literal::Kind::Null;
        return 4;
    }
    std::size_t i = 0;
    if (text[i] == '+' || text[i] == '-')
        ++i;
    const std::size_t digits_start = i;
    bool whole = true;
    while (i < text.size() && is_digit(text[i]))
        ++i;
    if (i < text.size() && text[i] == '.') {
        whole = false;
        ++i;
        while (i < text.size() && is_digit(text[i]))
            ++i;
    }
    if (i == digits_start || (i == digits_start + 1 && !whole))
        return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        if (j < text.size() && is_digit(text[j])) {
            whole = false;
            i = j;
            while (i < text.size() && is_digit(text[i]))
                ++i;
        }
    }
    if (i < text.size() && is_name_char(text[i]))
        return 0;
    literal.text.assign(text.data(), i);
    if (whole && i - digits_start <= 18) {
        // Eighteen digits always fit in 64 bits: read them as they are scanned.
        int64_t value = 0;
        for (std::size_t k = digits_start; k < i; ++k)
            value = value * 10 + (text[k] - '0');
        literal.kind = Literal::Kind::Integer;
        literal.integer = text[0] == '-' ? -value : value;
        return i;
    }
    const char* first = literal.text.data() + (literal.text[0] == '+' ? 1 : 0);
    const char* last = literal.text.data() + literal.text.size();
    if (whole && std::from_chars(first, last, literal.integer).ec == std::errc()) {
        literal.kind = Literal::Kind::Integer;
    } else {
        literal.kind = Literal::Kind::Real;
        if (std::from_chars(first, last, literal.real).ec == std::errc::result_out_of_range) {
            const Decimal decimal = decimal_of(literal.text);
            const double size = decimal.digits + decimal.exponent > 0 ? HUGE_VAL : 0.0;
            literal.real = literal.text[0] == '-' ? -size : size;
        }
    }
    return i;
}

// One argument of a procedure call at the start of text: its length, or 0
// when there is none. A {ts '...'} or {d '...'} is a text holding the date as
// written, which a date parameter reads; a date that is not one raises. A
// quoted text with doubled quotes is undone into unquoted, whose room then
// holds every later one of the call without moving.
std::size_t read_argument(std::string_view text, Argument& argument, std::string& unquoted) {
    const char first = text[0];
    if (first == '{') {
        double julian = 0;
        const std::size_t length = date_escape(text, julian);
        if (length == 0)
            return 0;
        const std::string_view escape = text.substr(0, length);
        const std::size_t open = escape.find('\''), close = escape.rfind('\'');
        argument.kind = Literal::Kind::Text;
        argument.text = trim(escape.substr(open + 1, close - open - 1));
        return length;
    }
    if (first == '\'' || ((first == 'N' || first == 'n') && text.size() > 1 && text[1] == '\'')) {
        argument.kind = Literal::Kind::Text;
        const std::size_t start = first == '\'' ? 1 : 2;
        std::size_t quote = text.find('\'', start);
        if (quote != std::string_view::npos && (quote + 1 == text.size() || text[quote + 1] != '\'')) {
            argument.text = text.substr(start, quote - start);  // the usual text, without a quote of its own
            return quote + 1;
        }
        if (unquoted.empty())  // room on the heap, which a call moved elsewhere takes along
            unquoted.reserve(std::max<std::size_t>(text.size(), 32));
        const std::size_t from = unquoted.size();
        for (std::size_t i = start;; i = quote + 2) {
            quote = text.find('\'', i);
            if (quote == std::string_view::npos)
                raise_provider_error("Unclosed quotation mark in procedure call.");
            unquoted.append(text.substr(i, quote - i));
            if (quote + 1 == text.size() || text[quote + 1] != '\'') {
                argument.text = std::string_view(unquoted).substr(from);
                return quote + 1;
            }
            unquoted.push_back('\'');  // a doubled quote stands for one
        }
    }
    // A whole number of up to 18 digits, the usual argument, read at once.
    std::size_t i = first == '+' || first == '-' ? 1 : 0;
    const std::size_t digits = i;
    const std::size_t most = std::min(text.size(), digits + 18);
    int64_t value = 0;
    for (unsigned digit; i < most && (digit = static_cast<unsigned char>(text[i] - '0')) <= 9; ++i)
        value = value * 10 + digit;
    if (i > digits && (i == text.size() || (!is_name_char(text[i]) && text[i] != '.'))) {
        argument.kind = Literal::Kind::Integer;
        argument.integer = first == '-' ? -value : value;
        argument.text = text.substr(0, i);
        return i;
    }
    Literal literal;
    const std::size_t length = read_literal(text, literal);
    argument.kind = literal.kind;
    argument.integer = literal.integer;
    argument.real = literal.real;
    argument.text = literal.kind == Literal::Kind::Null ? std::string_view{} : text.substr(0, length);
    return length;
}

// The literal a statement holds at the start of text, if any: a quoted text
// or a plain number (not a blob, a name or a hexadecimal number).
std::size_t statement_literal(std::string_view sql, std::size_t at, Literal& literal) {
    const char before = at > 0 ? sql[at - 1] : ' ';
    if (is_name_char(before) || before == '.')
        return 0;
    const std::string_view text = sql.substr(at);
    if (text[0] == '\'') {
        // Read in one pass, a run up to each quote at a time: a doubled
        // quote stands for one and stays inside the text. An unclosed text is
        // no literal: the engine refuses it with its own error.
        literal.kind = Literal::Kind::Text;
        literal.text.clear();
        for (std::size_t i = 1;;) {
            const std::size_t quote = text.find('\'', i);
            if (quote == std::string_view::npos)
                return 0;
            literal.text.append(text.data() + i, quote - i);
            if (quote + 1 == text.size() || text[quote + 1] != '\'')
                return quote + 1;
            literal.text.push_back('\'');
            i = quote + 2;
        }
    }
    if (is_digit(text[0])) {
        // A whole number of up to 18 digits, the usual value, read at once.
        int64_t value = 0;
        std::size_t i = 0;
        for (; i < text.size() && i < 18 && is_digit(text[i]); ++i)
            value = value * 10 + (text[i] - '0');
        if (i == text.size() || (!is_name_char(text[i]) && text[i] != '.')) {
            literal.kind = Literal::Kind::Integer;
            literal.integer = value;
            literal.text.assign(text.data(), i);
            return i;
        }
    }
    if (is_digit(text[0]) || (text[0] == '.' && text.size() > 1 && is_digit(text[1])))
        return read_literal(text, literal);
    return 0;
}

// True when a bound value answers exactly as the literal does: texts and
// whole numbers of 64 bits do; a whole number beyond them does not (the
// engine reads -9223372036854775808 as a whole number but computes - ? as
// 0 - ?), nor a real that no double holds exactly (the engine's own reading
// of its text may round otherwise).
bool bindable(const Literal& literal) {
    return literal.kind != Literal::Kind::Real ||
           (literal.text.find_first_of(".eE") != std::string::npos && exact_nonzero_double(literal.text));
}

// The words that matter to the shape of a query.
enum class Keyword { None, Select, Returning, Order, Group, Distinct, From, Clause, Sysdate };

Keyword keyword_of(std::string_view word) {
    switch (word.size()) {
    case 4:
        return same_word(word, "FROM") ? Keyword::From : Keyword::None;
    case 5:
        if (same_word(word, "ORDER"))
            return Keyword::Order;
        if (same_word(word, "GROUP"))
            return Keyword::Group;
        return same_word(word, "WHERE") || same_word(word, "LIMIT") || same_word(word, "UNION") ? Keyword::Clause
                                                                                                 : Keyword::None;
    case 6:
        if (same_word(word, "SELECT"))
            return Keyword::Select;
        return same_word(word, "HAVING") || same_word(word, "EXCEPT") || same_word(word, "VALUES") ? Keyword::Clause
                                                                                                   : Keyword::None;
    case 7:
        return same_word(word, "SYSDATE") ? Keyword::Sysdate : Keyword::None;
    case 8:
        return same_word(word, "DISTINCT") ? Keyword::Distinct : Keyword::None;
    case 9:
        if (same_word(word, "RETURNING"))
            return Keyword::Returning;
        return same_word(word, "INTERSECT") ? Keyword::Clause : Keyword::None;
    default:
        return Keyword::None;
    }
}

// True when what follows a value is an alias that ends its result column:
// [AS] name, then a ',', ')', ';', FROM or the end. The column is then named
// by the alias, whatever the value.
bool aliased(std::string_view rest) {
    auto name_at = [](std::string_view text) {
        const std::size_t length = name_length(text);
        return length > 0 && !is_digit(text[0]) ? length : 0;
    };
    rest = skip_spaces(rest);
    std::size_t length = name_at(rest);
    const std::string_view word = rest.substr(0, length);
    if (same_word(word, "AS")) {
        rest = skip_spaces(rest.substr(length));
        length = name_at(rest);
    } else if (same_word(word, "ISNULL") || same_word(word, "NOTNULL")) {
        return false;  // operators, not names
    }
    if (length == 0)
        return false;
    rest = skip_spaces(rest.substr(length));
    return rest.empty() || rest[0] == ',' || rest[0] == ')' || rest[0] == ';' || starts_with_word(rest, "FROM");
}

std::string_view near(std::string_view text) { return text.substr(0, std::min<std::size_t>(text.size(), 30)); }

}  // namespace

std::optional<ProcedureCall> parse_procedure_call(std::string_view sql) {
    ProcedureCall call;
    if (!parse_procedure_call(sql, call))
        return std::nullopt;
    return call;
}

// Characters of a procedure's name as written.
bool is_procedure_name_char(char c) { return is_name_char(c) || c == '.' || c == '#'; }

bool parse_procedure_call(std::string_view sql, ProcedureCall& call) {
    // The usual text, told apart at its first character.
    if (sql.empty() || ((sql[0] | 0x20) != 'e' && !is_space(sql[0]) && sql[0] != '-' && sql[0] != '/'))
        return false;
    std::string_view rest;
    const std::string_view head = call.head;
    if (!head.empty() && sql[0] == head[0] && sql.starts_with(head) &&
        (is_space(head.back()) || sql.size() == head.size() || !is_procedure_name_char(sql[head.size()]))) {
        rest = skip_spaces(sql.substr(head.size()));
    } else {
        rest = skip_spaces(sql);
        if (!rest.empty() && (rest[0] == '-' || rest[0] == '/'))
            rest = skip_blanks_and_comments(rest);
        if (rest.empty() || (rest[0] | 0x20) != 'e')
            return false;
        if (starts_with_word(rest, "EXEC"))
            rest.remove_prefix(4);
        else if (starts_with_word(rest, "EXECUTE"))
            rest.remove_prefix(7);
        else
            return false;
        rest = skip_spaces(rest);
        std::size_t length = 0;
        while (length < rest.size() && is_procedure_name_char(rest[length]))
            ++length;
        if (length == 0)
            raise_provider_error("A procedure call needs the name of the procedure.");
        call.procedure.assign(rest.substr(0, length));
        rest = skip_spaces(rest.substr(length));
        call.head.assign(sql.substr(0, sql.size() - rest.size()));
    }
    call.arguments.clear();
    call.unquoted.clear();

    auto finished = [](std::string_view text) {
        text = skip_spaces(text);
        if (text.starts_with(';'))
            text = skip_spaces(text.substr(1));
        return text.empty();
    };
    if (finished(rest))
        return true;
    for (;;) {
        const std::size_t used = read_argument(rest, call.arguments.emplace_back(), call.unquoted);
        if (used == 0)
            raise_provider_error("Procedure " + call.procedure + ": an argument must be a number, a quoted text, a "
                                 "date {ts '...'} or NULL, near '" + std::string(near(rest)) + "'.");
        rest = skip_spaces(rest.substr(used));
        if (!rest.starts_with(',')) {
            if (!finished(rest))
                raise_provider_error("Procedure " + call.procedure + ": unexpected text near '" +
                                     std::string(near(rest)) + "'.");
            return true;
        }
        rest = skip_spaces(rest.substr(1));
        if (finished(rest))
            raise_provider_error("Procedure " + call.procedure + ": an argument is missing after ','.");
    }
}

// ---- statements by shape ---------------------------------------------------

bool shape_into(std::string_view sql, ShapedStatement& shaped) {
    return shape_text(sql, shaped) == ShapeResult::Shaped && !shaped.values.empty();
}

ShapeResult shape_text(std::string_view sql, ShapedStatement& shaped) {
    shaped.text.clear();
    shaped.values.clear();
    shaped.marks.clear();
    // Where the scan stops early, whether the text needs rewriting is asked apart.
    const auto unshaped = [&] { return needs_rewrite(sql) ? ShapeResult::NeedsRewrite : ShapeResult::Unshaped; };
    const std::string_view start = skip_blanks_and_comments(sql);
    if (!starts_with_word(start, "SELECT") && !starts_with_word(start, "INSERT") &&
        !starts_with_word(start, "UPDATE") && !starts_with_word(start, "DELETE"))
        return unshaped();
    if (sql.find('\0') != std::string_view::npos)
        return unshaped();  // the engine reads a text only up to its first NUL
    constexpr std::size_t kMostValues = 999;
    constexpr int kDeepest = 63;

    int depth = 0;  // of parentheses
    // Bit d: the result columns of a query at depth d are being read. Their
    // names are their texts, and through a subquery in FROM they name the
    // columns of the query around it, so the literals in them stay; all but
    // a value that is a whole column of its own with an alias (SELECT 0 X),
    // outside any other query's result columns.
    uint64_t result_columns = 0;
    bool column_start = false;  // right after SELECT or a ','
    int numbered_from = -1;  // the depth of an ORDER BY or GROUP BY, whose numbers are columns
    Keyword previous = Keyword::None;
    std::size_t copied = 0;  // the text up to here is in shaped.text
    std::size_t i = sql.size() - start.size();
    while (i < sql.size()) {
        const char c = sql[i];
        if (is_space(c)) {
            ++i;
            continue;
        }
        const std::string_view rest = sql.substr(i);
        if (c == '\'' || is_digit(c) || (c == '.' && rest.size() > 1 && is_digit(rest[1]))) {
            Literal& literal = shaped.values.emplace_back();
            if (const std::size_t length = statement_literal(sql, i, literal)) {
                const uint64_t enclosing = result_columns & ((uint64_t{2} << depth) - 1);
                const bool named_by_alias = enclosing == uint64_t{1} << depth && column_start &&
                                            aliased(sql.substr(i + length));
                const bool in_result_columns = enclosing != 0 && !named_by_alias;
                const bool numbered = numbered_from >= 0 && depth >= numbered_from;
                column_start = false;
                if (in_result_columns || numbered || !bindable(literal)) {
                    shaped.values.pop_back();
                } else {
                    if (shaped.values.size() > kMostValues)
                        return unshaped();
                    shaped.text.append(sql.substr(copied, i - copied));
                    shaped.marks.push_back(shaped.text.size());
                    shaped.text.push_back('?');
                    copied = i + length;
                }
                previous = Keyword::None;
                i += length;
                continue;
            }
            shaped.values.pop_back();
        }
        std::size_t length = is_name_char(c) ? 0 : quoted_length(rest);
        if (length == 0 && is_name_char(c)) {
            if (c == '$')
                return unshaped();  // a parameter of the text's own
            length = name_length(rest);
            const Keyword word = keyword_of(rest.substr(0, length));
            if (word == Keyword::Sysdate && !(i > 0 && sql[i - 1] == '.') &&
                !skip_spaces(rest.substr(length)).starts_with('('))
                return ShapeResult::NeedsRewrite;  // the server clock, written bare
            const uint64_t here = uint64_t{1} << depth;
            if (word == Keyword::Select || (depth == 0 && word == Keyword::Returning))
                result_columns |= here;
            else if (word == Keyword::Clause || (word == Keyword::From && previous != Keyword::Distinct))
                result_columns &= ~here;  // (IS [NOT] DISTINCT FROM is an operator)
            if (numbered_from < 0 && (word == Keyword::Order || word == Keyword::Group))
                numbered_from = depth;
            previous = word;
            column_start = word == Keyword::Select;
        } else if (length == 0) {
            length = 1;
            if (c == '{')
                return ShapeResult::NeedsRewrite;
            if (c == '?' || c == ':' || c == '@' || c == '#')
                return unshaped();  // a parameter of the text's own
            if (c == ';' && !skip_blanks_and_comments(rest.substr(1)).empty())
                return unshaped();  // a script
            if (c == '(' && ++depth > kDeepest)
                return unshaped();
            if (c == ')') {
                if (depth == 0)
                    return unshaped();  // unbalanced: the engine says what is wrong
                result_columns &= ~(uint64_t{1} << depth);
                if (--depth < numbered_from)
                    numbered_from = -1;
            }
            previous = Keyword::None;
            column_start = c == ',';
        } else if (c != '-' && c != '/') {
            previous = Keyword::None;  // a quoted name or text; comments leave it
            column_start = false;
        }
        i += length;
    }
    // Without values the shape is the text itself: found again by comparing
    // the two rather than by reading it afresh.
    shaped.text.append(sql.substr(copied));
    return ShapeResult::Shaped;
}

// The scan of shape_text starts each value of `like` at the same place of the
// same text, in the same state; only the values themselves can change what it
// does, and each is read as that scan reads it.
namespace {

// A date escape where a shape read from rewritten texts has a value: the
// literal its rewriting would stand there, the Julian day number as written
// (0 when that would be no literal of its own, one a bound value would not
// reproduce, or the escape is no date).
std::size_t escape_literal(std::string_view sql, std::size_t at, Literal& literal) {
    double julian = 0;
    std::size_t length = 0;
    try {
        length = date_escape(sql.substr(at), julian);
    } catch (...) {
        return 0;  // read afresh, where the rewriting raises it
    }
    if (length == 0)
        return 0;
    // A day at midnight or at noon, the usual date, is written as its whole
    // number with ".5" or with nothing after it: its literal is made at once,
    // as reading that text would make it, unless a character around it would
    // join the number. Either is a double exactly.
    const char before = at > 0 ? sql[at - 1] : ' ';
    const char after = at + length < sql.size() ? sql[at + length] : ' ';
    const double whole = std::floor(julian);
    if ((julian == whole || julian - whole == 0.5) && whole > 0 && whole < 1e15 && !is_name_char(before) &&
        before != '.' && !is_name_char(after) && after != '.') {
        char digits[24];
        char* end = std::to_chars(digits, digits + 20, static_cast<int64_t>(whole)).ptr;
        if (julian == whole) {
            literal.kind = Literal::Kind::Integer;
            literal.integer = static_cast<int64_t>(whole);
        } else {
            *end++ = '.';
            *end++ = '5';
            literal.kind = Literal::Kind::Real;
            literal.real = julian;
        }
        literal.text.assign(digits, end);
        return length;
    }
    // The character before and the one after, with the number between.
    char rewritten[48];
    rewritten[0] = at > 0 ? sql[at - 1] : ' ';
    char* end = std::to_chars(rewritten + 1, rewritten + 40, julian).ptr;
    const auto written = static_cast<std::size_t>(end - rewritten - 1);
    if (at + length < sql.size())
        *end++ = sql[at + length];
    const std::string_view text(rewritten, static_cast<std::size_t>(end - rewritten));
    return statement_literal(text, 1, literal) == written && bindable(literal) ? length : 0;
}

}  // namespace

bool shape_like(std::string_view sql, const ShapedStatement& like, ShapedStatement& shaped) {
    if (like.text.empty())
        return false;
    const std::string_view pattern = like.text;
    shaped.values.resize(like.marks.size());
    std::size_t at = 0, from = 0;  // in sql, in the pattern
    for (std::size_t k = 0; k < like.marks.size(); ++k) {
        const std::string_view between = pattern.substr(from, like.marks[k] - from);
        if (sql.substr(at, between.size()) != between)
            return false;
        at += between.size();
        if (at >= sql.size())
            return false;
        Literal& literal = shaped.values[k];
        // The text between the values is the pattern's, which holds no NUL.
        std::size_t length = statement_literal(sql, at, literal);
        if (length > 0 && !bindable(literal))
            return false;
        if (length == 0 && sql[at] == '{')
            length = escape_literal(sql, at, literal);
        // Only a text can hold a NUL, which the engine would end the statement at.
        if (length == 0 ||
            (literal.kind == Literal::Kind::Text && sql.substr(at, length).find('\0') != std::string_view::npos))
            return false;
        at += length;
        from = like.marks[k] + 1;
    }
    if (sql.substr(at) != pattern.substr(from))
        return false;
    if (&shaped != &like) {
        shaped.text = like.text;
        shaped.marks = like.marks;
    }
    return true;
}

std::optional<ShapedStatement> shape_of(std::string_view sql) {
    ShapedStatement shaped;
    if (!shape_into(sql, shaped))
        return std::nullopt;
    return shaped;
}

// ---- procedure definitions -------------------------------------------------

std::optional<ProcedureDefinition> parse_procedure_definition(std::string_view sql) {
    std::string_view rest = skip_blanks_and_comments(sql);
    if (!starts_with_word(rest, "CREATE"))
        return std::nullopt;
    rest = skip_spaces(rest.substr(6));
    if (starts_with_word(rest, "PROCEDURE"))
        rest.remove_prefix(9);
    else if (starts_with_word(rest, "PROC"))
        rest.remove_prefix(4);
    else
        return std::nullopt;

    ProcedureDefinition definition;
    rest = skip_spaces(rest);
    const std::size_t length = name_length(rest);
    if (length == 0)
        raise_provider_error("CREATE PROCEDURE needs the name of the procedure.");
    definition.name = std::string(rest.substr(0, length));
    rest = skip_spaces(rest.substr(length));

    if (rest.starts_with('(')) {
        // The list may hold parentheses of its own, as in VARCHAR(20).
        int depth = 0;
        std::size_t i = 0;
        for (; i < rest.size(); ++i) {
            if (rest[i] == '(')
                ++depth;
            else if (rest[i] == ')' && --depth == 0)
                break;
        }
        if (i == rest.size())
            raise_provider_error("Procedure " + definition.name + ": the parameter list is not closed.");
        definition.parameters = std::string(trim(rest.substr(1, i - 1)));
        rest = skip_spaces(rest.substr(i + 1));
    } else {
        // Without parentheses the list runs up to AS.
        std::size_t i = 0;
        while (i < rest.size() && !(starts_with_word(rest.substr(i), "AS") && (i == 0 || is_space(rest[i - 1]))))
            ++i;
        definition.parameters = std::string(trim(rest.substr(0, i)));
        rest = rest.substr(i);
    }
    if (!starts_with_word(rest, "AS"))
        raise_provider_error("Procedure " + definition.name + ": AS is missing before the body.");
    definition.body = std::string(trim(rest.substr(2)));
    if (skip_blanks_and_comments(definition.body).empty())
        raise_provider_error("Procedure " + definition.name + " has no body.");
    parse_parameters(definition.parameters);  // refuses a malformed list now rather than at the first call
    return definition;
}

std::vector<Parameter> parse_parameters(std::string_view list) {
    std::vector<Parameter> parameters;
    list = trim(list);
    while (!list.empty()) {
        int depth = 0;
        std::size_t end = 0;
        for (; end < list.size(); ++end) {
            if (list[end] == '(')
                ++depth;
            else if (list[end] == ')')
                --depth;
            else if (list[end] == ',' && depth == 0)
                break;
        }
        const std::string_view item = trim(list.substr(0, end));
        list = end < list.size() ? trim(list.substr(end + 1)) : std::string_view{};

        const std::size_t length = item.starts_with('@') ? 1 + name_length(item.substr(1)) : 0;
        if (length < 2)
            raise_provider_error("A procedure parameter must be written as @NAME TYPE, not '" + std::string(item) +
                                 "'.");
        Parameter parameter;
        parameter.name = std::string(item.substr(0, length));
        std::string type;
        for (const char c : trim(item.substr(length)))
            type.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
        if (type.find("INT") != std::string::npos)
            parameter.type = ParameterType::Integer;
        else if (type.find("DATE") != std::string::npos || type.find("TIME") != std::string::npos)
            parameter.type = ParameterType::Date;
        else if (type.find("CHAR") != std::string::npos || type.find("TEXT") != std::string::npos)
            parameter.type = ParameterType::Text;
        else if (type.starts_with("REAL") || type.starts_with("FLOA") || type.starts_with("DOUB") ||
                 type.starts_with("NUM") || type.starts_with("DEC") || type.starts_with("MONEY"))
            parameter.type = ParameterType::Real;
        else
            raise_provider_error("Procedure parameter " + parameter.name + " has an unknown type '" + type + "'.");
        for (const auto& earlier : parameters)
            if (same_word(earlier.name, parameter.name))
                raise_provider_error("Procedure parameter " + parameter.name + " is declared twice.");
        parameters.push_back(std::move(parameter));
    }
    return parameters;
}

}  // namespace zolt::sqlite
