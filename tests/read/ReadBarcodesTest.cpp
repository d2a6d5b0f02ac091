#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <string>
#include <vector>

#include "foundation/VekException.h"
#include "foundation/VekPictureLoader.h"
#include "oned/VekLinearContent.h"
#include "read/VekClassicText.h"
#include "read/VekReadBarcodes.h"
#include "support/PictureTools.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

using F = TVekBarcodeFormat;

// One picture per symbology, with the content readBarcodes must give: a zint
// rendering, or (for the two-dimensional families) one of the repository's
// sample pictures.
struct TSample {
    F format;
    std::string source;  // zint arguments, or a path below samples/
    std::string bytes;
};

const std::vector<TSample>& samples() {
    static const std::vector<TSample> list = {
        {F::code128, "-b 20 -d Orvel-128", "Orvel-128"},
        {F::ean13, "-b 13 -d 400638133393", "4006381333931"},
        {F::ean8, "-b 13 -d 9638507", "96385074"},
        {F::upcA, "-b 34 -d 03600029145", "036000291452"},
        {F::upcE, "-b 37 -d 1234567", "12345670"},
        {F::code39, "-b 8 -d CODE39", "CODE39"},
        {F::interleaved25, "-b 3 -d 12345678", "12345678"},
        {F::codabar, "-b 18 -d A40156B", "40156"},
        {F::pdf417, "PDF417Images/pdf417.bmp", "VekBarcode Orvel PDF417 sample"},
        {F::dataMatrix, "DatamatrixImages/datamatrix.bmp", "VekBarcode Orvel"},
        {F::qrCode, "QRCodeImages/qrcode.bmp", "https://orvel.vekbarcode.example"},
        {F::aztec, "AztecImages/aztec.bmp", "VekBarcode Orvel"},
    };
    return list;
}

class ReadBarcodesTest : public ::testing::Test {
protected:
    static TVekImage picture(const TSample& sample) {
        if (sample.source.rfind("-b ", 0) != 0)
            return loadPictureFile(std::filesystem::path(ORVEL_SOURCE_DIR) / "samples" / sample.source);
        const auto path = test::testDirectory("read_barcodes") / (formatName(sample.format) + ".bmp");
        if (!test::zintRender(sample.source + " --scale=2 --height=40 --quietzones", path)) return TVekImage(1, 1);
        return loadPictureFile(path);
    }
    void SetUp() override {
        if (!test::haveZint()) GTEST_SKIP() << "zint is not installed";
    }
};

TEST_F(ReadBarcodesTest, ReadsEverySymbologyAndHonoursTheFormatFilter) {
    for (const TSample& sample : samples()) {
        SCOPED_TRACE(formatName(sample.format));
        const TVekImage image = picture(sample);
        const TVekBarcodes all = readBarcodes(image);
        ASSERT_FALSE(all.empty());
        EXPECT_EQ(all.front().format, sample.format);
        EXPECT_EQ(all.front().bytes, sample.bytes);
        EXPECT_TRUE(all.front().isValid);

        TVekReaderOptions only;
        only.formats = {sample.format};
        const TVekBarcodes filtered = readBarcodes(image, only);
        ASSERT_EQ(filtered.size(), 1u);
        EXPECT_EQ(filtered.front().bytes, sample.bytes);

        TVekReaderOptions other;
        other.formats = {sample.format == F::qrCode ? F::aztec : F::qrCode};
        EXPECT_TRUE(readBarcodes(image, other).empty());
    }
}

TEST_F(ReadBarcodesTest, FailedSymbolsComeBackOnlyWhenAskedFor) {
    // The QR sample with its lower right quarter wiped out: the finders and
    // timing patterns stay, the data cannot be corrected.
    TVekImage damaged = picture(samples()[10]);
    for (int32_t y = damaged.height / 2; y < damaged.height - damaged.height / 8; ++y)
        for (int32_t x = damaged.width / 2; x < damaged.width - damaged.width / 8; ++x)
            damaged.setPixel(x, y, ((x / 2 + y / 3) % 3) == 0 ? BLACK : WHITE);
    TVekReaderOptions options;
    options.formats = {F::qrCode};
    EXPECT_TRUE(readBarcodes(damaged, options).empty());
    options.returnErrors = true;
    const TVekBarcodes failed = readBarcodes(damaged, options);
    ASSERT_FALSE(failed.empty());
    for (const TVekBarcode& barcode : failed) {
        EXPECT_FALSE(barcode.isValid);
        EXPECT_FALSE(barcode.error.empty());
        EXPECT_EQ(barcode.format, F::qrCode);
    }
}

TEST_F(ReadBarcodesTest, IdentcodeIsReadWhenAskedFor) {
    // Identcode is Interleaved 2 of 5 with a check digit of its own: asked
    // for alone, the symbol is reported as Identcode.
    const TVekImage image = picture({F::identcode, "-b 22 -d 12345678901", ""});
    TVekReaderOptions only;
    only.formats = {F::identcode};
    const TVekBarcodes found = readBarcodes(image, only);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found.front().format, F::identcode);
    EXPECT_EQ(found.front().bytes, "123456789016");
}

TEST_F(ReadBarcodesTest, ThreeFamiliesInOnePictureAndMaxSymbols) {
    const TVekImage qr = picture(samples()[10]);
    const TVekImage dm = picture({F::dataMatrix, "DatamatrixImages/datamatrix-numbers.jpg", ""});
    const TVekImage code = picture(samples()[0]);
    const TVekImage picture = test::sideBySide(test::sideBySide(qr, dm, 40), code, 40);
    const TVekBarcodes found = readBarcodes(picture);
    std::vector<std::string> contents;
    for (const TVekBarcode& barcode : found) contents.push_back(barcode.bytes);
    std::sort(contents.begin(), contents.end());
    EXPECT_EQ(contents, (std::vector<std::string>{"1234567890", "Orvel-128", "https://orvel.vekbarcode.example"}));

    TVekReaderOptions one;
    one.maxSymbols = 1;
    EXPECT_EQ(readBarcodes(picture, one).size(), 1u);
}

TEST_F(ReadBarcodesTest, ViewsOfEveryPixelLayoutReadLikeTheLoadedPicture) {
    const TVekImage image = picture(samples()[10]);
    const std::vector<std::pair<TVekPixelFormat, std::array<int, 4>>> layouts = {
        {TVekPixelFormat::rgb, {0, 1, 2, -1}},  {TVekPixelFormat::bgr, {2, 1, 0, -1}},
        {TVekPixelFormat::rgba, {0, 1, 2, 3}},  {TVekPixelFormat::bgra, {2, 1, 0, 3}},
        {TVekPixelFormat::argb, {1, 2, 3, 0}},  {TVekPixelFormat::grey, {0, 0, 0, -1}}};
    for (const auto& [format, at] : layouts) {
        const int step = bytesPerPixel(format);
        const std::ptrdiff_t stride = image.width * step + 7;  // rows padded
        std::vector<uint8_t> memory(static_cast<size_t>(stride) * image.height, 0xFF);
        for (int32_t y = 0; y < image.height; ++y)
            for (int32_t x = 0; x < image.width; ++x) {
                const uint32_t c = image.getPixelInt(x, y);
                uint8_t* pixel = memory.data() + y * stride + x * step;
                pixel[at[0]] = static_cast<uint8_t>(c >> 16);
                pixel[at[1]] = static_cast<uint8_t>(c >> 8);
                pixel[at[2]] = static_cast<uint8_t>(c);
            }
        const TVekBarcodes found = readBarcodes(TVekImageView(memory.data(), image.width, image.height, format, stride));
        ASSERT_EQ(found.size(), 1u);
        EXPECT_EQ(found.front().bytes, samples()[10].bytes);
    }
    EXPECT_THROW(readBarcodes(TVekImageView(nullptr, 10, 10, TVekPixelFormat::grey)), TVekException);
}

// The command-line scanner reads a file's rows without the colour picture;
// the documented readers (run when trying harder, or asked for) get the
// colour picture made from those rows. Every way, the same symbols as the
// loaded picture, in the same places.
TEST(ReadBarcodesPixelsTest, LoadedPixelsReadLikeTheLoadedPicture) {
    ASSERT_TRUE(test::haveZint());
    const auto dir = test::testDirectory("read_pixels");
    const std::filesystem::path samplesDir = std::filesystem::path(ORVEL_SOURCE_DIR) / "samples";
    std::vector<std::filesystem::path> files = {samplesDir / "QRCodeImages/qrcode.bmp",
                                                samplesDir / "DatamatrixImages/datamatrix-numbers.jpg",
                                                samplesDir / "PDF417Images/pdf417.bmp"};
    for (const std::string zint : {"-b 20 -d Orvel-128", "-b 13 -d 400638133393", "-b 18 -d A40156B"}) {
        files.push_back(dir / ("linear-" + std::to_string(files.size()) + ".bmp"));
        ASSERT_TRUE(test::zintRender(zint + " --scale=2 --height=40 --quietzones", files.back())) << zint;
    }
    TVekReaderOptions harder;
    harder.tryHarder = true;
    TVekReaderOptions classic;
    classic.classic = true;
    for (const auto& path : files) {
        const TVekImage image = loadPicture(path);
        const TVekLoadedPixels pixels = loadPicturePixels(path);
        for (const TVekReaderOptions& options : {TVekReaderOptions{}, harder, classic}) {
            SCOPED_TRACE(path.filename().string() + (options.tryHarder ? " trying harder" : "") +
                         (options.classic ? " classic" : ""));
            const TVekBarcodes expected = readBarcodes(image, options);
            const TVekBarcodes found = readBarcodes(pixels, options);
            ASSERT_FALSE(expected.empty());
            ASSERT_EQ(found.size(), expected.size());
            for (size_t k = 0; k < found.size(); ++k) {
                EXPECT_EQ(found[k].format, expected[k].format);
                EXPECT_EQ(found[k].bytes, expected[k].bytes);
                EXPECT_EQ(found[k].position, expected[k].position);
                EXPECT_EQ(found[k].isValid, expected[k].isValid);
            }
        }
    }
}

TEST_F(ReadBarcodesTest, FourThreadsReadWhatOneThreadReads) {
    std::vector<TVekImage> pictures;
    for (const TSample& sample : samples()) pictures.push_back(picture(sample));
    std::vector<TVekBarcodes> alone;
    for (const TVekImage& picture : pictures) alone.push_back(readBarcodes(picture));
    std::vector<std::future<std::vector<TVekBarcodes>>> workers;
    for (int t = 0; t < 4; ++t)
        workers.push_back(std::async(std::launch::async, [&pictures, t] {
            std::vector<TVekBarcodes> results;
            for (size_t i = 0; i < pictures.size(); ++i)
                results.push_back(readBarcodes(pictures[(i + static_cast<size_t>(t)) % pictures.size()]));
            return results;
        }));
    for (int t = 0; t < 4; ++t) {
        const std::vector<TVekBarcodes> results = workers[static_cast<size_t>(t)].get();
        for (size_t i = 0; i < pictures.size(); ++i) {
            const TVekBarcodes& expected = alone[(i + static_cast<size_t>(t)) % pictures.size()];
            ASSERT_EQ(results[i].size(), expected.size());
            for (size_t k = 0; k < expected.size(); ++k) EXPECT_EQ(results[i][k].bytes, expected[k].bytes);
        }
    }
}

TEST(ReadBarcodesTextTest, CharacterSetsAndEciSwitches) {
    TVekBarcode barcode;
    barcode.format = F::dataMatrix;
    barcode.bytes = "caf\xE9";  // ISO 8859-1 by default
    EXPECT_EQ(barcode.text(), "caf\xC3\xA9");

    barcode.format = F::qrCode;
    barcode.bytes = "\x82\xA0\x82\xA2";  // Shift JIS "あい"
    EXPECT_EQ(barcode.text(), "\xE3\x81\x82\xE3\x81\x84");
    barcode.bytes = "\xC3\xDE\xBB\xDEQR";  // half-width katakana "ﾃﾞｻﾞQR"
    EXPECT_EQ(barcode.text(), "\xEF\xBE\x83\xEF\xBE\x9E\xEF\xBD\xBB\xEF\xBE\x9EQR");
    barcode.bytes = "Gr\xF6\xDF" "e";  // Latin-1 "Größe" stays Latin-1
    EXPECT_EQ(barcode.text(), "Gr\xC3\xB6\xC3\x9F" "e");
    barcode.bytes = "\xC3\xA9t\xC3\xA9";  // UTF-8 written without a designator
    EXPECT_EQ(barcode.text(), "\xC3\xA9t\xC3\xA9");

    barcode.format = F::pdf417;
    barcode.bytes = "\x81";  // CP437 ü
    EXPECT_EQ(barcode.text(), "\xC3\xBC");

    // ¶ in the default set, then ECI 7 (ISO 8859-5) and Ж.
    barcode.format = F::dataMatrix;
    barcode.bytes = "\xB6\xB6";
    barcode.eciMarks = {{1, 7}};
    EXPECT_TRUE(barcode.hasECI());
    EXPECT_EQ(barcode.text(), "\xC2\xB6\xD0\x96");
    // ECI 26 (UTF-8) with an invalid byte: one replacement character.
    barcode.bytes = "a\xFFz";
    barcode.eciMarks = {{0, 26}};
    EXPECT_EQ(barcode.text(), "a\xEF\xBF\xBDz");
}

// Code 128 symbols whose content the record text writes with markers: the
// documented reader's content, carried as data, is what the photo path reads.
TEST(ReadBarcodesTextTest, DocumentedCode128ContentMatchesThePhotoPath) {
    ASSERT_TRUE(test::haveZint());
    struct TCase {
        std::string arguments;
        std::string bytes;
        std::string identifier;
    };
    const std::vector<TCase> cases = {
        {"-b CODE128 -d 'caf\xC3\xA9 ~d202 _100'", "caf\xE9 ~d202 _100", "]C0"},
        {"-b CODE128 -d '~~\xC3\xA0\xC3\xA1\xC3\xA2\xC3\xA3\xC3\xA4\xC3\xA5 x'", "~~\xE0\xE1\xE2\xE3\xE4\xE5 x", "]C0"},
        {"-b GS1_128 -d '[10]AB12[01]09501101530003'", "10AB12\x1D" "0109501101530003", "]C1"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.arguments);
        const auto path = test::testDirectory("read_barcodes") / "code128-content.bmp";
        ASSERT_TRUE(test::zintRender(c.arguments + " --scale=2 --height=40 --quietzones", path));
        const TVekImage image = loadPictureFile(path);
        TVekReaderOptions options;
        options.formats = {F::code128};
        for (bool classic : {true, false}) {
            options.classic = classic;
            const TVekBarcodes found = readBarcodes(image, options);
            ASSERT_EQ(found.size(), 1u) << "classic " << classic;
            EXPECT_EQ(found.front().bytes, c.bytes) << "classic " << classic;
            EXPECT_EQ(found.front().symbologyIdentifier, c.identifier) << "classic " << classic;
        }
    }
}

TEST(ReadBarcodesTextTest, Code128FunctionCharactersOfTheDocumentedReader) {
    using Fn = TVekFunctionCharacter;
    auto code128 = [](std::string bytes, std::vector<TVekFunctionMark> functions) {
        return classicLinearBarcode(F::code128, TVekLinearContent{std::move(bytes), std::move(functions)});
    };
    // FNC4 lifts one character; a double FNC4 latches until the next double.
    EXPECT_EQ(code128("aib", {{1, Fn::fnc4}}).bytes, "a\xE9" "b");
    EXPECT_EQ(code128("abc", {{0, Fn::fnc4}, {0, Fn::fnc4}, {2, Fn::fnc4}, {2, Fn::fnc4}}).bytes, "\xE1\xE2" "c");
    EXPECT_EQ(code128("abc", {{0, Fn::fnc4}, {0, Fn::fnc4}, {1, Fn::fnc4}}).bytes, "\xE1" "b" "\xE3");
    // A single FNC4 pending when a second one comes: the second lifts nothing more.
    EXPECT_EQ(code128("ab", {{0, Fn::fnc4}, {0, Fn::fnc1}, {0, Fn::fnc4}}).bytes, "\x1D\xE1" "b");
    const TVekBarcode gs1 = code128("0123410AB", {{0, Fn::fnc1}, {5, Fn::fnc1}});
    EXPECT_EQ(gs1.symbologyIdentifier, "]C1");
    EXPECT_EQ(gs1.bytes, "01234\x1D" "10AB");
    // FNC1 after FNC3 is not in the first place; FNC2 and FNC3 carry nothing.
    const TVekBarcode late = code128("12", {{0, Fn::fnc3}, {0, Fn::fnc1}, {1, Fn::fnc2}});
    EXPECT_EQ(late.symbologyIdentifier, "]C0");
    EXPECT_EQ(late.bytes, "\x1D" "12");
    // Data that looks like the record text's markers is data.
    EXPECT_EQ(code128("~d202_100~", {}).bytes, "~d202_100~");
    EXPECT_EQ(code128("plain", {}).symbologyIdentifier, "]C0");
    EXPECT_EQ(classicLinearBarcode(F::ean13, {"0036000291452", {}}).format, F::upcA);
    EXPECT_EQ(classicLinearBarcode(F::ean13, {"0036000291452", {}}, false).bytes, "0036000291452");
    EXPECT_EQ(classicLinearBarcode(F::upcE, {"23456000070", {}}).bytes, "12345670");
    // UPC-E: the number system comes back from the check digit.
    EXPECT_EQ(upcEDigits("23456000070"), "12345670");
    EXPECT_EQ(upcEDigits("12345000065"), "01234565");
    EXPECT_EQ(upcEDigits("12345678901"), "");
}

}  // namespace
}  // namespace orvel
