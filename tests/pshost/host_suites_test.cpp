#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "filter_test_support.h"
#include "modules/probe_results.h"
#include "pshost/suite_abi.h"
#include "support/temp_dir.h"

namespace mugwarp::test {
namespace {

// Green = 10 x + 50 y, so a scaled read shows which pixels it took.
Picture greenRamp(int width, int height) {
    Picture p(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) p.at(x, y) = 0xFF000000u | std::uint32_t(10 * x + 50 * y) << 8;
    return p;
}

class HostSuites : public ::testing::Test {
protected:
    void SetUp() override { list.addModule(testModule("probe.8bf")); }
    // Runs the probe over a 4 x 4 picture; its answers are in the block the host keeps.
    probe::Results probeRun() { return probeRun(entryNamed(list, "Probe")); }
    probe::Results probeRun(PIPLManager& entry) {
        Picture picture = greenRamp(4, 4);
        EXPECT_TRUE(runFilter(host, entry, picture));
        probe::Results r{};
        const abi::Handle kept = host.keptParameters();
        if (kept) std::memcpy(&r, *kept, sizeof r);
        return r;
    }

    PSPluginList list;
    PSFilterHost host;
};

TEST_F(HostSuites, EverySuiteAndPropertyOfOursIsServedAndAnyOtherLoggedAsMissing) {
    ::setenv("MUGWARP_DEBUG_FILTERS", "1", 1);
    ::testing::internal::CaptureStderr();
    const probe::Results r = probeRun();
    const std::string log = ::testing::internal::GetCapturedStderr();
    ::unsetenv("MUGWARP_DEBUG_FILTERS");

    for (int i = 0; i < probe::kSuiteCount; ++i) {
        const bool served = i + 1 < probe::kSuiteCount;
        EXPECT_EQ(r.suiteError[i], served ? 0 : abi::kHostInsufficient) << probe::kSuites[i].name;
        EXPECT_EQ(r.suiteFound[i], served) << probe::kSuites[i].name;
    }
    const struct {
        std::int32_t error;
        std::int64_t simple;
        std::int32_t blockSize;
    } expected[probe::kPropertyCount] = {
        {0, 3, -1},       {0, 3, -1},       {0, 0, -1},       {0, 10 << 16, -1}, {0, 10 << 16, -1}, {0, 2, -1},
        {0, 0, -1},       {0, 4 << 16 | 4, -1}, {0, 4, -1},   {0, 4, -1},        {0, 0, -1},        {0, 0, -1},
        {0, 0, -1},       {0, -7, 0},       {0, -7, 0},       {0, -7, 0},        {abi::kHostInsufficient, -7, -1},
    };
    for (int i = 0; i < probe::kPropertyCount; ++i) {
        SCOPED_TRACE(probe::kProperties[i]);
        EXPECT_EQ(r.propertyError[i], expected[i].error);
        EXPECT_EQ(r.propertySimple[i], expected[i].simple);
        EXPECT_EQ(r.propertyBlockSize[i], expected[i].blockSize);
    }
    EXPECT_NE(log.find("not served: suite \"Photoshop Probe Unserved Suite\" version 7"), std::string::npos) << log;
    EXPECT_NE(log.find("not served: property 'zPRB'"), std::string::npos) << log;
    EXPECT_EQ(log.find("Buffer Suite"), std::string::npos) << log;
}

TEST_F(HostSuites, SuiteProceduresWorkAsTheRecordOnesDo) {
    host.setPlatformWindow(0x1234);
    const probe::Results r = probeRun();
    EXPECT_EQ(r.bufferSize, 100u);
    EXPECT_EQ(r.bufferSizeReported, 100u);
    EXPECT_TRUE(r.bufferCleared);
    EXPECT_TRUE(r.handleLockAddressRight);
    EXPECT_TRUE(r.handleWasLocked);
    EXPECT_TRUE(r.mainWindowRight);
    EXPECT_TRUE(r.tickCountRuns);
    // Bilinear halfway between 0, 100, 200 and 250; nearest to (0.375, 0.625) is 100.
    EXPECT_EQ(r.interpolateError, 0);
    EXPECT_EQ(r.bilinearMiddle, 138);
    EXPECT_EQ(r.nearestSample, 100);
}

TEST_F(HostSuites, ChannelPortsReadThePictureAtScale) {
    const probe::Results r = probeRun();
    EXPECT_EQ(r.portError, 0);
    EXPECT_EQ(r.portChannelType, abi::kChannelGreen);
    // Half size takes the pixels at the centres of each 2 x 2 square: columns and rows 1 and 3.
    const std::uint8_t expected[8] = {10 + 50, 30 + 50, 0, 0, 10 + 150, 30 + 150, 0, 0};
    EXPECT_EQ(std::memcmp(r.halfGreen, expected, 8), 0);
    EXPECT_EQ(std::vector<int>(r.wrote, r.wrote + 4), (std::vector<int>{0, 0, 2, 2}));
    EXPECT_EQ(r.unknownPortError, abi::kUnknownPortErr);
}

TEST_F(HostSuites, ResourcesStayWithTheirModuleForTheSession) {
    EXPECT_EQ(probeRun().resourcesBefore, 0);
    const probe::Results second = probeRun();
    EXPECT_EQ(second.resourcesBefore, 1);
    EXPECT_STREQ(second.firstResource, "run0");
    // The same code as another module file starts with none, and leaves the first one's alone.
    TempDir dir;
    std::filesystem::copy_file(testModule("probe.8bf"), dir.path("copy.8bf"));
    PSPluginList other;
    other.addModule(dir.path("copy.8bf"));
    EXPECT_EQ(probeRun(entryNamed(other, "Probe")).resourcesBefore, 0);
    EXPECT_EQ(probeRun().resourcesBefore, 2);
}

}  // namespace
}  // namespace mugwarp::test
