// The entry point of the GoogleTest programs for Windows. The build links every program with
// -municode (the C runtime then calls wmain), and gtest_main only provides main.
#include <gtest/gtest.h>

int wmain(int argc, wchar_t** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
