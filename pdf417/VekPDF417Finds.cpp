#include "pdf417/VekPDF417Finds.h"

#include <algorithm>
#include <cmath>

namespace orvel {

bool TVekPDF417Finds::inside(const std::array<TVekPointF, 4>& quad, TVekPointF p, double margin) {
    const double turn = cross(quad[1] - quad[0], quad[2] - quad[1]) > 0 ? 1 : -1;
    for (size_t i = 0; i < quad.size(); ++i) {
        const TVekPointF side = quad[(i + 1) % 4] - quad[i];
        const double length = std::hypot(side.x, side.y);
        if (turn * cross(side, p - quad[i]) < -margin * length) return false;
    }
    return true;
}

void TVekPDF417Finds::add(TVekBarcode barcode, double scale) {
    for (TVekPointF& corner : barcode.position) corner = (1 / scale) * corner;
    if (barcode.isValid) barcode.setOrientationFromPosition();
    draw(barcode);
    if (!barcode.isValid) {
        failures_.push_back(std::move(barcode));
        return;
    }
    const bool again = std::any_of(found_.begin(), found_.end(), [&barcode](const TVekBarcode& b) {
        return b.bytes == barcode.bytes && inside(b.position, barcode.centre());
    });
    if (!again) found_.push_back(std::move(barcode));
}

bool TVekPDF417Finds::covers(TVekPointF p, double margin) const {
    return std::any_of(found_.begin(), found_.end(),
                       [p, margin](const TVekBarcode& b) { return inside(b.position, p, margin); });
}

TVekBarcodes TVekPDF417Finds::take(bool withFailures) {
    TVekBarcodes found = std::move(found_);
    if (withFailures) {
        for (TVekBarcode& failure : failures_) {
            if (!std::any_of(found.begin(), found.end(),
                             [&failure](const TVekBarcode& b) { return inside(b.position, failure.centre()); })) {
                found.push_back(std::move(failure));
            }
        }
    }
    found_.clear();
    failures_.clear();
    return found;
}

void TVekPDF417Finds::draw(const TVekBarcode& barcode) const {
    if (debug_ == nullptr) return;
    const uint32_t colour = barcode.isValid ? 0x00C000u : 0xC00000u;
    for (size_t i = 0; i < barcode.position.size(); ++i) {
        debug_->line(barcode.position[i], barcode.position[(i + 1) % 4], colour);
    }
    if (!barcode.isValid) debug_->note(name_ + ": " + barcode.error);
}

}  // namespace orvel
