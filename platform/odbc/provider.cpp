// The "ODBC" provider: sessions on pooled driver connections, procedure calls
// sent as the ODBC call escape, and the provider's entry in the data layer.
#include <cctype>
#include <list>
#include <map>
#include <mutex>

#include "platform/ado/detail.h"
#include "platform/odbc/driver.h"
#include "platform/odbc/odbc.h"

namespace zolt::odbc {

namespace {

bool is_password_key(std::string_view key) {
    return ado::detail::same_name(key, "Pwd") || ado::detail::same_name(key, "Password");
}

// A whole number of seconds from a connection-string value, or the default.
long seconds(const std::string& value, long otherwise) {
    if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos || value.size() > 6)
        return otherwise;
    return std::stol(value);
}

// A value as the driver reads it: in braces when it could be taken for more.
std::string driver_value(const std::string& value) {
    if (value.starts_with('{') && value.ends_with('}'))
        return value;
    if (value.find_first_of(";{}") == std::string::npos && (value.empty() || (value.front() != ' ' && value.back() != ' ')))
        return value;
    std::string braced = "{";
    for (const char c : value)
        braced += c == '}' ? std::string("}}") : std::string(1, c);
    return braced + "}";
}

std::shared_ptr<const LinkSettings> settings_of(const ado::ConnectionString& connection) {
    auto settings = std::make_shared<LinkSettings>();
    for (const auto& [key, value] : connection.pairs()) {
        if (ado::detail::same_name(key, "Provider"))
            continue;
        if (ado::detail::same_name(key, "Connect Timeout")) {
            settings->login_timeout = seconds(value, settings->login_timeout);
            continue;
        }
        if (ado::detail::same_name(key, "Command Timeout")) {
            settings->statement_timeout = seconds(value, settings->statement_timeout);
            continue;
        }
        if (is_password_key(key))
            settings->password = value;
        settings->driver_text += key + "=" + driver_value(value) + ";";
    }
    return settings;
}

// ---- procedure calls -----------------------------------------------------------

// "EXEC name arg, arg" (EXECUTE too, any letter case) as "{call name(arg, arg)}",
// which every driver turns into its server's own form of a call; any other
// text as it stands.
std::string as_driver_sql(const std::string& sql) {
    auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    std::size_t at = 0;
    while (at < sql.size() && blank(sql[at]))
        ++at;
    const std::size_t word = at;
    while (at < sql.size() && std::isalpha(static_cast<unsigned char>(sql[at])))
        ++at;
    const std::string_view keyword(sql.data() + word, at - word);
    if (!(ado::detail::same_name(keyword, "EXEC") || ado::detail::same_name(keyword, "EXECUTE")) || at == sql.size() ||
        !blank(sql[at]))
        return sql;
    while (at < sql.size() && blank(sql[at]))
        ++at;
    const std::size_t name = at;
    while (at < sql.size() && !blank(sql[at]) && sql[at] != ',' && sql[at] != '(' && sql[at] != ';')
        ++at;
    if (at == name)
        return sql;
    std::size_t end = sql.size();
    while (end > at && blank(sql[end - 1]))
        --end;
    std::size_t arguments = at;
    while (arguments < end && blank(sql[arguments]))
        ++arguments;
    std::string call = "{call " + sql.substr(name, at - name);
    if (arguments < end)
        call += "(" + sql.substr(arguments, end - arguments) + ")";
    return call + "}";
}

// ---- the pool ------------------------------------------------------------------

// Idle links per connection string, the most recently used first. A link is
// given back when its session closes, unless it is broken.
class Pool {
public:
    ~Pool() {
        std::lock_guard lock(mutex_);
        closed_ = true;
        idle_.clear();
    }

    // An idle link that is still usable, or none; dead ones are closed.
    std::unique_ptr<Link> take(const std::string& key) {
        std::list<std::unique_ptr<Link>> dead;
        for (;;) {
            std::unique_ptr<Link> link;
            {
                std::lock_guard lock(mutex_);
                auto found = idle_.find(key);
                if (found == idle_.end() || found->second.empty())
                    return nullptr;
                link = std::move(found->second.front());
                found->second.pop_front();
            }
            if (link->usable())
                return link;
            dead.push_back(std::move(link));
        }
    }

    void give(const std::string& key, std::unique_ptr<Link> link) {
        if (link->broken())
            return;
        std::unique_ptr<Link> oldest;
        std::lock_guard lock(mutex_);
        if (closed_)
            return;
        auto& links = idle_[key];
        links.push_front(std::move(link));
        if (links.size() > kCapacity) {
            oldest = std::move(links.back());
            links.pop_back();
        }
    }

private:
    static constexpr std::size_t kCapacity = 8;
    std::mutex mutex_;
    bool closed_ = false;
    std::map<std::string, std::list<std::unique_ptr<Link>>> idle_;
};

Pool& pool() {
    static Pool links;
    return links;
}

// ---- sessions ------------------------------------------------------------------

class Session final : public ado::Session {
public:
    explicit Session(const ado::ConnectionString& connection)
        : key_(connection.text()), settings_(settings_of(connection)) {
        link_ = connect();
    }
    ~Session() override { pool().give(key_, std::move(link_)); }

    // A link found dropped before the statement is replaced first, so that a
    // session outlives a restart of its server.
    void execute(const std::string& sql, ado::ResultSet& answer) override {
        std::lock_guard lock(mutex_);
        if (!link_->usable())
            link_ = connect();
        answer = link_->execute(as_driver_sql(sql));
    }

private:
    std::unique_ptr<Link> connect() {
        if (auto link = pool().take(key_))
            return link;
        return std::make_unique<Link>(settings_);
    }

    std::mutex mutex_;
    std::string key_;
    std::shared_ptr<const LinkSettings> settings_;
    std::unique_ptr<Link> link_;
};

[[maybe_unused]] const bool registered = [] {
    ado::register_provider(kProviderName, [](const ado::ConnectionString& connection) {
        return std::make_unique<Session>(connection);
    });
    return true;
}();

}  // namespace

}  // namespace zolt::odbc
