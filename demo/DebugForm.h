#pragma once

#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QString>

namespace orvel {

// The debug window: a picture box to draw on, a caption label and "ok".
// It exists from start-up and is shown modally by the debug display.
class TVekDebugForm : public QDialog {
    Q_OBJECT

public:
    explicit TVekDebugForm(QWidget* parent = nullptr);

    // The drawing surface of Image1; showModal puts what was drawn on screen.
    QImage& getCanvas() { return canvas_; }
    void setCaption(const QString& text);
    // Shows the form and waits until "ok" closes it.
    void showModal();

    QLabel Image1{this};
    QLabel Label1{"Label1", this};
    QPushButton Button1{"ok", this};

public slots:
    void Button1Click();

private:
    QImage canvas_;
};

}  // namespace orvel
