#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/VekBarcodeFormat.h"

namespace orvel {

// The names the browser's Shape Detection API gives formats ("qr_code",
// "ean_13", ...). Formats it has no name for keep the symbology table's name
// in lower case ("identcode", "databarexpanded").
std::string detectorFormatName(TVekBarcodeFormat format);
// The format of a detector name, or of any name or alias the table accepts.
std::optional<TVekBarcodeFormat> formatOfAnyName(std::string_view name);
// The formats this build reads, in table order.
std::vector<TVekBarcodeFormat> readableFormats();

}  // namespace orvel
