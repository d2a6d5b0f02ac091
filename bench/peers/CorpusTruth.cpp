#include "peers/CorpusTruth.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "oned/VekEanUpcLineDecoder.h"

namespace orvel::bench {

namespace {

std::string fromHex(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

std::string trimmedRight(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

bool isPictureFile(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return std::tolower(c); });
    return extension == ".bmp" || extension == ".jpg" || extension == ".jpeg" || extension == ".png";
}

// Code 39 Full ASCII: the pairs $X, %X, /X and +X stand for one character.
std::string fullAscii(const std::string& text) {
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const char n = i + 1 < text.size() ? text[i + 1] : '\0';
        if (c == '$' && n >= 'A' && n <= 'Z') result += static_cast<char>(n - 'A' + 1);
        else if (c == '+' && n >= 'A' && n <= 'Z') result += static_cast<char>(n - 'A' + 'a');
        else if (c == '/' && n >= 'A' && n <= 'O') result += static_cast<char>(n - 'A' + '!');
        else if (c == '/' && n == 'Z') result += ':';
        else if (c == '%' && n >= 'A' && n <= 'E') result += static_cast<char>(n - 'A' + 27);
        else if (c == '%' && n >= 'F' && n <= 'J') result += static_cast<char>(n - 'F' + ';');
        else if (c == '%' && n >= 'K' && n <= 'O') result += static_cast<char>(n - 'K' + '[');
        else if (c == '%' && n >= 'P' && n <= 'T') result += static_cast<char>(n - 'P' + '{');
        else if (c == '%' && n == 'U') result += '\0';
        else if (c == '%' && n == 'V') result += '@';
        else if (c == '%' && n == 'W') result += '`';
        else if (c == '%' && n >= 'X' && n <= 'Z') result += '\x7f';
        else {
            result += c;
            continue;
        }
        ++i;
    }
    return result;
}

}  // namespace

std::vector<TCorpusEntry> corpusEntries(const std::filesystem::path& folder) {
    std::vector<TCorpusEntry> entries;
    std::ifstream manifest(folder / "manifest.tsv");
    if (manifest) {
        std::string line;
        std::getline(manifest, line);  // the header
        while (std::getline(manifest, line)) {
            std::istringstream fields(line);
            std::string file, symbology, hex;
            if (!std::getline(fields, file, '\t') || !std::getline(fields, symbology, '\t')) continue;
            std::getline(fields, hex, '\t');
            entries.push_back({folder / file, symbology, fromHex(hex)});
        }
        return entries;
    }
    for (const auto& item : std::filesystem::recursive_directory_iterator(folder))
        if (item.is_regular_file() && isPictureFile(item.path())) entries.push_back({item.path(), "", ""});
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.file < b.file; });
    return entries;
}

bool matchesTruth(const std::string& symbology, const std::string& bytes, const std::string& utf8Text,
                  const std::string& expected) {
    const std::string truth = trimmedRight(expected);
    if (trimmedRight(bytes) == truth || trimmedRight(utf8Text) == truth) return true;
    if (symbology == "UPCA" || symbology == "EAN13") {
        if (truth.size() == 13 && truth[0] == '0' && bytes == truth.substr(1)) return true;
    }
    if (symbology == "UPCE") {
        const std::string expanded = bytes.size() == 8 ? expandUpcE(bytes) : "0" + bytes;
        if (!expanded.empty() && "0" + expanded == truth) return true;
        // The documented value: the UPC-A digits without the number system.
        if (expanded.size() == 12 && expanded.substr(1) == truth) return true;
        if (truth.size() == 8 && bytes == truth) return true;
    }
    if (symbology == "CODABAR" && truth.size() >= 2 && truth.substr(1, truth.size() - 2) == bytes) return true;
    if (symbology == "CODE39" && fullAscii(bytes) == truth) return true;
    return false;
}

}  // namespace orvel::bench
