#include "Fmain.h"
#include "QtSurface.h"
#include "StartupProbe.h"

#include <QApplication>
#include <QMessageBox>
#include <QWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pelkano"));

    pelkano::Fmain window;
    pelkano::StartupProbe probe;
    if (pelkano::StartupProbe::requested()) {
        window.installEventFilter(&probe);
        window.winId();  // the window handle exists before show, so expose events reach the probe
        window.windowHandle()->installEventFilter(&probe);
    }
    window.show();

    const QString faces = pelkano::checkFaces();
    if (!faces.isEmpty() && !pelkano::StartupProbe::requested())
        QMessageBox::warning(&window, QStringLiteral("Pelkano"), faces);
    return app.exec();
}
