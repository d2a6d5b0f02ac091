// The JSON form of orvel-scan's reports: decoded bytes become the characters
// of the same code points, control characters are escaped.

#include <gtest/gtest.h>

#include "cli/VekJsonWriter.h"
#include "cli/VekAnnotation.h"
#include "cli/VekReportMerger.h"
#include "cli/VekScanOptions.h"
#include "foundation/VekPictureLoader.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

TEST(JsonWriter, EscapesQuotesBackslashesAndControlCharacters) {
    EXPECT_EQ(jsonString(""), "\"\"");
    EXPECT_EQ(jsonString("a\"b\\c/"), "\"a\\\"b\\\\c/\"");
    EXPECT_EQ(jsonString(std::string("\x00\x01\b\f\n\r\t\x1f\x7f", 9)),
              "\"\\u0000\\u0001\\b\\f\\n\\r\\t\\u001F\\u007F\"");
    // U+0085 and U+009F are controls too; U+00A0 and U+00E9 are not.
    EXPECT_EQ(jsonString("\xc2\x85\xc2\x9f\xc2\xa0\xc3\xa9"), "\"\\u0085\\u009F\xc2\xa0\xc3\xa9\"");
}

TEST(JsonWriter, DecodedBytesBecomeTheSameCodePoints) {
    std::string allBytes;
    for (int byte = 0; byte < 256; ++byte) allBytes += static_cast<char>(byte);
    const std::string utf8 = latin1ToUtf8(allBytes);
    EXPECT_EQ(utf8.size(), 128u + 2u * 128u);
    EXPECT_EQ(utf8.substr(0x41, 1), "A");
    EXPECT_EQ(utf8.substr(utf8.size() - 2), "\xc3\xbf");  // 0xFF is U+00FF

    EXPECT_EQ(toUtf8("caf\xc3\xa9"), "caf\xc3\xa9");       // already UTF-8: unchanged
    EXPECT_EQ(toUtf8("caf\xe9"), "caf\xc3\xa9");           // a Latin-1 name
    EXPECT_EQ(toUtf8("\xc0\x80"), "\xc3\x80\xc2\x80");     // overlong form is not UTF-8
    EXPECT_EQ(toUtf8("\xed\xa0\x80"), "\xc3\xad\xc2\xa0\xc2\x80");  // nor a surrogate
}

TEST(JsonWriter, WritesOneObjectPerFileWithTheFieldsInOrder) {
    TVekFileReport report;
    report.file = "dir/q.jpg";
    report.ms = 12.5;
    TVekScanResult qr;
    qr.family = TVekScanFamily::qrcode;
    qr.symbology = "QRCODE";
    qr.text = std::string("A\xe9\n\x00", 4);
    qr.success = true;
    qr.x = 10;
    qr.y = -3;
    report.results.push_back(qr);
    TVekScanResult candidate;
    candidate.symbology = "CODE128";
    report.results.push_back(candidate);
    EXPECT_EQ(reportToJson(report),
              "{\"file\": \"dir/q.jpg\", \"ms\": 12.500, \"error\": null, \"results\": ["
              "{\"family\": \"qr\", \"symbology\": \"QRCODE\", \"text\": \"A\xc3\xa9\\n\\u0000\", "
              "\"success\": true, \"x\": 10, \"y\": -3}, "
              "{\"family\": \"1d\", \"symbology\": \"CODE128\", \"text\": \"\", \"success\": false, \"x\": 0, "
              "\"y\": 0}]}");

    TVekFileReport failed;
    failed.file = "b\xe9.bmp";
    failed.error = "b\xe9.bmp: BMP file is truncated";
    EXPECT_EQ(reportToJson(failed), "{\"file\": \"b\xc3\xa9.bmp\", \"ms\": 0.000, \"error\": "
                                    "\"b\xc3\xa9.bmp: BMP file is truncated\", \"results\": []}");
}

TEST(ScanOptions, ReadsFamiliesAndKeepsPathsAfterTheOptionsEnd) {
    const TVekScanOptions qr = parseScanOptions({"--family", "qr", "a.bmp", "--json", "--", "--b.jpg"});
    EXPECT_EQ(qr.families, std::vector<TVekScanFamily>{TVekScanFamily::qrcode});
    EXPECT_TRUE(qr.json);
    EXPECT_EQ(qr.paths, (std::vector<std::string>{"a.bmp", "--b.jpg"}));

    const TVekScanOptions all = parseScanOptions({"--family=all", "x"});
    EXPECT_EQ(all.families.size(), 5u);
    EXPECT_EQ(all.families.front(), TVekScanFamily::oneD);

    const TVekScanOptions demo = parseScanOptions({"--demo=samples"});
    ASSERT_TRUE(demo.demoFolder);
    EXPECT_EQ(demo.demoFolder->string(), "samples");
}

TEST(JsonWriter, ReadBarcodesResultsCarryBytesPositionAndTheUtf8Text) {
    TVekPictureReport report;
    report.file = "p.png";
    report.ms = 1.25;
    TVekBarcode qr;
    qr.format = TVekBarcodeFormat::qrCode;
    qr.bytes = std::string("\"\xc3\xa9\n\x00", 5);  // UTF-8 content with a quote, a line break and NUL
    qr.symbologyIdentifier = "]Q1";
    qr.position = {TVekPointF{10.4, 20.6}, TVekPointF{50, 20}, TVekPointF{50, 60}, TVekPointF{10, 60.25}};
    qr.orientation = 90;
    qr.ecLevel = "M";
    qr.eciMarks.push_back({0, 26});
    report.barcodes.push_back(qr);
    TVekBarcode failed;
    failed.format = TVekBarcodeFormat::ean13;
    failed.isValid = false;
    failed.error = "checksum";
    report.barcodes.push_back(failed);
    EXPECT_EQ(pictureReportToJson(report),
              "{\"file\": \"p.png\", \"ms\": 1.250, \"error\": null, \"results\": ["
              "{\"family\": \"qr\", \"symbology\": \"QRCODE\", \"text\": \"\\\"\xc3\xa9\\n\\u0000\", "
              "\"success\": true, \"x\": 10, \"y\": 21, \"bytes\": \"22c3a90a00\", \"identifier\": \"]Q1\", "
              "\"position\": [[10.4, 20.6], [50.0, 20.0], [50.0, 60.0], [10.0, 60.2]], \"orientation\": 90.0, "
              "\"eci\": true, \"ecLevel\": \"M\", \"error\": null}, "
              "{\"family\": \"1d\", \"symbology\": \"EAN13\", \"text\": \"\", \"success\": false, \"x\": 0, "
              "\"y\": 0, \"bytes\": \"\", \"identifier\": \"\", \"position\": [[0.0, 0.0], [0.0, 0.0], [0.0, 0.0], "
              "[0.0, 0.0]], \"orientation\": 0.0, \"eci\": false, \"ecLevel\": \"\", \"error\": \"checksum\"}]}");
    EXPECT_EQ(hexOf(std::string("\x00\x7f\xff", 3)), "007fff");
}

TEST(ScanOptions, ReaderOptionsReachReadBarcodesAndFamiliesAddTheirFormats) {
    const TVekScanOptions plain = parseScanOptions({"a.png"});
    EXPECT_FALSE(plain.classic);
    EXPECT_TRUE(plain.reader.formats.empty());
    EXPECT_EQ(plain.jobs, 1);

    const TVekScanOptions all = parseScanOptions({"--formats=QRCode,ean-13", "--family", "pdf417", "--try-harder",
                                                  "--no-rotate", "--no-invert", "--pure", "--errors", "-j", "3",
                                                  "-r", "--annotate", "out.png", "-", "dir"});
    using F = TVekBarcodeFormat;
    EXPECT_EQ(all.reader.formats, (TVekBarcodeFormats{F::qrCode, F::ean13, F::pdf417, F::microPdf417}));
    EXPECT_TRUE(all.reader.tryHarder);
    EXPECT_FALSE(all.reader.tryRotate);
    EXPECT_FALSE(all.reader.tryInvert);
    EXPECT_TRUE(all.reader.isPure);
    EXPECT_TRUE(all.reader.returnErrors);
    EXPECT_EQ(all.jobs, 3);
    EXPECT_TRUE(all.recurse);
    EXPECT_EQ(all.annotate->string(), "out.png");
    EXPECT_EQ(all.paths, (std::vector<std::string>{"-", "dir"}));

    EXPECT_EQ(parseScanOptions({"--family=1d", "x"}).reader.formats, TVekBarcodeFormats::linear());
    EXPECT_TRUE(parseScanOptions({"--family=all", "x"}).reader.formats.empty());
    EXPECT_EQ(parseScanOptions({"-j12", "x"}).jobs, 12);
    EXPECT_TRUE(parseScanOptions({"--classic", "--family=qr", "x"}).classic);
    EXPECT_THROW(parseScanOptions({"--classic", "--pure", "x"}), TVekUsageError);
    EXPECT_THROW(parseScanOptions({"-j", "65", "x"}), TVekUsageError);
}

TEST(Annotation, DrawsTheOutlineAndALabelAndLeavesTheRestOfThePicture) {
    TVekImage image(200, 120);
    for (int32_t y = 0; y < 120; ++y)
        for (int32_t x = 0; x < 200; ++x) image.setPixel(x, y, (x * 7 + y * 3) % 2 ? 0xFFFFFF : 0x404040);
    TVekBarcode found;
    found.bytes = "Hi\xc3\xa9";  // the label shows the non-ASCII character as one '?'
    found.position = {TVekPointF{60, 50}, TVekPointF{140, 50}, TVekPointF{140, 100}, TVekPointF{60, 100}};
    TVekBarcode hostile = found;  // a position that is no place: drawn nowhere, no crash
    hostile.position[2] = TVekPointF{std::nan(""), 1e300};
    const TVekBitmap bitmap = annotatePicture(image, {found, hostile});
    const auto colour = [&](int32_t x, int32_t y) {
        const uint8_t* p = bitmap.row(y) + 3 * x;
        return (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
    };
    EXPECT_EQ(colour(100, 50), 0x00B000u);  // top edge
    EXPECT_EQ(colour(140, 75), 0x00B000u);  // right edge
    EXPECT_EQ(colour(60, 100), 0x00B000u);  // a corner
    EXPECT_EQ(colour(100, 75), image.getPixelInt(100, 75));  // inside: the picture
    EXPECT_EQ(colour(5, 5), image.getPixelInt(5, 5));
    // The label's box lies just above the top edge, from the left corner on.
    int labelPixels = 0, textPixels = 0;
    for (int32_t y = 30; y < 49; ++y)
        for (int32_t x = 60; x < 200; ++x) {
            labelPixels += colour(x, y) == 0x00B000u;
            textPixels += colour(x, y) == 0xFFFFFFu && image.getPixelInt(x, y) != 0xFFFFFFu;
        }
    EXPECT_GT(labelPixels, 300);
    EXPECT_GT(textPixels, 40);

    const std::filesystem::path file = test::testDirectory("annotation") / "out.png";
    writePngFile(file, bitmap);
    const TVekImage written = loadPicture(file);
    ASSERT_EQ(written.width, 200);
    EXPECT_EQ(written.getPixelInt(100, 50), 0x00B000u);
    EXPECT_EQ(written.getPixelInt(5, 5), image.getPixelInt(5, 5));
    EXPECT_THROW(writePngFile(file.parent_path() / "missing" / "x.png", bitmap), TVekException);
}

}  // namespace
}  // namespace orvel

namespace orvel {
namespace {

TVekBarcode gs1Barcode(const std::string& bytes) {
    TVekBarcode barcode;
    barcode.format = TVekBarcodeFormat::dataMatrix;
    barcode.symbologyIdentifier = "]d2";
    barcode.bytes = bytes;
    return barcode;
}

// The part of a result's JSON after "error": null.
std::string tailOf(const std::string& json) {
    const size_t at = json.find("\"error\": null", json.find("\"results\""));
    return at == std::string::npos ? json : json.substr(at);
}

TEST(JsonWriter, GS1ElementsStructuredAppendAndPartsAreAddedAfterTheOtherFields) {
    TVekPictureReport report;
    report.file = "a.png";
    report.barcodes.push_back(gs1Barcode("0109501101530003" "10AB\x1D" "17140704"));
    EXPECT_EQ(tailOf(pictureReportToJson(report)),
              "\"error\": null, \"gs1\": [{\"ai\": \"01\", \"value\": \"09501101530003\"}, "
              "{\"ai\": \"10\", \"value\": \"AB\"}, {\"ai\": \"17\", \"value\": \"140704\"}]}]}");
    EXPECT_NE(pictureReportToJson(report, TVekTextMode::hri).find("\"text\": \"(01)09501101530003(10)AB(17)140704\""),
              std::string::npos);
    EXPECT_NE(pictureReportToJson(report, TVekTextMode::escaped).find("\"text\": \"010950110153000310AB<GS>17140704\""),
              std::string::npos);

    report.barcodes[0] = gs1Barcode("0109501101530003" "17141304");
    EXPECT_EQ(tailOf(pictureReportToJson(report)),
              "\"error\": null, \"gs1\": [{\"ai\": \"01\", \"value\": \"09501101530003\"}], "
              "\"gs1Error\": \"(17): 141304 is not a date or time\"}]}");

    TVekBarcode part;
    part.structuredAppend = {1, 3, "17"};
    TVekBarcode message;
    message.partPositions = {{TVekPointF{1, 2}, {3, 2}, {3, 4}, {1, 4}}, {TVekPointF{5, 6}, {7, 6}, {7, 8}, {5, 8}}};
    report.barcodes = {part, message};
    report.partFiles = {{}, {"a.png", "b.png"}};
    const std::string json = pictureReportToJson(report);
    EXPECT_NE(json.find("\"error\": null, \"structuredAppend\": {\"index\": 1, \"count\": 3, \"id\": \"17\"}}"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"error\": null, \"parts\": [{\"file\": \"a.png\", \"position\": [[1.0, 2.0], [3.0, 2.0], "
                        "[3.0, 4.0], [1.0, 4.0]]}, {\"file\": \"b.png\", \"position\": [[5.0, 6.0], [7.0, 6.0], "
                        "[7.0, 8.0], [5.0, 8.0]]}]}"),
              std::string::npos)
        << json;
}

TEST(ScanOptions, TextModesAndMerging) {
    EXPECT_EQ(parseScanOptions({"a.png"}).textMode, TVekTextMode::plain);
    EXPECT_FALSE(parseScanOptions({"a.png"}).merge);
    EXPECT_EQ(parseScanOptions({"--text-mode", "hri", "a.png"}).textMode, TVekTextMode::hri);
    EXPECT_EQ(parseScanOptions({"--text-mode=escaped", "a.png"}).textMode, TVekTextMode::escaped);
    EXPECT_EQ(parseScanOptions({"--text-mode=bytes", "a.png"}).textMode, TVekTextMode::bytes);
    const TVekScanOptions merge = parseScanOptions({"--merge", "a.png"});
    EXPECT_TRUE(merge.merge);
    EXPECT_FALSE(merge.mergeAcross);
    const TVekScanOptions across = parseScanOptions({"--merge-across", "a.png"});
    EXPECT_TRUE(across.merge);
    EXPECT_TRUE(across.mergeAcross);
    EXPECT_THROW(parseScanOptions({"--text-mode", "hex", "a.png"}), TVekUsageError);
    EXPECT_THROW(parseScanOptions({"--classic", "--text-mode", "hri", "a.png"}), TVekUsageError);
    EXPECT_THROW(parseScanOptions({"--classic", "--merge", "a.png"}), TVekUsageError);
}

TEST(ReportMerger, AMessageAcrossPicturesGoesToItsFirstPictureWithThePartsFiles) {
    std::vector<TVekPictureReport> reports(3);
    const std::vector<std::string> texts = {"one ", "two ", "three"};
    for (size_t i = 0; i < 3; ++i) reports[i].file = "p" + std::to_string(i) + ".png";
    // Picture 0 holds part 2 and a plain symbol, picture 1 nothing of it,
    // picture 2 parts 1 and 3 (index 0 and 2).
    const auto part = [&texts](int index) {
        TVekBarcode barcode;
        barcode.structuredAppend = {index, 3, "9"};
        barcode.bytes = texts[static_cast<size_t>(index)];
        barcode.position[0] = TVekPointF{double(index), 0};
        return barcode;
    };
    TVekBarcode plain;
    plain.bytes = "plain";
    reports[0].barcodes = {part(1), plain};
    reports[2].barcodes = {part(2), part(0)};
    mergeAcrossPictures(reports);
    ASSERT_EQ(reports[0].barcodes.size(), 2u);
    EXPECT_EQ(reports[0].barcodes[0].bytes, "one two three");
    EXPECT_EQ(reports[0].partFiles[0], (std::vector<std::string>{"p2.png", "p0.png", "p2.png"}));
    EXPECT_EQ(reports[0].barcodes[1].bytes, "plain");
    EXPECT_TRUE(reports[0].partFiles[1].empty());
    EXPECT_TRUE(reports[1].barcodes.empty());
    EXPECT_TRUE(reports[2].barcodes.empty());
    EXPECT_EQ(reports[2].partsJoinedElsewhere,
              (std::vector<std::string>{"QRCODE part 1/3 joined into the message listed with p0.png",
                                        "QRCODE part 3/3 joined into the message listed with p0.png"}));
}

}  // namespace
}  // namespace orvel
