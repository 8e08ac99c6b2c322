// The icon the program installs for itself, read back as an icon theme reads it: every size a
// valid picture of its size that carries the program's mark.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>

#include "settings/linux/entry_text.h"
#include "settings/linux/icon.h"

namespace tarvo::test {
namespace {

TEST(ProgramIcon, EveryMarkedSizeIsAValidPictureOfItsSize) {
    for (const menus::IconImage& image : menus::programIconImages()) {
        const std::string marked = menus::markedPng(image.png);
        QImage picture;
        ASSERT_TRUE(picture.loadFromData(QByteArray(marked.data(), static_cast<int>(marked.size())),
                                         "PNG"))
            << image.size;
        EXPECT_EQ(picture.width(), image.size);
        EXPECT_EQ(picture.height(), image.size);
        EXPECT_EQ(picture.text("Comment").toStdString(), std::string(menus::kMadeByLine + 2));
    }
}

}  // namespace
}  // namespace tarvo::test
