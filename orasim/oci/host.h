// What the simulated client needs from the machine it runs on: the client's narrow encoding, UTF-16,
// environment variables, files named by UTF-8 paths, the library's own folder and the local clock.
// The only unit of the simulator that knows which system it runs on.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orasim::oci {

// The client's narrow text: UTF-8 natively; the ANSI code page on Windows. The engine speaks UTF-8.
std::string client_to_utf8(std::string_view client_text);
std::string utf8_to_client(std::string_view utf8);
bool client_is_utf8();

// Ill-formed sequences become U+FFFD.
std::u16string utf8_to_utf16(std::string_view utf8);
std::string utf16_to_utf8(std::u16string_view utf16);

// An environment variable as UTF-8; none when unset.
std::optional<std::string> environment(const char* name);

bool read_file(const std::string& utf8_path, std::string& content);
bool append_to_file(const std::string& utf8_path, std::string_view text);

// The folder of the module (DLL, shared library or executable) this code was linked into, with its
// final separator; empty when it cannot be found.
std::string module_folder();

struct local_time {
    int year, month, day, hour, minute, second;
};
local_time now_local();

void sleep_ms(unsigned ms);

} // namespace orasim::oci
