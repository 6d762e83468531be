// Connection strings, the provider table and Connection objects.
#include <atomic>
#include <mutex>
#include <utility>

#include "platform/ado/ado.h"
#include "platform/ado/detail.h"
#include "platform/automation/detail.h"

namespace zolt::ado {

namespace detail {

namespace {

std::string_view description_of(int32_t number) {
    switch (number) {
    case err::kNoCurrentRecord:
        return "Either BOF or EOF is True, or the current record has been deleted. Requested operation requires a "
               "current record.";
    case err::kItemNotFound:
        return "Item cannot be found in the collection corresponding to the requested name or ordinal.";
    case err::kObjectClosed:
        return "Operation is not allowed when the object is closed.";
    case kObjectOpen:
        return "Operation is not allowed when the object is open.";
    case kBadArguments:
        return "Arguments are of the wrong type, are out of acceptable range, or are in conflict with one another.";
    case kProviderNotFound:
        return "Provider cannot be found. It may not be properly installed.";
    case kConnectionUnusable:
        return "The connection cannot be used to perform this operation. It is either closed or invalid in this "
               "context.";
    default:
        return "Data-layer error.";
    }
}

}  // namespace

void raise(int32_t number, std::string_view source) {
    throw automation::AutomationError(number, std::string(description_of(number)), std::string(source));
}

}  // namespace detail

// ---- connection strings ----------------------------------------------------

namespace {

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

}  // namespace

ConnectionString::ConnectionString(std::string_view text) : text_(text) {
    // Pairs are separated by ';'. A value may be quoted ("..." or '...') to
    // carry a ';' of its own; the quotes are not part of the value.
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto equals = text.find('=', pos);
        const auto next_semicolon = text.find(';', pos);
        if (equals == std::string_view::npos || (next_semicolon != std::string_view::npos && next_semicolon < equals)) {
            // A part without '=' carries no value; skip it.
            if (next_semicolon == std::string_view::npos)
                break;
            pos = next_semicolon + 1;
            continue;
        }
        std::string key = trimmed(text.substr(pos, equals - pos));
        std::size_t value_start = equals + 1;
        while (value_start < text.size() && automation::detail::is_blank(text[value_start]))
            ++value_start;
        std::string value;
        std::size_t end;
        if (value_start < text.size() && (text[value_start] == '"' || text[value_start] == '\'')) {
            const char quote = text[value_start];
            const auto closing = text.find(quote, value_start + 1);
            const auto stop = closing == std::string_view::npos ? text.size() : closing;
            value = std::string(text.substr(value_start + 1, stop - value_start - 1));
            end = text.find(';', stop);
        } else {
            end = text.find(';', value_start);
            value = trimmed(text.substr(value_start, end == std::string_view::npos ? end : end - value_start));
        }
        if (!key.empty())
            pairs_.emplace_back(std::move(key), std::move(value));
        if (end == std::string_view::npos)
            break;
        pos = end + 1;
    }
}

std::string ConnectionString::get(std::string_view key) const {
    // The last occurrence of a key wins.
    for (auto it = pairs_.rbegin(); it != pairs_.rend(); ++it)
        if (detail::same_name(it->first, key))
            return it->second;
    return {};
}

// ---- providers -------------------------------------------------------------

namespace {

inline constexpr std::string_view kDefaultProvider = "SQLite";

struct ProviderTable {
    std::mutex mutex;
    std::vector<std::pair<std::string, ProviderFactory>> entries;
    std::atomic<uint64_t> registrations = 0;
};

// A function-local table, so that providers may register themselves from
// static initialisers of any source of the library.
ProviderTable& providers() {
    static ProviderTable table;
    return table;
}

}  // namespace

void register_provider(const std::string& name, ProviderFactory factory) {
    auto& table = providers();
    std::lock_guard lock(table.mutex);
    for (auto& entry : table.entries) {
        if (detail::same_name(entry.first, name)) {
            entry.second = std::move(factory);
            return;
        }
    }
    table.entries.emplace_back(name, std::move(factory));
    ++table.registrations;
}

std::unique_ptr<Session> open_session(std::string_view connection_string) {
    // Separate connections are opened with one text over and over: each
    // thread keeps the text it read last, with its pairs and its provider.
    struct Opened {
        ConnectionString parsed{""};
        ProviderFactory factory;
        uint64_t registrations = 0;
    };
    thread_local Opened last;
    auto& table = providers();
    if (!last.factory || last.parsed.text() != connection_string || last.registrations != table.registrations) {
        last.factory = nullptr;
        last.parsed = ConnectionString(connection_string);
        std::string name = last.parsed.get("Provider");
        if (name.empty())
            name = kDefaultProvider;
        std::lock_guard lock(table.mutex);
        last.registrations = table.registrations;
        for (const auto& entry : table.entries)
            if (detail::same_name(entry.first, name))
                last.factory = entry.second;
    }
    if (!last.factory)
        detail::raise(detail::kProviderNotFound, "Connection");
    return last.factory(last.parsed);
}

// ---- connections -----------------------------------------------------------

void Connection::open(std::string_view connection_string) {
    if (session_)
        detail::raise(detail::kObjectOpen, "Connection");
    session_ = open_session(connection_string);
    connection_string_ = std::string(connection_string);
}

void Connection::close() {
    if (!session_)
        detail::raise(err::kObjectClosed, "Connection");
    session_.reset();
}

Session& Connection::session() {
    if (!session_)
        detail::raise(err::kObjectClosed, "Connection");
    return *session_;
}

}  // namespace zolt::ado
