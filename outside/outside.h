// The four outside components the component calls, and how it obtains them:
// SqlFormatter, FieldValidator and LiteralWriter once per thread, created at
// first use; a new KeyGenerator for each use. Every operation reports a
// failure by raising automation::AutomationError.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/automation/variant.h"
#include "platform/com/class_table.h"

namespace zolt::outside {

using automation::Variant;

namespace clsid {
inline const com::Guid kSqlFormatter = com::Guid::from("{45B162ED-8156-11D3-8509-444553540000}");
inline const com::Guid kFieldValidator = com::Guid::from("{C46945DB-B19F-41C3-A6A1-673B375CA7D2}");
inline const com::Guid kLiteralWriter = com::Guid::from("{A09A36FE-25DC-426B-99F1-7035CA887373}");
inline const com::Guid kKeyGenerator = com::Guid::from("{C2645301-5A5D-11D4-AE20-00D0094B90BC}");
}  // namespace clsid

namespace iid {
inline const com::Guid kSqlFormatter = com::Guid::from("{45B162EC-8156-11D3-8509-444553540000}");
inline const com::Guid kFieldValidator = com::Guid::from("{49C76236-8962-44D9-ACFF-415226B0BE5B}");
inline const com::Guid kLiteralWriter = com::Guid::from("{3AD33075-9E0C-49E0-A53B-9FFD10C9D6FA}");
inline const com::Guid kKeyGenerator = com::Guid::from("{C2645300-5A5D-11D4-AE20-00D0094B90BC}");
}  // namespace iid

// Formats values for SQL text. Each operation takes one Variant by value (a
// Field is read through its value) and answers a Variant.
class SqlFormatter : public virtual com::Unknown {
public:
    virtual Variant NumberValue(Variant value) = 0;
    virtual Variant SqlDate(Variant value) = 0;
    virtual Variant TextValue(Variant value) = 0;
    virtual Variant SqlNumber(Variant value) = 0;
    virtual Variant SqlText(Variant value) = 0;
};

// Checks one field; True when acceptable. On refusal writes one message into
// the message argument; on success leaves it as it was.
class FieldValidator : public virtual com::Unknown {
public:
    virtual bool CheckDate(Variant& label, Variant& value, Variant& server_date, Variant& unused, Variant& user_id,
                           Variant& message, Variant& out_text, Variant& required) = 0;
    virtual bool CheckNumber(Variant& label, Variant& value, Variant& minimum, Variant& unused, Variant& user_id,
                             Variant& message, Variant& required) = 0;
    virtual bool CheckText(Variant& label, Variant& value, Variant& max_length, Variant& user_id, Variant& message,
                           Variant& required) = 0;
};

// Writes literals for inline SQL; with the operator "=" it writes the
// comparison that follows a column name.
class LiteralWriter : public virtual com::Unknown {
public:
    virtual Variant WriteDate(Variant value, std::string& op) = 0;
    virtual Variant WriteNumber(Variant value, std::string& op) = 0;
    virtual Variant WriteText(Variant value, std::string& op) = 0;
};

// Issues keys and records write operations, on a connection of its own made
// from the connection text.
class KeyGenerator : public virtual com::Unknown {
public:
    virtual bool NextKey(std::string kind, int32_t user_id, int16_t one, std::string system, std::string flag,
                         Variant& connection, std::string connection_text, std::string column, std::string& message,
                         int32_t& key) = 0;
    virtual bool RecordOperation(std::string& kind, int32_t& entity, int32_t& operation, int32_t& user_id,
                                 int32_t& key, int32_t& unused, std::string& message,
                                 std::string& connection_text) = 0;
};

// The calling thread's instances, created through the class table at first
// use and kept until the thread ends.
SqlFormatter& formatter();
FieldValidator& validator();
LiteralWriter& writer();
// A new key generator for one use.
std::shared_ptr<KeyGenerator> new_key_generator();

}  // namespace zolt::outside
