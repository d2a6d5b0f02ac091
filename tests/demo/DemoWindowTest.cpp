// The demonstration program driven headless: the window, the folder scans of
// the buttons with their log lines, the error box, the debug display.

#include <gtest/gtest.h>

#ifdef ORVEL_HAVE_QT

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

#include "demo/DebugForm.h"
#include "demo/Demo.h"
#include "demo/VekDebugFrame.h"
#include "foundation/VekDisplay.h"
#include "foundation/VekLine.h"
#include "support/ScanTestSupport.h"
#include "support/TestSupport.h"

namespace orvel {
namespace {

namespace fs = std::filesystem;
using test::emptyFolderScanLog;
using test::placeBlankPicture;
using test::placeJunkFile;

class DemoWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        application_ = std::make_unique<QApplication>(argc_, argv_);
    }
    static void TearDownTestSuite() { application_.reset(); }

    static std::vector<std::string> logLines(const TTOrvelDemo& demo) {
        std::vector<std::string> lines;
        const QString text = demo.log.toPlainText();
        if (text.isEmpty()) return lines;
        for (const QString& line : text.split('\n')) lines.push_back(line.toStdString());
        return lines;
    }

    // Runs action; the first modal window that opens meanwhile is handed to
    // onModal, which must close it.
    static void whileModal(const std::function<void()>& action, const std::function<void(QWidget&)>& onModal) {
        QTimer watcher;
        watcher.setInterval(10);
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                watcher.stop();
                onModal(*modal);
            }
        });
        watcher.start();
        action();
        watcher.stop();
    }

private:
    static inline int argc_ = 1;
    static inline char name_[] = "orvel_tests_demo";
    static inline char* argv_[] = {name_, nullptr};
    static inline std::unique_ptr<QApplication> application_;
};

TEST_F(DemoWindow, HasTheCaptionTheButtonsAndTheTabOrder) {
    TTOrvelDemo demo;
    EXPECT_EQ(demo.windowTitle(), "VekBarcode Orvel");
    EXPECT_EQ(demo.size(), QSize(520, 361));
    EXPECT_EQ(demo.log.geometry(), QRect(16, 8, 481, 217));
    const std::vector<std::tuple<QPushButton*, const char*, QRect>> buttons = {
        {&demo.Button1, "Scan 1D files", QRect(16, 248, 89, 25)},
        {&demo.Button3, "Scan PDF417", QRect(112, 248, 89, 25)},
        {&demo.Button4, "Scan Datamatrix", QRect(208, 248, 89, 25)},
        {&demo.Button5, "Scan QRCode", QRect(304, 248, 89, 25)},
        {&demo.Button6, "Scan AztecCode", QRect(400, 248, 89, 25)},
        {&demo.Button2, "Exit", QRect(416, 288, 75, 25)},
    };
    for (const auto& [button, text, geometry] : buttons) {
        EXPECT_EQ(button->text(), text);
        EXPECT_EQ(button->geometry(), geometry) << text;
    }
    EXPECT_TRUE(demo.Label1.text().startsWith("https://"));
    EXPECT_EQ(demo.Label1.geometry(), QRect(24, 304, 210, 13));

    const std::vector<QWidget*> tabOrder = {&demo.log,     &demo.Button1, &demo.Button2, &demo.Button3,
                                            &demo.Button4, &demo.Button5, &demo.Button6};
    for (size_t i = 0; i + 1 < tabOrder.size(); ++i) {
        QWidget* next = tabOrder[i]->nextInFocusChain();
        while (next != tabOrder[i + 1] && !(next->focusPolicy() & Qt::TabFocus)) next = next->nextInFocusChain();
        EXPECT_EQ(next, tabOrder[i + 1]) << "after tab stop " << i;
    }
}

TEST_F(DemoWindow, AClickLogsEveryPictureThenTheClosingLines) {
    const fs::path base = test::testDirectory("demo-click");
    placeBlankPicture("blank.bmp", base / "images" / "a.bmp");
    placeBlankPicture("blank.jpg", base / "images" / "b.jpg");
    TTOrvelDemo demo(base);
    QTest::mouseClick(&demo.Button1, Qt::LeftButton);
    EXPECT_EQ(logLines(demo), (std::vector<std::string>{"Scanning a.bmp", "No barcode found ", "", "Scanning b.jpg",
                                                        "No barcode found ", "", "", "Done."}));
}

TEST_F(DemoWindow, EachScanButtonReadsItsOwnFolder) {
    const fs::path base = test::testDirectory("demo-folders");
    placeBlankPicture("blank.bmp", base / "PDF417Images" / "pdf417.bmp");
    placeBlankPicture("blank.bmp", base / "DatamatrixImages" / "datamatrix.bmp");
    placeBlankPicture("blank.jpg", base / "QRCodeImages" / "qrcode.jpg");
    placeBlankPicture("blank.jpg", base / "AztecImages" / "aztec.jpg");
    TTOrvelDemo demo(base);
    for (QPushButton* button : {&demo.Button3, &demo.Button4, &demo.Button5, &demo.Button6, &demo.Button1}) {
        QTest::mouseClick(button, Qt::LeftButton);
    }
    std::vector<std::string> expected;
    for (const char* name : {"pdf417.bmp", "datamatrix.bmp", "qrcode.jpg", "aztec.jpg"}) {
        const std::vector<std::string> click = emptyFolderScanLog({name});
        expected.insert(expected.end(), click.begin(), click.end());
    }
    expected.insert(expected.end(), {"", "Done."});  // no folder "images"
    EXPECT_EQ(logLines(demo), expected);
}

TEST_F(DemoWindow, SkipsNamesOfFourCharactersAndOtherExtensions) {
    const fs::path base = test::testDirectory("demo-names");
    placeBlankPicture("blank.bmp", base / "QRCodeImages" / "x.bmp");
    placeBlankPicture("blank.jpg", base / "QRCodeImages" / "A.JPG");
    placeJunkFile(base / "QRCodeImages" / ".bmp");
    placeJunkFile(base / "QRCodeImages" / "scan.png");
    placeJunkFile(base / "QRCodeImages" / "b.jpeg");
    TTOrvelDemo demo(base);
    demo.Button5Click();
    EXPECT_EQ(logLines(demo), emptyFolderScanLog({"A.JPG", "x.bmp"}));
}

TEST_F(DemoWindow, APictureThatCannotBeLoadedEndsTheClickWithAnErrorBox) {
    const fs::path base = test::testDirectory("demo-error");
    placeBlankPicture("blank.bmp", base / "AztecImages" / "a.bmp");
    placeJunkFile(base / "AztecImages" / "c.bmp");
    placeBlankPicture("blank.jpg", base / "AztecImages" / "d.jpg");
    TTOrvelDemo demo(base);
    QString shown;
    whileModal([&] { demo.Button6Click(); },
               [&](QWidget& modal) {
                   auto* box = qobject_cast<QMessageBox*>(&modal);
                   ASSERT_NE(box, nullptr);
                   shown = box->text();
                   box->close();
               });
    EXPECT_TRUE(shown.contains("c.bmp: ")) << shown.toStdString();
    EXPECT_EQ(logLines(demo), (std::vector<std::string>{"Scanning a.bmp", "No barcode found ", ""}));

    // The next click starts afresh and meets the same file again.
    QString injected;
    demo.setErrorBox([&](const QString& message) { injected = message; });
    demo.Button6Click();
    EXPECT_EQ(injected, shown);
}

TEST_F(DemoWindow, DebugDisplayDrawsThePictureAndTheLinesAndWaitsForOk) {
    TVekDebugForm form;
    EXPECT_EQ(form.windowTitle(), "DebugForm");
    EXPECT_EQ(form.Label1.text(), "Label1");
    EXPECT_EQ(form.Button1.text(), "ok");
    TVekDebugFrame frame(form);
    setVekDisplay(&frame);

    TVekBitmap bitmap(8, 8);  // black
    TVekImage picture(std::move(bitmap));
    const TVectorLines lines = {TVekLine(20.5, 30, 60.5, 30), TVekLine(100, 99.5, 100, 140)};
    bool wasModal = false;
    whileModal([&] { vekDisplay().showLinesAndPoints(picture, lines, {TVekPoint(300, 300)}, "finder lines"); },
               [&](QWidget& modal) {
                   wasModal = &modal == &form;
                   form.Button1.click();
               });
    setVekDisplay(nullptr);

    EXPECT_TRUE(wasModal);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.Label1.text(), "finder lines");
    const QImage& canvas = form.getCanvas();
    const QRgb red = qRgb(255, 0, 0);
    EXPECT_EQ(canvas.pixel(4, 4), qRgb(0, 0, 0));  // the picture
    EXPECT_EQ(canvas.pixel(20, 30), red);          // Round(20.5) = 20: ties to even
    EXPECT_EQ(canvas.pixel(60, 30), red);
    EXPECT_EQ(canvas.pixel(19, 30), qRgb(255, 255, 255));
    EXPECT_EQ(canvas.pixel(61, 30), qRgb(255, 255, 255));
    EXPECT_EQ(canvas.pixel(100, 100), red);        // Round(99.5) = 100
    EXPECT_EQ(canvas.pixel(100, 99), qRgb(255, 255, 255));
    EXPECT_EQ(canvas.pixel(300, 300), qRgb(255, 255, 255));  // points are not drawn
}

}  // namespace
}  // namespace orvel

#else

TEST(DemoWindow, NeedsQt) { GTEST_SKIP() << "Qt 6 was not found: the demonstration program is not built"; }

#endif
