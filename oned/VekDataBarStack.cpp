#include "oned/VekDataBarStack.h"

#include <string>

namespace orvel {

namespace {

bool nearModules(double width, double modules, double moduleSize) {
    return width > (modules - 0.6) * moduleSize && width < (modules + 0.8) * moduleSize;
}

}  // namespace

void TVekDataBarStack::add(const TSeen& seen, int line) {
    for (TSeen& known : pairs_) {
        if (known.isLeft != seen.isLeft || known.pair.outer != seen.pair.outer ||
            known.pair.inner != seen.pair.inner || known.pair.finder != seen.pair.finder)
            continue;
        if (distance(known.centre(), seen.centre()) > distance(known.begin, known.end)) continue;
        if (known.lastLine != line) ++known.lines, known.lastLine = line;
        return;
    }
    if (pairs_.size() >= maximumPairs) return;
    pairs_.push_back(seen);
    pairs_.back().lastLine = line;
}

void TVekDataBarStack::collect(const TVekBarRow& row, int line) {
    for (size_t start = 2; start + 21 <= row.size(); ++start) {
        if (!TVekDataBarLineDecoder::finderShaped(row, start + 8, false)) continue;
        TSeen seen;
        if (!TVekDataBarLineDecoder::readPair(TVekDataBarElements(row, start, false), seen.pair)) continue;
        // The guard's bar of one module before the outer character.
        if (!nearModules(row.width(start - 1), 1, seen.pair.moduleSize)) continue;
        seen.isLeft = !TVekBarRow::isBar(start);
        seen.begin = row.point(row.start(start - 1));
        seen.end = row.point(row.end(start + 20));
        add(seen, line);
        start += 20;
    }
}

TVekBarcodes TVekDataBarStack::results(bool inverted) const {
    TVekBarcodes found;
    for (const TSeen& left : pairs_) {
        if (!left.isLeft) continue;
        for (const TSeen& right : pairs_) {
            if (right.isLeft || left.lines + right.lines < 3) continue;
            // The rows lie one above the other, a pair's length apart at most.
            const double length = distance(left.begin, left.end);
            if (distance(left.begin, right.end) > length || distance(left.end, right.begin) > length) continue;
            const std::string text = TVekDataBarLineDecoder::content(left.pair, right.pair);
            if (text.empty()) continue;
            bool known = false;
            for (const TVekBarcode& barcode : found) known = known || barcode.bytes == text;
            if (known) continue;
            TVekBarcode barcode;
            barcode.format = TVekBarcodeFormat::dataBar;
            barcode.bytes = text;
            barcode.symbologyIdentifier = "]e0";
            barcode.isInverted = inverted;
            barcode.position = {left.begin, left.end, right.begin, right.end};
            if (cross(left.end - left.begin, right.end - left.begin) < 0)
                barcode.position = {right.end, right.begin, left.end, left.begin};
            barcode.setOrientationFromPosition();
            found.push_back(barcode);
        }
    }
    return found;
}

}  // namespace orvel
