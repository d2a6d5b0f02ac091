// The JSON form of orvel-scan's reports: decoded bytes become the characters
// of the same code points, control characters are escaped.

#include <gtest/gtest.h>

#include "cli/VekJsonWriter.h"
#include "cli/VekScanOptions.h"

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

}  // namespace
}  // namespace orvel
