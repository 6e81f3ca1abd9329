#include "host.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <unistd.h>
#endif

namespace orasim::oci {

std::u16string utf8_to_utf16(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        auto b = static_cast<unsigned char>(s[i]);
        char32_t c = 0xFFFD;
        size_t len = 1;
        auto cont = [&](size_t k) { return i + k < s.size() && (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80; };
        auto bits = [&](size_t k) { return static_cast<char32_t>(static_cast<unsigned char>(s[i + k]) & 0x3F); };
        if (b < 0x80) {
            c = b;
        } else if ((b & 0xE0) == 0xC0 && cont(1)) {
            c = ((b & 0x1F) << 6) | bits(1);
            len = 2;
            if (c < 0x80)
                c = 0xFFFD;
        } else if ((b & 0xF0) == 0xE0 && cont(1) && cont(2)) {
            c = ((b & 0x0F) << 12) | (bits(1) << 6) | bits(2);
            len = 3;
            if (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))
                c = 0xFFFD;
        } else if ((b & 0xF8) == 0xF0 && cont(1) && cont(2) && cont(3)) {
            c = ((b & 0x07) << 18) | (bits(1) << 12) | (bits(2) << 6) | bits(3);
            len = 4;
            if (c < 0x10000 || c > 0x10FFFF)
                c = 0xFFFD;
        }
        i += len;
        if (c >= 0x10000) {
            c -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
    }
    return out;
}

std::string utf16_to_utf8(std::u16string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

#ifdef _WIN32

static_assert(sizeof(wchar_t) == sizeof(char16_t));

namespace {

std::wstring wide(std::string_view utf8) {
    std::u16string w = utf8_to_utf16(utf8);
    return std::wstring(w.begin(), w.end());
}

std::string from_wide(const wchar_t* w, size_t n) {
    return utf16_to_utf8(std::u16string_view(reinterpret_cast<const char16_t*>(w), n));
}

} // namespace

std::string client_to_utf8(std::string_view text) {
    if (text.empty())
        return {};
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), w.data(), n);
    return from_wide(w.data(), w.size());
}

std::string utf8_to_client(std::string_view utf8) {
    if (utf8.empty())
        return {};
    std::wstring w = wide(utf8);
    int n = WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr, nullptr);
    return out;
}

bool client_is_utf8() { return GetACP() == CP_UTF8; }

std::optional<std::string> environment(const char* name) {
    std::wstring wname = wide(name);
    const wchar_t* v = _wgetenv(wname.c_str());
    if (!v)
        return std::nullopt;
    return from_wide(v, wcslen(v));
}

bool read_file(const std::string& path, std::string& content) {
    FILE* f = _wfopen(wide(path).c_str(), L"rb");
    if (!f)
        return false;
    content.clear();
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        content.append(buf, n);
    bool ok = !ferror(f);
    fclose(f);
    return ok;
}

bool append_to_file(const std::string& path, std::string_view text) {
    FILE* f = _wfopen(wide(path).c_str(), L"ab");
    if (!f)
        return false;
    bool ok = fwrite(text.data(), 1, text.size(), f) == text.size();
    return fclose(f) == 0 && ok;
}

std::string module_folder() {
    HMODULE self = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&module_folder), &self))
        return {};
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(self, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::string() : from_wide(path.data(), slash + 1);
}

local_time now_local() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

#else

std::string client_to_utf8(std::string_view text) { return std::string(text); }
std::string utf8_to_client(std::string_view utf8) { return std::string(utf8); }
bool client_is_utf8() { return true; }

std::optional<std::string> environment(const char* name) {
    const char* v = std::getenv(name);
    if (!v)
        return std::nullopt;
    return std::string(v);
}

bool read_file(const std::string& path, std::string& content) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    content.clear();
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        content.append(buf, n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

bool append_to_file(const std::string& path, std::string_view text) {
    FILE* f = std::fopen(path.c_str(), "ab");
    if (!f)
        return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

std::string module_folder() {
    Dl_info info{};
    std::string path;
    if (dladdr(reinterpret_cast<void*>(&module_folder), &info) && info.dli_fname)
        path = info.dli_fname;
    if (path.empty() || path.find('/') == std::string::npos) {
        // Linked into the program itself: its name as started may not be a path.
        char buf[4096];
        ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
        if (n <= 0)
            return {};
        path.assign(buf, static_cast<size_t>(n));
    }
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

local_time now_local() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

#endif

void sleep_ms(unsigned ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

} // namespace orasim::oci
