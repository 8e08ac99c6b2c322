// tarvolin's command line: options before the file, "--" and "--if-listed" ending them, usage
// errors, and the start text made from the file.
#include "app/command_options.h"

#include <gtest/gtest.h>

#include "settings/linux_menus.h"

namespace tarvo::cli {
namespace {

using Args = std::vector<std::string>;

TEST(CommandOptions, HelpAndVersionEndTheReading) {
    for (const Args& args : {Args{"--help"}, Args{"-h"}, Args{"--help", "--bogus"},
                             Args{"--unregister-all", "--help"}, Args{"--version", "--help"}})
        EXPECT_EQ(parse(args).action, args[0] == "--version" ? Action::Version : Action::Help)
            << args[0];
    EXPECT_EQ(parse({"--version"}).action, Action::Version);
    EXPECT_EQ(versionLine("2.6.0.2"), "tarvolin 2.6.0.2\n");
    // The usage names every start mode and option.
    const std::string text = usage();
    for (const char* word :
         {"tarvolin FILE", "--unregister-all", "--if-listed FILE", "--help", "--version", "--"})
        EXPECT_NE(text.find(word), std::string::npos) << word;
}

TEST(CommandOptions, TheThreeStartModes) {
    Options o = parse({});
    EXPECT_EQ(o.action, Action::Start);
    EXPECT_TRUE(o.files.empty());

    o = parse({"/home/u/a.sh"});
    EXPECT_EQ(o.action, Action::Start);
    EXPECT_EQ(o.files, Args{"/home/u/a.sh"});
    EXPECT_FALSE(o.ifListed);

    EXPECT_EQ(parse({"--unregister-all"}).action, Action::UnregisterAll);
}

TEST(CommandOptions, DoubleDashEndsTheOptionsSoAnyFileCanBeOpened) {
    EXPECT_EQ(parse({"--", "--help"}).files, Args{"--help"});
    EXPECT_EQ(parse({"--", "--"}).files, Args{"--"});
    EXPECT_EQ(parse({"--", "-x", "y"}).files, (Args{"-x", "y"}));
    Options o = parse({"--"});
    EXPECT_EQ(o.action, Action::Start);
    EXPECT_TRUE(o.files.empty());
    // Only what comes before the first file is an option; "-" alone is a file.
    EXPECT_EQ(parse({"a", "--help"}).files, (Args{"a", "--help"}));
    EXPECT_EQ(parse({"-"}).files, Args{"-"});
}

TEST(CommandOptions, IfListedTakesTheFileWhateverItLooksLike) {
    for (const Args& args : {Args{"--if-listed", "/d/x.log"}, Args{"--if-listed", "--help"},
                             Args{"--if-listed", "--", "--help"}}) {
        const Options o = parse(args);
        EXPECT_EQ(o.action, Action::Start) << args[1];
        EXPECT_TRUE(o.ifListed);
        ASSERT_EQ(o.files.size(), 1u);
        EXPECT_EQ(o.files[0], args.back());
    }
    EXPECT_EQ(parse({"--if-listed", "/a", "b"}).files, (Args{"/a", "b"}));
    // The menus are made with the switch this parser reads.
    EXPECT_TRUE(parse({menus::kIfListedSwitch, "/d/x.log"}).ifListed);
}

TEST(CommandOptions, UnknownOptionsAndMissingFilesAreUsageErrors) {
    const std::pair<Args, std::string> cases[] = {
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"-x", "file"}, "unknown option '-x'"},
        {{"--HELP"}, "unknown option '--HELP'"},
        {{"--help=1"}, "unknown option '--help=1'"},
        {{"--if-listed"}, "--if-listed needs a file"},
        {{"--if-listed", "--"}, "--if-listed needs a file"},
        {{"--unregister-all", "a.sh"}, "--unregister-all takes no file"},
        {{"--unregister-all", "--if-listed", "a.sh"}, "--unregister-all takes no file"},
    };
    for (const auto& [args, error] : cases) {
        const Options o = parse(args);
        EXPECT_EQ(o.action, Action::UsageError) << args[0];
        EXPECT_EQ(o.error, error);
    }
    EXPECT_EQ(kUsageExitCode, 2);
}

TEST(CommandOptions, TheStartTextIsOneAbsolutePathBlanksAndAll) {
    EXPECT_EQ(startText({"/home/u/My", "File.sh"}, "/cwd"), "/home/u/My File.sh");
    EXPECT_EQ(startText({"sub/x.sh"}, "/cwd"), "/cwd/sub/x.sh");
    EXPECT_EQ(startText({"x.sh"}, "/cwd/"), "/cwd/x.sh");
    EXPECT_EQ(startText({"--help"}, "/cwd"), "/cwd/--help");
    EXPECT_EQ(startText({}, "/cwd"), "");
    EXPECT_EQ(startText({"/cleareg"}, "/cwd"), "/cleareg");
    // A relative "cleareg" is a file, wherever it is typed.
    EXPECT_EQ(startText({"cleareg"}, "/"), "\"/cleareg\"");
    EXPECT_EQ(startText({"cleareg"}, "/cwd"), "/cwd/cleareg");
}

}  // namespace
}  // namespace tarvo::cli
