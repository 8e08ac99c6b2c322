// Splitting the argument text by POSIX shell quoting, with nothing expanded, and quoting paths
// back.
#include "common/shell_words.h"

#include <gtest/gtest.h>

namespace tarvo::test {
namespace {

using Words = std::vector<std::string>;

Words split(const std::string& text) {
    const ShellWords r = splitShellWords(text);
    EXPECT_FALSE(r.error) << text;
    return r.words;
}

TEST(ShellWords, BlanksSeparateAndQuotesJoin) {
    EXPECT_EQ(split(R"(-v "a b" c)"), (Words{"-v", "a b", "c"}));
    EXPECT_EQ(split("  a \t b\n c  "), (Words{"a", "b", "c"}));
    EXPECT_EQ(split(""), Words{});
    EXPECT_EQ(split("   "), Words{});
    // Quoted and unquoted pieces touching each other make one word.
    EXPECT_EQ(split(R"(pre"mid dle"'post x')"), (Words{"premid dlepost x"}));
    EXPECT_EQ(split(R"(--name="John Smith")"), (Words{"--name=John Smith"}));
}

TEST(ShellWords, EmptyQuotesAreEmptyArguments) {
    EXPECT_EQ(split(R"("" '' x "")"), (Words{"", "", "x", ""}));
    EXPECT_EQ(split(R"(a "" b)"), (Words{"a", "", "b"}));
}

TEST(ShellWords, BackslashOutsideQuotes) {
    EXPECT_EQ(split(R"(a\ b c)"), (Words{"a b", "c"}));
    EXPECT_EQ(split(R"(\"x\" \'y\')"), (Words{"\"x\"", "'y'"}));
    EXPECT_EQ(split(R"(\\server\share)"), (Words{R"(\servershare)"}));
    EXPECT_EQ(split("one\\\ntwo"), (Words{"onetwo"}));  // a continued line
    EXPECT_EQ(split(R"(end\)"), (Words{R"(end\)"}));    // nothing left to escape
}

TEST(ShellWords, BackslashInsideQuotes) {
    // Single quotes keep everything; double quotes honour only \$ \` \" \\ and a line break.
    EXPECT_EQ(split(R"('a\b\')"), (Words{R"(a\b\)"}));
    EXPECT_EQ(split(R"("\$HOME \` \" \\ \n \a")"), (Words{R"($HOME ` " \ \n \a)"}));
    EXPECT_EQ(split("\"a\\\nb\""), (Words{"ab"}));
    EXPECT_EQ(split(R"('it'\''s')"), (Words{"it's"}));
}

TEST(ShellWords, NothingIsExpandedOrRead) {
    EXPECT_EQ(split(R"($HOME ~ ~/x *.txt $(rm -rf x) `id` a;b c|d e&f # not a comment)"),
              (Words{"$HOME", "~", "~/x", "*.txt", "$(rm", "-rf", "x)", "`id`", "a;b", "c|d", "e&f",
                     "#", "not", "a", "comment"}));
    EXPECT_EQ(split(R"("$HOME" '$(id)' > out < in)"),
              (Words{"$HOME", "$(id)", ">", "out", "<", "in"}));
}

TEST(ShellWords, NonAsciiTextIsTakenAsItStands) {
    EXPECT_EQ(split("Ärger \"Grüße aus Köln\" 日本語 'emoji 😀'"),
              (Words{"Ärger", "Grüße aus Köln", "日本語", "emoji 😀"}));
}

TEST(ShellWords, AnUnclosedQuoteIsAnErrorThatNamesIt) {
    for (const std::string text : {R"(-v "a b)", R"(it's)", R"("a" 'b)", R"("a\")"}) {
        const ShellWords r = splitShellWords(text);
        ASSERT_TRUE(r.error) << text;
        EXPECT_TRUE(r.words.empty());
        EXPECT_NE(r.error->find("never closed"), std::string::npos);
    }
    // The place is counted in characters, so it matches what the user sees.
    EXPECT_NE(splitShellWords("Ä \"x").error->find("character 3"), std::string::npos);
    EXPECT_NE(splitShellWords("it's").error->find("single quote"), std::string::npos);
}

TEST(ShellWords, QuotedPathsComeBackWhole) {
    for (const std::string path :
         {"/plain/path-1.txt", "/home/u/My Files/a b.txt", "/x/it's \"here\"", "/x/$HOME/`id`",
          "/x/a\\b", "/ü/日本", "", "/x/*?[a]~#;&|<>() \t"}) {
        const std::string quoted = shellQuote(path);
        EXPECT_EQ(split(quoted), Words{path}) << quoted;
    }
    EXPECT_EQ(shellQuote("/plain/path-1.txt"), "/plain/path-1.txt");
    EXPECT_EQ(shellQuote("/a b"), "'/a b'");
}

}  // namespace
}  // namespace tarvo::test
