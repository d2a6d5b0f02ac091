// The boxed-real list and the list of integer arrays.
#include <gtest/gtest.h>

#include "foundation/VekArrayVector.h"
#include "foundation/VekDouble.h"
#include "foundation/VekVector.h"

namespace orvel {
namespace {

TVekVector vectorOf(std::initializer_list<double> values) {
    TVekVector vector;
    for (double value : values) vector.add(value);
    return vector;
}

TEST(VekDoubleTest, IntValueRoundsTiesToEven) {
    EXPECT_EQ(TVekDouble(2.5).intValue(), 2);
    EXPECT_EQ(TVekDouble(3.5).intValue(), 4);
    EXPECT_EQ(TVekDouble(-0.5).intValue(), 0);
    EXPECT_EQ(TVekDouble(int32_t{7}).value, 7.0);
    EXPECT_EQ(TVekString("abc").value, "abc");
}

TEST(VekVectorTest, SortExchangesValuesNotBoxes) {
    TVekVector vector = vectorOf({3, 1, 2});
    const TVekDouble* boxes[] = {&vector.elementAt(0), &vector.elementAt(1), &vector.elementAt(2)};
    vector.sort();
    for (int32_t k = 0; k < 3; ++k) {
        EXPECT_EQ(&vector.elementAt(k), boxes[k]);
        EXPECT_EQ(vector.elementAtAsDouble(k), k + 1);
    }
    TVekVector mixed = vectorOf({5, -1, 5, 0, -1});
    mixed.sort();
    EXPECT_EQ(mixed.getCopy().size(), 5);
    const double sorted[] = {-1, -1, 0, 5, 5};
    for (int32_t k = 0; k < 5; ++k) EXPECT_EQ(mixed.elementAtAsDouble(k), sorted[k]);
}

TEST(VekVectorTest, SubListCopiesAndSkipsPositionsBeyondTheEnd) {
    const TVekVector vector = vectorOf({10, 20, 30});
    const TVekVector tail = vector.subList(2, 5);
    ASSERT_EQ(tail.size(), 1);
    EXPECT_EQ(tail.elementAtAsDouble(0), 30);
    EXPECT_NE(&tail.elementAt(0), &vector.elementAt(2));
    EXPECT_EQ(vector.subList(2, 2).size(), 0);
    EXPECT_EQ(vector.subList(3, 1).size(), 0);

    TVekVector copy = vector.getCopy();
    copy.elementAt(0).value = 99;
    EXPECT_EQ(vector.elementAtAsDouble(0), 10);
}

TEST(VekVectorTest, InsertRemoveAndFree) {
    TVekVector vector = vectorOf({1, 3});
    vector.insert(1, std::make_unique<TVekDouble>(2.0));
    vector.insert(3, std::make_unique<TVekDouble>(4.0));  // index = size appends
    EXPECT_EQ(vector.add(5.0), 4);
    EXPECT_EQ(vector.size(), 5);
    for (int32_t k = 0; k < 5; ++k) EXPECT_EQ(vector.elementAtAsDouble(k), k + 1);

    const TVekVector::TElement taken = vector.removeAt(0);
    EXPECT_EQ(taken->value, 1);
    vector.freeAt(0);
    EXPECT_EQ(vector.elementAtAsDouble(0), 3);
    const auto handedOn = vector.clear();
    EXPECT_EQ(handedOn.size(), 3u);
    EXPECT_EQ(vector.size(), 0);
    TVekVector more = vectorOf({1, 2});
    more.freecontent();
    EXPECT_EQ(more.size(), 0);
}

TEST(VekVectorTest, IndicesOutsideTheListRaise) {
    TVekVector vector = vectorOf({1});
    EXPECT_THROW(vector.elementAt(1), std::out_of_range);
    EXPECT_THROW(vector.elementAt(-1), std::out_of_range);
    EXPECT_THROW(vector.insert(2, std::make_unique<TVekDouble>(0.0)), std::out_of_range);
    EXPECT_THROW(vector.removeAt(1), std::out_of_range);
    EXPECT_THROW(vector.subList(-1, 1), std::out_of_range);
}

TEST(VekArrayVectorTest, GrowsBy100AndKeepsTheArrays) {
    TVekArrayVector arrays;
    EXPECT_EQ(arrays.capacity, 100);
    EXPECT_EQ(arrays.size(), 0);
    for (int32_t k = 0; k < 100; ++k) arrays.addElement(TVectorInteger{k});
    EXPECT_EQ(arrays.capacity, 100);
    arrays.addElement(TVectorInteger{100});
    EXPECT_EQ(arrays.capacity, 200);
    for (int32_t k = 0; k <= 100; ++k) ASSERT_EQ(arrays.elementAt(k), TVectorInteger{k});
    for (int32_t k = 101; k <= 200; ++k) arrays.addElement(TVectorInteger{k});
    EXPECT_EQ(arrays.capacity, 300);
    EXPECT_EQ(arrays.size(), 201);

    arrays.elementAt(5).push_back(7);  // the stored array itself, not a copy
    EXPECT_EQ(arrays.elementAt(5), (TVectorInteger{5, 7}));
    EXPECT_TRUE(arrays.elementAt(250).empty());
    EXPECT_THROW(arrays.elementAt(300), std::out_of_range);
}

}  // namespace
}  // namespace orvel
