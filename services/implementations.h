// Our classes behind the four outside-component interfaces.
#pragma once

#include <memory>
#include <string>

#include "outside/outside.h"
#include "platform/ado/ado.h"

namespace zolt::services {

using automation::Variant;

class SqlFormatterService : public outside::SqlFormatter {
public:
    Variant NumberValue(Variant value) override;
    Variant SqlDate(Variant value) override;
    Variant TextValue(Variant value) override;
    Variant SqlNumber(Variant value) override;
    Variant SqlText(Variant value) override;
};

class FieldValidatorService : public outside::FieldValidator {
public:
    bool CheckDate(Variant& label, Variant& value, Variant& server_date, Variant& unused, Variant& user_id,
                   Variant& message, Variant& out_text, Variant& required) override;
    bool CheckNumber(Variant& label, Variant& value, Variant& minimum, Variant& unused, Variant& user_id,
                     Variant& message, Variant& required) override;
    bool CheckText(Variant& label, Variant& value, Variant& max_length, Variant& user_id, Variant& message,
                   Variant& required) override;
};

class LiteralWriterService : public outside::LiteralWriter {
public:
    Variant WriteDate(Variant value, std::string& op) override;
    Variant WriteNumber(Variant value, std::string& op) override;
    Variant WriteText(Variant value, std::string& op) override;
};

// Draws keys from the counters in Infra_Chave and logs writes in
// Infra_Operacao, each on a connection of its own that is closed when the
// operation ends, so that its pooled session is free again for the write
// that comes next. Its statements go straight to the connection's session,
// so they stay out of the statement trace.
class KeyGeneratorService : public outside::KeyGenerator {
public:
    bool NextKey(std::string kind, int32_t user_id, int16_t one, std::string system, std::string flag,
                 Variant& connection, std::string connection_text, std::string column, std::string& message,
                 int32_t& key) override;
    bool RecordOperation(std::string& kind, int32_t& entity, int32_t& operation, int32_t& user_id, int32_t& key,
                         int32_t& unused, std::string& message, std::string& connection_text) override;
};

}  // namespace zolt::services
