// Fuzzes the splitting of the argument text into words and the quoting of paths for it: any
// text splits without a crash (into words, or into an error with no words), a quoted text
// splits back into exactly that one text, and words quoted and joined by blanks split back
// into the same words.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/shell_words.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

std::string quotedAndJoined(const std::vector<std::string>& words) {
    std::string line;
    for (const auto& word : words) {
        if (!line.empty()) line += ' ';
        line += tarvo::shellQuote(word);
    }
    return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    // Any text: words, or an error and no words.
    const tarvo::ShellWords split = tarvo::splitShellWords(text);
    check(!split.error || split.words.empty());
    if (split.error) check(!split.error->empty());

    // The text as one path: quoted, it is one word again, byte for byte.
    const tarvo::ShellWords one = tarvo::splitShellWords(tarvo::shellQuote(text));
    check(!one.error && one.words.size() == 1 && one.words[0] == text);

    // The words of the text, quoted and joined: the same words.
    if (!split.error) {
        const tarvo::ShellWords again = tarvo::splitShellWords(quotedAndJoined(split.words));
        check(!again.error && again.words == split.words);
    }

    // The text cut in two at a place its first byte chooses: two words, as they were.
    if (size > 0) {
        const std::size_t cut = data[0] % size;
        const std::vector<std::string> two{std::string(text.substr(0, cut)),
                                           std::string(text.substr(cut))};
        const tarvo::ShellWords back = tarvo::splitShellWords(quotedAndJoined(two));
        check(!back.error && back.words == two);
    }
    return 0;
}
