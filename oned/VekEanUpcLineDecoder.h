#pragma once

#include <vector>

#include "foundation/VekBarcodeFormat.h"
#include "foundation/VekReaderOptions.h"
#include "oned/VekBarRow.h"
#include "oned/VekLinearRead.h"

namespace orvel {

// EAN-13, UPC-A, EAN-8 and UPC-E on one scan line: guards, digits by their
// edge-to-similar-edge distances, the parity of the left half, the check
// digit and the quiet zones on both sides, which keep a short symbol from
// being read inside a longer one. An add-on after the main symbol when asked.
class TVekEanUpcLineDecoder {
public:
    explicit TVekEanUpcLineDecoder(const TVekBarcodeFormats& formats, TVekEanAddOn addOn = TVekEanAddOn::ignore)
        : formats_(formats), addOn_(addOn) {}

    // `clues`, when given, counts the left halves (EAN-13, UPC-A, UPC-E) read of
    // symbols that did not read whole.
    void decode(const TVekBarRow& row, std::vector<TVekLinearRead>& reads, TVekLinearClues* clues = nullptr) const;
    // True when the row has a guard of three narrow elements with a quiet
    // zone on its outer side, read either way: a cheap test before a line
    // is looked at again.
    static bool hasOuterGuard(const TVekBarRow& row);

private:
    bool readEan13(const TVekBarRow& row, size_t start, double module, TVekLinearRead& read) const;
    bool readEan8(const TVekBarRow& row, size_t start, double module, TVekLinearRead& read) const;
    bool readUpcE(const TVekBarRow& row, size_t start, double module, TVekLinearRead& read) const;

    // An EAN-2 or EAN-5 add-on from element `gap`, the space after the main
    // symbol: its digits go after the main ones.
    static bool readAddOn(const TVekBarRow& row, size_t gap, double module, TVekLinearRead& read);
    static bool readAddOnOf(const TVekBarRow& row, size_t gap, size_t count, double module, TVekLinearRead& read);

    TVekBarcodeFormats formats_;
    TVekEanAddOn addOn_;
};

// True when the last digit is the modulo-10 check (weights 3 and 1 from the
// right) of the others.
bool hasEanCheckDigit(const std::string& digits);
// The twelve digits of UPC-A that a UPC-E number (number system, six digits,
// check digit) stands for.
std::string expandUpcE(const std::string& upcE);

}  // namespace orvel
