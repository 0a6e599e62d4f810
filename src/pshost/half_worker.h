#pragma once
#include <functional>
#include <memory>

namespace mugwarp {

// Conversions of large blocks are bound by how fast one core moves bytes to
// and from memory; a second core moves nearly as many again. A HalfWorker
// keeps a second thread for them, started on first use and ended with the
// worker: starting a thread for each block costs too much (under Wine, near
// a millisecond).
class HalfWorker {
public:
    using Rows = std::function<void(int half, int from, int to)>;

    HalfWorker();
    ~HalfWorker();
    HalfWorker(const HalfWorker&) = delete;
    HalfWorker& operator=(const HalfWorker&) = delete;

    // rows(0, begin, middle) on this thread and rows(1, middle, end) on the
    // worker's, returning when both are done; all of it here on a machine of
    // one core or when no thread can be started. rows must not throw.
    void inTwoHalves(int begin, int end, const Rows& rows);

private:
    struct Job {
        const Rows* rows = nullptr;  // none: the thread ends
        int from = 0, to = 0;
    };
    struct Thread;
    std::unique_ptr<Thread> thread_;
    bool cannotStart_ = false;
};

// With a worker, its two halves; without one, everything on this thread.
inline void inHalves(HalfWorker* worker, int begin, int end, const HalfWorker::Rows& rows) {
    if (worker) {
        worker->inTwoHalves(begin, end, rows);
    } else {
        rows(0, begin, end);
    }
}

}  // namespace mugwarp
