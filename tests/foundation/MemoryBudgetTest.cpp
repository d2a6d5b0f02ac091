#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "foundation/VekBitMatrix.h"
#include "foundation/VekException.h"
#include "foundation/VekGreyImage.h"
#include "foundation/VekMemoryBudget.h"

namespace orvel {
namespace {

std::string budgetError(auto allocate) {
    try {
        allocate();
    } catch (const TVekException& error) {
        return error.what();
    }
    return "";
}

TEST(MemoryBudget, StopsTheReadThatPassesItsLimitNamingPictureAndLimit) {
    const TVekGreyImage picture(500, 400, 128);
    TVekMemoryBudget budget(500, 400, size_t{1} << 20);
    const TVekGreyImage upscaled = picture.upscaled(2);  // 800,000 bytes: within the limit
    EXPECT_EQ(budget.charged(), 800'000u);
    const std::string message = budgetError([&] { TVekBitMatrix bits(upscaled.width(), upscaled.height()); });
    EXPECT_EQ(message, "reading a 500 × 400 picture needs more than its memory limit of 1 MB");
    EXPECT_EQ(budget.charged(), 800'000u) << "a refused allocation is not counted";
}

TEST(MemoryBudget, BelongsToItsThreadAndScope) {
    TVekMemoryBudget outer(10, 10, 1000);
    {
        TVekMemoryBudget inner(10, 10, 100);
        EXPECT_FALSE(budgetError([] { TVekBitMatrix bits(100, 100); }).empty());
    }
    EXPECT_NO_THROW(TVekBitMatrix(30, 30));
    EXPECT_EQ(outer.charged(), 900u);
    std::thread other([] { EXPECT_NO_THROW(TVekGreyImage(1000, 1000)); });
    other.join();
    EXPECT_EQ(outer.charged(), 900u);
}

TEST(MemoryBudget, ScalesWithThePictureAboveAFloor) {
    EXPECT_EQ(TVekMemoryBudget(10, 10).limit(), TVekMemoryBudget::smallestLimit);
    EXPECT_EQ(TVekMemoryBudget(4000, 3000).limit(), size_t{12'000'000} * TVekMemoryBudget::bytesPerPixel);
}

}  // namespace
}  // namespace orvel
