#pragma once

#include <cstddef>
#include <functional>

namespace orvel {

// Runs work(0) ... work(count - 1) on `threads` threads and hands each
// finished index to `emit` on the calling thread, in index order, as soon as
// it and every index before it are done: output stays in input order while
// later items are already being worked on. `work` must not raise; `emit` is
// never called concurrently. With one thread everything runs on the caller.
class TVekOrderedPool {
public:
    explicit TVekOrderedPool(int threads) : threads_(threads < 1 ? 1 : threads) {}

    void run(size_t count, const std::function<void(size_t)>& work, const std::function<void(size_t)>& emit) const;

private:
    int threads_;
};

}  // namespace orvel
