// Variants as JSON: always typed on output, typed or shorthand on input.
#include "cli/variant_json.h"

#include <cstdio>
#include <limits>

namespace zolt::cli {

namespace {

using automation::VarType;

std::string iso_date(automation::Date date) {
    auto parts = automation::split_date(date);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", parts.year, parts.month, parts.day, parts.hour,
                  parts.minute, parts.second);
    return text;
}

json typed(const char* type) { return json{{"vt", type}}; }

json typed(const char* type, json value) { return json{{"vt", type}, {"v", std::move(value)}}; }

template <class Integer>
Integer integer_in_range(const json& value, const char* type) {
    if (value.is_number_integer()) {
        if (value.is_number_unsigned()) {
            auto v = value.get<uint64_t>();
            if (v <= static_cast<uint64_t>(std::numeric_limits<Integer>::max())) return static_cast<Integer>(v);
        } else {
            auto v = value.get<int64_t>();
            if (v >= std::numeric_limits<Integer>::min() && v <= std::numeric_limits<Integer>::max())
                return static_cast<Integer>(v);
        }
    }
    throw std::invalid_argument(std::string(type) + " needs a whole number in its range, not " + dump(value));
}

// A JSON number without a type: Long when it is whole and fits, else Double.
Variant plain_number(const json& value) {
    if (value.is_number_integer()) {
        bool fits = value.is_number_unsigned()
                        ? value.get<uint64_t>() <= static_cast<uint64_t>(std::numeric_limits<int32_t>::max())
                        : value.get<int64_t>() >= std::numeric_limits<int32_t>::min() &&
                              value.get<int64_t>() <= std::numeric_limits<int32_t>::max();
        if (fits) return Variant::long_(static_cast<int32_t>(value.get<int64_t>()));
    }
    return Variant(value.get<double>());
}

const json& field(const json& object, const char* name, const char* type) {
    auto found = object.find(name);
    if (found == object.end()) throw std::invalid_argument(std::string(type) + " needs \"" + name + "\"");
    return *found;
}

Variant from_typed(const json& object, const Variant& connection) {
    if (!object["vt"].is_string()) throw std::invalid_argument("\"vt\" must be a type name, not " + dump(object["vt"]));
    const std::string type = object["vt"].get<std::string>();
    auto v = [&] { return field(object, "v", type.c_str()); };
    if (type == "Empty") return Variant();
    if (type == "Null") return Variant::null();
    if (type == "I2") return Variant(integer_in_range<int16_t>(v(), "I2"));
    if (type == "I4") return Variant(integer_in_range<int32_t>(v(), "I4"));
    if (type == "I8") return Variant(integer_in_range<int64_t>(v(), "I8"));
    if (type == "R8") {
        if (!v().is_number()) throw std::invalid_argument("R8 needs a number, not " + dump(v()));
        return Variant(v().get<double>());
    }
    if (type == "BSTR") {
        if (!v().is_string()) throw std::invalid_argument("BSTR needs a text, not " + dump(v()));
        return Variant(v().get<std::string>());
    }
    if (type == "BOOL") {
        if (!v().is_boolean()) throw std::invalid_argument("BOOL needs true or false, not " + dump(v()));
        return Variant(v().get<bool>());
    }
    if (type == "DATE") {
        automation::Date date;
        if (!v().is_string() || !automation::parse_date(v().get<std::string>(), date))
            throw std::invalid_argument("DATE needs a text like \"2005-03-04T10:00:00\", not " + dump(v()));
        return Variant(date);
    }
    if (type == "ARRAY") {
        if (!v().is_array()) throw std::invalid_argument("ARRAY needs a list in \"v\", not " + dump(v()));
        automation::Array array;
        if (object.contains("lbound")) array.lower_bound = integer_in_range<int32_t>(object["lbound"], "lbound");
        for (const auto& item : v()) array.items.push_back(from_json(item, connection));
        return Variant(std::move(array));
    }
    if (type == "DISPATCH") {
        if (v() != "Connection") throw std::invalid_argument("the only object that can be passed is \"Connection\"");
        return connection;
    }
    throw std::invalid_argument("unknown type \"" + type + "\" (Empty, Null, I2, I4, I8, R8, DATE, BSTR, BOOL, ARRAY, DISPATCH)");
}

}  // namespace

json parse_json(std::string_view text) {
    // The depth is checked as the parser goes, before a deep value is built.
    auto limit = [](int depth, json::parse_event_t event, json&) {
        if (depth >= kMaxNesting && (event == json::parse_event_t::object_start || event == json::parse_event_t::array_start))
            throw std::invalid_argument("nesting deeper than " + std::to_string(kMaxNesting) + " levels");
        return true;
    };
    try {
        return json::parse(text, limit);
    } catch (const json::exception& error) {
        // Syntax errors and numbers beyond a double's range both land here.
        throw std::invalid_argument(std::string("not valid JSON: ") + error.what());
    }
}

json to_json(const Variant& value) {
    switch (value.type()) {
        case VarType::Empty: return typed("Empty");
        case VarType::Null: return typed("Null");
        case VarType::I2: return typed("I2", value.i2());
        case VarType::I4: return typed("I4", value.i4());
        case VarType::I8: return typed("I8", value.i8());
        case VarType::R8: return typed("R8", value.r8());
        case VarType::Date: return typed("DATE", iso_date(value.date()));
        case VarType::BStr: return typed("BSTR", value.text());
        case VarType::Bool: return typed("BOOL", value.boolean());
        case VarType::Dispatch: return typed("DISPATCH", value.object() ? value.object()->kind() : "Nothing");
        case VarType::Array: {
            json items = json::array();
            for (const auto& item : value.array().items) items.push_back(to_json(item));
            return json{{"vt", "ARRAY"}, {"lbound", value.array().lower_bound}, {"v", std::move(items)}};
        }
    }
    return typed("Empty");
}

Variant from_json(const json& value, const Variant& connection) {
    switch (value.type()) {
        case json::value_t::null: return Variant::null();
        case json::value_t::boolean: return Variant(value.get<bool>());
        case json::value_t::string: return Variant(value.get<std::string>());
        case json::value_t::number_integer:
        case json::value_t::number_unsigned:
        case json::value_t::number_float: return plain_number(value);
        case json::value_t::array: {
            automation::Array array;
            for (const auto& item : value) array.items.push_back(from_json(item, connection));
            return Variant(std::move(array));
        }
        case json::value_t::object:
            if (!value.contains("vt")) throw std::invalid_argument("an object value must be typed: {\"vt\": ..., \"v\": ...}");
            return from_typed(value, connection);
        default: throw std::invalid_argument("cannot pass " + dump(value));
    }
}

std::string dump(const json& value) { return value.dump(-1, ' ', false, json::error_handler_t::replace); }

}  // namespace zolt::cli
