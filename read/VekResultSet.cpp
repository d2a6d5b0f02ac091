#include "read/VekResultSet.h"

#include <algorithm>

namespace orvel {

namespace {

double extent(const TVekBarcode& barcode) {
    double longest = 0;
    for (size_t i = 0; i < 4; ++i) longest = std::max(longest, distance(barcode.position[i], barcode.position[(i + 1) % 4]));
    return longest;
}

}  // namespace

bool isSameSymbol(const TVekBarcode& a, const TVekBarcode& b) {
    if (a.format != b.format) return false;
    if (a.isValid && b.isValid && a.bytes != b.bytes) return false;
    const double reach = std::max(extent(a), extent(b));
    // A classic record gives one point only: its outline has no extent.
    if (extent(a) < 1 || extent(b) < 1) return a.isValid && b.isValid;
    return distance(a.centre(), b.centre()) < reach / 2;
}

TVekBarcode* TVekResultSet::sameSymbol(const TVekBarcode& barcode) {
    for (TVekBarcode& kept : barcodes_)
        if (isSameSymbol(kept, barcode)) return &kept;
    return nullptr;
}

void TVekResultSet::add(TVekBarcodes barcodes) {
    for (TVekBarcode& barcode : barcodes) add(std::move(barcode));
}

void TVekResultSet::add(TVekBarcode barcode) {
    if (!barcode.isValid && !options_.returnErrors) return;
    if (TVekBarcode* kept = sameSymbol(barcode)) {
        // A decoded symbol replaces the failed record of the same symbol.
        if (barcode.isValid && !kept->isValid) {
            *kept = std::move(barcode);
            ++validCount_;
        }
        return;
    }
    if (barcode.isValid) ++validCount_;
    barcodes_.push_back(std::move(barcode));
}

bool TVekResultSet::isComplete() const {
    return options_.maxSymbols > 0 && validCount_ >= options_.maxSymbols && !options_.tryHarder;
}

TVekBarcodes TVekResultSet::take() {
    std::stable_sort(barcodes_.begin(), barcodes_.end(), [](const TVekBarcode& a, const TVekBarcode& b) {
        if (a.isValid != b.isValid) return a.isValid;
        const TVekPointF ca = a.centre(), cb = b.centre();
        if (ca.y != cb.y) return ca.y < cb.y;
        return ca.x < cb.x;
    });
    if (options_.maxSymbols > 0 && validCount_ > options_.maxSymbols) {
        const auto firstFailed = std::find_if(barcodes_.begin(), barcodes_.end(), [](const TVekBarcode& b) { return !b.isValid; });
        barcodes_.erase(barcodes_.begin() + options_.maxSymbols, firstFailed);
    }
    validCount_ = 0;
    return std::move(barcodes_);
}

}  // namespace orvel
