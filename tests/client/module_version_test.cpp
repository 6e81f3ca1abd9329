#include "module_version.h"
#include "tns.h"

#include "fake_system.h"

#include <gtest/gtest.h>

namespace {

const std::u16string file = u"C:\\client\\bin\\OCI.DLL";

std::vector<std::uint8_t> root(std::uint32_t signature, std::uint32_t file_version_ms = 0x000C0002) {
    platform::fixed_file_info info;
    info.dwSignature = signature;
    info.dwStrucVersion = 0x00010000;
    info.dwFileVersionMS = file_version_ms;
    std::vector<std::uint8_t> bytes(sizeof info);
    std::memcpy(bytes.data(), &info, sizeof info);
    return bytes;
}

std::vector<std::uint8_t> translation(std::uint16_t language, std::uint16_t code_page) {
    return {static_cast<std::uint8_t>(language), static_cast<std::uint8_t>(language >> 8),
            static_cast<std::uint8_t>(code_page), static_cast<std::uint8_t>(code_page >> 8)};
}

std::vector<std::uint8_t> text(std::u16string s, bool with_nul = true) {
    if (with_nul)
        s.push_back(u'\0');
    std::vector<std::uint8_t> bytes(s.size() * 2);
    std::memcpy(bytes.data(), s.data(), bytes.size());
    return bytes;
}

fake_system loaded_client() {
    fake_system s;
    s.modules[platform::ascii_upper(CTNS::ClientModuleName())] = file;
    return s;
}

TEST(ModuleVersion, VersionTextByResourceShape) {
    using table = std::map<std::u16string, std::vector<std::uint8_t>>;
    const struct {
        const char* what;
        table blocks;
        std::u16string version;
    } cases[] = {
        {"matching translation and table",
         {{u"\\", root(0xFEEF04BD)},
          {u"\\VarFileInfo\\Translation", translation(0x0409, 1252)},
          {u"\\StringFileInfo\\040904e4\\FileVersion", text(u"12.2.0.1.0 Production")}},
         u"12.2.0.1.0 Production"},
        {"only the second translation has the table",
         {{u"\\", root(0xFEEF04BD)},
          {u"\\VarFileInfo\\Translation",
           [] {
               auto t = translation(0x0407, 1200);
               auto u = translation(0x0409, 1252);
               t.insert(t.end(), u.begin(), u.end());
               return t;
           }()},
          {u"\\StringFileInfo\\040904e4\\FileVersion", text(u"1.0")}},
         u""},
        {"table under another pair",
         {{u"\\", root(0xFEEF04BD)},
          {u"\\VarFileInfo\\Translation", translation(0x0409, 1252)},
          {u"\\StringFileInfo\\040704b0\\FileVersion", text(u"1.0")}},
         u""},
        {"table named in capitals only",
         {{u"\\", root(0xFEEF04BD)},
          {u"\\VarFileInfo\\Translation", translation(0x0409, 1252)},
          {u"\\StringFileInfo\\040904E4\\FileVersion", text(u"1.0")}},
         u""},
        {"other language, hexadecimal digits in lower case",
         {{u"\\", root(0xFEEF04BD)},
          {u"\\VarFileInfo\\Translation", translation(0x0C0A, 0xFDE9)},
          {u"\\StringFileInfo\\0c0afde9\\FileVersion", text(u"19c")}},
         u"19c"},
        {"no translation table: U.S. English and 1252",
         {{u"\\", root(0xFEEF04BD)}, {u"\\StringFileInfo\\040904e4\\FileVersion", text(u"2.0")}},
         u"2.0"},
        {"a translation table too short is passed over",
         {{u"\\", root(0xFEEF04BD)},
          {u"\\VarFileInfo\\Translation", {0x07, 0x04}},
          {u"\\StringFileInfo\\040904e4\\FileVersion", text(u"3.0")}},
         u"3.0"},
        {"text without its NUL, and text after a NUL",
         {{u"\\", root(0xFEEF04BD)},
          {u"\\StringFileInfo\\040904e4\\FileVersion", text(std::u16string(u"4.0\0x", 5), false)}},
         u"4.0"},
        {"empty version text",
         {{u"\\", root(0xFEEF04BD)}, {u"\\StringFileInfo\\040904e4\\FileVersion", text(u"")}},
         u""},
        {"wrong signature",
         {{u"\\", root(0xFEEF04BE)}, {u"\\StringFileInfo\\040904e4\\FileVersion", text(u"5.0")}},
         u"Not found"},
        {"no root block", {{u"\\StringFileInfo\\040904e4\\FileVersion", text(u"5.0")}}, u"Not found"},
        {"root block too short",
         {{u"\\",
           [] {
               auto r = root(0xFEEF04BD);
               r.resize(40);
               return r;
           }()}},
         u"Not found"},
    };
    for (const auto& t : cases) {
        fake_system s = loaded_client();
        s.versions[file] = t.blocks;
        EXPECT_EQ(CTNS(s).GetClientVersion(), t.version) << t.what;
    }
}

TEST(ModuleVersion, NotFoundWithoutModuleNameOrResource) {
    fake_system none;
    EXPECT_EQ(CTNS(none).GetClientVersion(), u"Not found");
    fake_system unreadable;
    unreadable.unreadable_module_names.insert(platform::ascii_upper(CTNS::ClientModuleName()));
    EXPECT_EQ(CTNS(unreadable).GetClientVersion(), u"Not found");
    fake_system without_resource = loaded_client();
    EXPECT_EQ(CTNS(without_resource).GetClientVersion(), u"Not found");
}

TEST(ModuleVersion, LoadFillsTheFixedInformationAndKeepsStringsReadableOnAWrongSignature) {
    fake_system s = loaded_client();
    s.versions[file] = {{u"\\", root(0x12345678, 0x00130003)},
                        {u"\\VarFileInfo\\Translation", translation(0x0407, 1200)},
                        {u"\\StringFileInfo\\040704b0\\CompanyName", text(u"Maker")}};
    CModuleVersion v(s);
    EXPECT_FALSE(v.LoadFromModule(CTNS::ClientModuleName()));
    EXPECT_EQ(v.dwSignature, 0x12345678u);
    EXPECT_EQ(v.dwFileVersionMS, 0x00130003u);
    EXPECT_EQ(v.Translation().language, 0x0407);
    EXPECT_EQ(v.Translation().code_page, 1200);
    EXPECT_EQ(v.QueryStringValue(u"CompanyName"), u"Maker");
    EXPECT_EQ(v.QueryStringValue(u"FileVersion"), u"");
}

TEST(ModuleVersion, EveryLoadStartsAfresh) {
    fake_system s = loaded_client();
    s.versions[file] = {{u"\\", root(0xFEEF04BD)},
                        {u"\\VarFileInfo\\Translation", translation(0x0407, 1200)},
                        {u"\\StringFileInfo\\040704b0\\FileVersion", text(u"1")}};
    CModuleVersion v(s);
    ASSERT_TRUE(v.LoadFromModule(CTNS::ClientModuleName()));
    EXPECT_EQ(v.QueryStringValue(u"FileVersion"), u"1");
    // A second load of a module that is not there leaves nothing of the first behind.
    EXPECT_FALSE(v.LoadFromModule(u"absent.dll"));
    EXPECT_EQ(v.dwSignature, 0u);
    EXPECT_EQ(v.Translation().code_page, 1252);
    EXPECT_EQ(v.QueryStringValue(u"FileVersion"), u"");
    CModuleVersion fresh(s);
    EXPECT_EQ(fresh.QueryStringValue(u"FileVersion"), u""); // nothing read yet
}

TEST(ClientPath, IsTheLoadedLibrarysFileName) {
    fake_system s = loaded_client();
    std::u16string path = u"untouched";
    EXPECT_TRUE(CTNS(s).GetClientPath(path));
    EXPECT_EQ(path, file);
    fake_system none;
    path = u"untouched";
    EXPECT_FALSE(CTNS(none).GetClientPath(path));
    EXPECT_EQ(path, u"untouched");
    fake_system unreadable;
    unreadable.unreadable_module_names.insert(platform::ascii_upper(CTNS::ClientModuleName()));
    EXPECT_FALSE(CTNS(unreadable).GetClientPath(path));
    EXPECT_EQ(path, u"untouched");
}

} // namespace
