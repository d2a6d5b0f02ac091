#include "PDF417ZintSymbol.h"

#include <array>
#include <fstream>
#include <map>

#include "support/TestSupport.h"

namespace orvel::test {

namespace {

constexpr int MODULES_PER_CHARACTER = 17;

// Key: the six sums of neighbouring element widths as a decimal number, per
// cluster index 0, 1, 2 (clusters 0, 3, 6).
using TCharacterTable = std::array<std::map<int, int>, 3>;

const TCharacterTable& characterTable() {
    static const TCharacterTable table = [] {
        TCharacterTable loaded;
        std::ifstream file(std::string(ORVEL_SOURCE_DIR) + "/tests/data/pdf417/pdf417-codewords.txt");
        std::string line;
        int entry = 0;
        while (std::getline(file, line)) {
            if (line.empty() || line[0] == '#') continue;
            loaded[static_cast<size_t>(entry / 929)][std::stoi(line)] = entry % 929;
            ++entry;
        }
        return loaded;
    }();
    return table;
}

// The codeword of the character starting at module start, or -1.
int readCharacter(const std::vector<int>& row, size_t start, int cluster) {
    std::array<int, 8> widths{};
    size_t element = 0;
    for (size_t m = start; m < start + MODULES_PER_CHARACTER; ++m) {
        if (m > start && row[m] != row[m - 1]) ++element;
        if (element >= widths.size()) return -1;
        ++widths[element];
    }
    int key = 0;
    for (size_t i = 0; i < 6; ++i) key = key * 10 + widths[i] + widths[i + 1];
    const auto& clusterTable = characterTable()[static_cast<size_t>(cluster)];
    const auto found = clusterTable.find(key);
    return found == clusterTable.end() ? -1 : found->second;
}

}  // namespace

TVectorInteger TPDF417ZintSymbol::dataCodewords() const {
    return TVectorInteger(codewords.begin(), codewords.end() - eccCount());
}

std::optional<TPDF417ZintSymbol> readZintPDF417(const std::string& arguments) {
    const auto rows = zintDump("-b PDF417 " + arguments);
    if (rows.empty() || characterTable()[0].size() != 929) return std::nullopt;
    // Start pattern, left row indicator, data, right row indicator, and the
    // stop pattern of 18 modules; zint pads each row to whole hex digits.
    const int characters = static_cast<int>((rows[0].size() - 35) / MODULES_PER_CHARACTER);
    TPDF417ZintSymbol symbol;
    symbol.rows = static_cast<int>(rows.size());
    symbol.columns = characters - 2;
    if (symbol.columns < 1) return std::nullopt;
    int ecLevel = -1;
    for (int r = 0; r < symbol.rows; ++r) {
        const auto& row = rows[static_cast<size_t>(r)];
        if (row.size() < static_cast<size_t>(MODULES_PER_CHARACTER * (characters + 1))) return std::nullopt;
        const int cluster = r % 3;
        for (int k = 0; k < characters; ++k) {
            const int codeword =
                readCharacter(row, static_cast<size_t>(MODULES_PER_CHARACTER * (k + 1)), cluster);
            if (codeword < 0) return std::nullopt;
            if (k == 0 && cluster == 1) ecLevel = (codeword % 30) / 3;
            if (k > 0 && k <= symbol.columns) symbol.codewords.push_back(codeword);
        }
    }
    if (ecLevel < 0) return std::nullopt;
    symbol.ecLevel = ecLevel;
    return symbol;
}

}  // namespace orvel::test
