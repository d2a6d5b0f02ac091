#pragma once

#include <cstddef>
#include <cstdint>

namespace orvel {

// What one read may allocate for grey pictures and bit matrices: a fixed
// multiple of the picture's pixels. Those buffers are the only allocations
// that grow with the picture (candidate lists are capped by count), so a
// picture that would drive the readers into scaled copies and binarizations
// past the limit stops with an error naming it, instead of taking the
// machine's memory.
//
// A budget installs itself as the calling thread's budget for its lifetime
// and puts the previous one back when it goes, so reads on other threads
// and nested reads keep their own. Without a budget, charging costs nothing.
class TVekMemoryBudget {
public:
    // Bytes per pixel of the picture a read may allocate in total: the grey
    // picture, its binarizations, inverted and ×2 upscaled copies with
    // theirs, several times over across the families.
    // Reads of the corpus pictures, trying harder, took at most 126 bytes
    // per pixel, and those were tiny pictures upscaled ×3.
    static constexpr size_t bytesPerPixel = 128;
    // Small pictures get at least this much, so that module matrices and
    // upscaled copies of a small picture never meet the limit.
    static constexpr size_t smallestLimit = size_t{256} << 20;

    // The limit for a picture of that size.
    TVekMemoryBudget(int32_t width, int32_t height);
    // A limit of one's own, in bytes.
    TVekMemoryBudget(int32_t width, int32_t height, size_t limit);
    ~TVekMemoryBudget();
    TVekMemoryBudget(const TVekMemoryBudget&) = delete;
    TVekMemoryBudget& operator=(const TVekMemoryBudget&) = delete;

    size_t limit() const { return limit_; }
    size_t charged() const { return charged_; }

    // Counts `bytes` against the calling thread's budget, if it has one,
    // before they are allocated; past the limit it throws a TVekException
    // naming the picture's size and the limit.
    static void charge(size_t bytes);

private:
    void add(size_t bytes);

    int32_t width_;
    int32_t height_;
    size_t limit_;
    size_t charged_ = 0;
    TVekMemoryBudget* previous_;
};

}  // namespace orvel
