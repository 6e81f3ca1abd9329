// The client environment on Windows.
#include "client_system.h"

#include "win32.h"
#include <shlwapi.h>

#include <cstring>

static_assert(sizeof(platform::fixed_file_info) == sizeof(VS_FIXEDFILEINFO));

namespace platform {

namespace {

std::u16string z(std::u16string_view s) {
    return std::u16string(s.substr(0, s.find(u'\0')));
}
const wchar_t* w(const std::u16string& s) {
    return reinterpret_cast<const wchar_t*>(s.c_str());
}

// Windows' own limit for a path in the fixed buffers used here.
constexpr DWORD path_buffer = MAX_PATH;

class win_file_reader : public byte_reader {
public:
    explicit win_file_reader(HANDLE h) : h_(h) {}
    ~win_file_reader() override { CloseHandle(h_); }
    win_file_reader(const win_file_reader&) = delete;
    win_file_reader& operator=(const win_file_reader&) = delete;

    std::ptrdiff_t read(char* buffer, std::size_t size) override {
        DWORD want = size > 0x10000000 ? 0x10000000 : static_cast<DWORD>(size);
        DWORD got = 0;
        if (!ReadFile(h_, buffer, want, &got, nullptr))
            return -1;
        return static_cast<std::ptrdiff_t>(got);
    }

private:
    HANDLE h_;
};

class reg_key {
public:
    reg_key() = default;
    reg_key(const reg_key&) = delete;
    reg_key& operator=(const reg_key&) = delete;
    ~reg_key() {
        if (h_)
            RegCloseKey(h_);
    }
    HKEY* out() { return &h_; }
    HKEY get() const { return h_; }

private:
    HKEY h_ = nullptr;
};

class win_system : public client_system {
public:
    module_lookup loaded_module_path(std::u16string_view module, std::u16string& path) const override {
        HMODULE h = GetModuleHandleW(w(z(module)));
        if (!h)
            return module_lookup::not_loaded;
        wchar_t buffer[path_buffer];
        DWORD n = GetModuleFileNameW(h, buffer, path_buffer);
        // A name as long as the buffer was cut short: it is not the module's name.
        if (n == 0 || n >= path_buffer)
            return module_lookup::no_file_name;
        path.assign(reinterpret_cast<const char16_t*>(buffer), n);
        return module_lookup::found;
    }

    bool read_version_info(std::u16string_view file, std::vector<std::uint8_t>& block) const override {
        std::u16string name = z(file);
        DWORD ignored = 0;
        DWORD size = GetFileVersionInfoSizeW(w(name), &ignored);
        if (size == 0)
            return false;
        std::vector<std::uint8_t> data(size);
        if (!GetFileVersionInfoW(w(name), 0, size, data.data()))
            return false;
        block = std::move(data);
        return true;
    }

    bool query_version_value(const std::vector<std::uint8_t>& block, std::u16string_view sub_block,
                             const std::uint8_t*& data, std::size_t& bytes) const override {
        if (block.empty())
            return false;
        std::u16string name = z(sub_block);
        void* p = nullptr;
        UINT len = 0;
        if (!VerQueryValueW(block.data(), w(name), &p, &len) || !p)
            return false;
        data = static_cast<const std::uint8_t*>(p);
        // The root and the translation table come back in bytes, strings in characters.
        bool is_string = name.rfind(u"\\StringFileInfo\\", 0) == 0;
        bytes = is_string ? len * sizeof(wchar_t) : len;
        // Never beyond the block itself, whatever the resource claims.
        const std::uint8_t* end = block.data() + block.size();
        if (data < block.data() || data > end)
            return false;
        if (bytes > static_cast<std::size_t>(end - data))
            bytes = static_cast<std::size_t>(end - data);
        return true;
    }

    std::size_t search_path(std::u16string_view file, std::size_t capacity, std::u16string& path,
                            std::size_t& file_part) const override {
        std::u16string name = z(file);
        std::vector<wchar_t> buffer(capacity ? capacity : 1);
        wchar_t* part = nullptr;
        DWORD n =
            SearchPathW(nullptr, w(name), nullptr, static_cast<DWORD>(buffer.size()), buffer.data(), &part);
        if (n > 0 && n < buffer.size()) {
            path.assign(reinterpret_cast<const char16_t*>(buffer.data()), n);
            file_part = part ? static_cast<std::size_t>(part - buffer.data()) : n;
        }
        return n;
    }

    std::size_t current_directory(std::size_t capacity, std::u16string& dir) const override {
        std::vector<wchar_t> buffer(capacity ? capacity : 1);
        DWORD n = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
        if (n > 0 && n < buffer.size())
            dir.assign(reinterpret_cast<const char16_t*>(buffer.data()), n);
        return n;
    }

    bool path_exists(std::u16string_view path) const override { return PathFileExistsW(w(z(path))) != FALSE; }

    std::optional<std::u16string> environment(std::u16string_view name) const override {
        std::u16string key = z(name);
        std::vector<wchar_t> buffer(256);
        for (int round = 0; round < 4; ++round) {
            SetLastError(ERROR_SUCCESS);
            DWORD n = GetEnvironmentVariableW(w(key), buffer.data(), static_cast<DWORD>(buffer.size()));
            if (n == 0) {
                // Zero is also the length of a variable set to the empty text.
                if (GetLastError() == ERROR_ENVVAR_NOT_FOUND)
                    return std::nullopt;
                return std::u16string();
            }
            if (n < buffer.size())
                return std::u16string(reinterpret_cast<const char16_t*>(buffer.data()), n);
            buffer.resize(n + 1);
        }
        return std::nullopt;
    }

    std::unique_ptr<byte_reader> open_file(std::u16string_view path) const override {
        HANDLE h =
            CreateFileW(w(z(path)), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (h == INVALID_HANDLE_VALUE)
            return nullptr;
        return std::make_unique<win_file_reader>(h);
    }

    value_status query_machine_value(std::u16string_view key, std::u16string_view name, std::size_t capacity,
                                     machine_value& value) const override {
        reg_key k;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, w(z(key)), 0, KEY_QUERY_VALUE, k.out()) != ERROR_SUCCESS)
            return value_status::no_key;
        std::vector<std::uint8_t> buffer(capacity);
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(capacity);
        LONG rc = RegQueryValueExW(k.get(), w(z(name)), nullptr, &type,
                                   buffer.empty() ? nullptr : buffer.data(), &size);
        if (rc == ERROR_MORE_DATA)
            return value_status::more_data;
        if (rc != ERROR_SUCCESS)
            return value_status::no_value;
        buffer.resize(size < buffer.size() ? size : buffer.size());
        value.type = type;
        value.data = std::move(buffer);
        return value_status::ok;
    }

    bool machine_subkeys(std::u16string_view key, std::vector<std::u16string>& names) const override {
        reg_key k;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, w(z(key)), 0, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE,
                          k.out()) != ERROR_SUCCESS)
            return false;
        std::vector<std::u16string> found;
        for (DWORD index = 0;; ++index) {
            wchar_t name[256]; // key names are at most 255 characters
            DWORD length = 256;
            if (RegEnumKeyExW(k.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            found.emplace_back(reinterpret_cast<const char16_t*>(name), length);
        }
        names = std::move(found);
        return true;
    }

    char16_t path_separator() const override { return u'\\'; }
};

} // namespace

const client_system& client_system::real() {
    static const win_system system;
    return system;
}

} // namespace platform
