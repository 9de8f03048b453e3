// The buffer asks for its storage with the non-throwing array new; this
// program replaces that allocation function so that a test can make it fail.

#include "image/cimagerecord.h"
#include "render/cbuffer2d.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <string>

namespace {

bool g_failNothrowArrayNew = false;

template <typename Action> std::string FailureText(Action action)
{
    g_failNothrowArrayNew = true;
    std::string text = "no exception";
    try {
        action();
    } catch (const std::exception& error) {
        text = error.what();
    }
    g_failNothrowArrayNew = false;
    return text;
}

} // namespace

void* operator new[](std::size_t size, const std::nothrow_t& /*tag*/) noexcept
{
    if (g_failNothrowArrayNew) {
        return nullptr;
    }
    try {
        return ::operator new[](size);
    } catch (...) {
        return nullptr;
    }
}

TEST(BufferAllocation, EachWayOfGettingStorageReportsItsOwnText)
{
    EXPECT_EQ(FailureText([] { const CBuffer2D buffer; }),
              "Insufficient memory to create default screen buffer");
    EXPECT_EQ(FailureText([] { const CBuffer2D buffer(10, 10, true); }),
              "Insufficient memory to allocate custom screen buffer");
    CImageRecord image;
    ASSERT_NE(image.Create(4, 4, 24, IMAGE_FORMAT_BMP), nullptr);
    EXPECT_EQ(FailureText([&image] { const CBuffer2D buffer(image, false); }),
              "Insufficient memory to allocate image buffer");
    const CBuffer2D source(3, 3, false);
    EXPECT_EQ(FailureText([&source] {
                  CBuffer2D copy(source);
                  copy.Clear(0);
              }),
              "Insufficient memory to copy screen buffer");
}

TEST(BufferAllocation, FailedResizingAssignmentLeavesTheTargetWhole)
{
    const CBuffer2D source(8, 8, true);
    CBuffer2D target(4, 4, false);
    target.Clear(0x654321);
    const PixelType* storage = target.GetPixels();
    EXPECT_EQ(FailureText([&] { target = source; }), "Insufficient memory to copy screen buffer");
    EXPECT_EQ(target.Width(), 4);
    EXPECT_EQ(target.Height(), 4);
    EXPECT_FALSE(target.IsWrapAround());
    EXPECT_EQ(target.GetPixels(), storage);
    EXPECT_EQ(std::count(storage, storage + 16, 0x654321), 16);

    // Equal pixel counts need no memory: the assignment still works.
    CBuffer2D same(16, 4, false);
    EXPECT_EQ(FailureText([&] { same = source; }), "no exception");
    EXPECT_EQ(same.Width(), 8);
    EXPECT_TRUE(same.IsWrapAround());
}
