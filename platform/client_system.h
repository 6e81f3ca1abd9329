// What the client-environment code needs from the system: loaded modules and their version
// resources, the executable search path, the machine registry, the working directory, the
// environment and plain file reading. The real system is client_system::real(); tests put their own
// in its place. The calls keep the shape of the Windows functions behind them (fixed buffer sizes,
// lengths as those functions report them), so the logic above can apply the same rules everywhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The fixed part of a version resource, field for field as Windows lays it out.
struct fixed_file_info {
    std::uint32_t dwSignature = 0;
    std::uint32_t dwStrucVersion = 0;
    std::uint32_t dwFileVersionMS = 0;
    std::uint32_t dwFileVersionLS = 0;
    std::uint32_t dwProductVersionMS = 0;
    std::uint32_t dwProductVersionLS = 0;
    std::uint32_t dwFileFlagsMask = 0;
    std::uint32_t dwFileFlags = 0;
    std::uint32_t dwFileOS = 0;
    std::uint32_t dwFileType = 0;
    std::uint32_t dwFileSubtype = 0;
    std::uint32_t dwFileDateMS = 0;
    std::uint32_t dwFileDateLS = 0;
};
static_assert(sizeof(fixed_file_info) == 52);

enum class module_lookup { not_loaded, no_file_name, found };

// Registry value types as the registry numbers them.
constexpr std::uint32_t reg_sz = 1;
constexpr std::uint32_t reg_expand_sz = 2;
constexpr std::uint32_t reg_dword = 4;

enum class value_status {
    ok,
    no_key,    // the key cannot be opened
    no_value,  // the value is absent or cannot be read
    more_data, // the value does not fit the buffer
};

struct machine_value {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data; // as many bytes as the query returned
};

// One open file, read front to back.
class byte_reader {
public:
    virtual ~byte_reader() = default;
    // Up to `size` bytes into `buffer`: the count read, 0 at the end of the file, -1 on a read error.
    virtual std::ptrdiff_t read(char* buffer, std::size_t size) = 0;
};

class client_system {
public:
    virtual ~client_system() = default;

    // The system itself: Win32 on Windows; elsewhere the process's mapped files, the library search
    // path and an empty machine registry.
    static const client_system& real();

    // The full file name of an already loaded module, by its name (nothing is loaded). On Windows the
    // name is read into 260 characters; a name that does not fit counts as unreadable.
    virtual module_lookup loaded_module_path(std::u16string_view module, std::u16string& path) const = 0;

    // A file's whole version resource; false when it has none or it cannot be read.
    virtual bool read_version_info(std::u16string_view file, std::vector<std::uint8_t>& block) const = 0;
    // A sub-block of a version resource read above: its bytes (a string's characters without
    // regard to its NUL, two bytes each). False when the sub-block is absent.
    virtual bool query_version_value(const std::vector<std::uint8_t>& block, std::u16string_view sub_block,
                                     const std::uint8_t*& data, std::size_t& bytes) const = 0;

    // Looks for a file in the system's standard search order, into a buffer of `capacity`
    // characters: the path's length when found and it fits (then `path` and, in it, the offset of the
    // file-name part are set), the size needed when it does not fit, 0 when there is no such file.
    virtual std::size_t search_path(std::u16string_view file, std::size_t capacity, std::u16string& path,
                                    std::size_t& file_part) const = 0;

    // The working directory into a buffer of `capacity` characters: its length when it fits (then
    // `dir` is set), the size needed when it does not, 0 on failure.
    virtual std::size_t current_directory(std::size_t capacity, std::u16string& dir) const = 0;

    // True when a file or directory of that name exists (a relative name from the working directory).
    virtual bool path_exists(std::u16string_view path) const = 0;

    // An environment variable of the process; nullopt when it is not set.
    virtual std::optional<std::u16string> environment(std::u16string_view name) const = 0;

    // Opens a file for reading without denying other processes reading, writing or deleting it; null
    // when it cannot be opened.
    virtual std::unique_ptr<byte_reader> open_file(std::u16string_view path) const = 0;

    // Opens a key under HKEY_LOCAL_MACHINE for querying values and reads one value into a buffer of
    // `capacity` bytes; the key is closed again.
    virtual value_status query_machine_value(std::u16string_view key, std::u16string_view name,
                                             std::size_t capacity, machine_value& value) const = 0;
    // Opens a key under HKEY_LOCAL_MACHINE for enumerating subkeys and querying values and lists the
    // subkey names in the registry's order, up to the first that cannot be read. False when the key
    // cannot be opened (`names` is then untouched).
    virtual bool machine_subkeys(std::u16string_view key, std::vector<std::u16string>& names) const = 0;

    // The separator of directories in file paths: a backslash on Windows, a slash elsewhere.
    virtual char16_t path_separator() const = 0;
};

} // namespace platform
