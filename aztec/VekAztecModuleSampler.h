#pragma once

#include <array>

#include "foundation/VekBitMatrix.h"
#include "foundation/VekPerspectiveTransform.h"
#include "foundation/VekPointF.h"

namespace orvel {

// Module coordinates to picture points through a perspective map whose
// coefficients are recovered once from the images of four points, so that a
// module costs one division and no call: a symbol is sampled some thousand
// times per candidate. A map too degenerate to recover is used as it is.
class TVekAztecModuleSampler {
public:
    explicit TVekAztecModuleSampler(const TVekPerspectiveTransform& map);

    TVekPointF at(double x, double y) const {
        if (!recovered_) return map_.map(TVekPointF{x, y});
        const double w = 1 / (m_[6] * x + m_[7] * y + 1);
        return {(m_[0] * x + m_[1] * y + m_[2]) * w, (m_[3] * x + m_[4] * y + m_[5]) * w};
    }

    TVekPointF at(TVekPointF p) const { return at(p.x, p.y); }

    // The binarized pixel under module (x, y); light outside the picture.
    bool dark(const TVekBitMatrix& bits, double x, double y) const {
        const TVekPointF p = at(x, y);
        if (!(p.x >= 0 && p.y >= 0 && p.x < bits.width() && p.y < bits.height())) return false;
        return bits.row(static_cast<int32_t>(p.y))[static_cast<int32_t>(p.x)] != 0;
    }

private:
    TVekPerspectiveTransform map_;
    // Row-major a b c / d e f / g h, the last coefficient 1.
    std::array<double, 8> m_{};
    bool recovered_ = false;
};

}  // namespace orvel
