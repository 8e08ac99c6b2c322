// Tests of the profile-file format: exact values, name matching, placement of new lines, line
// ends, encodings and damaged files.
#include <gtest/gtest.h>

#include <string>

#include "storage/profile_document.h"

namespace tarvo {
namespace {

std::string valueOf(const ProfileDocument& doc, std::string_view section, std::string_view key) {
    const auto v = doc.read(section, key);
    return v ? std::string(*v) : std::string("<missing>");
}

std::string afterWrite(std::string_view bytes, std::string_view section, std::string_view key,
                       std::string_view value) {
    ProfileDocument doc(bytes);
    doc.write(section, key, value);
    return doc.serialise();
}

TEST(ProfileDocumentValues, ComeBackExactlyAsTheyStandAfterTheFirstEquals) {
    const std::string longValue(300, 'x');
    ProfileDocument doc;
    doc.write("s", "long", longValue);
    doc.write("s", "blanks", "   ");
    doc.write("s", "quoted", "\"C:\\My Files\\a.txt\"");
    doc.write("s", "trailing", "-c ");
    doc.write("s", "equals", "a=b= c");
    doc.write("s", "empty", "");
    const ProfileDocument reread(doc.serialise());
    EXPECT_EQ(valueOf(reread, "s", "long"), longValue);
    EXPECT_EQ(valueOf(reread, "s", "blanks"), "   ");
    EXPECT_EQ(valueOf(reread, "s", "quoted"), "\"C:\\My Files\\a.txt\"");
    EXPECT_EQ(valueOf(reread, "s", "trailing"), "-c ");
    EXPECT_EQ(valueOf(reread, "s", "equals"), "a=b= c");
    EXPECT_EQ(valueOf(reread, "s", "empty"), "");
    EXPECT_EQ(valueOf(reread, "s", "absent"), "<missing>");
    EXPECT_EQ(valueOf(reread, "other", "long"), "<missing>");
}

TEST(ProfileDocumentValues, HandWrittenBlanksAroundTheValueAreKept) {
    const ProfileDocument doc("[s]\r\n  key  =  v  \r\n");
    EXPECT_EQ(valueOf(doc, "s", "key"), "  v  ");
}

TEST(ProfileDocumentValues, LineBreaksInAWrittenValueBecomeBlanks) {
    ProfileDocument doc;
    doc.write("s", "k", "a\r\nb\rc\nd");
    EXPECT_EQ(doc.serialise(), "[s]\r\nk=a  b c d\r\n");
}

TEST(ProfileDocumentNames, IgnoreSurroundingBlanksAndLetterCase) {
    const ProfileDocument doc("[ Notepad.EXE\t]\r\n\t1 =x\r\n[\xC3\x89T\xC3\x89]\r\nK=y\r\n");
    EXPECT_EQ(valueOf(doc, "notepad.exe", " 1"), "x");
    EXPECT_EQ(valueOf(doc, "  NOTEPAD.exe ", "1\t"), "x");
    EXPECT_EQ(valueOf(doc, "\xC3\xA9t\xC3\xA9", "k"), "y");  // "ÉTÉ" found as "été"
    EXPECT_EQ(valueOf(doc, "ete", "k"), "<missing>");
}

TEST(ProfileDocumentNames, KeysAreWrittenTrimmedAndReplacedWhereTheyStand) {
    ProfileDocument doc;
    doc.write(" s ", " 2", "a");
    EXPECT_EQ(doc.serialise(), "[s]\r\n2=a\r\n");
    doc.write("S", "2 ", "b");
    EXPECT_EQ(doc.serialise(), "[s]\r\n2=b\r\n");
    // A hand-written key keeps its spelling up to the "=".
    EXPECT_EQ(afterWrite("[S]\r\n  Key =old\r\n", "s", "KEY", "new"), "[S]\r\n  Key =new\r\n");
}

TEST(ProfileDocumentNames, NamesThatCouldNotBeReadBackAreNotWritten) {
    ProfileDocument doc;
    EXPECT_FALSE(doc.write("a\nb", "k", "v"));
    EXPECT_FALSE(doc.write("s", "a=b", "v"));
    EXPECT_FALSE(doc.write("s", "[k]", "v"));
    EXPECT_FALSE(doc.write("s", ";k", "v"));
    EXPECT_EQ(doc.serialise(), "");
}

// A header's name ends at the line's last "]": file names with brackets, as browsers give
// downloaded copies, have their record like any other.
TEST(ProfileDocumentNames, BracketsInASectionNameRoundTrip) {
    ProfileDocument doc;
    EXPECT_TRUE(doc.write("setup[1].exe", "1", "-q"));
    EXPECT_TRUE(doc.write("a]b", "1", "x"));
    EXPECT_EQ(doc.serialise(), "[setup[1].exe]\r\n1=-q\r\n[a]b]\r\n1=x\r\n");
    const ProfileDocument reread(doc.serialise());
    EXPECT_EQ(valueOf(reread, "setup[1].exe", "1"), "-q");
    EXPECT_EQ(valueOf(reread, "SETUP[1].EXE", "1"), "-q");
    EXPECT_EQ(valueOf(reread, "a]b", "1"), "x");
    EXPECT_EQ(valueOf(reread, "setup[1", "1"), "<missing>");
    EXPECT_EQ(valueOf(reread, "a", "1"), "<missing>");
    // Text after the last "]" is not part of the name; a "]" before it is.
    const ProfileDocument hand("[x] note ]\r\nk=1\r\n[y] ; tail\r\nk=2\r\n");
    EXPECT_EQ(valueOf(hand, "x] note", "k"), "1");
    EXPECT_EQ(valueOf(hand, "y", "k"), "2");
}

TEST(ProfileDocumentEdits, OnlyRealChangesCount) {
    ProfileDocument doc("[s]\r\nk=v\r\n");
    EXPECT_FALSE(doc.write("s", "k", "v"));
    EXPECT_FALSE(doc.deleteSection("missing"));
    EXPECT_TRUE(doc.write("s", "k", "w"));
    EXPECT_TRUE(doc.deleteSection("S"));
    EXPECT_EQ(doc.serialise(), "");
}

TEST(ProfileDocumentEdits, NewKeysGoAfterTheSectionsLastKeyBeforeItsBlankLines) {
    const std::string file =
        "; comment\r\n[a]\r\n1=x\r\n; about b\r\n\r\n[b]\r\n\r\n[c]\r\n; only a comment\r\n";
    EXPECT_EQ(afterWrite(file, "a", "2", "y"),
              "; comment\r\n[a]\r\n1=x\r\n2=y\r\n; about b\r\n\r\n[b]\r\n\r\n[c]\r\n"
              "; only a comment\r\n");
    EXPECT_EQ(afterWrite(file, "b", "1", "y"),
              "; comment\r\n[a]\r\n1=x\r\n; about b\r\n\r\n[b]\r\n1=y\r\n\r\n[c]\r\n"
              "; only a comment\r\n");
    EXPECT_EQ(afterWrite(file, "c", "1", "y"),
              "; comment\r\n[a]\r\n1=x\r\n; about b\r\n\r\n[b]\r\n\r\n[c]\r\n"
              "; only a comment\r\n1=y\r\n");
    EXPECT_EQ(afterWrite(file, "d", "1", "y"), file + "[d]\r\n1=y\r\n");
}

TEST(ProfileDocumentEdits, DeletingRemovesTheSectionUpToTheNextOne) {
    ProfileDocument doc("top\r\n[a]\r\n1=x\r\nstray\r\n\r\n[b]\r\n1=y\r\n");
    EXPECT_TRUE(doc.deleteSection(" A "));
    EXPECT_EQ(doc.serialise(), "top\r\n[b]\r\n1=y\r\n");
}

// A deleted key takes its line with it, every copy in the section, and nothing else: other
// keys, comments, other sections and the last line's missing line end stay as they were.
TEST(ProfileDocumentEdits, DeletingAKeyRemovesItsLinesOnly) {
    ProfileDocument doc("[a]\r\n1=x\r\n; note\r\n 2 =y\r\n2=copy\r\n[b]\r\n2=b\r\n[a]\r\n3=z");
    EXPECT_TRUE(doc.deleteKey(" A", "2 "));
    EXPECT_EQ(valueOf(doc, "a", "2"), "<missing>");
    EXPECT_EQ(doc.serialise(), "[a]\r\n1=x\r\n; note\r\n[b]\r\n2=b\r\n[a]\r\n3=z");
    EXPECT_FALSE(doc.deleteKey("a", "2"));
    EXPECT_FALSE(doc.deleteKey("a", "3"));  // in the second copy of the section, never read
    EXPECT_FALSE(doc.deleteKey("none", "1"));
    EXPECT_TRUE(doc.deleteKey("a", "1"));
    doc.write("a", "4", "w");  // a key added after a deletion goes where keys go
    EXPECT_EQ(doc.serialise(), "[a]\r\n; note\r\n4=w\r\n[b]\r\n2=b\r\n[a]\r\n3=z");
}

TEST(ProfileDocumentDuplicates, FirstSectionAndKeyAreUsedAndDeleteRemovesAllCopies) {
    const std::string file = "[a]\r\nk=1\r\nk=2\r\n[b]\r\nk=b\r\n[A]\r\nk=3\r\nonly=later\r\n";
    ProfileDocument doc(file);
    EXPECT_EQ(valueOf(doc, "a", "k"), "1");
    EXPECT_EQ(valueOf(doc, "a", "only"), "<missing>");
    doc.write("a", "k", "new");
    doc.write("a", "n", "added");
    EXPECT_EQ(doc.serialise(),
              "[a]\r\nk=new\r\nk=2\r\nn=added\r\n[b]\r\nk=b\r\n[A]\r\nk=3\r\nonly=later\r\n");
    doc.deleteSection("a");
    EXPECT_EQ(doc.serialise(), "[b]\r\nk=b\r\n");
    EXPECT_FALSE(doc.hasSection("a"));
}

TEST(ProfileDocumentLineEnds, EachLineKeepsItsOwnAndNewLinesTakeTheDominantOne) {
    EXPECT_EQ(afterWrite("[s]\n1=a\n", "s", "2", "b"), "[s]\n1=a\n2=b\n");
    EXPECT_EQ(afterWrite("[s]\r1=a\r", "s", "2", "b"), "[s]\r1=a\r2=b\r");
    EXPECT_EQ(afterWrite("[s]\r\n1=a\n2=b\n", "t", "1", "c"), "[s]\r\n1=a\n2=b\n[t]\n1=c\n");
    // On a tie CRLF wins; a last line without a line end gets one when a line follows it.
    EXPECT_EQ(afterWrite("[s]\n1=a\r\n2=b", "s", "3", "c"), "[s]\n1=a\r\n2=b\r\n3=c\r\n");
    EXPECT_EQ(afterWrite("[s]", "s", "1", "a"), "[s]\r\n1=a\r\n");
    EXPECT_EQ(afterWrite("x=1", "s", "1", "a"), "x=1\r\n[s]\r\n1=a\r\n");
    // A line end stays when the key before it is replaced; a missing one stays missing.
    EXPECT_EQ(afterWrite("[s]\n1=a\r\n2=b", "s", "2", "c"), "[s]\n1=a\r\n2=c");
}

TEST(ProfileDocumentLineEnds, DominanceFollowsDeletedLines) {
    // Once the LF section is gone, CRLF lines are the majority again.
    ProfileDocument doc("[a]\n1=x\n2=y\n3=z\n[b]\r\n1=x\r\n");
    doc.deleteSection("a");
    doc.write("c", "1", "v");
    EXPECT_EQ(doc.serialise(), "[b]\r\n1=x\r\n[c]\r\n1=v\r\n");
}

TEST(ProfileDocumentEncodings, Utf8BomIsKept) {
    const std::string file = "\xEF\xBB\xBF[s]\r\n1=\xC3\xA9\r\n";
    ProfileDocument doc(file);
    EXPECT_EQ(doc.sourceEncoding(), ProfileDocument::Encoding::Utf8WithBom);
    EXPECT_EQ(valueOf(doc, "s", "1"), "\xC3\xA9");
    doc.write("s", "2", "b");
    EXPECT_EQ(doc.serialise(), file + "2=b\r\n");
}

TEST(ProfileDocumentEncodings, Utf16FilesAreDecodedAndRewrittenAsUtf8) {
    // "[s]\r\n1=é€😀\r\n" as UTF-16 LE and BE.
    const std::u16string text = u"[s]\r\n1=\u00E9\u20AC\U0001F600\r\n";
    std::string le = "\xFF\xFE", be = "\xFE\xFF";
    for (const char16_t unit : text) {
        le += static_cast<char>(unit & 0xFF);
        le += static_cast<char>(unit >> 8);
        be += static_cast<char>(unit >> 8);
        be += static_cast<char>(unit & 0xFF);
    }
    for (const std::string& file : {le, be}) {
        ProfileDocument doc(file);
        EXPECT_EQ(valueOf(doc, "s", "1"), "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
        doc.write("s", "2", "b");
        EXPECT_EQ(doc.serialise(), "[s]\r\n1=\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\r\n2=b\r\n");
    }
    // A lone surrogate and an odd last byte become U+FFFD instead of vanishing.
    const ProfileDocument broken(std::string("\xFF\xFE[\0s\0]\0\n\0k\0=\0\x00\xD8x", 17));
    EXPECT_EQ(valueOf(broken, "s", "k"), "\xEF\xBF\xBD\xEF\xBF\xBD");
}

// Without an ANSI code page (POSIX) a legacy file reads as Windows-1252; the Windows build's
// tests cover the system code page.
TEST(ProfileDocumentEncodings, LegacyFilesAreReadAsWindows1252) {
    // "[café]", "1=€ 5 – naïve", with a byte 0x81 the code page leaves undefined.
    ProfileDocument doc("[caf\xE9]\r\n1=\x80 5 \x96 na\xEFve\x81\r\n");
    EXPECT_EQ(doc.sourceEncoding(), ProfileDocument::Encoding::Legacy);
    EXPECT_EQ(valueOf(doc, "CAF\xC3\x89", "1"), "\xE2\x82\xAC 5 \xE2\x80\x93 na\xC3\xAFve\xC2\x81");
    doc.write("caf\xC3\xA9", "2", "x");
    EXPECT_EQ(doc.serialise(),
              "[caf\xC3\xA9]\r\n1=\xE2\x82\xAC 5 \xE2\x80\x93 na\xC3\xAFve\xC2\x81\r\n2=x\r\n");
}

// A line another program wrote in the ANSI code page leaves the UTF-8 records as they are:
// found by their names, and written back byte for byte.
TEST(ProfileDocumentEncodings, OnlyTheLinesThatAreNotUtf8AreReadInTheLegacyCodePage) {
    const std::string utf8Record = "[caf\xC3\xA9.exe]\r\n0=1\r\n1=na\xC3\xAFve \xE2\x82\xAC\r\n";
    ProfileDocument doc(utf8Record + "[old.exe]\r\n1=r\xE9sum\xE9\r\n; \x80\r\n2=\xC3\xA9\r\n");
    EXPECT_EQ(doc.sourceEncoding(), ProfileDocument::Encoding::Legacy);
    EXPECT_EQ(valueOf(doc, "CAF\xC3\x89.EXE", "1"), "na\xC3\xAFve \xE2\x82\xAC");
    EXPECT_EQ(valueOf(doc, "old.exe", "1"), "r\xC3\xA9sum\xC3\xA9");
    EXPECT_EQ(valueOf(doc, "old.exe", "2"), "\xC3\xA9");
    doc.write("old.exe", "3", "x");
    EXPECT_EQ(doc.serialise(), utf8Record +
                                   "[old.exe]\r\n1=r\xC3\xA9sum\xC3\xA9\r\n; \xE2\x82\xAC\r\n"
                                   "2=\xC3\xA9\r\n3=x\r\n");
}

TEST(ProfileDocumentEncodings, AMalformedByteInAWrittenTextCannotTurnTheFileLegacy) {
    ProfileDocument doc("[s]\r\n1=\xC3\xA9\r\n");
    doc.write("s", "2", "\x80!");
    const ProfileDocument reread(doc.serialise());
    EXPECT_EQ(reread.sourceEncoding(), ProfileDocument::Encoding::Utf8);
    EXPECT_EQ(valueOf(reread, "s", "1"), "\xC3\xA9");
    EXPECT_EQ(valueOf(reread, "s", "2"), "\xE2\x82\xAC!");
}

TEST(ProfileDocumentDamage, OddLinesAreReadAroundAndKeptOnRewrite) {
    const std::string nul("k\0ey=v\0al\r\n", 11);
    const std::string file = "garbage\x01\r\n[s]\r\nno equals here\r\n[unclosed\r\n" + nul +
                             "]\r\n[[odd]\r\n=empty key\r\n;k=comment\r\n[t]trailing\r\nk=t";
    ProfileDocument doc(file);
    EXPECT_EQ(doc.serialise(), file);
    EXPECT_EQ(valueOf(doc, "s", std::string("k\0ey", 4)), std::string("v\0al", 4));
    EXPECT_EQ(valueOf(doc, "s", "[unclosed"), "<missing>");
    EXPECT_EQ(valueOf(doc, "[odd", ""), "empty key");
    EXPECT_EQ(valueOf(doc, "[odd", ";k"), "<missing>");
    EXPECT_EQ(valueOf(doc, "t", "k"), "t");
    doc.write("s", "new", "1");
    doc.write("t", "k", "u");
    EXPECT_EQ(doc.serialise(), "garbage\x01\r\n[s]\r\nno equals here\r\n[unclosed\r\n" + nul +
                                   "new=1\r\n]\r\n[[odd]\r\n=empty key\r\n;k=comment\r\n"
                                   "[t]trailing\r\nk=u");
}

TEST(ProfileDocumentDamage, ATenMegabyteLineIsReadAndKept) {
    const std::string huge(10 * 1024 * 1024, 'q');
    ProfileDocument doc("[s]\r\nbig=" + huge + "\r\nsmall=1");
    EXPECT_EQ(doc.read("s", "big")->size(), huge.size());
    doc.write("s", "small", "2");
    EXPECT_EQ(doc.serialise(), "[s]\r\nbig=" + huge + "\r\nsmall=2");
}

}  // namespace
}  // namespace tarvo
