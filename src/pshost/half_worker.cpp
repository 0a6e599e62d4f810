#include "pshost/half_worker.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#endif

namespace mugwarp {

namespace {

unsigned cores() {
#ifdef _WIN32
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwNumberOfProcessors;
#else
    return std::thread::hardware_concurrency();
#endif
}

}  // namespace

#ifdef _WIN32

// The Windows runners' compilers may come without std::thread: two events,
// one each way.
struct HalfWorker::Thread {
    HANDLE go = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE thread = nullptr;
    Job job;

    static DWORD WINAPI loop(LPVOID self) {
        auto* t = static_cast<Thread*>(self);
        for (;;) {
            WaitForSingleObject(t->go, INFINITE);
            if (!t->job.rows) return 0;
            (*t->job.rows)(1, t->job.from, t->job.to);
            SetEvent(t->done);
        }
    }
    bool start() {
        if (go && done) thread = CreateThread(nullptr, 0, loop, this, 0, nullptr);
        return thread != nullptr;
    }
    void hand(const Job& j) {
        job = j;
        SetEvent(go);
    }
    void waitDone() { WaitForSingleObject(done, INFINITE); }
    ~Thread() {
        if (thread) {
            hand({});
            WaitForSingleObject(thread, INFINITE);
            CloseHandle(thread);
        }
        if (go) CloseHandle(go);
        if (done) CloseHandle(done);
    }
};

#else

struct HalfWorker::Thread {
    std::mutex mutex;
    std::condition_variable changed;
    bool handed = false, finished = false;
    Job job;
    std::thread thread;

    bool start() {
        try {
            thread = std::thread([this] { loop(); });
            return true;
        } catch (const std::system_error&) {
            return false;  // out of threads, as a confined runner may be
        }
    }
    void loop() {
        for (;;) {
            std::unique_lock lock(mutex);
            changed.wait(lock, [this] { return handed; });
            handed = false;
            const Job j = job;
            lock.unlock();
            if (!j.rows) return;
            (*j.rows)(1, j.from, j.to);
            lock.lock();
            finished = true;
            changed.notify_all();
        }
    }
    void hand(const Job& j) {
        const std::lock_guard lock(mutex);
        job = j;
        handed = true;
        changed.notify_all();
    }
    void waitDone() {
        std::unique_lock lock(mutex);
        changed.wait(lock, [this] { return finished; });
        finished = false;
    }
    ~Thread() {
        if (thread.joinable()) {
            hand({});
            thread.join();
        }
    }
};

#endif

HalfWorker::HalfWorker() = default;
HalfWorker::~HalfWorker() = default;

void HalfWorker::inTwoHalves(int begin, int end, const Rows& rows) {
    const int middle = begin + (end - begin) / 2;
    if (!thread_ && !cannotStart_ && middle > begin) {
        cannotStart_ = cores() < 2;
        if (!cannotStart_) {
            thread_ = std::make_unique<Thread>();
            if (!thread_->start()) {
                thread_.reset();
                cannotStart_ = true;
            }
        }
    }
    if (!thread_ || middle == begin) {
        rows(0, begin, end);
        return;
    }
    thread_->hand({&rows, middle, end});
    rows(0, begin, middle);
    thread_->waitDone();
}

}  // namespace mugwarp
