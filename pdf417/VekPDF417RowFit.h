#pragma once

#include <cstdint>
#include <vector>

namespace orvel {

// Where the rows of a symbol lie along one of its edges: row = offset +
// slope · v, fitted to the rows that scan lines at v read, lines read in
// the wrong row left out.
struct TVekPDF417RowFit {
    struct TRead {
        double v;
        int32_t row;
    };

    double offset = 0;
    double slope = 0;
    int32_t inliers = 0;  // reads the fit keeps
    bool valid = false;   // a row or more per unit of v

    double rowAt(double v) const { return offset + slope * v; }
    double vOf(double row) const { return (row - offset) / slope; }

    static TVekPDF417RowFit fit(const std::vector<TRead>& reads);
};

}  // namespace orvel
