#include <gtest/gtest.h>

#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "pshost/half_worker.h"

namespace mugwarp::test {
namespace {

// Every row is done once, the first half here and the second on the one
// worker thread (which lasts from call to call); ranges too short to split
// stay here.
TEST(HalfWorker, EachRowOnceTheSecondHalfOnItsOwnThread) {
    HalfWorker worker;
    std::set<std::thread::id> workerThreads;
    struct Span {
        int begin, end;
    };
    for (const Span s : {Span{0, 0}, Span{0, 1}, Span{0, 2}, Span{5, 6}, Span{-3, 4}, Span{0, 3001}, Span{7, 9}}) {
        SCOPED_TRACE(std::to_string(s.begin) + " to " + std::to_string(s.end));
        std::vector<int> done(std::size_t(s.end - s.begin), 0);
        std::mutex m;
        std::vector<std::pair<int, int>> halves(2, {0, 0});
        std::thread::id second;
        worker.inTwoHalves(s.begin, s.end, [&](int half, int from, int to) {
            const std::lock_guard lock(m);
            halves[std::size_t(half)] = {from, to};
            if (half == 1) second = std::this_thread::get_id();
            for (int y = from; y < to; ++y) ++done[std::size_t(y - s.begin)];
        });
        for (const int d : done) ASSERT_EQ(d, 1);
        if (s.end - s.begin < 2) continue;
        const int middle = s.begin + (s.end - s.begin) / 2;
        EXPECT_EQ(halves[0], std::make_pair(s.begin, middle));
        EXPECT_EQ(halves[1], std::make_pair(middle, s.end));
        if (std::thread::hardware_concurrency() >= 2) {
            EXPECT_NE(second, std::this_thread::get_id());
            workerThreads.insert(second);
        }
    }
    EXPECT_LE(workerThreads.size(), 1u);
}

}  // namespace
}  // namespace mugwarp::test
