#include "module_version.h"

#include <cstring>

CModuleVersion::CModuleVersion(const platform::client_system& system) : system_(&system) {}

bool CModuleVersion::LoadFromModule(std::u16string_view module) {
    translation_.code_page = 1252;
    static_cast<platform::fixed_file_info&>(*this) = platform::fixed_file_info{};
    version_data_.reset();

    std::u16string path;
    if (system_->loaded_module_path(module, path) != platform::module_lookup::found)
        return false;
    std::vector<std::uint8_t> block;
    if (!system_->read_version_info(path, block))
        return false;
    version_data_ = std::move(block);

    const std::uint8_t* data = nullptr;
    std::size_t bytes = 0;
    if (!system_->query_version_value(*version_data_, u"\\", data, bytes) ||
        bytes < sizeof(platform::fixed_file_info))
        return false;
    platform::fixed_file_info fixed;
    std::memcpy(&fixed, data, sizeof fixed);
    static_cast<platform::fixed_file_info&>(*this) = fixed;

    if (system_->query_version_value(*version_data_, u"\\VarFileInfo\\Translation", data, bytes) &&
        bytes >= 4) {
        translation_.language = static_cast<std::uint16_t>(data[0] | (data[1] << 8));
        translation_.code_page = static_cast<std::uint16_t>(data[2] | (data[3] << 8));
    }
    return dwSignature == Signature;
}

std::u16string CModuleVersion::QueryStringValue(std::u16string_view name) const {
    if (!version_data_)
        return {};
    static const char16_t hex[] = u"0123456789abcdef";
    std::u16string sub_block = u"\\StringFileInfo\\";
    for (std::uint16_t part : {translation_.language, translation_.code_page})
        for (int shift = 12; shift >= 0; shift -= 4)
            sub_block.push_back(hex[(part >> shift) & 0xF]);
    sub_block += u'\\';
    sub_block += name;
    const std::uint8_t* data = nullptr;
    std::size_t bytes = 0;
    if (!system_->query_version_value(*version_data_, sub_block, data, bytes))
        return {};
    std::u16string text(bytes / 2, u'\0');
    if (!text.empty())
        std::memcpy(text.data(), data, text.size() * 2);
    return text.substr(0, text.find(u'\0'));
}
