#include "foundation/VekMemoryBudget.h"

#include <algorithm>
#include <string>

#include "foundation/VekException.h"

namespace orvel {

namespace {

thread_local TVekMemoryBudget* currentBudget = nullptr;

size_t limitFor(int32_t width, int32_t height) {
    const size_t pixels = static_cast<size_t>(std::max(width, 0)) * static_cast<size_t>(std::max(height, 0));
    return std::max(pixels * TVekMemoryBudget::bytesPerPixel, TVekMemoryBudget::smallestLimit);
}

std::string megabytes(size_t bytes) { return std::to_string((bytes + (size_t{1} << 20) - 1) >> 20) + " MB"; }

}  // namespace

TVekMemoryBudget::TVekMemoryBudget(int32_t width, int32_t height)
    : TVekMemoryBudget(width, height, limitFor(width, height)) {}

TVekMemoryBudget::TVekMemoryBudget(int32_t width, int32_t height, size_t limit)
    : width_(width), height_(height), limit_(limit), previous_(currentBudget) {
    currentBudget = this;
}

TVekMemoryBudget::~TVekMemoryBudget() { currentBudget = previous_; }

void TVekMemoryBudget::charge(size_t bytes) {
    if (currentBudget != nullptr) currentBudget->add(bytes);
}

void TVekMemoryBudget::add(size_t bytes) {
    if (bytes > limit_ - charged_)
        throw TVekException("reading a " + std::to_string(width_) + " × " + std::to_string(height_) +
                            " picture needs more than its memory limit of " + megabytes(limit_));
    charged_ += bytes;
}

}  // namespace orvel
