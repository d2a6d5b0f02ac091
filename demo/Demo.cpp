#include "demo/Demo.h"

#include <QApplication>
#include <QFont>
#include <QMessageBox>

#include <exception>
#include <iostream>

#include "scan/VekFolderScan.h"

namespace orvel {

TTOrvelDemo::TTOrvelDemo(std::filesystem::path baseFolder, QWidget* parent)
    : QWidget(parent), baseFolder_(std::move(baseFolder)) {
    setWindowTitle("VekBarcode Orvel");
    QFont font("MS Sans Serif");
    font.setPixelSize(11);
    setFont(font);
    move(313, 199);
    resize(520, 361);

    log.setObjectName("log");
    log.setGeometry(16, 8, 481, 217);
    log.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    const std::pair<QPushButton*, QRect> buttons[] = {
        {&Button1, QRect(16, 248, 89, 25)},  {&Button3, QRect(112, 248, 89, 25)},
        {&Button4, QRect(208, 248, 89, 25)}, {&Button5, QRect(304, 248, 89, 25)},
        {&Button6, QRect(400, 248, 89, 25)}, {&Button2, QRect(416, 288, 75, 25)},
    };
    for (const auto& [button, geometry] : buttons) button->setGeometry(geometry);
    Button1.setObjectName("Button1");
    Button2.setObjectName("Button2");
    Button3.setObjectName("Button3");
    Button4.setObjectName("Button4");
    Button5.setObjectName("Button5");
    Button6.setObjectName("Button6");
    Label1.setObjectName("Label1");
    Label1.setText(orvelWebAddress);
    Label1.setGeometry(24, 304, 210, 13);

    // Tab order: the log, then the buttons by their numbers (Exit is second).
    setTabOrder(&log, &Button1);
    setTabOrder(&Button1, &Button2);
    setTabOrder(&Button2, &Button3);
    setTabOrder(&Button3, &Button4);
    setTabOrder(&Button4, &Button5);
    setTabOrder(&Button5, &Button6);

    connect(&Button1, &QPushButton::clicked, this, &TTOrvelDemo::Button1Click);
    connect(&Button2, &QPushButton::clicked, this, &TTOrvelDemo::Button2Click);
    connect(&Button3, &QPushButton::clicked, this, &TTOrvelDemo::Button3Click);
    connect(&Button4, &QPushButton::clicked, this, &TTOrvelDemo::Button4Click);
    connect(&Button5, &QPushButton::clicked, this, &TTOrvelDemo::Button5Click);
    connect(&Button6, &QPushButton::clicked, this, &TTOrvelDemo::Button6Click);
}

void TTOrvelDemo::Button1Click() { scanButtonClick(TVekScanFamily::oneD); }
void TTOrvelDemo::Button2Click() { QApplication::quit(); }
void TTOrvelDemo::Button3Click() { scanButtonClick(TVekScanFamily::pdf417); }
void TTOrvelDemo::Button4Click() { scanButtonClick(TVekScanFamily::datamatrix); }
void TTOrvelDemo::Button5Click() { scanButtonClick(TVekScanFamily::qrcode); }
void TTOrvelDemo::Button6Click() { scanButtonClick(TVekScanFamily::aztec); }

// The whole folder runs inside the click: the window does not react until
// the scan ends. An error ends the click at that file; the log keeps what
// was written so far.
void TTOrvelDemo::scanButtonClick(TVekScanFamily family) {
    const std::filesystem::path folder = baseFolder_ / familyFolder(family);
    if (const std::string problem = folderProblem(folder); !problem.empty())
        std::cerr << "orvel-demo: " << folder.string() << ": " << problem << '\n';
    try {
        scanFolder(family, folder, [this](const std::string& line) { writeLog(line); });
    } catch (const std::exception& failure) {
        showErrorBox(QString::fromUtf8(failure.what()));
    }
}

// Records render their bytes 0 ... 255 as characters of the same codes.
void TTOrvelDemo::writeLog(const std::string& line) {
    log.appendPlainText(QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size())));
}

void TTOrvelDemo::showErrorBox(const QString& message) {
    if (errorBox_) {
        errorBox_(message);
    } else {
        QMessageBox::critical(this, windowTitle(), message);
    }
}

}  // namespace orvel
