#pragma once

#include <array>
#include <string>

#include "foundation/VekBarcode.h"
#include "foundation/VekDebugSink.h"
#include "foundation/VekPointF.h"

namespace orvel {

// What a photo reader of the PDF417 family has read from one picture: the
// symbols decoded, each once, and apart from them the ones that failed.
// Reads made on a scaled copy of the picture come back at its size; each is
// drawn on the debug sink (green decoded, red failed).
class TVekPDF417Finds {
public:
    // `name` leads the debug notes of failures; maxSymbols 0: no limit.
    TVekPDF417Finds(std::string name, int32_t maxSymbols, TVekDebugSink* debug)
        : name_(std::move(name)), maxSymbols_(maxSymbols), debug_(debug) {}

    // Within the convex quad, or less than `margin` pixels outside one of
    // its sides.
    static bool inside(const std::array<TVekPointF, 4>& quad, TVekPointF p, double margin = 0);

    // A read made on the picture scaled by `scale`: its corners come back to
    // the picture; a decoded symbol is kept unless read before at the same
    // place, a failure kept apart.
    void add(TVekBarcode barcode, double scale);
    // Whether p (in pixels of the picture) lies in a decoded symbol, or less
    // than `margin` pixels outside one.
    bool covers(TVekPointF p, double margin = 0) const;
    bool enough() const { return maxSymbols_ > 0 && static_cast<int32_t>(found_.size()) >= maxSymbols_; }
    bool empty() const { return found_.empty(); }
    size_t size() const { return found_.size(); }

    // The symbols decoded and, with `withFailures`, the failures none of
    // them covers; both lists are left empty.
    TVekBarcodes take(bool withFailures);

private:
    void draw(const TVekBarcode& barcode) const;

    std::string name_;
    int32_t maxSymbols_;
    TVekDebugSink* debug_;
    TVekBarcodes found_;
    TVekBarcodes failures_;
};

}  // namespace orvel
