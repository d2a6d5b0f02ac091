#pragma once

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QString>
#include <QWidget>

#include <filesystem>
#include <functional>
#include <string>

#include "scan/VekScanFamily.h"

namespace orvel {

// The main window of the demonstration program: the log, the five scan
// buttons, "Exit" and the product's web address. Each scan button scans its
// folder (relative to the base folder, by default the working directory)
// inside its click handler, as one blocking run.
class TTOrvelDemo : public QWidget {
    Q_OBJECT

public:
    // Shows an error that ended a scan; by default the toolkit's error box.
    using TErrorBox = std::function<void(const QString& message)>;

    explicit TTOrvelDemo(std::filesystem::path baseFolder = {}, QWidget* parent = nullptr);

    void setErrorBox(TErrorBox errorBox) { errorBox_ = std::move(errorBox); }

    QPlainTextEdit log{this};
    QPushButton Button1{"Scan 1D files", this};
    QPushButton Button3{"Scan PDF417", this};
    QPushButton Button4{"Scan Datamatrix", this};
    QPushButton Button5{"Scan QRCode", this};
    QPushButton Button6{"Scan AztecCode", this};
    QPushButton Button2{"Exit", this};
    QLabel Label1{this};

public slots:
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();

private:
    void scanButtonClick(TVekScanFamily family);
    void writeLog(const std::string& line);
    void showErrorBox(const QString& message);

    std::filesystem::path baseFolder_;
    TErrorBox errorBox_;
};

// The product's web address shown under the buttons.
inline constexpr const char* orvelWebAddress = "https://orvel.vekbarcode.example";

}  // namespace orvel
