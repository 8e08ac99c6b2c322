// The listed extensions as the menus see them.
#include "settings/linux/extensions.h"

#include <algorithm>

#include "common/utf8.h"
#include "settings/linux/entry_text.h"

namespace tarvo::menus {

bool usableExtension(std::string_view ext) {
    if (ext.empty() || ext.front() == '.' || ext.front() == ' ' || ext.back() == ' ') return false;
    if (!utf8::isValid(ext) || fileStem(ext).size() > kLongestStem) return false;
    return std::none_of(ext.begin(), ext.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7f ||
               std::string_view("/\\;*?[]").find(c) != std::string_view::npos;
    });
}

std::string unusableExtensionMessage(std::string_view ext) {
    static_assert(kLongestStem == 209, "kTooLongExtensionMessage states the limit");
    return fileStem(ext).size() > kLongestStem ? kTooLongExtensionMessage
                                               : kUnusableExtensionMessage;
}

std::string fileStem(std::string_view ext) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (char c : ext) {
        const auto byte = static_cast<unsigned char>(c);
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '+' || c == '-') {
            out += c;
        } else if (c >= 'A' && c <= 'Z') {
            out += static_cast<char>(c - 'A' + 'a');
        } else {
            out += '_';
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        }
    }
    return out;
}

bool extensionListed(std::string_view path, const std::vector<std::string>& entries) {
    const std::string name = asciiLower(path.substr(path.rfind('/') + 1));
    return std::any_of(entries.begin(), entries.end(), [&](const std::string& ext) {
        return usableExtension(ext) && name.ends_with("." + asciiLower(ext)) &&
               name.size() > ext.size() + 1;
    });
}

}  // namespace tarvo::menus
