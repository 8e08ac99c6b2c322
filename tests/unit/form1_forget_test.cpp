// Forgetting one history entry with Shift+Delete on the dropped-down list: the record's keys
// renumbered in the file, and the argument box's list and text following it.
#include <gtest/gtest.h>

#include "doubles/form1_rig.h"
#include "doubles/refused_writes.h"

namespace tarvo::test {
namespace {

std::string lines(const std::vector<std::string>& all) {
    std::string out;
    for (const auto& l : all) out += l + "\r\n";
    return out;
}

const std::string kOther = lines({"[other.exe]", "0=1", "1=keep", "2=these"});

struct ForgetCase {
    const char* what;
    std::vector<std::string> record;  // the record's lines before
    int index;                        // the highlighted list item
    std::vector<std::string> after;   // the record's lines after
    std::vector<std::string> listed;
};

TEST(Form1Forget, RenumbersTheRecordWithoutAGapAndTouchesNothingElse) {
    const ForgetCase cases[] = {
        {"top", {"0=0", "1=a", "2=b", "3=c"}, 0, {"0=0", "1=b", "2=c"}, {"b", "c"}},
        {"middle", {"0=0", "1=a", "2=b", "3=c"}, 1, {"0=0", "1=a", "2=c"}, {"a", "c"}},
        {"end", {"0=0", "1=a", "2=b", "3=c"}, 2, {"0=0", "1=a", "2=b"}, {"a", "b"}},
        // Key "0" stays: the record is left as a run through the console without text leaves
        // it, and the next OK treats it as it treats that one.
        {"the only one", {"0=1", "1=a"}, 0, {"0=1"}, {}},
        // Keys the history never reads (after a gap, beyond 20) stay where they are.
        {"before a gap",
         {"0=0", "1=a", "2=b", "4=d", "21=u"},
         0,
         {"0=0", "1=b", "4=d", "21=u"},
         {"b"}},
    };
    for (const auto& c : cases) {
        Form1Rig rig;
        std::vector<std::string> before{"[run.py]"};
        before.insert(before.end(), c.record.begin(), c.record.end());
        std::vector<std::string> after{"[run.py]"};
        after.insert(after.end(), c.after.begin(), c.after.end());
        rig.setMru(kOther + lines(before) + "; a comment\r\n");
        rig.load(R"(C:\dir\run.py)");

        rig.dialog.cmbArg_ForgetItem(c.index);
        EXPECT_EQ(rig.mru(), kOther + lines(after) + "; a comment\r\n") << c.what;
        EXPECT_EQ(rig.cmbArg.items(), c.listed) << c.what;
        for (int i = 1; i <= kHistorySize; ++i) {
            const std::size_t k = static_cast<std::size_t>(i - 1);
            EXPECT_EQ(rig.dialog.History(i), k < c.listed.size() ? c.listed[k] : "") << c.what;
        }
    }
}

TEST(Form1Forget, AnEmptiedHistoryIsTreatedByOkAsBefore) {
    Form1Rig rig;
    rig.setMru(lines({"[run.py]", "0=0", "1=a"}));
    rig.load(R"(C:\dir\run.py)");
    rig.dialog.cmbArg_ForgetItem(0);
    ASSERT_EQ(rig.mru(), lines({"[run.py]", "0=0"}));
    // Run directly without text: a record without history goes, as it always has.
    rig.dialog.CMD_OK_Click();
    EXPECT_EQ(rig.mru(), "");
}

// Another running copy may have changed the record since the list was filled: the entry goes
// by its text, wherever it stands now; one the file no longer holds leaves only the list.
TEST(Form1Forget, FollowsTheRecordAsItIsNow) {
    Form1Rig rig;
    rig.setMru(lines({"[run.py]", "0=0", "1=a", "2=b"}));
    rig.load(R"(C:\dir\run.py)");
    rig.setMru(lines({"[run.py]", "0=0", "1=new", "2=a", "3=b"}));

    rig.dialog.cmbArg_ForgetItem(1);  // "b"
    EXPECT_EQ(rig.mru(), lines({"[run.py]", "0=0", "1=new", "2=a"}));
    EXPECT_EQ(rig.cmbArg.items(), std::vector<std::string>{"a"});

    rig.setMru(lines({"[run.py]", "0=0", "1=new"}));
    rig.dialog.cmbArg_ForgetItem(0);  // "a", already gone from the file
    EXPECT_EQ(rig.mru(), lines({"[run.py]", "0=0", "1=new"}));
    EXPECT_TRUE(rig.cmbArg.items().empty());
}

TEST(Form1Forget, TheBoxShowsTheNextEntryOnlyWhenItShowedTheForgottenOne) {
    Form1Rig rig;
    rig.setMru(lines({"[run.py]", "0=0", "1=a", "2=b", "3=c"}));
    rig.load(R"(C:\dir\run.py)");

    rig.cmbArg.setText("b");  // moving the highlight onto an entry shows it
    rig.dialog.cmbArg_ForgetItem(1);
    EXPECT_EQ(rig.cmbArg.listIndex(), 1);
    EXPECT_EQ(rig.cmbArg.text(), "c");
    EXPECT_EQ(rig.cmbArg.selectedText(), "c");

    rig.dialog.cmbArg_ForgetItem(1);  // the last one: the highlight moves up
    EXPECT_EQ(rig.cmbArg.listIndex(), 0);
    EXPECT_EQ(rig.cmbArg.text(), "a");

    rig.cmbArg.setText("typed -x");
    rig.cmbArg.setSelStart(5);
    rig.dialog.cmbArg_ForgetItem(0);
    EXPECT_EQ(rig.cmbArg.listIndex(), -1);
    EXPECT_EQ(rig.cmbArg.text(), "typed -x");
    EXPECT_EQ(rig.cmbArg.selStart(), 5);
    EXPECT_EQ(rig.mru(), lines({"[run.py]", "0=0"}));
}

TEST(Form1Forget, AFileThatRefusesTheWriteKeepsTheEntryListed) {
    Form1Rig rig;
    const std::string before = lines({"[run.py]", "0=0", "1=a", "2=b"});
    rig.setMru(before);
    rig.load(R"(C:\dir\run.py)");
    {
        RefusedWrites refused;
        rig.dialog.cmbArg_ForgetItem(0);
    }
    EXPECT_EQ(rig.mru(), before);
    EXPECT_EQ(rig.cmbArg.items(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(rig.dialog.History(1), "a");

    rig.dialog.cmbArg_ForgetItem(5);  // no such item: nothing happens
    rig.dialog.cmbArg_ForgetItem(-1);
    EXPECT_EQ(rig.mru(), before);
}

}  // namespace
}  // namespace tarvo::test
