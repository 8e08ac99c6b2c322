// Functions of system DLLs loaded at their first call.
#include "platform/win32/lazy_dll.h"

#include <gtest/gtest.h>

// clang-format off
#include <windows.h>
#include <shlwapi.h>
// clang-format on

namespace tarvo::test {
namespace {

TEST(LazyFunction, CallsTheSystemFunctionAndIsEmptyWhereTheSystemLacksIt) {
    const win::LazyFunction<decltype(&::PathFindExtensionW)> extension{L"shlwapi.dll",
                                                                       "PathFindExtensionW"};
    ASSERT_TRUE(extension);
    const wchar_t* path = L"C:\\a.b\\file.txt";
    EXPECT_EQ(extension(path), path + 11);
    const wchar_t* bare = L"C:\\a.b\\file";
    EXPECT_EQ(extension(bare), bare + 11);  // no extension: the end of the text

    // A name the DLL does not export, and a DLL that is not there: empty, never a crash.
    const win::LazyFunction<decltype(&::PathFindExtensionW)> missing{L"shlwapi.dll",
                                                                     "NoSuchFunctionW"};
    EXPECT_FALSE(missing);
    const win::LazyFunction<decltype(&::PathFindExtensionW)> noDll{L"tarvolin-no-such.dll",
                                                                   "PathFindExtensionW"};
    EXPECT_FALSE(noDll);
}

}  // namespace
}  // namespace tarvo::test
