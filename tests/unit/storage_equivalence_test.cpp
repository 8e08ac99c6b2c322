// Random files and random edit sequences: the engine must read, report changes and write out
// exactly what the straightforward line-by-line model in storage_reference_document.h does.
// A failure prints the seed, the file and the operations so it can be replayed by hand.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "storage/ini_handler.h"
#include "storage/profile_document.h"
#include "storage_reference_document.h"
#include "storage_test_support.h"

namespace tarvo {
namespace {

using test::ReferenceDocument;

// Text as C escapes, so a failing case can be pasted back into a test.
std::string escaped(std::string_view s) {
    std::ostringstream out;
    for (const char c : s) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '\r') out << "\\r";
        else if (c == '\n') out << "\\n";
        else if (c == '\\' || c == '"') out << '\\' << c;
        else if (b < 0x20 || b >= 0x7F) out << "\\x" << std::hex << int{b} << std::dec << "\"\"";
        else out << c;
    }
    return out.str();
}

class Generator {
  public:
    explicit Generator(unsigned seed) : rng_(seed) {}

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    template <std::size_t N>
    std::string pick(const char* const (&options)[N]) {
        return options[below(static_cast<int>(N))];
    }

    // Names that meet each other: case, blanks, non-ASCII letters with case, one that cannot
    // be stored.
    std::string sectionName() {
        static const char* const kNames[] = {"a",
                                             "A",
                                             " a\t",
                                             "b",
                                             "B ",
                                             "c",
                                             "tool.exe",
                                             "TOOL.EXE",
                                             "\xC3\x89t\xC3\xA9",
                                             "\xC3\xA9T\xC3\x89",
                                             "",
                                             "x]y",
                                             "\xD0\x96",
                                             "setup[1].exe",
                                             "a]b]"};
        return pick(kNames);
    }
    std::string keyName() {
        static const char* const kKeys[] = {"0", " 1", "1", "2 ", "k", "K", "", "=", ";c",
                                            "[k", "\xD0\xB6"};
        return pick(kKeys);
    }
    std::string value() {
        static const char* const kValues[] = {"", "v", "  spaced  ", "a=b", "line\r\nbreak",
                                              "\x80 legacy", "\xC3\xA9", "x"};
        return pick(kValues);
    }

    std::string eol() {
        static const char* const kEols[] = {"\r\n", "\r\n", "\n", "\r"};
        return pick(kEols);
    }

    // A file of headers, keys, comments, blank and odd lines with mixed line ends.
    std::string file() {
        std::string text;
        const int lines = below(24);
        for (int i = 0; i < lines; ++i) {
            switch (below(10)) {
                case 0:
                case 1:
                case 2: text += (below(4) == 0 ? "  [" : "[") + sectionName() + "]"; break;
                case 3:
                case 4:
                case 5: text += keyName() + "=" + value(); break;
                case 6: text += below(2) ? "" : " \t"; break;
                case 7: text += "; note=" + value(); break;
                case 8: text += below(2) ? "[unclosed" : "[a]tail"; break;
                default: text += "stray text"; break;
            }
            if (i + 1 < lines || below(3) != 0) text += eol();
        }
        switch (below(12)) {
            case 0: return "\xEF\xBB\xBF" + text;
            case 1: return text + "\xE9";  // not UTF-8: read as the legacy code page
            case 2: return utf16(text);
            default: return text;
        }
    }

  private:
    // The text (ASCII-only parts taken byte by byte) as UTF-16 LE with its byte-order mark.
    static std::string utf16(const std::string& text) {
        std::string out = "\xFF\xFE";
        for (const char c : text) {
            out += c;
            out += '\0';
        }
        return out;
    }

    std::mt19937 rng_;
};

struct Outcome {
    std::string trace;
    bool same = true;
};

// Runs one random case on both documents, comparing after every operation.
Outcome runCase(unsigned seed) {
    Generator gen(seed);
    const std::string file = gen.file();
    ProfileDocument doc(file);
    ReferenceDocument ref(file);
    Outcome outcome;
    outcome.trace = "seed " + std::to_string(seed) + ", file \"" + escaped(file) + "\"\n";
    auto fail = [&](const std::string& what) {
        outcome.trace += "  differs: " + what + "\n";
        outcome.same = false;
    };
    if (doc.serialise() != ref.serialise()) fail("serialise before any edit");
    const int ops = 1 + gen.below(12);
    for (int i = 0; i < ops && outcome.same; ++i) {
        const std::string section = gen.sectionName(), key = gen.keyName();
        switch (gen.below(5)) {
            case 0:
            case 1: {
                const std::string value = gen.value();
                outcome.trace += "  write \"" + escaped(section) + "\" \"" + escaped(key) +
                                 "\" \"" + escaped(value) + "\"\n";
                if (doc.write(section, key, value) != ref.write(section, key, value)) {
                    fail("write result");
                }
                break;
            }
            case 2:
                outcome.trace += "  delete \"" + escaped(section) + "\"\n";
                if (doc.deleteSection(section) != ref.deleteSection(section)) fail("delete result");
                break;
            default: {
                outcome.trace += "  read \"" + escaped(section) + "\" \"" + escaped(key) + "\"\n";
                if (doc.read(section, key) != ref.read(section, key)) fail("read");
                if (doc.hasSection(section) != ref.hasSection(section)) fail("hasSection");
                break;
            }
        }
        if (doc.serialise() != ref.serialise()) {
            fail("serialise: \"" + escaped(doc.serialise()) + "\" against \"" +
                 escaped(ref.serialise()) + "\"");
        }
    }
    return outcome;
}

TEST(ProfileDocumentEquivalence, RandomEditsOnRandomFilesMatchTheLineByLineModel) {
    int failures = 0;
    for (unsigned seed = 1; seed <= 10000 && failures < 3; ++seed) {
        const Outcome outcome = runCase(seed);
        if (!outcome.same) {
            ADD_FAILURE() << outcome.trace;
            ++failures;
        }
    }
}

// Thousands of sections: the name index grows while records are added, forgets a name whose
// copies are all removed and finds it again when it comes back, and duplicates far apart in
// the file still resolve to the first copy.
TEST(ProfileDocumentEquivalence, ManyRecordsAddedRemovedAndAddedAgain) {
    std::string file;
    for (int i = 0; i < 3000; ++i) {
        file += "[Tool" + std::to_string(i % 2500) + ".EXE]\r\n0=" + std::to_string(i) +
                "\r\n 1=--arg " + std::to_string(i) + "\r\n";
    }
    file += "last=no line end";
    ProfileDocument doc(file);
    ReferenceDocument ref(file);
    std::mt19937 rng(3);
    for (int op = 0; op < 4000; ++op) {
        const std::string section = "tool" + std::to_string(rng() % 6000) + ".exe";
        const std::string key = rng() % 2 ? "0" : " " + std::to_string(rng() % 4);
        switch (rng() % 4) {
            case 0:
                ASSERT_EQ(doc.deleteSection(section), ref.deleteSection(section)) << section;
                break;
            case 1:
            case 2: {
                const std::string value = std::to_string(op);
                ASSERT_EQ(doc.write(section, key, value), ref.write(section, key, value))
                    << section;
                break;
            }
            default:
                ASSERT_EQ(doc.read(section, key), ref.read(section, key)) << section;
                ASSERT_EQ(doc.hasSection(section), ref.hasSection(section)) << section;
                break;
        }
    }
    ASSERT_EQ(doc.serialise(), ref.serialise());
    // A fresh document of the result reads every record as the reference does.
    const ProfileDocument reread = ProfileDocument::fromBytes(doc.serialise());
    for (int i = 0; i < 6000; ++i) {
        const std::string section = "TOOL" + std::to_string(i) + ".exe";
        ASSERT_EQ(reread.read(section, "0"), ref.read(section, "0")) << section;
    }
}

TEST(ProfileDocumentEquivalence, MovedDocumentsKeepTheirContent) {
    Generator gen(7);
    for (int i = 0; i < 200; ++i) {
        const std::string file = gen.file();
        ProfileDocument doc(file);
        doc.write("a", "k", "v");
        ProfileDocument moved(std::move(doc));
        ProfileDocument assigned;
        assigned = std::move(moved);
        ReferenceDocument ref(file);
        ref.write("a", "k", "v");
        ASSERT_EQ(assigned.serialise(), ref.serialise()) << escaped(file);
        ASSERT_EQ(assigned.read("a", "k"), ref.read("a", "k")) << escaped(file);
    }
}

// One edit of several operations reaches the file exactly as the same single calls would.
TEST(ProfileDocumentEquivalence, AnEditWritesWhatTheSingleCallsWould) {
    testing::TempFolder folder;
    Generator gen(11);
    for (int round = 0; round < 30; ++round) {
        const std::string file = gen.file();
        const std::string viaEdit = folder.file("edit.ini"), viaCalls = folder.file("calls.ini");
        testing::writeBytes(viaEdit, file);
        testing::writeBytes(viaCalls, file);
        ProfileEdit edit(viaEdit);
        for (int i = gen.below(8); i >= 0; --i) {
            const std::string section = gen.sectionName(), key = gen.keyName();
            if (gen.below(4) == 0) {
                edit.DeleteProfileSection(section);
                INIHandler::DeleteProfileSection(viaCalls, section);
            } else {
                std::string a = gen.value(), b = a;
                edit.WriteProfileString(section, key, a);
                INIHandler::WriteProfileString(viaCalls, section, key, b);
            }
            ASSERT_EQ(edit.ReadProfileString(section, key, "<none>"),
                      INIHandler::ReadProfileString(viaCalls, section, key, "<none>"))
                << escaped(file);
        }
        ASSERT_TRUE(edit.commit());
        ASSERT_EQ(testing::readBytes(viaEdit), testing::readBytes(viaCalls)) << escaped(file);
    }
}

}  // namespace
}  // namespace tarvo
