// A reader of a loaded module's version resource: its fixed file information (the base) and the
// strings of the string table chosen by the resource's first translation entry.
#pragma once

#include "client_system.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CModuleVersion : public platform::fixed_file_info {
public:
    static constexpr std::uint32_t Signature = 0xFEEF04BD;

    struct translation {
        std::uint16_t language;
        std::uint16_t code_page;
    };

    explicit CModuleVersion(const platform::client_system& system = platform::client_system::real());
    virtual ~CModuleVersion() = default;

    // Reads the version resource of an already loaded module (nothing is loaded). True when it was
    // read and its fixed information carries the signature 0xFEEF04BD. The strings stay readable
    // after a false result once the resource itself was read.
    bool LoadFromModule(std::u16string_view module);

    // A string of the resource's string table for the current translation; empty when nothing was
    // read or the string is not there.
    std::u16string QueryStringValue(std::u16string_view name) const;

    translation Translation() const { return translation_; }

private:
    const platform::client_system* system_;
    std::optional<std::vector<std::uint8_t>> version_data_;
    // U.S. English until a resource names its own language; the code page is set on every load.
    translation translation_{0x0409, 1252};
};
