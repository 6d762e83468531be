// What the tests share beyond the fixture.
#include "tests/support/helpers.h"

#include <sstream>

#include "outside/outside.h"

namespace zolt::test {

namespace {

template <class... Values>
std::string call_text(const Values&... values) {
    std::ostringstream out;
    ((out << values << "|"), ...);
    std::string text = out.str();
    text.pop_back();
    return text;
}

class ScriptedKeyGenerator : public outside::KeyGenerator {
public:
    ScriptedKeyGenerator(ScriptedKeys& script, std::shared_ptr<outside::KeyGenerator> real)
        : script_(script), real_(std::move(real)) {
        ++script_.live;
    }
    ~ScriptedKeyGenerator() override { --script_.live; }

    bool NextKey(std::string kind, int32_t user_id, int16_t one, std::string system, std::string flag,
                 Variant& connection, std::string connection_text, std::string column, std::string& message,
                 int32_t& key) override {
        script_.calls.push_back(call_text("NextKey", kind, user_id, one, system, flag,
                                          connection.is_empty() ? "Empty" : "?", connection_text, column));
        if (script_.refuse_key) {
            message = "Chave recusada.";
            return false;
        }
        return real_->NextKey(kind, user_id, one, system, flag, connection, connection_text, column, message, key);
    }

    bool RecordOperation(std::string& kind, int32_t& entity, int32_t& operation, int32_t& user_id, int32_t& key,
                         int32_t& unused, std::string& message, std::string& connection_text) override {
        script_.calls.push_back(
            call_text("RecordOperation", kind, entity, operation, user_id, key, unused, connection_text));
        if (script_.refuse_record) {
            message = "Registro recusado.";
            return false;
        }
        return real_->RecordOperation(kind, entity, operation, user_id, key, unused, message, connection_text);
    }

private:
    ScriptedKeys& script_;
    std::shared_ptr<outside::KeyGenerator> real_;
};

class HeldValue : public automation::Object {
public:
    explicit HeldValue(Variant value) : value_(std::move(value)) {}
    Variant default_value() const override { return value_; }
    std::string kind() const override { return "Field"; }

private:
    Variant value_;
};

}  // namespace

int32_t error_number(const std::function<void()>& call) {
    try {
        call();
    } catch (const automation::AutomationError& e) {
        return e.number();
    }
    return 0;
}

std::string error_text(const std::function<void()>& call) {
    try {
        call();
    } catch (const automation::AutomationError& e) {
        return call_text(e.number(), e.description(), e.source());
    }
    return {};
}

Variant object_holding(Variant value) {
    return Variant(automation::ObjectPtr(std::make_shared<HeldValue>(std::move(value))));
}

std::vector<std::string> row_texts(const TestDatabase& db, const std::string& sql) {
    std::vector<std::string> lines;
    for (const auto& row : db.rows(sql)) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i)
            line += (i ? "|" : "") + (row[i].is_null() ? std::string("NULL") : automation::to_text(row[i]));
        lines.push_back(line);
    }
    return lines;
}

std::string error_of(const TestDatabase& db, const std::string& statement) {
    try {
        ado::Recordset recordset;
        recordset.open(Variant(statement), Variant(db.connection_string()));
    } catch (const automation::AutomationError& e) {
        return e.description();
    }
    ADD_FAILURE() << "no error from: " << statement;
    return {};
}

ScriptedKeys::ScriptedKeys()
    : scoped_(outside::clsid::kKeyGenerator, [this, real = com::find_class(outside::clsid::kKeyGenerator)] {
          return std::shared_ptr<com::Unknown>(std::make_shared<ScriptedKeyGenerator>(
              *this, std::dynamic_pointer_cast<outside::KeyGenerator>(real())));
      }) {}

ScriptedKeys::~ScriptedKeys() { EXPECT_EQ(live, 0) << "a key generator was not released"; }

}  // namespace zolt::test

namespace zolt::automation {

void PrintTo(const Variant& value, std::ostream* out) {
    *out << "vt " << static_cast<int>(value.type());
    if (value.is_array() || value.is_object() || value.is_null() || value.is_empty())
        return;
    *out << " \"" << to_text(value) << '"';
}

}  // namespace zolt::automation
