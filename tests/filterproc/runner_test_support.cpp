#include "runner_test_support.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>

#include "pshost/ps_filter_host.h"
#include "support/scoped_variable.h"
#include "support/temp_dir.h"

namespace mugwarp::test {

TestPicture::TestPicture(int w, int h) : width(w), height(h), pixels(std::size_t(w) * h) {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            pixels[std::size_t(y) * w + x] =
                0xFF000000u | std::uint32_t((x * 37 + y * 11) & 255) << 16 | std::uint32_t((x * y + 7) & 255) << 8 |
                std::uint32_t((x + 3 * y) * 5 & 255);
}

void ScriptedClient::colorServices(ColorRequest& request) {
    colourAsked = true;
    if (request.selector != abi::kChooseColor) return;
    for (int i = 0; i < 3; ++i) request.components[i] = chosenColour[i];
}

namespace {

std::vector<std::uint8_t>& fullMask(int w, int h) {
    static std::vector<std::uint8_t> mask;
    mask.assign(std::size_t(w) * h, 255);
    return mask;
}

}  // namespace

bool runInProcess(PIPLManager& entry, TestPicture& picture, FilterRunClient* client, bool repeat) {
    static PSFilterHost host;
    const MaskView mask{fullMask(picture.width, picture.height).data(), picture.width, picture.height, picture.width};
    host.setClient(client);
    host.setPicture(picture.view());
    host.setMask(&mask);
    host.openModule(entry);
    host.options.repeat = repeat;
    const bool finished = host.execute();
    host.closeModule();
    return finished;
}

bool runInRunner(filterproc::FilterRunnerHost& host, const PIPLManager& entry, TestPicture& picture,
                 FilterRunClient* client, bool repeat) {
    const MaskView mask{fullMask(picture.width, picture.height).data(), picture.width, picture.height, picture.width};
    host.setClient(client);
    host.setPicture(picture.view());
    host.setMask(&mask);
    host.options.repeat = repeat;
    return host.execute(entry);
}

PIPLManager& entryNamed(PSPluginList& list, const std::string& name) {
    for (int i = 0; i < list.count(); ++i)
        if (list.item(i).getName() == name) return list.item(i);
    ADD_FAILURE() << "no filter named " << name;
    throw std::runtime_error("missing filter " + name);
}

std::vector<std::uint32_t> probeResult(const TestPicture& picture, int amount) {
    std::vector<std::uint32_t> out = picture.pixels;
    for (std::uint32_t& p : out) {
        std::uint32_t q = p & 0xFF000000u;
        for (int shift : {16, 8, 0}) {
            std::uint32_t v = ((p >> shift) + std::uint32_t(amount)) & 0xFF;
            if (shift == 8 && (amount & 1)) v = 255 - v;
            q |= v << shift;
        }
        p = q;
    }
    return out;
}

RecordedProbe recordAndReplay(filterproc::FilterRunnerHost& host, const PIPLManager& probe, int amount,
                              filterproc::FilterRunnerHost* replayHost) {
    RecordedProbe r;
    ScriptedClient user;
    user.chosenColour[0] = std::int16_t(amount);
    TestPicture first(33, 21);
    host.options.startSettings = {};
    host.options.showDialog = true;
    EXPECT_TRUE(runInRunner(host, probe, first, &user));
    r.recorded = first.pixels;
    r.settings = host.lastSettings();

    ScriptedClient otherUser;
    otherUser.chosenColour[0] = std::int16_t(amount + 50);
    TestPicture second(33, 21);
    filterproc::FilterRunnerHost& replay = replayHost ? *replayHost : host;
    replay.options.startSettings = r.settings;
    replay.options.showDialog = false;
    try {
        EXPECT_TRUE(runInRunner(replay, probe, second, &otherUser));
    } catch (const std::exception& e) {
        ADD_FAILURE() << "the replay failed: " << e.what();
    }
    r.replayed = second.pixels;
    replay.options.startSettings = {};
    replay.options.showDialog = true;
    host.options.startSettings = {};
    host.options.showDialog = true;
    return r;
}

filterproc::RunnerLocations testRunnerLocations(const std::string& winePrefix) {
    filterproc::RunnerLocations where;
    where.nativeRunner = std::string(MUGWARP_RUNNER_DIR) + "/mugwarp-filter-runner";
    where.windowsRunner = std::string(MUGWARP_RUNNER_DIR) + "/mugwarp-filter-runner.exe";
    where.windowsRunner32 = std::string(MUGWARP_RUNNER_DIR) + "/mugwarp-filter-runner32.exe";
    where.wine = "/usr/lib/wine/wine64";
    where.wine32 = "/usr/lib/wine/wine";
    where.winePrefix = winePrefix;
    return where;
}

filterproc::FilterRunners& testRunners() {
    static filterproc::FilterRunners runners = [] {
        const filterproc::RunnerLocations where = testRunnerLocations(std::string(MUGWARP_BINARY_DIR) + "/wine-prefix");
        filterproc::RunnerTimings timings;
        timings.abortGraceMs = 300;
        return filterproc::FilterRunners(where, timings);
    }();
    return runners;
}

LoopbackListener::LoopbackListener() : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd_, 8) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (fd_ >= 0) ::close(fd_);
        throw std::runtime_error("no port could listen on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
}

LoopbackListener::~LoopbackListener() { ::close(fd_); }

ReachOutResult reachOut(const PIPLManager& entry, bool confined) {
    const LoopbackListener listener;
    TempDir home;
    ReachOutResult result;
    {
        const ScopedVariable port("MUGWARP_PROBE_PORT", std::to_string(listener.port()));
        const ScopedVariable homeVariable("HOME", home.dir().string());
        const ScopedVariable unconfined("MUGWARP_UNCONFINED_FILTERS", confined ? "0" : "1");
        filterproc::FilterRunners runners(testRunners().locations());
        filterproc::FilterRunnerHost host(runners);
        TestPicture picture(8, 8);
        EXPECT_TRUE(runInRunner(host, entry, picture));
        result.connected = (picture.pixels[0] >> 16 & 0xFF) == 1;
        result.wroteHome = (picture.pixels[0] >> 8 & 0xFF) == 1;
        EXPECT_EQ(result.wroteHome, std::filesystem::exists(home.dir() / "written-by-a-filter"));
        result.confinement = runners.runnerFor(filterproc::runnerKindFor(entry.moduleKind)).confinement();
    }
    return result;
}

}  // namespace mugwarp::test
