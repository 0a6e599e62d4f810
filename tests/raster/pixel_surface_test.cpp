#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <vector>

#include "raster/error.h"
#include "raster/pixel_surface.h"
#include "raster/platform_bitmap.h"

namespace mugwarp {
namespace {

TEST(PixelSurfaceTest, SetSizeRules) {
    PixelSurface s(3, 2);
    s.setPixel(2, 1, 0xAABBCCDD);
    s.setSize(3, 2);
    EXPECT_EQ(s.pixel(2, 1), 0xAABBCCDDu);
    s.setSize(-4, 2);
    EXPECT_TRUE(s.isEmpty());
    EXPECT_EQ(s.bounds(), (Rect{0, 0, 0, 0}));
    EXPECT_THROW(s.setSize(INT_MAX, INT_MAX), Error);
    EXPECT_TRUE(s.isEmpty());
}

TEST(PixelSurfaceTest, AssignFromA24BitBitmapGivesOpaquePixels) {
    PlatformBitmap b(3, 2, 24);
    b.setPixelArgb(0, 0, 0x00102030);
    b.setPixelArgb(2, 1, 0x00FDFEFF);
    PixelSurface s;
    s.assign(b);
    ASSERT_EQ(s.bounds(), (Rect{0, 0, 3, 2}));
    EXPECT_EQ(s.pixel(0, 0), 0xFF102030u);
    EXPECT_EQ(s.pixel(2, 1), 0xFFFDFEFFu);
    EXPECT_EQ(s.pixel(1, 1), 0xFF000000u);
}

TEST(PixelSurfaceTest, AssignFromA32BitBitmapKeepsAlphaAndGoesBackUnchanged) {
    PlatformBitmap b(2, 2, 32);
    b.setPixelArgb(0, 0, 0x00112233);
    b.setPixelArgb(1, 0, 0x80112233);
    b.setPixelArgb(0, 1, 0xFF445566);
    PixelSurface s;
    s.assign(b);
    EXPECT_EQ(s.pixel(0, 0), 0x00112233u);
    EXPECT_EQ(s.pixel(1, 0), 0x80112233u);
    EXPECT_EQ(s.pixel(0, 1), 0xFF445566u);
    const PlatformBitmap back = s.toPlatformBitmap();
    EXPECT_EQ(back.bitsPerPixel(), 32);
    EXPECT_EQ(back.byteSize(), b.byteSize());
    EXPECT_TRUE(std::equal(b.data(), b.data() + b.byteSize(), back.data()));
}

TEST(PixelSurfaceTest, AssignFromATransparentBitmapClearsTheKeyColour) {
    PlatformBitmap b(2, 1, 8);
    b.palette() = {{0xFD, 0xFE, 0xFF, 0}, {1, 2, 3, 0}};  // blue, green, red
    b.setPixelIndex(0, 0, 0);
    b.setPixelIndex(1, 0, 1);
    b.setTransparent(true);
    b.setTransparentColor(0xFDFEFF);  // red 0xFF, green 0xFE, blue 0xFD
    PixelSurface s;
    s.assign(b);
    EXPECT_EQ(s.pixel(0, 0), 0x00FFFEFDu);
    EXPECT_EQ(s.pixel(1, 0), 0xFF030201u);
}

TEST(PixelSurfaceTest, FillRectIsClippedAndNotifies) {
    PixelSurface s(4, 3);
    std::vector<Rect> notified;
    s.setChangeHandler([&](const Rect& r) { notified.push_back(r); });
    s.fillRect({-2, 1, 2, 9}, 0x80FF0000);
    EXPECT_EQ(s.pixel(1, 2), 0x80FF0000u);
    EXPECT_EQ(s.pixel(2, 2), 0u);
    EXPECT_EQ(s.pixel(1, 0), 0u);
    ASSERT_EQ(notified.size(), 1u);
    EXPECT_EQ(notified[0], (Rect{0, 1, 2, 3}));
    s.fillRect({5, 5, 9, 9}, 1);
    EXPECT_EQ(notified.size(), 1u);
}

TEST(PixelSurfaceTest, SetBorderTransparentClearsOnlyTheOutermostAlpha) {
    PixelSurface s(4, 4);
    s.fillRect(s.bounds(), 0xFF123456);
    s.setBorderTransparent({1, -5, 10, 3});  // becomes (1, 0, 4, 3)
    EXPECT_EQ(s.pixel(1, 0), 0x00123456u);
    EXPECT_EQ(s.pixel(3, 1), 0x00123456u);
    EXPECT_EQ(s.pixel(1, 2), 0x00123456u);
    EXPECT_EQ(s.pixel(2, 1), 0xFF123456u);
    EXPECT_EQ(s.pixel(0, 0), 0xFF123456u);
    EXPECT_EQ(s.pixel(2, 3), 0xFF123456u);

    PixelSurface one(1, 1);
    one.setPixel(0, 0, 0xFFABCDEF);
    one.setBorderTransparent(one.bounds());
    EXPECT_EQ(one.pixel(0, 0), 0x00ABCDEFu);
}

TEST(PixelSurfaceTest, ResetAlphaKeepsTheColour) {
    PixelSurface s(2, 1);
    s.setPixel(0, 0, 0x00010203);
    s.setPixel(1, 0, 0x7F040506);
    s.resetAlpha();
    EXPECT_EQ(s.pixel(0, 0), 0xFF010203u);
    EXPECT_EQ(s.pixel(1, 0), 0xFF040506u);
    s.resetAlpha(9);
    EXPECT_EQ(s.pixel(1, 0), 0x09040506u);
}

TEST(PixelSurfaceTest, CopyTakesTheSettingsButNotTheChangeHandler) {
    PixelSurface source(2, 2);
    source.setSamplerKind(SamplerKind::Bilinear);
    source.setDrawMode(DrawMode::Blend);
    source.setCombineMode(CombineMode::Merge);
    source.setMasterAlpha(77);
    source.setOuterColor(0x00FDFEFF);
    int sourceCalls = 0, targetCalls = 0;
    source.setChangeHandler([&](const Rect&) { ++sourceCalls; });
    PixelSurface target(5, 5);
    target.setChangeHandler([&](const Rect&) { ++targetCalls; });
    target = source;
    EXPECT_EQ(target.samplerKind(), SamplerKind::Bilinear);
    EXPECT_EQ(target.drawMode(), DrawMode::Blend);
    EXPECT_EQ(target.combineMode(), CombineMode::Merge);
    EXPECT_EQ(target.masterAlpha(), 77);
    EXPECT_EQ(target.outerColor(), 0x00FDFEFFu);
    EXPECT_EQ(target.bounds(), source.bounds());
    EXPECT_EQ(targetCalls, 1);
    target = PixelSurface(3, 1);
    EXPECT_EQ(targetCalls, 2);  // a move keeps the view's handler too
    EXPECT_EQ(sourceCalls, 0);
}


// Storage as another process might share it: a block the test can inspect.
struct TestStorage : PixelStorage {
    std::vector<Argb> block;
    explicit TestStorage(std::size_t n) : block(n, 0xDEADBEEFu) {}
    Argb* pixels() override { return block.data(); }
    std::size_t capacity() const override { return block.size(); }
};

// What a runner's shared picture holds when a surface comes to live there:
// the surface's own pixels.
void moveInto(PixelSurface& s, const std::shared_ptr<TestStorage>& storage) {
    std::copy_n(s.bits(), s.pixelCount(), storage->block.data());
    s.adoptStorage(storage);
}

PixelSurface numbered(int w, int h) {
    PixelSurface s(w, h);
    for (std::size_t i = 0; i < s.pixelCount(); ++i) s.bits()[i] = Argb(0xFF000000u + i);
    return s;
}

// A surface that comes to live in outside storage keeps its pixels there, and every way
// of changing it afterwards either stays there or leaves it for a block of
// its own, never writing the storage behind the surface's back.
TEST(PixelSurfaceTest, PixelsMovedIntoStorageStayThereUntilTheSizeChanges) {
    PixelSurface s = numbered(4, 3);
    const PixelSurface before = s;
    auto storage = std::make_shared<TestStorage>(12);
    moveInto(s, storage);
    EXPECT_EQ(s.storage(), storage.get());
    EXPECT_EQ(s.bits(), storage->block.data());
    EXPECT_TRUE(std::equal(before.bits(), before.bits() + 12, s.bits()));
    s.adoptStorage(storage);  // already there: nothing moves
    EXPECT_EQ(s.bits(), storage->block.data());

    const PixelSurface copy = s;  // a copy has a block of its own
    EXPECT_EQ(copy.storage(), nullptr);
    EXPECT_TRUE(std::equal(copy.bits(), copy.bits() + 12, before.bits()));

    const PixelSurface fresh = numbered(4, 3);
    s = fresh;  // the same size is copied to where the pixels live
    EXPECT_EQ(s.bits(), storage->block.data());
    s.rotate180();
    EXPECT_EQ(storage->block[0], 0xFF00000Bu);
    s.resetAlpha(7);
    EXPECT_EQ(storage->block[11], 0x07000000u);

    PixelSurface moved = std::move(s);  // a move carries the storage along
    EXPECT_EQ(moved.bits(), storage->block.data());
    EXPECT_EQ(s.storage(), nullptr);

    const auto kept = storage->block;
    moved.setSize(5, 3);  // a new size leaves the storage untouched
    EXPECT_EQ(moved.storage(), nullptr);
    EXPECT_EQ(storage->block, kept);
    EXPECT_EQ(moved.bits()[14], 0u);

    PixelSurface other = numbered(4, 3);
    moveInto(other, storage);
    other.leaveStorage();  // without reading it: the pixels are 0
    EXPECT_EQ(other.storage(), nullptr);
    EXPECT_EQ(other.bits()[5], 0u);

    PixelSurface big = numbered(5, 3);
    EXPECT_THROW(big.adoptStorage(storage), Error);
    EXPECT_EQ(big.storage(), nullptr);
    EXPECT_EQ(big.bits()[14], 0xFF00000Eu);
}

}  // namespace
}  // namespace mugwarp
