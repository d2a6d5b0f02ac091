#include "demo/DebugForm.h"

#include <QFont>
#include <QPixmap>

namespace orvel {

TVekDebugForm::TVekDebugForm(QWidget* parent) : QDialog(parent), canvas_(721, 665, QImage::Format_RGB32) {
    setWindowTitle("DebugForm");
    QFont font("MS Sans Serif");
    font.setPixelSize(11);
    setFont(font);
    move(97, -3);
    resize(818, 758);
    setModal(true);

    canvas_.fill(Qt::white);
    Image1.setObjectName("Image1");
    Image1.setGeometry(24, 16, 721, 665);
    Image1.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1.setPixmap(QPixmap::fromImage(canvas_));
    Label1.setObjectName("Label1");
    Label1.setGeometry(120, 688, 32, 13);
    Button1.setObjectName("Button1");
    Button1.setGeometry(32, 688, 75, 25);
    connect(&Button1, &QPushButton::clicked, this, &TVekDebugForm::Button1Click);
}

// The label grows with its text, as a caption longer than "Label1" needs.
void TVekDebugForm::setCaption(const QString& text) {
    Label1.setText(text);
    Label1.adjustSize();
}

void TVekDebugForm::showModal() {
    Image1.setPixmap(QPixmap::fromImage(canvas_));
    exec();
}

void TVekDebugForm::Button1Click() { close(); }

}  // namespace orvel
