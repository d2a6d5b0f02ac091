// The demonstration program: the main window with its scan buttons, and the
// debug form that the readers' debug display shows.

#include <QApplication>

#include "demo/DebugForm.h"
#include "demo/Demo.h"
#include "demo/VekDebugFrame.h"
#include "foundation/VekDisplay.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    orvel::TTOrvelDemo TOrvelDemo;
    orvel::TVekDebugForm VekDebugForm;
    orvel::TVekDebugFrame debugDisplay(VekDebugForm);
    orvel::setVekDisplay(&debugDisplay);
    TOrvelDemo.show();
    const int status = application.exec();
    orvel::setVekDisplay(nullptr);
    return status;
}
