// The whole surface is declared and links.
#include <gtest/gtest.h>

#include "windows.h"

TEST(WinapiLink, FailurePathsOfAbsentServices)
{
    EXPECT_EQ(LoadLibraryW(u"riched20.dll"), nullptr);
    void* object = reinterpret_cast<void*>(1);
    CLSID clsid{};
    EXPECT_TRUE(FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IUnknown, &object)));
    EXPECT_EQ(object, nullptr);
    ULONG_PTR token = 1;
    Gdiplus::GdiplusStartupInput input;
    EXPECT_NE(Gdiplus::GdiplusStartup(&token, &input, nullptr), Gdiplus::Ok);
}
