#include "qrcode/VekRMQRTables.h"

#include <bit>

namespace orvel {

namespace {

constexpr TVekRMQRVersionInfo kVersions[kRMQRVersions] = {
    {7, 43, {1, 7, 6}, {1, 10, 3}, {4, 3, 3, 2}},
    {7, 59, {1, 9, 12}, {1, 14, 7}, {5, 5, 4, 3}},
    {7, 77, {1, 12, 20}, {1, 22, 10}, {6, 5, 5, 4}},
    {7, 99, {1, 16, 28}, {1, 30, 14}, {7, 6, 5, 5}},
    {7, 139, {1, 24, 44}, {2, 22, 24}, {7, 6, 6, 5}},
    {9, 43, {1, 9, 12}, {1, 14, 7}, {5, 5, 4, 3}},
    {9, 59, {1, 12, 21}, {1, 22, 11}, {6, 5, 5, 4}},
    {9, 77, {1, 18, 31}, {2, 16, 17}, {7, 6, 5, 5}},
    {9, 99, {1, 24, 42}, {2, 22, 22}, {7, 6, 6, 5}},
    {9, 139, {2, 18, 63}, {3, 22, 33}, {8, 7, 6, 6}},
    {11, 27, {1, 8, 7}, {1, 10, 5}, {4, 4, 3, 2}},
    {11, 43, {1, 12, 19}, {1, 20, 11}, {6, 5, 5, 4}},
    {11, 59, {1, 16, 31}, {2, 16, 15}, {7, 6, 5, 5}},
    {11, 77, {1, 24, 43}, {2, 22, 23}, {7, 6, 6, 5}},
    {11, 99, {2, 16, 57}, {2, 30, 29}, {8, 7, 6, 6}},
    {11, 139, {2, 24, 84}, {3, 30, 42}, {8, 7, 7, 6}},
    {13, 27, {1, 9, 12}, {1, 14, 7}, {5, 5, 4, 3}},
    {13, 43, {1, 14, 27}, {1, 28, 13}, {6, 6, 5, 5}},
    {13, 59, {1, 22, 38}, {2, 20, 20}, {7, 6, 6, 5}},
    {13, 77, {2, 16, 53}, {2, 28, 29}, {7, 7, 6, 6}},
    {13, 99, {2, 20, 73}, {3, 26, 35}, {8, 7, 7, 6}},
    {13, 139, {3, 20, 106}, {4, 28, 54}, {8, 8, 7, 7}},
    {15, 43, {1, 18, 33}, {2, 18, 15}, {7, 6, 6, 5}},
    {15, 59, {1, 26, 48}, {2, 24, 26}, {7, 7, 6, 5}},
    {15, 77, {2, 18, 67}, {3, 24, 31}, {8, 7, 7, 6}},
    {15, 99, {2, 24, 88}, {4, 22, 48}, {8, 7, 7, 6}},
    {15, 139, {3, 24, 127}, {5, 26, 69}, {9, 8, 7, 7}},
    {17, 43, {1, 22, 39}, {2, 20, 21}, {7, 6, 6, 5}},
    {17, 59, {2, 16, 56}, {2, 30, 28}, {8, 7, 6, 6}},
    {17, 77, {2, 22, 78}, {3, 28, 38}, {8, 7, 7, 6}},
    {17, 99, {3, 20, 100}, {4, 26, 56}, {8, 8, 7, 6}},
    {17, 139, {4, 20, 152}, {6, 26, 76}, {9, 8, 8, 7}},
};

constexpr int32_t kAlign43[] = {21};
constexpr int32_t kAlign59[] = {19, 39};
constexpr int32_t kAlign77[] = {25, 51};
constexpr int32_t kAlign99[] = {23, 49, 75};
constexpr int32_t kAlign139[] = {27, 55, 83, 111};

// BCH (18, 6), x^12 + x^11 + x^10 + x^9 + x^8 + x^5 + x^2 + 1, as QR Code's
// version information; each side has its own mask.
constexpr uint32_t kGenerator = 0x1F25;
constexpr uint32_t kFinderSideMask = 0x1FAB2;
constexpr uint32_t kSubFinderSideMask = 0x20A7B;
constexpr int32_t kMaxFormatErrors = 3;

uint32_t bch18(uint32_t data) {
    uint32_t v = data << 12;
    for (int32_t bit = 17; bit >= 12; --bit)
        if ((v >> bit) & 1) v ^= kGenerator << (bit - 12);
    return (data << 12) | v;
}

}  // namespace

const TVekRMQRVersionInfo* rmqrVersionInfo(int32_t index) {
    return index >= 0 && index < kRMQRVersions ? &kVersions[index] : nullptr;
}

std::span<const int32_t> rmqrAlignmentColumns(int32_t width) {
    switch (width) {
        case 43: return kAlign43;
        case 59: return kAlign59;
        case 77: return kAlign77;
        case 99: return kAlign99;
        case 139: return kAlign139;
        default: return {};
    }
}

TVekModulePosition rmqrFormatPosition(int32_t bit, bool subFinderSide, int32_t width, int32_t height) {
    if (!subFinderSide)
        return bit < 15 ? TVekModulePosition{8 + bit / 5, 1 + bit % 5} : TVekModulePosition{11, bit - 14};
    return bit < 15 ? TVekModulePosition{width - 8 + bit / 5, height - 6 + bit % 5}
                    : TVekModulePosition{width - 5 + bit - 15, height - 6};
}

uint32_t rmqrFormatBits(int32_t version, bool levelIsH, bool subFinderSide) {
    return bch18(static_cast<uint32_t>((levelIsH ? 32 : 0) | version)) ^
           (subFinderSide ? kSubFinderSideMask : kFinderSideMask);
}

std::optional<TVekRMQRFormat> rmqrReadFormat(uint32_t bits, bool subFinderSide) {
    std::optional<TVekRMQRFormat> best;
    for (int32_t value = 0; value < 2 * kRMQRVersions; ++value) {
        const bool h = value >= kRMQRVersions;
        const int32_t version = value % kRMQRVersions;
        const int32_t errors = std::popcount((rmqrFormatBits(version, h, subFinderSide) ^ bits) & 0x3FFFF);
        if (errors <= kMaxFormatErrors && (!best || errors < best->errors)) best = TVekRMQRFormat{version, h, errors};
    }
    return best;
}

}  // namespace orvel
