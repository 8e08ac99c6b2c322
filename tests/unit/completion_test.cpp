// Type-ahead in the argument box, driven through the dialog's key handler as the box sees it.
#include <gtest/gtest.h>

#include "doubles/form1_rig.h"

namespace tarvo::test {
namespace {

// Presses a key the way the message loop does: the box's handler first, then the box itself
// unless the key was swallowed.
void press(Form1Rig& rig, int key) {
    const int passed = rig.dialog.cmbArg_KeyPress(key);
    if (passed != 0) rig.cmbArg.type(passed);
}

struct Completion : ::testing::Test {
    Completion() {
        rig.cmbArg.addItem("readme.txt");
        rig.cmbArg.addItem("run.log");
        rig.cmbArg.addItem("Readme.md");
    }
    Form1Rig rig;
};

TEST_F(Completion, CompletesCharacterByCharacterFromTheFirstMatch) {
    press(rig, 'r');
    EXPECT_EQ(rig.cmbArg.text(), "readme.txt");
    EXPECT_EQ(rig.cmbArg.selectedText(), "eadme.txt");
    EXPECT_EQ(rig.cmbArg.listIndex(), 0);
    press(rig, 'u');
    EXPECT_EQ(rig.cmbArg.text(), "run.log");
    EXPECT_EQ(rig.cmbArg.selStart(), 2);
    EXPECT_EQ(rig.cmbArg.selectedText(), "n.log");
    EXPECT_EQ(rig.cmbArg.listIndex(), 1);
}

// The search ignores letter case, but what was typed is never rewritten: only the rest of
// the text comes from the item.
TEST_F(Completion, KeepsTheTypedLetterCaseAndTakesOnlyTheRestFromTheItem) {
    press(rig, 'R');
    EXPECT_EQ(rig.cmbArg.text(), "Readme.txt");  // first in list order wins over "Readme.md"
    EXPECT_EQ(rig.cmbArg.selStart(), 1);
    EXPECT_EQ(rig.cmbArg.selectedText(), "eadme.txt");
    EXPECT_EQ(rig.cmbArg.listIndex(), 0);
    press(rig, 'E');
    EXPECT_EQ(rig.cmbArg.text(), "REadme.txt");
    EXPECT_EQ(rig.cmbArg.selectedText(), "adme.txt");
}

TEST(CompletionCase, AnOptionInOtherLetterCaseCanBeTypedAndIsRun) {
    Form1Rig rig;
    rig.setMru("[run.exe]\r\n0=0\r\n1=-v\r\n");
    rig.load("C:\\T\\run.exe");
    press(rig, '-');
    EXPECT_EQ(rig.cmbArg.text(), "-v");
    press(rig, 'V');
    EXPECT_EQ(rig.cmbArg.text(), "-V");
    EXPECT_EQ(rig.cmbArg.selectedText(), "");
    rig.dialog.CMD_OK_Click();
    ASSERT_EQ(rig.shell.requests.size(), 1u);
    EXPECT_EQ(rig.shell.requests[0].parameters.value_or(""), "-V");
    EXPECT_NE(rig.mru().find("1=-V\r\n2=-v\r\n"), std::string::npos);
}

TEST_F(Completion, BackspaceAndUnknownTextPassThrough) {
    press(rig, 'r');
    EXPECT_EQ(rig.dialog.cmbArg_KeyPress(8), 8);
    rig.cmbArg.type(8);
    EXPECT_EQ(rig.cmbArg.text(), "r");
    EXPECT_EQ(rig.dialog.cmbArg_KeyPress('z'), 'z');
}

TEST_F(Completion, EnterNeverCompletes) {
    rig.cmbArg.clear();
    rig.cmbArg.addItem("\r-odd");
    EXPECT_EQ(rig.dialog.cmbArg_KeyPress(13), 13);
    EXPECT_EQ(rig.cmbArg.text(), "");
}

TEST_F(Completion, SearchesOnlyTheTextBeforeTheCaret) {
    rig.cmbArg.setText("xyz");
    rig.cmbArg.setSelStart(0);
    press(rig, 'r');
    EXPECT_EQ(rig.cmbArg.text(), "readme.txt");  // what stood after the caret is replaced
}

TEST(CompletionEmptyList, NeverCompletes) {
    Form1Rig rig;
    for (int key : {int('a'), int('R'), 8, 32}) EXPECT_EQ(rig.dialog.cmbArg_KeyPress(key), key);
}

TEST(CompletionUnicode, CountsCharactersNotBytes) {
    Form1Rig rig;
    rig.cmbArg.addItem("été.txt");
    press(rig, 0xE9);  // é
    EXPECT_EQ(rig.cmbArg.text(), "été.txt");
    EXPECT_EQ(rig.cmbArg.selStart(), 1);
    EXPECT_EQ(rig.cmbArg.selectedText(), "té.txt");
    press(rig, 'T');  // the rest after a two-byte letter is cut at the right place
    EXPECT_EQ(rig.cmbArg.text(), "éTé.txt");
    EXPECT_EQ(rig.cmbArg.selectedText(), "é.txt");
    EXPECT_EQ(rig.dialog.cmbArg_KeyPress(0xD800), 0xD800);  // half a surrogate pair
}

}  // namespace
}  // namespace tarvo::test
