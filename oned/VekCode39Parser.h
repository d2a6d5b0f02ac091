#pragma once

#include "oned/VekBarcodeParser.h"

namespace orvel {

// Code 39: characters of nine narrow or wide elements between start and stop
// "*", each followed by a narrow gap. A printed check character is not
// verified and stays in the text. With fullAscii set, the pairs "$x", "%x",
// "/x" and "+x" are read as one ASCII character.
class TVekCode39Parser : public TVekBarcodeParser {
public:
    TVekCode39Parser();

    int32_t getSymbology() const override;
    bool calibrate() override { return averageCalibrate(); }
    bool parse() override;

    // Learns the narrow and wide widths as the averages over the start
    // character; the wide elements must be more than 1.6 times the narrow ones.
    bool averageCalibrate();
    bool parse39();

    void setFullAscii(bool value) { fullAscii = value; }
    bool getFullAscii() const { return fullAscii; }

private:
    // Reads a character and the gap after it; -1 when it is not in the table.
    int32_t readCharacter(std::string& pattern);
    bool readStop();
    bool addFullAsciiPair(int32_t first, std::string& pattern);

    bool fullAscii = false;
};

}  // namespace orvel
