// The corner button's expand and collapse.
#include <gtest/gtest.h>

#include "doubles/form1_rig.h"

namespace tarvo::test {
namespace {

struct Width : ::testing::Test {
    Width() {
        Form1Rig::place(rig.Label1, "Label1");
        rig.form.screenWidth_ = 18000;
    }
    std::vector<int> lefts() {
        return {rig.CMD_WIDTH.left(), rig.CMD_OK.left(), rig.CMD_Cancel.left(),
                rig.CMD_Browse.left(), rig.CMD_About.left()};
    }
    Form1Rig rig;
};

TEST_F(Width, ExpandsToNineTenthsAndCollapsesBack) {
    rig.dialog.CMD_WIDTH_Click();
    EXPECT_EQ(rig.form.width(), 16200);
    EXPECT_EQ(rig.form.left(), 900);
    EXPECT_EQ(rig.cmbArg.width(), 15930);
    EXPECT_EQ(rig.Label1.width(), 15810);
    EXPECT_EQ(lefts(), (std::vector<int>{15915, 12165, 13365, 14565, 15705}));
    EXPECT_EQ(rig.CMD_WIDTH.caption(), "<");
    EXPECT_EQ(rig.Check1.left(), 180);

    rig.dialog.CMD_WIDTH_Click();
    EXPECT_EQ(rig.form.width(), 5085);
    EXPECT_EQ(rig.form.left(), 6457);
    EXPECT_EQ(rig.cmbArg.width(), 4815);
    EXPECT_EQ(rig.Label1.width(), 4695);
    EXPECT_EQ(lefts(), (std::vector<int>{4800, 1050, 2250, 3450, 4590}));
    EXPECT_EQ(rig.CMD_WIDTH.caption(), ">");
}

TEST_F(Width, ControlsMoveByTheWidthTheWindowReallyGot) {
    rig.form.widthAdjust = 7;  // the window system rounds to whole pixels
    rig.dialog.CMD_WIDTH_Click();
    EXPECT_EQ(rig.form.width(), 16207);
    EXPECT_EQ(rig.cmbArg.width(), 15937);
    EXPECT_EQ(rig.CMD_OK.left(), 12172);
}

TEST_F(Width, OnlyTheExactDesignWidthCountsAsCollapsed) {
    for (int width : {5084, 5086}) {
        rig.form.FakeControl::setWidth(width);
        rig.dialog.CMD_WIDTH_Click();
        EXPECT_EQ(rig.form.width(), 5085) << width;
        EXPECT_EQ(rig.CMD_WIDTH.caption(), ">");
    }
}

TEST_F(Width, ScreensBeyondSixteenBitTwipsStillWork) {
    rig.form.screenWidth_ = 3840 * 15;  // a 4K screen at 96 DPI
    rig.dialog.CMD_WIDTH_Click();
    EXPECT_EQ(rig.form.width(), 51840);
    EXPECT_EQ(rig.form.left(), 2880);
    EXPECT_EQ(rig.cmbArg.width(), 4815 + 51840 - 5085);
}

}  // namespace
}  // namespace tarvo::test
