#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace orvel {

// The five symbol families, in the order of the demonstration program's scan
// buttons.
enum class TVekScanFamily { oneD, pdf417, datamatrix, qrcode, aztec };

inline constexpr std::array<TVekScanFamily, 5> allScanFamilies = {
    TVekScanFamily::oneD, TVekScanFamily::pdf417, TVekScanFamily::datamatrix, TVekScanFamily::qrcode,
    TVekScanFamily::aztec};

// Short name used on the command line and in JSON: "1d", "pdf417",
// "datamatrix", "qr", "aztec".
std::string familyName(TVekScanFamily family);

// The family whose short name this is, if any.
std::optional<TVekScanFamily> familyFromName(std::string_view name);

// The folder the family's button scans, relative to the working directory.
std::string familyFolder(TVekScanFamily family);

// The text of the family's scan button.
std::string familyButtonText(TVekScanFamily family);

}  // namespace orvel
