// Reading the statement texts the embedded engine accepts beyond its own SQL:
// date literals, the server clock, procedure calls and procedure definitions.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zolt::sqlite {

// Every refusal of the engine is raised as a provider error of the data
// layer, with this description.
[[noreturn]] void raise_provider_error(std::string description);

// Dates are kept as Julian day numbers. The number is computed the way the
// engine's julianday() does (whole milliseconds), so a literal and a stored
// date of the same instant compare equal.
double julian_day(int year, int month, int day, int hour, int minute, double second);
// Reads "yyyy-mm-dd", optionally followed by ' ' or 'T' and "hh:mm", "hh:mm:ss"
// or "hh:mm:ss.fff"; false when the text is not such a date.
bool parse_julian_day(std::string_view text, double& out);

// Engine SQL for an inline text: a bare Sysdate becomes sysdate(), and
// {ts '...'} / {d '...'} literals become Julian day numbers. Quoted texts,
// quoted names and comments are kept as they are. A date literal that is not
// a date raises a provider error.
std::string rewrite_inline_sql(std::string_view sql);
// False when rewrite_inline_sql would give the text back unchanged.
bool needs_rewrite(std::string_view sql);

// The text without white space around it.
std::string_view trim(std::string_view text);

// The text after leading blanks and comments.
std::string_view skip_blanks_and_comments(std::string_view sql);

// A literal argument of a procedure call.
struct Literal {
    enum class Kind { Null, Integer, Real, Text };
    Kind kind = Kind::Null;
    int64_t integer = 0;
    double real = 0;
    std::string text;  // the text itself, or how a number was written
};

// A single SELECT, INSERT, UPDATE or DELETE with its literal numbers and
// quoted texts taken out: the text with a ? in place of each, and the values
// in order. Inline texts that differ only in their values then share one
// prepared statement. Literals whose place gives them a meaning of their own
// stay in the text: those in the result columns of every query (their names
// are their texts) and the column numbers of ORDER BY and GROUP BY; so do
// numbers that a bound value would not reproduce exactly.
struct ShapedStatement {
    std::string text;
    std::vector<Literal> values;
    std::vector<std::size_t> marks;  // where the ? of each value stands in text
};
// nullopt for any other statement, for a text with parameters or several
// statements of its own, and for one without literals.
std::optional<ShapedStatement> shape_of(std::string_view sql);
// The same into a statement of the caller's, whose buffers are reused; false
// where shape_of answers nullopt.
bool shape_into(std::string_view sql, ShapedStatement& shaped);
// The same, telling apart a text that is not shaped as it stands because
// rewrite_inline_sql would change it (its shape is that of the rewritten
// text), while reading the text only once. A statement without literals is
// Shaped too, with no values: its shape is its text.
enum class ShapeResult { Shaped, Unshaped, NeedsRewrite };
ShapeResult shape_text(std::string_view sql, ShapedStatement& shaped);
// Shapes sql by comparing it with a text shaped before, when the two differ
// only in the values that were taken out (or are equal, for a shape without
// values): the text between them is the same,
// and each of sql's values is one a full reading would take out. False when
// they differ otherwise (shape_text then reads sql afresh). shaped may be
// like itself: sql's values then replace its own.
bool shape_like(std::string_view sql, const ShapedStatement& like, ShapedStatement& shaped);

// A literal argument of a procedure call. Its text is a view into the text
// of the call, or into the call's own room for a quoted text whose doubled
// quotes were undone: it lives as long as both.
struct Argument {
    Literal::Kind kind = Literal::Kind::Null;
    int64_t integer = 0;
    double real = 0;
    std::string_view text;  // the text itself, or how a number was written
};

struct ProcedureCall {
    std::string procedure;
    std::vector<Argument> arguments;
    // Kept from one reading to the next. Calls repeat with other arguments:
    // a text that starts with the head read last names the same procedure,
    // and is read from its arguments on.
    std::string head;      // "EXEC name   ", up to the first argument
    std::string unquoted;  // the texts of arguments with doubled quotes
};

// "EXEC name arg, arg, ..." in any letter case (EXECUTE too); nullopt when the
// text is not a procedure call. Arguments are numbers, 'quoted' texts with ''
// for a quote, dates {ts '...'} or {d '...'} (given as the text inside the
// quotes), and NULL; anything else raises a provider error. The texts of the
// arguments are views into sql.
std::optional<ProcedureCall> parse_procedure_call(std::string_view sql);
// The same into a call of the caller's, whose buffers are reused; false when
// the text is not a procedure call.
bool parse_procedure_call(std::string_view sql, ProcedureCall& call);

enum class ParameterType { Integer, Real, Text, Date };

struct Parameter {
    std::string name;  // with its '@'
    ParameterType type = ParameterType::Text;
};

struct ProcedureDefinition {
    std::string name;
    std::string parameters;  // the declaration list as written, without parentheses
    std::string body;
};

// "CREATE PROCEDURE name (@p type, ...) AS body" in any letter case; nullopt
// when the text is not a procedure definition; a malformed one raises.
std::optional<ProcedureDefinition> parse_procedure_definition(std::string_view sql);

// "@p type, @q type": raises on a malformed list.
std::vector<Parameter> parse_parameters(std::string_view list);

// ASCII case-insensitive comparisons of names and keywords.
bool same_word(std::string_view a, std::string_view b);
bool starts_with_word(std::string_view text, std::string_view word);

}  // namespace zolt::sqlite
