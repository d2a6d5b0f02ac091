#include "pdf417/VekPDF417RowFit.h"

#include <algorithm>
#include <cmath>

namespace orvel {

TVekPDF417RowFit TVekPDF417RowFit::fit(const std::vector<TRead>& reads) {
    TVekPDF417RowFit fit;
    std::vector<bool> used(reads.size(), true);
    for (int pass = 0; pass < 3; ++pass) {
        double n = 0, sv = 0, sr = 0, svv = 0, svr = 0;
        for (size_t i = 0; i < reads.size(); ++i) {
            if (!used[i]) continue;
            const double r = reads[i].row + 0.5;
            n += 1;
            sv += reads[i].v;
            sr += r;
            svv += reads[i].v * reads[i].v;
            svr += reads[i].v * r;
        }
        const double denominator = n * svv - sv * sv;
        if (n < 3 || std::abs(denominator) < 1e-12) return {};
        fit.slope = (n * svr - sv * sr) / denominator;
        fit.offset = (sr - fit.slope * sv) / n;
        // Lines read in the wrong row (a misread indicator or pattern)
        // leave the fit.
        const double tolerance = pass == 0 ? 2.0 : 0.8;
        for (size_t i = 0; i < reads.size(); ++i) {
            used[i] = std::abs(fit.offset + fit.slope * reads[i].v - (reads[i].row + 0.5)) <= tolerance;
        }
    }
    fit.inliers = static_cast<int32_t>(std::count(used.begin(), used.end(), true));
    fit.valid = std::abs(fit.slope) >= 1;
    return fit;
}

}  // namespace orvel
