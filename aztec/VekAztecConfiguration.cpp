#include "aztec/VekAztecConfiguration.h"

namespace orvel {

namespace {

constexpr TVekAztecConfigurationRow row(int32_t layers, int32_t size, int32_t codewords, int32_t wordSize,
                                        int32_t compact) {
    return {layers, size, size, codewords, wordSize, codewords * wordSize, compact};
}

}  // namespace

const std::array<TVekAztecConfigurationRow, AZ_CONF_ROWS> AZTEC_CONFIGURATIONS = {{
    row(1, 15, 17, 6, 1),      row(1, 19, 21, 6, 0),      row(2, 19, 40, 6, 1),      row(2, 23, 48, 6, 0),
    row(3, 23, 51, 8, 1),      row(3, 27, 60, 8, 0),      row(4, 27, 76, 8, 1),      row(4, 31, 88, 8, 0),
    row(5, 37, 120, 8, 0),     row(6, 41, 156, 8, 0),     row(7, 45, 196, 8, 0),     row(8, 49, 240, 8, 0),
    row(9, 53, 230, 10, 0),    row(10, 57, 272, 10, 0),   row(11, 61, 316, 10, 0),   row(12, 67, 364, 10, 0),
    row(13, 71, 416, 10, 0),   row(14, 75, 470, 10, 0),   row(15, 79, 528, 10, 0),   row(16, 83, 588, 10, 0),
    row(17, 87, 652, 10, 0),   row(18, 91, 720, 10, 0),   row(19, 95, 790, 10, 0),   row(20, 101, 864, 10, 0),
    row(21, 105, 940, 10, 0),  row(22, 109, 1020, 10, 0), row(23, 113, 920, 12, 0),  row(24, 117, 992, 12, 0),
    row(25, 121, 1066, 12, 0), row(26, 125, 1144, 12, 0), row(27, 131, 1224, 12, 0), row(28, 135, 1306, 12, 0),
    row(29, 139, 1392, 12, 0), row(30, 143, 1480, 12, 0), row(31, 147, 1570, 12, 0), row(32, 151, 1664, 12, 0),
}};

int32_t findAztecConfiguration(int32_t layers, bool compact) {
    for (int32_t i = 0; i < AZ_CONF_ROWS; ++i) {
        const auto& r = AZTEC_CONFIGURATIONS[static_cast<size_t>(i)];
        if (r[AZ_CONF_LAYERS] == layers && r[AZ_CONF_COMPACT] == (compact ? 1 : 0)) return i;
    }
    return -1;
}

}  // namespace orvel
