// The client environment on systems without Windows: modules are the files mapped into the process,
// the search path is the dynamic loader's, and there is no machine registry.
#include "client_system.h"

#include "text.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::string narrow(std::u16string_view s) {
    return to_narrow(s.substr(0, s.find(u'\0')));
}

std::u16string basename_of(const std::u16string& path) {
    size_t slash = path.find_last_of(u'/');
    return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

class posix_file_reader : public byte_reader {
public:
    explicit posix_file_reader(int fd) : fd_(fd) {}
    ~posix_file_reader() override { ::close(fd_); }
    posix_file_reader(const posix_file_reader&) = delete;
    posix_file_reader& operator=(const posix_file_reader&) = delete;

    std::ptrdiff_t read(char* buffer, std::size_t size) override {
        for (;;) {
            ssize_t n = ::read(fd_, buffer, size);
            if (n < 0 && errno == EINTR)
                continue;
            return n < 0 ? -1 : static_cast<std::ptrdiff_t>(n);
        }
    }

private:
    int fd_;
};

bool is_regular_file(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string working_directory() {
    std::string buffer(256, '\0');
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size()))
            return std::string(buffer.c_str());
        if (errno != ERANGE || buffer.size() > (1u << 20))
            return {};
        buffer.resize(buffer.size() * 2);
    }
}

class posix_system : public client_system {
public:
    module_lookup loaded_module_path(std::u16string_view module, std::u16string& path) const override {
        std::u16string name(module.substr(0, module.find(u'\0')));
        if (name.empty())
            return module_lookup::not_loaded;
        FILE* maps = std::fopen("/proc/self/maps", "re");
        if (!maps)
            return module_lookup::not_loaded;
        module_lookup result = module_lookup::not_loaded;
        char line[4096 + 256];
        while (std::fgets(line, sizeof line, maps)) {
            std::string text(line);
            if (!text.empty() && text.back() == '\n')
                text.pop_back();
            size_t slash = text.find('/');
            if (slash == std::string::npos)
                continue;
            std::u16string file = to_utf16(text.substr(slash));
            std::u16string base = basename_of(file);
            // A versioned file name (libclntsh.so.19.1) is the library of its plain name.
            if (base == name || base.rfind(name + u".", 0) == 0) {
                path = file;
                result = module_lookup::found;
                break;
            }
        }
        std::fclose(maps);
        return result;
    }

    bool read_version_info(std::u16string_view, std::vector<std::uint8_t>&) const override {
        return false; // the system's libraries carry no version resource
    }

    bool query_version_value(const std::vector<std::uint8_t>&, std::u16string_view, const std::uint8_t*&,
                             std::size_t&) const override {
        return false;
    }

    std::size_t search_path(std::u16string_view file, std::size_t capacity, std::u16string& path,
                            std::size_t& file_part) const override {
        std::string name = narrow(file);
        if (name.empty())
            return 0;
        std::vector<std::string> dirs;
        if (const char* lib = std::getenv("LD_LIBRARY_PATH")) {
            std::string list(lib);
            size_t start = 0;
            for (;;) {
                size_t colon = list.find(':', start);
                dirs.push_back(
                    list.substr(start, colon == std::string::npos ? std::string::npos : colon - start));
                if (colon == std::string::npos)
                    break;
                start = colon + 1;
            }
        }
        for (const char* d : {"/usr/local/lib", "/usr/lib", "/lib"})
            dirs.emplace_back(d);
        for (std::string dir : dirs) {
            if (dir.empty() || dir[0] != '/') {
                std::string cwd = working_directory();
                if (cwd.empty())
                    continue;
                dir = dir.empty() ? cwd : cwd + "/" + dir;
            }
            if (dir.back() != '/')
                dir.push_back('/');
            if (!is_regular_file(dir + name))
                continue;
            std::u16string found = to_utf16(dir + name);
            if (found.size() >= capacity)
                return found.size() + 1;
            path = found;
            file_part = to_utf16(dir).size();
            return found.size();
        }
        return 0;
    }

    std::size_t current_directory(std::size_t capacity, std::u16string& dir) const override {
        std::string cwd = working_directory();
        if (cwd.empty())
            return 0;
        std::u16string text = to_utf16(cwd);
        if (text.size() >= capacity)
            return text.size() + 1;
        dir = text;
        return text.size();
    }

    bool path_exists(std::u16string_view path) const override {
        std::string name = narrow(path);
        struct stat st;
        return !name.empty() && ::stat(name.c_str(), &st) == 0;
    }

    std::optional<std::u16string> environment(std::u16string_view name) const override {
        const char* value = std::getenv(narrow(name).c_str());
        if (!value)
            return std::nullopt;
        return to_utf16(value);
    }

    std::unique_ptr<byte_reader> open_file(std::u16string_view path) const override {
        std::string name = narrow(path);
        if (name.empty())
            return nullptr;
        int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return nullptr;
        return std::make_unique<posix_file_reader>(fd);
    }

    value_status query_machine_value(std::u16string_view, std::u16string_view, std::size_t,
                                     machine_value&) const override {
        return value_status::no_key; // there is no machine registry here
    }

    bool machine_subkeys(std::u16string_view, std::vector<std::u16string>&) const override { return false; }

    char16_t path_separator() const override { return u'/'; }
};

} // namespace

const client_system& client_system::real() {
    static const posix_system system;
    return system;
}

} // namespace platform
