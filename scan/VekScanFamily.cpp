#include "scan/VekScanFamily.h"

namespace orvel {

namespace {

struct TFamilyNames {
    TVekScanFamily family;
    const char* name;
    const char* folder;
    const char* buttonText;
};

constexpr std::array<TFamilyNames, 5> familyNames = {{
    {TVekScanFamily::oneD, "1d", "images", "Scan 1D files"},
    {TVekScanFamily::pdf417, "pdf417", "PDF417Images", "Scan PDF417"},
    {TVekScanFamily::datamatrix, "datamatrix", "DatamatrixImages", "Scan Datamatrix"},
    {TVekScanFamily::qrcode, "qr", "QRCodeImages", "Scan QRCode"},
    {TVekScanFamily::aztec, "aztec", "AztecImages", "Scan AztecCode"},
}};

const TFamilyNames& namesOf(TVekScanFamily family) {
    for (const TFamilyNames& names : familyNames) {
        if (names.family == family) return names;
    }
    return familyNames.front();  // unreachable: every enumerator has an entry
}

}  // namespace

std::string familyName(TVekScanFamily family) { return namesOf(family).name; }

std::optional<TVekScanFamily> familyFromName(std::string_view name) {
    for (const TFamilyNames& names : familyNames) {
        if (name == names.name) return names.family;
    }
    return std::nullopt;
}

std::string familyFolder(TVekScanFamily family) { return namesOf(family).folder; }

std::string familyButtonText(TVekScanFamily family) { return namesOf(family).buttonText; }

}  // namespace orvel
