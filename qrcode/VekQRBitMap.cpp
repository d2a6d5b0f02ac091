#include "qrcode/VekQRBitMap.h"

#include <algorithm>

#include "qrcode/VekQRTables.h"

namespace orvel {

namespace {

constexpr int32_t kFormatBits = 15;

}  // namespace

void TVekQRBitMap::setBit(int32_t x, int32_t y, int32_t code) {
    if (x < 0 || y < 0 || x >= maxX || y >= maxY) return;
    modules[static_cast<size_t>(x) * maxY + y] = code;
}

int32_t TVekQRBitMap::getBit(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= maxX || y >= maxY) return FREE;
    return modules[static_cast<size_t>(x) * maxY + y];
}

void TVekQRBitMap::fill(int32_t x0, int32_t y0, int32_t width, int32_t height, int32_t code) {
    for (int32_t x = x0; x < x0 + width; ++x)
        for (int32_t y = y0; y < y0 + height; ++y) setBit(x, y, code);
}

void TVekQRBitMap::init(int32_t maxX_, int32_t maxY_, bool placeFormat, int32_t version_) {
    maxX = std::max(0, maxX_);
    maxY = std::max(0, maxY_);
    version = version_;
    modules.assign(static_cast<size_t>(maxX) * maxY, FREE);
    const int32_t n = maxX;
    const int32_t m = maxY;

    for (const auto& [fx, fy] : {std::pair{0, 0}, std::pair{n - 7, 0}, std::pair{0, m - 7}}) {
        fill(fx, fy, 7, 7, FINDER_DARK);
        fill(fx + 1, fy + 1, 5, 5, FINDER_LIGHT);
        fill(fx + 2, fy + 2, 3, 3, FINDER_DARK);
    }

    fill(7, 0, 1, 8, SEPARATOR);
    fill(0, 7, 8, 1, SEPARATOR);
    fill(n - 8, 0, 1, 8, SEPARATOR);
    fill(n - 8, 7, 8, 1, SEPARATOR);
    fill(0, m - 8, 8, 1, SEPARATOR);
    fill(7, m - 8, 1, 8, SEPARATOR);

    const auto coordinates = qrAlignmentCoordinates(version);
    for (int32_t a : coordinates) {
        for (int32_t b : coordinates) {
            const int32_t centre = getBit(a, b);
            if (centre == FINDER_LIGHT || centre == FINDER_DARK) continue;
            fill(a - 2, b - 2, 5, 5, ALIGNMENT_DARK);
            fill(a - 1, b - 1, 3, 3, SEPARATOR);
            setBit(a, b, ALIGNMENT_DARK);
        }
    }

    if (placeFormat) {
        for (int32_t y : {0, 1, 2, 3, 4, 5, 7, 8}) setBit(8, y, FORMAT_LIGHT);
        for (int32_t y = m - 7; y < m; ++y) setBit(8, y, FORMAT_LIGHT);
        for (int32_t x = n - 8; x < n; ++x) setBit(x, 8, FORMAT_LIGHT);
        for (int32_t x : {0, 1, 2, 3, 4, 5, 7}) setBit(x, 8, FORMAT_LIGHT);
        setBit(8, m - 8, FORMAT_DARK);
    }

    if (version >= 7) {
        for (int32_t i = 0; i < 18; ++i) {
            setBit(i / 3, m - 11 + i % 3, VERSION_LIGHT);
            setBit(n - 11 + i % 3, i / 3, VERSION_LIGHT);
        }
    }

    for (int32_t i = 8; i <= n - 9; ++i) setBit(i, 6, i % 2 == 0 ? TIMING_DARK : TIMING_LIGHT);
    for (int32_t j = 8; j <= m - 9; ++j) setBit(6, j, j % 2 == 0 ? TIMING_DARK : TIMING_LIGHT);
}

void TVekQRBitMap::init2(const TIntegerMatrix& matrix, int32_t version_) {
    const int32_t columns = static_cast<int32_t>(matrix.size());
    const int32_t rows = columns > 0 ? static_cast<int32_t>(matrix[0].size()) : 0;
    init(columns, rows, false, version_);
    for (int32_t x = 0; x < maxX; ++x) {
        for (int32_t y = 0; y < maxY; ++y) {
            if (getBit(x, y) != FREE) continue;
            const bool dark = y < static_cast<int32_t>(matrix[x].size()) && matrix[x][y] != 0;
            setBit(x, y, dark ? DATA_DARK : DATA_LIGHT);
        }
    }
}

int32_t TVekQRBitMap::getErrors(const std::string& a, const std::string& b) {
    const size_t length = std::min(a.size(), b.size());
    int32_t errors = 0;
    for (size_t i = 0; i < length; ++i)
        if (a[i] != b[i]) ++errors;
    return errors;
}

std::string TVekQRBitMap::readFormat(bool columnReading) const {
    const int32_t n = maxX;
    const int32_t m = maxY;
    uint32_t value = 0;
    int32_t bit = 0;
    auto add = [&](int32_t x, int32_t y) {
        if (isBlack(x, y)) value |= 1u << bit;
        ++bit;
    };
    if (columnReading) {
        for (int32_t y : {0, 1, 2, 3, 4, 5, 7, 8}) add(8, y);
        for (int32_t y = m - 7; y < m; ++y) add(8, y);
    } else {
        for (int32_t x = n - 1; x >= n - 8; --x) add(x, 8);
        for (int32_t x : {7, 5, 4, 3, 2, 1, 0}) add(x, 8);
    }
    std::string text(kFormatBits, '0');
    for (int32_t i = 0; i < kFormatBits; ++i)
        if (value & (1u << (kFormatBits - 1 - i))) text[i] = '1';
    return text;
}

int32_t TVekQRBitMap::getFormatInformation() const {
    const std::string readingA = readFormat(true);
    const std::string readingB = readFormat(false);
    for (int32_t i = 0; i < kQRFormatCount; ++i) {
        if (readingA == qrFormatString(i) || readingB == qrFormatString(i)) return i;
    }
    int32_t best = kFormatBits;
    int32_t result = 0;
    for (int32_t i = 0; i < kQRFormatCount; ++i) {
        for (const std::string* reading : {&readingA, &readingB}) {
            const int32_t d = getErrors(qrFormatString(i), *reading);
            if (d < best) {
                best = d;
                result = i;
            }
        }
    }
    return result;
}

bool TVekQRBitMap::maskCondition(int32_t mask, int32_t i, int32_t j) {
    switch (mask) {
        case 0: return (i + j) % 2 == 0;
        case 1: return i % 2 == 0;
        case 2: return j % 3 == 0;
        case 3: return (i + j) % 3 == 0;
        case 4: return (i / 2 + j / 3) % 2 == 0;
        case 5: return (i * j) % 2 + (i * j) % 3 == 0;
        case 6: return ((i * j) % 2 + (i * j) % 3) % 2 == 0;
        case 7: return ((i * j) % 3 + (i + j) % 2) % 2 == 0;
        default: return false;
    }
}

void TVekQRBitMap::doMask(int32_t mask) {
    for (int32_t j = 0; j < maxX; ++j) {
        for (int32_t i = 0; i < maxY; ++i) {
            const int32_t code = getBit(j, i);
            if (code != DATA_LIGHT && code != DATA_DARK && code != FREE) continue;
            if (!maskCondition(mask, i, j)) continue;
            setBit(j, i, code == DATA_DARK ? DATA_LIGHT : DATA_DARK);
        }
    }
}

template <typename Visit>
void TVekQRBitMap::forEachDataPosition(int32_t count, Visit visit) const {
    TVekQRBitMap dataMap;
    dataMap.init(maxX, maxY, true, version);

    struct Cursor {
        int32_t x;
        int32_t y;
        int32_t direction;
    };
    // The right and the left column of the current column pair; both turn at
    // the ends and step over the vertical timing column 6.
    Cursor cursors[2] = {{maxX - 1, maxY, -1}, {maxX - 2, maxY, -1}};
    auto advance = [&](Cursor& c) {
        c.y += c.direction;
        if (c.y < 0 || c.y >= maxY) {
            c.y = c.y < 0 ? 0 : maxY - 1;
            c.direction = -c.direction;
            c.x -= (c.x == 7 || c.x == 8) ? 3 : 2;
        }
    };
    int32_t used = 0;
    int32_t turn = 0;
    while (used < count) {
        Cursor& c = cursors[turn];
        turn = 1 - turn;
        advance(c);
        if (cursors[0].x < 0 && cursors[1].x < 0) break;  // the map has no more positions
        if (c.x < 0 || dataMap.getBit(c.x, c.y) != FREE) continue;
        visit(c.x, c.y);
        ++used;
    }
}

TVectorInteger TVekQRBitMap::extractCodewords(int32_t count) const {
    TVectorInteger codewords(std::max(0, count), 0);
    int32_t bit = 0;
    forEachDataPosition(8 * std::max(0, count), [&](int32_t x, int32_t y) {
        if (isBlack(x, y)) codewords[bit / 8] |= 0x80 >> (bit % 8);
        ++bit;
    });
    return codewords;
}

void TVekQRBitMap::placeCodewords(const TVectorInteger& codewords) {
    const int32_t count = static_cast<int32_t>(codewords.size());
    int32_t bit = 0;
    TVekQRBitMap& self = *this;
    forEachDataPosition(8 * count, [&](int32_t x, int32_t y) {
        const bool dark = (codewords[bit / 8] >> (7 - bit % 8)) & 1;
        self.setBit(x, y, dark ? DATA_DARK : DATA_LIGHT);
        ++bit;
    });
    for (auto& code : modules)
        if (code == FREE) code = DATA_LIGHT;
}

void TVekQRBitMap::placeFormat(int32_t formatValue) {
    const std::string text = qrFormatString(formatValue);
    if (text.size() != static_cast<size_t>(kFormatBits)) return;
    auto bitAt = [&](int32_t bit) { return text[kFormatBits - 1 - bit] == '1'; };
    const int32_t n = maxX;
    const int32_t m = maxY;
    int32_t bit = 0;
    for (int32_t y : {0, 1, 2, 3, 4, 5, 7, 8}) setBit(8, y, bitAt(bit++) ? FORMAT_DARK : FORMAT_LIGHT);
    for (int32_t y = m - 7; y < m; ++y) setBit(8, y, bitAt(bit++) ? FORMAT_DARK : FORMAT_LIGHT);
    bit = 0;
    for (int32_t x = n - 1; x >= n - 8; --x) setBit(x, 8, bitAt(bit++) ? FORMAT_DARK : FORMAT_LIGHT);
    for (int32_t x : {7, 5, 4, 3, 2, 1, 0}) setBit(x, 8, bitAt(bit++) ? FORMAT_DARK : FORMAT_LIGHT);
    setBit(8, m - 8, FORMAT_DARK);
}

TIntegerMatrix TVekQRBitMap::toMatrix() const {
    TIntegerMatrix matrix(maxX, std::vector<int32_t>(maxY, 0));
    for (int32_t x = 0; x < maxX; ++x)
        for (int32_t y = 0; y < maxY; ++y) matrix[x][y] = isBlack(x, y) ? 1 : 0;
    return matrix;
}

}  // namespace orvel
