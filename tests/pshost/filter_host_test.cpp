#include <gtest/gtest.h>

#include <cstring>

#include "filter_test_support.h"
#include "pshost/host_callbacks.h"
#include "pshost/host_memory.h"
#include "pshost/photoshop_error.h"

namespace mugwarp::test {
namespace {

std::intptr_t script(int selector, int code, bool askAbort = false) {
    return std::intptr_t(selector) | (std::intptr_t(std::uint16_t(code)) << 8) | (askAbort ? std::intptr_t(1) << 24 : 0);
}

struct Recorder : FilterRunClient {
    bool abort = false;
    int progressCalls = 0;
    std::vector<std::uint32_t> shown;
    int shownWidth = 0;
    void progress(std::int32_t, std::int32_t) override { ++progressCalls; }
    bool testAbort() override { return abort; }
    void displayPixels(const std::uint32_t* pixels, int width, int height, std::int32_t, std::int32_t, void*) override {
        shown.assign(pixels, pixels + std::size_t(width) * height);
        shownWidth = width;
    }
};

class FilterHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        list.addModule(testModule("scripted.8bf"));
        list.addModule(testModule("outside.8bf"));
        host.setClient(&client);
    }
    PIPLManager& scripted() { return entryNamed(list, "Scripted"); }

    PSPluginList list;
    PSFilterHost host;
    Recorder client;
    Picture picture = patternPicture(5, 4);
    const Picture original = picture;
};

TEST_F(FilterHostTest, EachNegativeResultBecomesItsMessage) {
    const std::vector<std::pair<int, std::string>> codes = {
        {-19, "Driver can't respond to Read call"},
        {-34, "Disk full"},
        {-50, "Error in user parameter list"},
        {-108, "Ran out of memory [not enough room in heap zone]"},
        {-30100, "The plug-in received an erroneous parameter block."},
        {-30101, "The plug-in does not support the current color mode."},
        {-30900, "The plug-in requires services not provided by this host."},
        {-30901, "A requested property could not be found."},
        {-30904, "Unknown plug-in error."},
        {-2, "Unknown plug-in error."},
    };
    for (const auto& [code, message] : codes) {
        scripted().pluginData = script(4, code);
        try {
            runFilter(host, scripted(), picture);
            ADD_FAILURE() << code << " passed";
        } catch (const PhotoshopError& e) {
            EXPECT_EQ(e.what(), message) << code;
        }
    }
    for (int code : {-20, -23, -36, -39, -43, -45, -46, -109, -111})
        EXPECT_NE(pluginErrorMessage(std::int16_t(code)), "Unknown plug-in error.") << code;
}

TEST_F(FilterHostTest, CancellingAtAnySelectorRestoresThePictureAndDropsTheParameters) {
    for (int selector = 1; selector <= 5; ++selector) {
        for (const auto& [data, abort] : {std::pair{script(selector, 7), false}, std::pair{script(selector, -128), false},
                                          std::pair{script(selector, 0, true), true}}) {
            if (abort && selector == 5) continue;  // the abort flag is not consulted after finish
            picture = original;
            client.abort = abort;
            scripted().pluginData = data;
            EXPECT_FALSE(runFilter(host, scripted(), picture)) << selector;
            EXPECT_EQ(picture.pixels, original.pixels) << selector;
            EXPECT_EQ(host.keptParameters(), nullptr);
        }
    }
    // A repeat after a cancel runs without parameters and without asking for them.
    client.abort = false;
    scripted().pluginData = script(1, -50);
    EXPECT_TRUE(runFilter(host, scripted(), picture, true));
    const abi::Handle parameters = host.record().parameters;  // a packed field: copy, never bind
    EXPECT_EQ(parameters, nullptr);
    EXPECT_EQ(picture.channel(2, 1, 0), 255 - original.channel(2, 1, 0));
}

TEST_F(FilterHostTest, ARepeatReusesTheKeptParametersWithoutTheParametersSelector) {
    scripted().pluginData = 0;
    ASSERT_TRUE(runFilter(host, scripted(), picture));
    const abi::Handle kept = host.keptParameters();
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(*reinterpret_cast<std::int32_t*>(*kept), 42);
    scripted().pluginData = script(1, -50);  // would fail if asked again
    EXPECT_TRUE(runFilter(host, scripted(), picture, true));
    EXPECT_EQ(host.keptParameters(), kept);
    EXPECT_EQ(picture.pixels, original.pixels);  // inverted twice
    EXPECT_GE(client.progressCalls, 4);          // (0, 1) and (1, 1) of both runs
}

TEST_F(FilterHostTest, TheMaskBlendsUnlessTheFilterWritesOutsideTheSelection) {
    struct Case {
        const char* name;
        std::intptr_t data;
        bool blended;
    };
    for (const Case c : {Case{"Scripted", 0, true}, Case{"Scripted", std::intptr_t(1) << 25, false},
                         Case{"Outside Selection", 0, false}}) {
        picture = original;
        Mask mask(5, 4, 0);
        entryNamed(list, c.name).pluginData = c.data;
        ASSERT_TRUE(runFilter(host, entryNamed(list, c.name), picture, false, &mask));
        EXPECT_EQ(picture.pixels == original.pixels, c.blended) << c.name;
    }
}

// A mask that selects everything is not blended; a single unselected pixel,
// wherever it lies in the row, is.
TEST_F(FilterHostTest, OneUnselectedPixelAnywhereInTheRowIsBlended) {
    Picture unmasked = patternPicture(21, 3);
    const Picture before = unmasked;
    entryNamed(list, "Scripted").pluginData = 0;
    ASSERT_TRUE(runFilter(host, entryNamed(list, "Scripted"), unmasked, false));
    ASSERT_NE(unmasked.pixels, before.pixels);
    struct Case {
        int x, y;  // the unselected pixel; -1 for none
    };
    for (const Case c : {Case{-1, -1}, Case{0, 0}, Case{3, 1}, Case{9, 2}, Case{15, 0}, Case{16, 1}, Case{20, 2}}) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        Picture p = before;
        Mask mask(21, 3, 255);
        if (c.x >= 0) mask.values[std::size_t(c.y) * 21 + std::size_t(c.x)] = 0;
        ASSERT_TRUE(runFilter(host, entryNamed(list, "Scripted"), p, false, &mask));
        Picture expected = unmasked;
        if (c.x >= 0) expected.at(c.x, c.y) = before.at(c.x, c.y);
        EXPECT_EQ(p.pixels, expected.pixels);
    }
}

// The scripted filter in bands of rows (acting at one band's continue).
std::intptr_t bands(int rows, int actingBand = 0) {
    return std::intptr_t(rows) << 26 | std::intptr_t(actingBand) << 32;
}

// What the banded filter makes of a picture when it reads it unchanged:
// each row the inverse of the row rows + 1 above (row 0 above the top).
Picture bandedResult(const Picture& p, int rows) {
    Picture out = p;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) out.at(x, y) = p.at(x, std::max(0, y - rows - 1)) ^ 0x00FFFFFFu;
    return out;
}

enum class Outcome { Finished, Cancelled, Failed };

Outcome runOutcome(PSFilterHost& host, PIPLManager& entry, Picture& picture, Mask* mask = nullptr) {
    try {
        return runFilter(host, entry, picture, false, mask) ? Outcome::Finished : Outcome::Cancelled;
    } catch (const PhotoshopError&) {
        return Outcome::Failed;
    }
}

// Bands of 3 rows over 11: the host copies aside what each band overwrites,
// so a cancel after some were written restores every pixel, an error keeps
// the bands written before it, and every band reads rows written before it
// as they were.
TEST_F(FilterHostTest, BandedRunsKeepWhatTheirOutcomeSays) {
    struct Case {
        const char* name;
        int rows;
        std::intptr_t action;
        int actingBand;
        Outcome outcome;
        int filteredRows;  // from the top; the rest as it was
    };
    const Case cases[] = {
        {"finished", 3, 0, 0, Outcome::Finished, 11},
        {"one-row bands", 1, 0, 0, Outcome::Finished, 11},
        {"cancel at band 3", 3, script(4, 7), 3, Outcome::Cancelled, 0},
        {"-128 at the last band", 3, script(4, -128), 4, Outcome::Cancelled, 0},
        {"cancel at finish", 3, script(5, 1), 0, Outcome::Cancelled, 0},
        {"error at band 1", 3, script(4, -50), 1, Outcome::Failed, 0},
        {"error at band 3", 3, script(4, -50), 3, Outcome::Failed, 6},
        {"error at finish", 3, script(5, -50), 0, Outcome::Failed, 11},
    };
    const Picture before = patternPicture(37, 11);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Picture p = before;
        scripted().pluginData = c.action | bands(c.rows, c.actingBand);
        EXPECT_EQ(runOutcome(host, scripted(), p), c.outcome);
        const Picture filtered = bandedResult(before, c.rows);
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x)
                ASSERT_EQ(p.at(x, y), y < c.filteredRows ? filtered.at(x, y) : before.at(x, y)) << x << "," << y;
    }
}

TEST_F(FilterHostTest, BandsAreBlendedWithThePictureAsItWas) {
    Picture p = patternPicture(37, 11);
    const Picture before = p;
    Mask mask(37, 11, 0);
    const std::uint8_t levels[] = {0, 128, 255};
    for (int i = 0; i < 37 * 11; ++i) mask.values[std::size_t(i)] = levels[i % 3];
    scripted().pluginData = bands(2);
    ASSERT_TRUE(runFilter(host, scripted(), p, false, &mask));
    const Picture filtered = bandedResult(before, 2);
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 37; ++x)
            for (int c = 0; c < 3; ++c) {
                const int f = filtered.channel(x, y, c), u = before.channel(x, y, c);
                const int weight = 255 - mask.values[std::size_t(y) * 37 + std::size_t(x)];
                ASSERT_EQ(p.channel(x, y, c), (f * 255 + (u - f) * weight + 127) / 255) << x << "," << y << "," << c;
            }
}

// The host keeps its buffers from run to run and must not mistake one
// picture's for another's when the size changes.
TEST_F(FilterHostTest, OneHostRunsPicturesOfChangingSizes) {
    struct Case {
        int width, height, rows;
        std::intptr_t action;
    };
    const Case cases[] = {{37, 11, 3, 0},         {5, 40, 7, script(4, 7) | bands(0, 3)},
                          {64, 3, 1, 0},          {37, 11, 3, 0},
                          {37, 11, 4, script(4, 7) | bands(0, 2)}, {36, 11, 2, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        Picture p = patternPicture(c.width, c.height);
        const Picture before = p;
        scripted().pluginData = bands(c.rows) | c.action;
        const bool finished = runFilter(host, scripted(), p);
        EXPECT_EQ(finished, c.action == 0);
        EXPECT_EQ(p.pixels, finished ? bandedResult(before, c.rows).pixels : before.pixels);
    }
}

TEST_F(FilterHostTest, ModulesThatCannotRunNameTheirFile) {
    PSPluginList more;
    more.addModule(testModule("missing_entry.8bf"));
    PIPLManager broken;
    broken.setName("Gone");
    broken.setEntryPoint("PluginMain");
    broken.fileName = testModule("no-such-file.8bf");
    PIPLManager windows = broken;
    windows.moduleKind = ModuleKind::Windows64;
    for (PIPLManager* entry : {&more.item(0), &broken, &windows}) {
        try {
            host.openModule(*entry);
            ADD_FAILURE() << entry->fileName;
        } catch (const PhotoshopError& e) {
            EXPECT_NE(std::string(e.what()).find(entry->fileName), std::string::npos) << e.what();
        }
        EXPECT_FALSE(host.moduleOpen());
    }
}

TEST_F(FilterHostTest, PicturesWiderThanTheRecordCanSayAreRefused) {
    Picture wide(32768, 1);
    scripted().pluginData = 0;
    EXPECT_THROW(runFilter(host, scripted(), wide), PhotoshopError);
}

TEST_F(FilterHostTest, CallbackSuitesAnswerAsTheProtocolSays) {
    const HostCallbacks& cb = hostCallbacks();
    abi::BufferID id = reinterpret_cast<abi::BufferID>(1);
    EXPECT_EQ(cb.bufferProcs->allocateProc(0, &id), abi::kNilHandleErr);
    EXPECT_EQ(id, nullptr);
    EXPECT_EQ(cb.bufferProcs->lockProc(nullptr, 0), nullptr);
    EXPECT_GT(cb.bufferProcs->spaceProc(), 0);

    HostMemory& memory = HostMemory::instance();
    const std::size_t before = memory.liveBlocks();
    abi::Handle h = cb.handleProcs->newProc(10);
    for (int i = 0; i < 3; ++i) cb.handleProcs->lockProc(h, 0);
    EXPECT_EQ(memory.lockCount(h), 3);
    EXPECT_EQ(cb.handleProcs->setSizeProc(h, 4000), abi::kNoErr);
    EXPECT_EQ((*h)[3999], 0);
    EXPECT_EQ(cb.handleProcs->getSizeProc(h), 4000);
    cb.handleProcs->disposeProc(h);
    EXPECT_EQ(memory.liveBlocks(), before);

    BoundHost bound(&host);
    std::intptr_t simple = 5;
    abi::Handle complex = reinterpret_cast<abi::Handle>(6);
    EXPECT_EQ(cb.propertyProcs->getPropertyProc(0, 0, 0, &simple, &complex), abi::kHostInsufficient);
    EXPECT_EQ(simple, 5);
    const void* suite = &simple;
    EXPECT_EQ(cb.basicSuite->AcquireSuite("any", 1, &suite), abi::kHostInsufficient);
    EXPECT_EQ(suite, nullptr);

    abi::ColorServicesInfo info{};
    info.sourceSpace = 3;
    EXPECT_EQ(cb.colorServices(&info), abi::kNoErr);
    EXPECT_EQ(info.infoSize, 36);
    EXPECT_EQ(info.sourceSpace, 0);

    // Rows longer than the rectangle: each is read from its own start.
    std::uint8_t bytes[2][8] = {{1, 2, 3, 4, 5, 6, 0, 0}, {7, 8, 9, 10, 11, 12, 0, 0}};
    abi::PSPixelMap map{};
    map.bounds = {0, 0, 2, 2};
    map.imageMode = abi::kImageModeRGB;
    map.rowBytes = 8;
    map.colBytes = 3;
    map.planeBytes = 1;
    map.baseAddr = bytes;
    const abi::VRect rect{0, 1, 2, 2};
    EXPECT_EQ(cb.displayPixels(&map, &rect, 0, 0, nullptr), abi::kNoErr);
    EXPECT_EQ(client.shown, (std::vector<std::uint32_t>{0xFF040506u, 0xFF0A0B0Cu}));
}

// Large blocks a filter frees are kept for its next allocation: whatever
// the last one held, every new block reads zero, at its own size.
TEST(HostMemoryReuse, BlocksAfterLargeOnesComeBackZeroed) {
    HostMemory& memory = HostMemory::instance();
    const std::size_t before = memory.liveBlocks();
    constexpr std::size_t kMiB = std::size_t(1) << 20;
    for (const std::size_t size : {2 * kMiB, 2 * kMiB, 2 * kMiB - 3, kMiB + 1, 3 * kMiB, std::size_t(100), 64 * kMiB, kMiB}) {
        SCOPED_TRACE(size);
        abi::Handle h = memory.allocate(size);
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(memory.size(h), size);
        const char* data = *h;
        for (std::size_t i = 0; i < size; i += 4093) ASSERT_EQ(data[i], 0) << i;
        EXPECT_EQ(data[size - 1], 0);
        std::memset(*h, 0xAB, size);
        ASSERT_TRUE(memory.resize(h, size + 10));
        EXPECT_EQ((*h)[size + 9], 0);
        std::memset(*h, 0xCD, size + 10);
        memory.dispose(h);
    }
    EXPECT_EQ(memory.liveBlocks(), before);
}

}  // namespace
}  // namespace mugwarp::test
