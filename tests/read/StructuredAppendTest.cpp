// Structured-append sequences rendered by zint, read and joined again; GS1
// symbols rendered by zint read in their human-readable form.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "foundation/VekPictureLoader.h"
#include "read/VekMergeStructuredAppend.h"
#include "read/VekReadBarcodes.h"
#include "support/PictureTools.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

using F = TVekBarcodeFormat;

// A zint symbology with the id argument its --structapp takes.
struct TSequenceKind {
    F format;
    const char* zintType;
    const char* id;
};

const std::vector<TSequenceKind>& sequenceKinds() {
    static const std::vector<TSequenceKind> kinds = {
        {F::qrCode, "58", "41"},
        {F::dataMatrix, "71", "017042"},
        {F::aztec, "92", "MSG7"},
        {F::pdf417, "55", "123"},
        {F::maxiCode, "57", ""},  // MaxiCode sequences have no id
    };
    return kinds;
}

// A picture of zint's symbol; a 1 x 1 picture when zint fails.
TVekImage rendered(const std::string& arguments, const std::string& name) {
    const auto path = test::testDirectory("structured_append") / (name + ".bmp");
    if (!test::zintRender(arguments + " --scale=3", path)) return TVekImage(1, 1);
    return loadPictureFile(path);
}

// Part `index` (0-based) of `count` of a sequence, read back.
TVekBarcode readPart(const TSequenceKind& kind, const std::string& id, int index, int count, const std::string& data) {
    const std::string arguments = std::string("-b ") + kind.zintType + " --structapp=" + std::to_string(index + 1) +
                                  "," + std::to_string(count) + (id.empty() ? "" : "," + id) + " -d " + test::shellQuote(data);
    TVekReaderOptions options;
    options.formats = {kind.format};
    const TVekBarcodes found = readBarcodes(rendered(arguments, formatName(kind.format) + std::to_string(index)), options);
    EXPECT_EQ(found.size(), 1u) << arguments;
    return found.empty() ? TVekBarcode{} : found.front();
}

const std::vector<std::string> pieces = {"Orvel joins ", "the parts of one ", "message: ", "any order."};

std::string whole(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) text += part;
    return text;
}

class StructuredAppendTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(test::haveZint()) << "these tests render their symbols with zint"; }
};

TEST_F(StructuredAppendTest, PartsInAnyOrderJoinAndAMissingPartLeavesThePartsAlone) {
    std::mt19937 random(7);
    for (const TSequenceKind& kind : sequenceKinds()) {
        SCOPED_TRACE(formatName(kind.format));
        TVekBarcodes parts;
        for (int i = 0; i < static_cast<int>(pieces.size()); ++i)
            parts.push_back(readPart(kind, kind.id, i, static_cast<int>(pieces.size()), pieces[static_cast<size_t>(i)]));
        for (int i = 0; i < static_cast<int>(parts.size()); ++i) {
            EXPECT_EQ(parts[static_cast<size_t>(i)].structuredAppend.index, i);
            EXPECT_EQ(parts[static_cast<size_t>(i)].structuredAppend.count, 4);
        }
        std::shuffle(parts.begin(), parts.end(), random);
        const TVekMergedBarcodes merged = mergeStructuredAppendParts(parts);
        ASSERT_EQ(merged.barcodes.size(), 1u);
        const TVekBarcode& message = merged.barcodes.front();
        EXPECT_EQ(message.bytes, whole(pieces));
        EXPECT_EQ(message.text(), whole(pieces));
        EXPECT_EQ(message.format, kind.format);
        EXPECT_EQ(message.structuredAppend.index, -1);
        ASSERT_EQ(message.partPositions.size(), pieces.size());
        ASSERT_EQ(merged.sources.front().size(), pieces.size());
        for (size_t k = 0; k < pieces.size(); ++k) {
            const TVekBarcode& part = parts[merged.sources.front()[k]];
            EXPECT_EQ(part.structuredAppend.index, static_cast<int>(k));
            EXPECT_EQ(message.partPositions[k], part.position);
        }
        EXPECT_EQ(message.position, message.partPositions.front());

        // A part seen twice counts once; a part missing leaves the others as
        // they were, in their order.
        TVekBarcodes twice = parts;
        twice.push_back(parts.front());
        EXPECT_EQ(mergeStructuredAppend(twice).size(), 1u);
        TVekBarcodes missing = parts;
        missing.erase(missing.begin() + 1);
        const TVekBarcodes left = mergeStructuredAppend(missing);
        ASSERT_EQ(left.size(), 3u);
        for (size_t k = 0; k < left.size(); ++k) EXPECT_EQ(left[k].bytes, missing[k].bytes);
    }
}

TEST_F(StructuredAppendTest, TwoMessagesMixedInOnePictureComeApart) {
    // QR Code: two sequences of two parts each, with different ids, in one
    // picture with a symbol that belongs to none.
    const TSequenceKind& qr = sequenceKinds()[0];
    const std::vector<std::string> first = {"first message, ", "part two"};
    const std::vector<std::string> second = {"SECOND ", "MESSAGE"};
    std::vector<TVekImage> pictures;
    for (int i = 0; i < 2; ++i) {
        const std::string index = std::to_string(i + 1);
        pictures.push_back(rendered("-b 58 --structapp=" + index + ",2,41 -d " + test::shellQuote(first[size_t(i)]),
                                    "first" + index));
        pictures.push_back(rendered("-b 58 --structapp=" + index + ",2,99 -d " + test::shellQuote(second[size_t(i)]),
                                    "second" + index));
    }
    pictures.push_back(rendered("-b 58 -d alone", "alone"));
    const TVekImage picture = test::sideBySide(
        test::sideBySide(test::sideBySide(test::sideBySide(pictures[3], pictures[0], 30), pictures[4], 30), pictures[1], 30),
        pictures[2], 30);
    TVekReaderOptions options;
    options.formats = {qr.format};
    const TVekBarcodes found = readBarcodes(picture, options);
    ASSERT_EQ(found.size(), 5u);
    const TVekBarcodes merged = mergeStructuredAppend(found);
    std::vector<std::string> texts;
    for (const TVekBarcode& barcode : merged) texts.push_back(barcode.text());
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(texts, (std::vector<std::string>{"SECOND MESSAGE", "alone", "first message, part two"}));
}

TEST(StructuredAppendMerge, EciMarksStayWithTheirPartsAndConflictsAreNotJoined) {
    TVekBarcode a;
    a.format = F::qrCode;
    a.structuredAppend = {0, 2, "5"};
    a.bytes = "\xC9t\xC9";  // ISO 8859-1 by its designator
    a.eciMarks = {{0, 3}};
    TVekBarcode b = a;
    b.structuredAppend.index = 1;
    b.bytes = "\xD0\x96!";  // no designator: read alone as UTF-8
    b.eciMarks.clear();
    const TVekBarcodes merged = mergeStructuredAppend({b, a});
    ASSERT_EQ(merged.size(), 1u);
    EXPECT_EQ(merged[0].bytes, "\xC9t\xC9\xD0\x96!");
    EXPECT_EQ(merged[0].eciMarks, (std::vector<TVekEciMark>{{0, 3}, {3, 26}}));
    EXPECT_EQ(merged[0].text(), "\xC3\x89t\xC3\x89\xD0\x96!");

    // Designators inside a later part move with it.
    TVekBarcode c = b;
    c.eciMarks = {{1, 26}};
    EXPECT_EQ(mergeStructuredAppend({a, c})[0].eciMarks, (std::vector<TVekEciMark>{{0, 3}, {3, 26}, {4, 26}}));

    // Two different symbols in one place: nothing is joined.
    TVekBarcode other = b;
    other.bytes = "other";
    EXPECT_EQ(mergeStructuredAppend({a, b, other}).size(), 3u);
    // Undecoded symbols and different symbologies stay apart.
    TVekBarcode dm = b;
    dm.format = F::dataMatrix;
    EXPECT_EQ(mergeStructuredAppend({a, dm}).size(), 2u);
    TVekBarcode failed = b;
    failed.isValid = false;
    EXPECT_EQ(mergeStructuredAppend({a, failed}).size(), 2u);
}

TEST_F(StructuredAppendTest, GS1SymbolsReadInTheirHumanReadableForm) {
    const std::string data = "[01]09501101530003[17]140704[10]AB-123[21]S/N 1";
    const std::string hri = "(01)09501101530003(17)140704(10)AB-123(21)S/N 1";
    struct TKind {
        F format;
        std::string arguments;
        const char* identifier;
    };
    // CSET 82 has no space: the serial "S/N 1" is the error the parser finds.
    const std::vector<TKind> kinds = {
        {F::code128, "-b 16 --height=40 --quietzones", "]C1"},
        {F::dataMatrix, "-b 71 --gs1", "]d2"},
        {F::qrCode, "-b 58 --gs1", "]Q3"},
        {F::aztec, "-b 92 --gs1", "]z1"},
    };
    for (const TKind& kind : kinds) {
        SCOPED_TRACE(formatName(kind.format));
        for (const bool valid : {true, false}) {
            const std::string content = valid ? data.substr(0, data.find("[21]")) : data;
            const TVekImage image =
                rendered(kind.arguments + " --gs1nocheck -d " + test::shellQuote(content), formatName(kind.format));
            TVekReaderOptions options;
            options.formats = {kind.format};
            const TVekBarcodes found = readBarcodes(image, options);
            ASSERT_EQ(found.size(), 1u);
            const TVekBarcode& barcode = found.front();
            EXPECT_EQ(barcode.symbologyIdentifier, kind.identifier);
            EXPECT_TRUE(barcode.isGS1());
            const TVekGS1Content gs1 = barcode.gs1();
            if (valid) {
                EXPECT_TRUE(gs1.isValid()) << gs1.error;
                EXPECT_EQ(barcode.text(TVekTextMode::hri), hri.substr(0, hri.find("(21)")));
                EXPECT_EQ(gs1.elements.size(), 3u);
            } else {
                EXPECT_EQ(gs1.errorKind, TVekGS1ErrorKind::badCharacter) << gs1.error;
                EXPECT_EQ(gs1.elements.size(), 3u);
                EXPECT_EQ(barcode.text(TVekTextMode::escaped), "01095011015300031714070410AB-123<GS>21S/N 1");
            }
        }
    }
}

}  // namespace
}  // namespace orvel
