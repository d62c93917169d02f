#include "Fmain.h"
#include "QtSurface.h"
#include "StartupProbe.h"
#include "Translations.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QWindow>

int main(int argc, char** argv)
{
    const double mainEntered = pelkano::millisecondsSinceProcessStart();
    QApplication app(argc, argv);
    pelkano::installQtTranslations(app);
    QApplication::setApplicationName(QStringLiteral("Pelkano"));
    QApplication::setDesktopFileName(QStringLiteral("pelkano"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("pelkano"), QIcon(QStringLiteral(":/pelkano.png"))));

    pelkano::Fmain window;
    pelkano::StartupProbe probe(mainEntered);
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
