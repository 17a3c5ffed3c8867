#include "gfx/parallel.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace gfx {

namespace {

// The workers wait for a batch of bands; the dispatcher hands each worker one
// band index and waits until every band has run.
class RowPool {
public:
    static RowPool& Instance() {
        static RowPool pool;
        return pool;
    }

    int Threads() const { return threads_.load(); }
    void SetThreads(int threads) { threads_.store(std::max(1, threads)); }

    // False when the pool is busy: the caller then runs the work alone.
    bool TryRun(int bands, const std::function<void(int band)>& band) {
        std::unique_lock dispatch(dispatch_, std::try_to_lock);
        if (!dispatch.owns_lock()) return false;
        EnsureWorkers(bands - 1);
        std::exception_ptr failure;
        {
            std::lock_guard lock(mutex_);
            job_ = &band;
            failure_ = nullptr;
            next_ = 1;  // band 0 is the caller's
            bands_ = bands;
            pending_ = bands - 1;
            ++generation_;
        }
        wake_.notify_all();
        RunBand(band, 0);
        std::unique_lock lock(mutex_);
        done_.wait(lock, [this] { return pending_ == 0; });
        job_ = nullptr;
        failure = failure_;
        lock.unlock();
        if (failure) std::rethrow_exception(failure);
        return true;
    }

private:
    RowPool() : threads_(static_cast<int>(std::max(1u, std::thread::hardware_concurrency()))) {}
    ~RowPool() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        for (std::thread& worker : workers_) worker.join();
    }

    void EnsureWorkers(int count) {
        while (static_cast<int>(workers_.size()) < count) workers_.emplace_back([this] { Work(); });
    }

    void RunBand(const std::function<void(int)>& band, int index) {
        inBand = true;
        try {
            band(index);
        } catch (...) {
            std::lock_guard lock(mutex_);
            if (!failure_) failure_ = std::current_exception();
        }
        inBand = false;
    }

    void Work() {
        uint64_t seen = 0;
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [&] { return stopping_ || (generation_ != seen && next_ < bands_); });
            if (stopping_) return;
            const int index = next_++;
            if (next_ >= bands_) seen = generation_;
            const std::function<void(int)>* job = job_;
            lock.unlock();
            RunBand(*job, index);
            lock.lock();
            if (--pending_ == 0) done_.notify_one();
        }
    }

public:
    static thread_local bool inBand;

private:
    std::atomic<int> threads_;
    std::mutex dispatch_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::vector<std::thread> workers_;
    const std::function<void(int)>* job_ = nullptr;
    std::exception_ptr failure_;
    uint64_t generation_ = 0;
    int next_ = 0;
    int bands_ = 0;
    int pending_ = 0;
    bool stopping_ = false;
};

thread_local bool RowPool::inBand = false;

}  // namespace

int RowThreads() { return RowPool::Instance().Threads(); }

void SetRowThreads(int threads) { RowPool::Instance().SetThreads(threads); }

void ForEachRowBand(int64_t rows, int64_t minRows, const std::function<void(int64_t, int64_t)>& work) {
    if (rows <= 0) return;
    const int64_t most = std::max<int64_t>(1, rows / std::max<int64_t>(minRows, 1));
    const int bands = static_cast<int>(std::min<int64_t>(RowPool::Instance().Threads(), most));
    if (bands > 1 && !RowPool::inBand) {
        const auto band = [&](int index) {
            work(rows * index / bands, rows * (index + 1) / bands);
        };
        if (RowPool::Instance().TryRun(bands, band)) return;
    }
    work(0, rows);
}

}  // namespace gfx
