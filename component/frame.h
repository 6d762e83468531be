// The frame every method of ZOLT shares: result start values, the dialect
// switch, statement texts, recordset styles, the procedure answer read-back,
// and the one error handler with its trailer.
#pragma once

#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "component/zolt.h"
#include "outside/outside.h"
#include "platform/ado/ado.h"
#include "platform/automation/variant.h"

namespace zolt::component {

using automation::Variant;

// User messages of the error handlers.
inline constexpr std::string_view kOrderUnavailable = "Acesso ao pedido não disponível.Favor tentar mais tarde.";
inline constexpr std::string_view kItemUnavailable =
    "Acesso ao item do pedido não disponível.Favor tentar mais tarde.";
inline constexpr std::string_view kOracleUnavailable =
    "Gravação de Informações no banco de dados Oracle indisponível. Favor tentar mais tarde.";

// What the order query and the item query answer when no row is found (both
// speak of the order).
inline constexpr std::string_view kOrderNotFound = "Não foi encontrado o pedido informado.";

// How a handler's trailer is laid out:
//  Public:     msg " - TvrZOLT.<method>. ( " desc " : " " No Nº " step ") " statement
//  Validation: msg " - TvrZOLT.<method>. ( " desc " : " " No Nº " step ") "
//  Emulation:  msg " - <method> (" desc " : " " No Nº " step ")" statement
enum class TrailerForm { Public, Validation, Emulation };

// The one error handler of a method call. The method sets step() before each
// statement and keeps its statement text in `statement`; when a step raises,
// the handler writes the user message (and, for user id 1, the trailer) into
// the message argument and the method ends with the result it had.
class Handler {
public:
    Handler(std::string_view method, std::string_view user_message, TrailerForm form, const Variant& user_id,
            Variant& message)
        : statement(take_room(own_statement_)),
          method_(method),
          user_message_(user_message),
          form_(form),
          user_id_(user_id),
          message_(message) {}
    // The handler keeps a reference to the user id: a temporary would not outlive it.
    Handler(std::string_view, std::string_view, TrailerForm, const Variant&&, Variant&) = delete;
    Handler(const Handler&) = delete;
    Handler& operator=(const Handler&) = delete;
    ~Handler() { give_room(statement, own_statement_); }

    void step(int number) { step_ = number; }
    int current_step() const { return step_; }

private:
    std::string own_statement_;  // declared first: statement may refer to it

public:
    // The method's statement text as it stands; shown at the end of the trailer.
    std::string& statement;

    // Runs a public method's steps. Returns S_OK, or a failing status (with
    // the thread's error info set) when the handler itself failed.
    template <class Steps>
    com::HRESULT run(Steps&& steps) noexcept {
        try {
            guarded(steps);
            return com::S_OK;
        } catch (const automation::AutomationError& e) {
            return report(e);
        } catch (const std::exception& e) {
            return report(automation::AutomationError(51, e.what()));
        }
    }

    // Runs a private emulation's steps; a failure of the handler itself
    // propagates to the calling method as an error of its step.
    template <class Steps>
    void run_private(Steps&& steps) {
        guarded(steps);
    }

private:
    template <class Steps>
    void guarded(Steps& steps) {
        try {
            steps();
        } catch (const automation::AutomationError& e) {
            handle(e);
        } catch (const std::exception& e) {
            handle(automation::AutomationError(51, e.what()));
        }
    }
    void handle(const automation::AutomationError& error);
    com::HRESULT report(const automation::AutomationError& error);
    // The statement texts of calls that ended on this thread are kept, empty,
    // one for each depth of nesting, for the next calls to build theirs in the
    // room they already have; own is the text of a call nested deeper.
    static std::string& take_room(std::string& own) noexcept;
    static void give_room(std::string& statement, std::string& own) noexcept;

    std::string_view method_;
    std::string_view user_message_;
    TrailerForm form_;
    const Variant& user_id_;
    Variant& message_;
    int step_ = 0;
};

// Result start values, set before the handler is armed, and the success value.
inline void start_result(Variant& result) {
    result.clear();
    result = Variant(int16_t{10});
}
inline void start_result(bool& result) { result = false; }
inline void succeed(Variant& result) { result = Variant(int16_t{0}); }

// The dialect switch: the kind equals the text "ORACLE" by the Basic rule,
// an exact, case-sensitive comparison with no trimming; an object is read
// through its value. Null is never equal; an array, or an object without a
// value, raises as the comparison does.
bool is_oracle(const Variant& database_kind);

// Text of a formatted value, as concatenated into a statement.
inline std::string text(const Variant& value) { return automation::to_text(value); }

// Appends the pieces to a statement text. Every piece is made before any is
// appended, as when they are joined first, so that a piece that fails leaves
// the text as it was; joined in place, they need no text of their own.
inline void append(std::string& statement, std::initializer_list<std::string_view> pieces) {
    std::size_t size = statement.size();
    for (const std::string_view piece : pieces)
        size += piece.size();
    statement.reserve(size);
    for (const std::string_view piece : pieces)
        statement += piece;
}

// Procedure calls: "EXEC " + procedure + three blanks + the arguments joined
// by ", ". A call built piece by piece starts with exec_start and appends
// every argument but the last as argument(...), its text followed by the
// separator, so that a failing piece leaves the text as far as it was built.
// A call built in one expression is exec_call: the arguments are formatted
// left to right and the text exists only once all of them are.
std::string exec_start(std::string_view procedure);
inline std::string argument(const Variant& formatted) { return text(formatted) + ", "; }
std::string exec_call(std::string_view procedure, std::initializer_list<Variant> formatted_arguments);

// The emulation calling convention.
std::string kind_text(const Variant& database_kind);       // the kind formatted as text
std::string connection_text(const Variant& connection);    // the connection's text (its connection string)
int32_t id_value(const Variant& value);                    // NumberValue, then the 32-bit conversion
Variant user_text(const Variant& user_id);                 // the user id formatted as text

// The recordset styles of the caller's connection (the emulated writes have
// their own, run_emulated_write below):
//  Query:         client cursor, static, read-only
//  WriteReadBack: nothing set
enum class Style { Query, WriteReadBack };
// The recordset is held in place rather than on the heap; it is released
// where the method's handle to it goes out of scope.
std::optional<ado::Recordset> open_statement(Style style, const std::string& statement, const Variant& connection);
// Runs an emulation's INSERT or UPDATE on a separate connection made from the
// connection text; closes the recordset when it is open and not at EOF.
void run_emulated_write(const std::string& statement, const std::string& connection_text);

// Bare literals for inline SQL: what the literal writer answers for the value
// with a fresh empty operator text.
std::string number_literal(const Variant& value);
std::string text_literal(const Variant& value);
std::string date_literal(const Variant& value);

// Entity codes of the write log, and its two operation codes.
inline constexpr int32_t kOrderEntity = 172;
inline constexpr int32_t kItemEntity = 260;
inline constexpr int32_t kInsertion = 1;
inline constexpr int32_t kUpdate = 2;

// Draws the next key of a key column from the key generator (the user id is
// read from its text). On refusal the generator's text is in message.
bool next_key(outside::KeyGenerator& keys, const std::string& kind, const Variant& user_text,
              const std::string& connection, const std::string& column, std::string& message, int32_t& key);
// Records a write with the key generator: the user id is read from its text,
// the key as a number. Answers what RecordOperation answered.
bool record_operation(outside::KeyGenerator& keys, std::string& kind, int32_t entity, int32_t operation,
                      const Variant& user_text, int32_t key, std::string& message, std::string& connection);

// Answers the write emulations hand back in place of a procedure's: a
// deletion's, and the one of an order insertion or of an update, which
// carries an order id.
inline constexpr std::string_view kDeletionAnswer = " SELECT 0 RETORNO , '' MSG_RET From Infra_IDS";
std::string order_id_answer(int32_t pedido_id);
// The same written into statement, in the room it has; statement is left as
// it was when the number cannot be written.
void order_id_answer(int32_t pedido_id, std::string& statement);

// A required number of at least 1, checked by the field validator, which
// writes its own message on refusal.
bool required_number(std::string_view label, Variant& value, Variant& user_id, Variant& message);

// Reads the one-row answer of a write. A closed or empty answer writes
// failure_message and answers false; a RETORNO other than 0 closes the
// recordset, writes nothing and answers false; RETORNO 0 answers true and
// leaves the recordset open on its row (insertions read their key, then close).
bool procedure_succeeded(ado::Recordset& answer, Variant& message, std::string_view failure_message);

// Raises the failure a call through the object's own interface reported.
inline void check(com::HRESULT status) { com::raise_on_failure(status); }

}  // namespace zolt::component
