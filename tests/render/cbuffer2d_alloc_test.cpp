// The buffer's storage comes from the non-throwing array new, replaced here to fail on demand.
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
    try {
        return g_failNothrowArrayNew ? nullptr : ::operator new[](size);
    } catch (...) {
        return nullptr;
    }
}

TEST(BufferAllocation, EachWayOfGettingStorageReportsItsOwnTextAndResizingLeavesTheTargetWhole)
{
    CImageRecord image;
    ASSERT_NE(image.Create(4, 4, 24, IMAGE_FORMAT_BMP), nullptr);
    const CBuffer2D source(8, 8, true);
    EXPECT_EQ(FailureText([] { const CBuffer2D buffer; }),
              "Insufficient memory to create default screen buffer");
    EXPECT_EQ(FailureText([] { const CBuffer2D buffer(10, 10, true); }),
              "Insufficient memory to allocate custom screen buffer");
    EXPECT_EQ(FailureText([&image] { const CBuffer2D buffer(image, false); }),
              "Insufficient memory to allocate image buffer");
    EXPECT_EQ(FailureText([&source] { CBuffer2D(source).Clear(0); }),
              "Insufficient memory to copy screen buffer");
    CBuffer2D target(4, 4, false);
    target.Clear(0x654321);
    const PixelType* storage = target.GetPixels();
    EXPECT_EQ(FailureText([&] { target = source; }), "Insufficient memory to copy screen buffer");
    EXPECT_TRUE(target.Width() == 4 && target.Height() == 4 && !target.IsWrapAround());
    EXPECT_TRUE(target.GetPixels() == storage && std::count(storage, storage + 16, 0x654321) == 16);
    // Equal pixel counts need no memory: the assignment still works.
    CBuffer2D same(16, 4, false);
    EXPECT_EQ(FailureText([&] { same = source; }), "no exception");
    EXPECT_TRUE(same.Width() == 8 && same.IsWrapAround());
}
