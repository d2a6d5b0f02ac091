#include "aztec/VekAztecOrientation.h"

namespace orvel {

namespace {

// The marks of an upright symbol: before, at and after each corner,
// clockwise from the top-left.
constexpr std::array<std::array<bool, 3>, 4> kMarks = {{{true, true, true},
                                                        {false, true, true},
                                                        {true, false, false},
                                                        {false, false, false}}};

// Frame corner i shows symbol corner (i + turns) % 4, or, mirrored, symbol
// corner (turns - i) mod 4 with its marks read backwards.
int32_t symbolCorner(int32_t frameCorner, int32_t turns, bool mirrored) {
    return mirrored ? ((turns - frameCorner) % 4 + 4) % 4 : (frameCorner + turns) % 4;
}

int32_t wrongMarks(const std::array<bool, 12>& marks, int32_t turns, bool mirrored) {
    int32_t wrong = 0;
    for (int32_t i = 0; i < 4; ++i) {
        const auto& expected = kMarks[static_cast<size_t>(symbolCorner(i, turns, mirrored))];
        for (int32_t b = 0; b < 3; ++b) {
            const bool want = expected[static_cast<size_t>(mirrored ? 2 - b : b)];
            if (marks[static_cast<size_t>(3 * i + b)] != want) ++wrong;
        }
    }
    return wrong;
}

}  // namespace

std::optional<TVekAztecOrientation> TVekAztecOrientation::match(const std::array<bool, 12>& marks,
                                                                int32_t maxWrong) {
    std::optional<TVekAztecOrientation> best;
    int32_t bestWrong = maxWrong + 1;
    bool tie = false;
    for (int32_t turns = 0; turns < 4; ++turns) {
        for (const bool mirrored : {false, true}) {
            const int32_t wrong = wrongMarks(marks, turns, mirrored);
            if (wrong < bestWrong) {
                best = TVekAztecOrientation{turns, mirrored};
                bestWrong = wrong;
                tie = false;
            } else if (wrong == bestWrong) {
                tie = true;
            }
        }
    }
    if (tie) return std::nullopt;
    return best;
}

std::array<std::array<int32_t, 2>, 12> TVekAztecOrientation::markModules(int32_t r) {
    return {{{-r, -r + 1}, {-r, -r}, {-r + 1, -r},
             {r - 1, -r}, {r, -r}, {r, -r + 1},
             {r, r - 1}, {r, r}, {r - 1, r},
             {-r + 1, r}, {-r, r}, {-r, r - 1}}};
}

TVekPerspectiveTransform TVekAztecOrientation::symbolToFrame() const {
    const TVekPerspectiveTransform::TQuad corners = {TVekPointF{-1, -1}, TVekPointF{1, -1}, TVekPointF{1, 1},
                                                     TVekPointF{-1, 1}};
    TVekPerspectiveTransform::TQuad frame{};
    for (int32_t i = 0; i < 4; ++i) frame[static_cast<size_t>(symbolCorner(i, turns, mirrored))] = corners[static_cast<size_t>(i)];
    // A square onto itself turned or reflected: never degenerate.
    return *TVekPerspectiveTransform::quadToQuad(corners, frame);
}

}  // namespace orvel
