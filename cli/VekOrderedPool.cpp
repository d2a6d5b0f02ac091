#include "cli/VekOrderedPool.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace orvel {

void TVekOrderedPool::run(size_t count, const std::function<void(size_t)>& work,
                          const std::function<void(size_t)>& emit) const {
    const size_t threads = std::min(static_cast<size_t>(threads_), count);
    if (threads <= 1) {
        for (size_t i = 0; i < count; ++i) {
            work(i);
            emit(i);
        }
        return;
    }
    std::atomic<size_t> next{0};
    std::mutex mutex;
    std::condition_variable finished;
    std::vector<char> done(count, 0);
    const auto worker = [&] {
        for (size_t i = next++; i < count; i = next++) {
            work(i);
            {
                const std::lock_guard<std::mutex> lock(mutex);
                done[i] = 1;
            }
            finished.notify_all();
        }
    };
    std::vector<std::jthread> pool;
    for (size_t t = 0; t < threads; ++t) pool.emplace_back(worker);
    for (size_t i = 0; i < count; ++i) {
        std::unique_lock<std::mutex> lock(mutex);
        finished.wait(lock, [&] { return done[i] != 0; });
        lock.unlock();
        emit(i);
    }
}

}  // namespace orvel
