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

TEST_F(Completion, TakesTheItemsLetterCase) {
    press(rig, 'R');
    EXPECT_EQ(rig.cmbArg.text(), "readme.txt");  // first in list order wins over "Readme.md"
    EXPECT_EQ(rig.cmbArg.selStart(), 1);
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
    EXPECT_EQ(rig.dialog.cmbArg_KeyPress(0xD800), 0xD800);  // half a surrogate pair
}

}  // namespace
}  // namespace tarvo::test
