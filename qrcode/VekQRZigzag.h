#pragma once

#include <cstdint>

namespace orvel {

// The codeword placement of the QR family: two-module columns from the
// right edge, up the first, down the next and so on, the right module of a
// pair before the left one, function modules skipped. Micro QR and rMQR have
// no column to step over (QR Code's vertical timing pattern has its own
// placement in the bit map).
class TVekQRZigzag {
public:
    // Calls visit(column, row) for each data module in placement order.
    template <typename IsFunction, typename Visit>
    static void forEach(int32_t width, int32_t height, IsFunction isFunction, Visit visit) {
        bool upward = true;
        for (int32_t right = width - 1; right >= 1; right -= 2) {
            for (int32_t i = 0; i < height; ++i) {
                const int32_t row = upward ? height - 1 - i : i;
                for (int32_t column = right; column >= right - 1; --column)
                    if (!isFunction(column, row)) visit(column, row);
            }
            upward = !upward;
        }
    }
};

}  // namespace orvel
