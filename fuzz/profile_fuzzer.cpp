// Fuzzes the profile-file format: any bytes parse; reads, writes and section removals driven by
// the input behave as specified, and lines an edit does not touch reach the output unchanged.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>

#include "common/utf8.h"
#include "storage/profile_document.h"
#include "storage/text_encoding.h"

// Names the broken rule, so that a finding explains itself.
#define check(condition)                                                         \
    do {                                                                         \
        if (!(condition)) {                                                      \
            std::fprintf(stderr, "%s:%d: failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                        \
        }                                                                        \
    } while (false)

namespace {

using tarvo::ProfileDocument;


bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string trimmed(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && isBlank(s[b])) ++b;
    while (e > b && isBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

// Names the format can hold, so a write with them must take effect.
bool storableSection(const std::string& name) {
    return trimmed(name).find_first_of("\r\n") == std::string::npos;
}
bool storableKey(const std::string& name) {
    const std::string t = trimmed(name);
    if (t.find_first_of("=\r\n") != std::string::npos) return false;
    return t.empty() || (t.front() != '[' && t.front() != ';');
}

std::string withoutLineBreaks(std::string value) {
    for (char& c : value) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return value;
}

// Short names, so that operations meet each other's sections and keys. The engine takes a
// malformed byte in a written name or value as Windows-1252; names are given to it repaired,
// so that reads and removals name what the writes stored.
std::string name(FuzzedDataProvider& in) {
    return tarvo::text::repairUtf8(in.ConsumeRandomLengthString(6));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string fileBytes = in.ConsumeRandomLengthString(4096);
    ProfileDocument doc(fileBytes);

    // A UTF-8 file is written back byte for byte when nothing changed.
    using Encoding = ProfileDocument::Encoding;
    if (doc.sourceEncoding() == Encoding::Utf8 || doc.sourceEncoding() == Encoding::Utf8WithBom) {
        check(doc.serialise() == fileBytes);
    }

    // The values the writes left, by folded section and key names.
    std::map<std::pair<std::string, std::string>, std::string> written;
    int fresh = 0;
    while (in.remaining_bytes() > 0) {
        switch (in.ConsumeIntegralInRange(0, 3)) {
            case 0: {
                const std::string section = name(in), key = name(in);
                const std::string value = in.ConsumeRandomLengthString(40);
                doc.write(section, key, value);
                if (storableSection(section) && storableKey(key)) {
                    const std::string stored = withoutLineBreaks(tarvo::text::repairUtf8(value));
                    const auto read = doc.read(section, key);
                    check(read && *read == stored);
                    written[{ProfileDocument::foldName(section), ProfileDocument::foldName(key)}] =
                        stored;
                }
                break;
            }
            case 1: {
                const std::string section = name(in);
                doc.deleteSection(section);
                check(!doc.hasSection(section));
                const std::string folded = ProfileDocument::foldName(section);
                for (auto it = written.begin(); it != written.end();) {
                    it = it->first.first == folded ? written.erase(it) : std::next(it);
                }
                break;
            }
            case 2: {
                const std::string section = name(in), key = name(in);
                (void)doc.read(section, key);
                break;
            }
            case 3: {
                // A record added for a new file name leaves every existing line as it was.
                const std::string section = "new record " + std::to_string(++fresh);
                if (doc.hasSection(section)) break;
                const std::string before = doc.serialise();
                doc.write(section, "0", "1");
                const std::string after = doc.serialise();
                check(after.size() > before.size() && after.compare(0, before.size(), before) == 0);
                written[{ProfileDocument::foldName(section), "0"}] = "1";
                break;
            }
        }
    }

    // What was written is what a fresh parse of the output reads. Writes keep a UTF-8 file
    // well-formed; a file read in another encoding is written back as UTF-8.
    const std::string out = doc.serialise();
    const ProfileDocument reparsed(out);
    check(reparsed.serialise() == ProfileDocument(reparsed.serialise()).serialise());
    // (A UTF-16 file whose text starts with a second byte-order mark is the one exception: as
    // UTF-8 that character reads as the mark itself.)
    const bool converted = doc.sourceEncoding() != Encoding::Utf8 &&
                           doc.sourceEncoding() != Encoding::Utf8WithBom;
    if (!converted || out.compare(0, 3, "\xEF\xBB\xBF") != 0) {
        check(reparsed.serialise() == out);
        for (const auto& [names, value] : written) {
            const auto read = reparsed.read(names.first, names.second);
            check(read && *read == value);
        }
    }
    return 0;
}
