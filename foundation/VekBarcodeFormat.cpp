#include "foundation/VekBarcodeFormat.h"

#include <cctype>

#include "foundation/VekSymbology.h"

namespace orvel {

namespace {

// Upper case without '-', '_' and spaces.
std::string canonical(std::string_view name) {
    std::string result;
    for (char c : name)
        if (c != '-' && c != '_' && c != ' ') result += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

bool isAlias(std::string_view aliases, std::string_view wanted) {
    size_t start = 0;
    while (start < aliases.size()) {
        size_t end = aliases.find(' ', start);
        if (end == std::string_view::npos) end = aliases.size();
        if (aliases.substr(start, end - start) == wanted) return true;
        start = end + 1;
    }
    return false;
}

}  // namespace

std::string formatName(TVekBarcodeFormat format) { return symbologyOf(format).name; }

std::optional<TVekBarcodeFormat> formatFromName(std::string_view name) {
    const std::string wanted = canonical(name);
    for (const TVekSymbology& row : symbologies())
        if (wanted == row.name || isAlias(row.aliases, wanted)) return row.format;
    return std::nullopt;
}

bool isLinearFormat(TVekBarcodeFormat format) { return symbologyOf(format).isLinear; }

TVekBarcodeFormats TVekBarcodeFormats::linear() {
    TVekBarcodeFormats result;
    for (const TVekSymbology& row : symbologies())
        if (row.isLinear) result.insert(row.format);
    return result;
}

std::optional<TVekBarcodeFormats> TVekBarcodeFormats::parse(std::string_view list) {
    TVekBarcodeFormats result;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find_first_of(", |", start);
        if (end == std::string_view::npos) end = list.size();
        const std::string_view name = list.substr(start, end - start);
        if (!name.empty()) {
            const std::optional<TVekBarcodeFormat> format = formatFromName(name);
            if (!format) return std::nullopt;
            result.insert(*format);
        }
        start = end + 1;
    }
    return result;
}

}  // namespace orvel
