#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/canvas_operations.h"
#include "document/document.h"
#include "document/key_color.h"
#include "formats/picture_io.h"
#include "filterapply/filter_application.h"

namespace mugwarp {
namespace {

constexpr int kWidth = 64, kHeight = 48;

PixelSurface varied() {
    PixelSurface p(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) p.setPixel(x, y, 0xFF000000u | Argb(x * 3) << 16 | Argb(y * 5) << 8 | Argb(x ^ y));
    return p;
}

std::vector<Argb> pixelsOf(const PixelSurface& s) { return {s.bits(), s.bits() + s.pixelCount()}; }

struct Escape : FilterRunClient {
    bool testAbort() override { return true; }
};

// The scripted runner, which ends a hanging filter quickly.
filterproc::FilterRunners& scriptedRunners() {
    static filterproc::FilterRunners runners = [] {
        filterproc::RunnerLocations where;
        where.nativeRunner = FAKE_RUNNER;
        filterproc::RunnerTimings timings;
        timings.abortGraceMs = 300;
        timings.pollIntervalMs = 10;
        return filterproc::FilterRunners(where, timings);
    }();
    return runners;
}

struct FilterSession {
    Document document;
    filterproc::FilterRunnerHost host{scriptedRunners()};
    ByteMap mask;  // empty: everything selected, as the editor has it
    FilterSession() { document.loadRecovered(varied(), kDefaultKeyColor, kDefaultOuterColor, "portrait.bmp"); }
    bool filter(const std::string& name) {
        PIPLManager entry;
        entry.setName(name);
        return applyFilter(document, host, entry, false, mask);
    }
};

}  // namespace

// The display lives in the runner's shared picture from the first run on, and
// the runner filters it there: later runs find it in place.
TEST(FilterApplication, TheDisplayIsFilteredWhereItLives) {
    FilterSession run;
    const std::vector<Argb> before = pixelsOf(run.document.display());
    ASSERT_TRUE(run.filter("Invert"));
    const PixelStorage* storage = run.document.display().storage();
    ASSERT_NE(storage, nullptr);
    EXPECT_EQ(run.document.display().pixel(3, 2), before[2 * kWidth + 3] ^ 0x00FFFFFFu);
    ASSERT_TRUE(run.filter("Invert"));
    EXPECT_EQ(run.document.display().storage(), storage);
    EXPECT_EQ(pixelsOf(run.document.display()), before);
    EXPECT_TRUE(run.document.canUndo());
}

// A quarter turn gives the display a block of its own; the next run puts the
// turned picture into the shared file at hand (the same number of pixels)
// and filters it there.
TEST(FilterApplication, APictureBackFromABlockOfItsOwnIsCopiedIntoTheFileAtHand) {
    FilterSession run;
    ASSERT_TRUE(run.filter("Invert"));
    rotatePicture(run.document, Rotation::Clockwise);
    ASSERT_EQ(run.document.display().storage(), nullptr);
    const std::vector<Argb> turned = pixelsOf(run.document.display());
    ASSERT_TRUE(run.filter("Invert"));
    ASSERT_NE(run.document.display().storage(), nullptr);
    std::vector<Argb> expected = turned;
    for (Argb& a : expected) a ^= 0x00FFFFFFu;
    EXPECT_EQ(pixelsOf(run.document.display()), expected);
}

// However the runner fails while it writes into the display, the picture is
// given back exactly as before the run; the filter's own error keeps what it
// wrote on show, and a cancel leaves nothing changed.
TEST(FilterApplication, NoFaultOfTheRunnerLeavesAHalfWrittenPicture) {
    enum Outcome { RunnerFault, FilterError, Cancelled };
    const struct {
        const char* after;  // what the scripted filter does after writing half the picture
        bool escape;
        Outcome outcome;
    } cases[] = {
        {"Crash", false, RunnerFault},        {"Exit", false, RunnerFault},
        {"Hang", true, RunnerFault},          {"HangAsking", true, RunnerFault},
        {"Garbage", false, RunnerFault},      {"Oversized", false, RunnerFault},
        {"ZeroTotal", false, RunnerFault},    {"UnknownType", false, RunnerFault},
        {"ShortProgress", false, RunnerFault}, {"Shrink", false, RunnerFault},
        {"Grow", false, RunnerFault},         {"Error", false, FilterError},
        {"Cancel", false, Cancelled},
    };
    FilterSession run;
    ASSERT_TRUE(run.filter("Invert"));  // the display now lives in the shared picture
    for (const auto& c : cases) {
        const std::string name = std::string("Scribble, then ") + c.after;
        SCOPED_TRACE(name);
        const std::vector<Argb> display = pixelsOf(run.document.display());
        const std::vector<Argb> source = pixelsOf(run.document.source());
        Escape escape;
        run.host.setClient(c.escape ? &escape : nullptr);
        bool finished = true;
        std::string error;
        bool fault = false;
        try {
            finished = run.filter(name);
        } catch (const filterproc::RunnerFault& e) {
            fault = true;
            error = e.what();
        } catch (const PhotoshopError& e) {
            error = e.what();
        }
        run.host.setClient(nullptr);
        EXPECT_EQ(fault, c.outcome == RunnerFault) << error;
        EXPECT_EQ(pixelsOf(run.document.source()), source);
        std::vector<Argb> expected = display;
        if (c.outcome == FilterError) {
            EXPECT_EQ(error, "The filter gave up.");
            std::fill(expected.begin(), expected.begin() + expected.size() / 2, 0x12345678u);
        }
        if (c.outcome == Cancelled) {
            EXPECT_FALSE(finished);
        }
        EXPECT_EQ(pixelsOf(run.document.display()), expected);
        // The next run works on the picture as shown.
        const Argb shown = run.document.display().pixel(5, 7);
        ASSERT_TRUE(run.filter("Invert"));
        EXPECT_EQ(run.document.display().pixel(5, 7), shown ^ 0x00FFFFFFu);
    }
}

// A document that keeps no history has no copy of the picture as shown: a
// fault leaves the source on show, whole and the size it was.
TEST(FilterApplication, WithoutHistoryAFaultLeavesTheSourceShown) {
    FilterSession run;
    run.document.stopKeepingHistory();
    ASSERT_TRUE(run.filter("Invert"));
    const std::vector<Argb> shown = pixelsOf(run.document.display());
    EXPECT_THROW(run.filter("Scribble, then Crash"), filterproc::RunnerFault);
    const PixelSurface& display = run.document.display();
    ASSERT_EQ(display.width(), kWidth);
    ASSERT_EQ(display.height(), kHeight);
    EXPECT_EQ(pixelsOf(display), pixelsOf(run.document.source()));
    for (std::size_t i = 0; i < shown.size(); ++i)
        ASSERT_EQ(display.bits()[i] & 0x00FFFFFFu, shown[i] & 0x00FFFFFFu) << i;  // only the border's alpha differs
    ASSERT_TRUE(run.filter("Invert"));
    EXPECT_EQ(run.document.display().pixel(5, 7), shown[7 * kWidth + 5] ^ 0x00FFFFFFu);
}

// A run that ends in a fault or a cancel changed nothing a person could
// undo or save: no step, no "changed" mark, on a fresh picture and after a
// run that did change it.
TEST(FilterApplication, AFaultOrACancelLeavesNoStepAndNoChangedMark) {
    for (const bool afterARun : {false, true}) {
        for (const char* after : {"Crash", "Exit", "Garbage", "Cancel"}) {
            SCOPED_TRACE(std::string(after) + (afterARun ? " after a run" : " first"));
            FilterSession run;
            if (afterARun) {
                ASSERT_TRUE(run.filter("Invert"));
            }
            run.document.markSaved();
            const bool couldUndo = run.document.canUndo();
            try {
                run.filter(std::string("Scribble, then ") + after);
            } catch (const filterproc::RunnerFault&) {
            }
            EXPECT_FALSE(run.document.isModified());
            EXPECT_EQ(run.document.canUndo(), couldUndo);
            EXPECT_FALSE(run.document.canRedo());
        }
    }
}

}  // namespace mugwarp
