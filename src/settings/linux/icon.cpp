// The program's icon in the user's hicolor theme, where the system has none.
#include "settings/linux/icon.h"

#include <algorithm>
#include <cstdint>

#include "settings/linux/entry_text.h"

namespace tarvo::menus {
namespace {

constexpr std::string_view kSignature{"\x89PNG\r\n\x1a\n", 8};
// The signature, then the header chunk: length, "IHDR", 13 bytes of data, its CRC.
constexpr std::size_t kAfterHeader = 8 + 4 + 4 + 13 + 4;
constexpr char kIconFile[] = "tarvolin.png";

std::uint32_t crc32(std::string_view bytes) {
    std::uint32_t crc = 0xffffffffu;
    for (char c : bytes) {
        crc ^= static_cast<unsigned char>(c);
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return crc ^ 0xffffffffu;
}

std::string bigEndian(std::uint32_t value) {
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((value >> (24 - 8 * i)) & 0xff);
    return out;
}

// The marking chunk without its CRC: length, type, keyword, its zero byte, text.
std::string markChunkHead() {
    const std::string data = std::string("Comment") + '\0' + (kMadeByLine + 2);  // without "# "
    return bigEndian(static_cast<std::uint32_t>(data.size())) + "tEXt" + data;
}

bool isPng(std::string_view bytes) {
    return bytes.size() >= kAfterHeader && bytes.starts_with(kSignature) &&
           bytes.substr(12, 4) == "IHDR";
}

std::string iconFolder(const std::string& hicolor, int size) {
    return hicolor + "/" + std::to_string(size) + "x" + std::to_string(size) + "/apps";
}

}  // namespace

std::string markedPng(std::string_view png) {
    if (!isPng(png)) return std::string(png);
    const std::string head = markChunkHead();
    std::string out(png.substr(0, kAfterHeader));
    out += head;
    out += bigEndian(crc32(std::string_view(head).substr(4)));
    out += png.substr(kAfterHeader);
    return out;
}

bool markedAsOurs(std::string_view bytes) {
    return isPng(bytes) && bytes.substr(kAfterHeader).starts_with(markChunkHead());
}

bool systemHasIcon(const MenuFolders& folders) {
    return std::any_of(folders.systemIcons.begin(), folders.systemIcons.end(),
                       [](const std::string& hicolor) {
                           for (const IconImage& image : programIconImages()) {
                               const auto names = fs::listFolder(iconFolder(hicolor, image.size));
                               if (std::find(names.begin(), names.end(), kIconFile) != names.end())
                                   return true;
                           }
                           return false;
                       });
}

void updateProgramIcon(const MenuPlan& plan, MenuUpdate& update) {
    const std::string& hicolor = plan.folders.icons;
    if (hicolor.empty()) return;
    const bool wanted = !plan.extensions.empty() && !systemHasIcon(plan.folders);
    for (const IconImage& image : programIconImages()) {
        const std::string folder = iconFolder(hicolor, image.size);
        if (wanted) {
            putFile(update, folder, kIconFile, markedPng(image.png), fs::FileMode::Keep,
                    markedAsOurs);
        } else {
            dropIfOurs(update, folder + "/" + kIconFile, markedAsOurs);
        }
    }
}

}  // namespace tarvo::menus
