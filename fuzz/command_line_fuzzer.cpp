// Fuzzes the start-up split of the command line: the arguments are always an unchanged tail
// of the line, and the UTF-16 form always gives valid UTF-8.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/startup.h"
#include "common/utf8.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const std::string args = tarvo::commandLineArguments(line);
    check(args.size() <= line.size() && line.substr(line.size() - args.size()) == args);
    check(args.empty() || (args.front() != ' ' && args.front() != '\t'));
    // Without a quote the program's name ends at the first blank or tab.
    if (!line.empty() && line.front() != '"' && line.find_first_of(" \t") == std::string_view::npos) {
        check(args.empty());
    }

    std::u16string wide(size / 2, u'\0');
    for (std::size_t i = 0; i < wide.size(); ++i) {
        wide[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    }
    const std::string fromWide = tarvo::commandLineArguments(std::u16string_view(wide));
    check(tarvo::utf8::isValid(fromWide));
    return 0;
}
