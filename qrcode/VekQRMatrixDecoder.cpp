#include "qrcode/VekQRMatrixDecoder.h"

#include "qrcode/VekQRCWDecoder.h"
#include "qrcode/VekQRCodeDecoder.h"

namespace orvel {

namespace {

// The decoder's matrix is indexed [column][row]; `transposed` reads the
// picture's rows as columns, which is the symbol mirrored about its diagonal.
TIntegerMatrix toColumns(const TVekBitMatrix& modules, bool transposed) {
    const int32_t n = modules.width();
    TIntegerMatrix matrix(n, TVectorInteger(n, 0));
    for (int32_t r = 0; r < n; ++r) {
        const uint8_t* row = modules.row(r);
        for (int32_t c = 0; c < n; ++c) (transposed ? matrix[r][c] : matrix[c][r]) = row[c];
    }
    return matrix;
}

std::string levelName(int32_t level) {
    static constexpr const char* kNames[] = {"L", "M", "Q", "H"};
    return level >= 0 && level < 4 ? kNames[level] : "";
}

// An application indicator of FNC1 in second position is sent ahead of the
// data: two digits, or a letter coded as its value + 100.
std::string applicationIndicator(int32_t value) {
    if (value >= 100) return std::string(1, static_cast<char>(value - 100));
    return {static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
}

void fill(TVekBarcode& result, const TVekQRCodeData& record, const TVekQRCWDecoder& stream) {
    const TVectorInteger& values = record.getValue();
    const auto& switches = stream.eciSwitches();
    size_t nextSwitch = 0;
    if (stream.getFnc1() == 2) result.bytes = applicationIndicator(stream.getApplicationIndicator());
    for (size_t i = 0; i <= values.size(); ++i) {
        for (; nextSwitch < switches.size() && switches[nextSwitch].valueIndex == i; ++nextSwitch)
            result.eciMarks.push_back({result.bytes.size(), switches[nextSwitch].eci});
        if (i == values.size()) break;
        // A Kanji value is a two-byte Shift JIS code, high byte first.
        const int32_t v = values[i];
        if (v > 0xFF) result.bytes.push_back(static_cast<char>((v >> 8) & 0xFF));
        result.bytes.push_back(static_cast<char>(v & 0xFF));
    }
    // Hanzi codes are GB 2312 whatever the default character set; with no
    // designator of its own the content says so the way a designator would
    // (GB 2312 is a subset of GB 18030, ASCII the same in both).
    constexpr int kGb18030 = 29;
    if (stream.sawHanzi() && switches.empty()) result.eciMarks.push_back({0, kGb18030});
    const int32_t modifier = (stream.getFnc1() == 1 ? 3 : stream.getFnc1() == 2 ? 5 : 1) + (switches.empty() ? 0 : 1);
    result.symbologyIdentifier = "]Q" + std::to_string(modifier);
    result.ecLevel = levelName(record.ecLevel);
    if (stream.getAppendPosition() >= 0) {
        result.structuredAppend.index = stream.getAppendPosition();
        result.structuredAppend.count = stream.getAppendTotal() + 1;
        result.structuredAppend.id = std::to_string(stream.getAppendParity());
    }
}

}  // namespace

TVekBarcode TVekQRMatrixDecoder::decode(const TVekBitMatrix& modules) {
    TVekBarcode result;
    result.format = TVekBarcodeFormat::qrCode;
    if (modules.width() != modules.height() || TVekQRCodeDecoder::getVersionForModules(modules.width()) == 0) {
        result.isValid = false;
        result.error = "no QR Code size";
        return result;
    }
    const TVekQRCodeDecoder decoder;
    for (const bool mirrored : {false, true}) {
        TVekQRCWDecoder stream;
        stream.setEciAnywhere(true);
        stream.setHanzi(true);
        const TVekQRCodeData record = decoder.decodeArray(toColumns(modules, mirrored), stream);
        if (!record.success) continue;
        fill(result, record, stream);
        result.isMirrored = mirrored;
        result.isValid = true;
        return result;
    }
    result.isValid = false;
    result.error = "error correction failed";
    return result;
}

}  // namespace orvel
