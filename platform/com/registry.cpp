// The registry file and creation of objects by ProgID.
#include "platform/com/registry.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/com/names.h"

namespace zolt::com {

namespace {

using automation::AutomationError;

constexpr int32_t kCannotCreateObject = 429;
constexpr std::string_view kCannotCreate = "ActiveX component can't create object: ";

AutomationError cannot_create(const std::string& reason) {
    return AutomationError(kCannotCreateObject, std::string(kCannotCreate) + reason);
}

// Raised right after a failing system call, while errno still tells why.
AutomationError file_error(const std::string& what) {
    std::string reason = std::strerror(errno);
    return AutomationError(75, "Registry file " + registry::location().string() + ": " + what + ": " + reason);
}

std::string hex_status(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<uint32_t>(hr));
    return text;
}

// An open registry file, locked for as long as the object lives.
class LockedFile {
public:
    LockedFile(const std::filesystem::path& path, bool for_writing) {
        fd_ = ::open(path.c_str(), for_writing ? O_RDWR | O_CREAT | O_CLOEXEC : O_RDONLY | O_CLOEXEC, 0644);
        if (fd_ < 0) {
            if (!for_writing && errno == ENOENT) return;
            throw file_error("cannot open");
        }
        if (::flock(fd_, for_writing ? LOCK_EX : LOCK_SH) != 0) throw file_error("cannot lock");
    }
    ~LockedFile() {
        if (fd_ >= 0) ::close(fd_);  // closing releases the lock
    }
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;

    std::string contents() const {
        std::string text;
        if (fd_ < 0) return text;
        char buffer[4096];
        for (off_t offset = 0;;) {
            ssize_t n = ::pread(fd_, buffer, sizeof buffer, offset);
            if (n < 0) throw file_error("cannot read");
            if (n == 0) break;
            text.append(buffer, static_cast<std::size_t>(n));
            offset += n;
        }
        return text;
    }

    void replace_contents(const std::string& text) {
        if (::ftruncate(fd_, 0) != 0) throw file_error("cannot truncate");
        for (std::size_t written = 0; written < text.size();) {
            ssize_t n = ::pwrite(fd_, text.data() + written, text.size() - written, static_cast<off_t>(written));
            if (n < 0) throw file_error("cannot write");
            written += static_cast<std::size_t>(n);
        }
    }

private:
    int fd_ = -1;
};

std::vector<RegistryEntry> parse(const std::string& text) {
    std::vector<RegistryEntry> entries;
    std::size_t line_number = 0;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string_view line(text.data() + start, end - start);
        start = end + 1;
        ++line_number;
        if (line.empty() || line.front() == '#') continue;
        std::size_t equals = line.find(" = ");
        if (equals == std::string_view::npos)
            throw AutomationError(75, "Registry file " + registry::location().string() + ": line " +
                                          std::to_string(line_number) + " is not \"key [name] = value\"");
        std::string_view left = line.substr(0, equals);
        std::size_t blank = left.find(' ');
        RegistryEntry entry;
        entry.key = std::string(left.substr(0, blank));
        if (blank != std::string_view::npos) entry.name = std::string(left.substr(blank + 1));
        entry.value = std::string(line.substr(equals + 3));
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::string format(const std::vector<RegistryEntry>& entries) {
    std::string text;
    for (const auto& entry : entries) {
        text += entry.key;
        if (!entry.name.empty()) text += ' ' + entry.name;
        text += " = " + entry.value + '\n';
    }
    return text;
}

bool same_place(const RegistryEntry& a, const RegistryEntry& b) {
    return same_name(a.key, b.key) && same_name(a.name, b.name);
}

// Reads, changes and writes back the file under one exclusive lock.
template <class Change>
void update(Change&& change) {
    auto path = registry::location();
    if (path.has_parent_path()) {
        std::error_code ignored;
        std::filesystem::create_directories(path.parent_path(), ignored);
    }
    LockedFile file(path, true);
    auto entries = parse(file.contents());
    change(entries);
    file.replace_contents(format(entries));
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

namespace registry {

std::filesystem::path location() {
    if (auto explicit_path = environment("ZOLT_REGISTRY"); !explicit_path.empty()) return explicit_path;
    std::filesystem::path config = environment("XDG_CONFIG_HOME");
    if (config.empty()) config = std::filesystem::path(environment("HOME")) / ".config";
    return config / "tvrzolt22" / "registry";
}

std::vector<RegistryEntry> read() { return parse(LockedFile(location(), false).contents()); }

void write(const std::vector<RegistryEntry>& entries) {
    update([&](std::vector<RegistryEntry>& current) {
        for (const auto& entry : entries) {
            auto found = std::ranges::find_if(current, [&](const auto& e) { return same_place(e, entry); });
            if (found == current.end())
                current.push_back(entry);
            else
                found->value = entry.value;
        }
    });
}

void remove(const std::vector<RegistryEntry>& entries) {
    update([&](std::vector<RegistryEntry>& current) {
        std::erase_if(current, [&](const RegistryEntry& e) {
            return std::ranges::any_of(entries, [&](const auto& gone) { return same_place(e, gone); });
        });
    });
}

std::optional<std::string> value(std::string_view key, std::string_view name) {
    RegistryEntry wanted{std::string(key), std::string(name), {}};
    for (auto& entry : read())
        if (same_place(entry, wanted)) return std::move(entry.value);
    return std::nullopt;
}

}  // namespace registry

void* server_export(const std::string& library, const char* export_name) {
    // dlerror() is process-wide; serialise its use.
    static std::mutex loading;
    std::lock_guard lock(loading);
    void* handle = ::dlopen(library.c_str(), RTLD_NOW);
    if (!handle) throw cannot_create("cannot load " + library + " (" + ::dlerror() + ")");
    void* symbol = ::dlsym(handle, export_name);
    if (!symbol) throw cannot_create(library + " has no export " + export_name);
    return symbol;
}

IDispatch* create_object(const std::string& library, const Guid& clsid) {
    auto get_class_object = reinterpret_cast<DllGetClassObjectFn>(server_export(library, "DllGetClassObject"));
    IClassFactory* factory = nullptr;
    HRESULT hr = get_class_object(&clsid, &kIID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (failed(hr) || !factory)
        throw cannot_create(library + " has no class factory for " + clsid.to_string() + " (" + hex_status(hr) + ")");
    IDispatch* object = nullptr;
    hr = factory->CreateInstance(nullptr, kIID_IDispatch, reinterpret_cast<void**>(&object));
    factory->Release();
    if (failed(hr) || !object)
        throw cannot_create("the class factory of " + clsid.to_string() + " refused (" + hex_status(hr) + ")");
    return object;
}

IDispatch* create_object(std::string_view progid) {
    auto clsid_text = registry::value(std::string(progid) + "\\CLSID");
    if (!clsid_text)
        throw cannot_create("the ProgID " + std::string(progid) + " is not registered in " +
                            registry::location().string());
    auto clsid = Guid::parse(*clsid_text);
    if (!clsid) throw cannot_create("the ProgID " + std::string(progid) + " names a malformed CLSID " + *clsid_text);
    auto library = registry::value("CLSID\\" + clsid->to_string() + "\\InprocServer32");
    if (!library) throw cannot_create("the class " + clsid->to_string() + " has no InprocServer32 entry");
    return create_object(*library, *clsid);
}

}  // namespace zolt::com
