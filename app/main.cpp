#include "Fmain.h"
#include "QtSurface.h"
#include "StartupProbe.h"
#include "Translations.h"

#include <QApplication>
#include <QIcon>
#include <QWindow>

int main(int argc, char** argv)
{
    const double mainEntered = pelkano::millisecondsSinceProcessStart();
    QApplication app(argc, argv);
    pelkano::installQtTranslations(app);
    // The settings kept between runs: ~/.config/Pelkano/pelkano.conf.
    QApplication::setOrganizationName(QStringLiteral("Pelkano"));
    QApplication::setApplicationName(QStringLiteral("pelkano"));
    QApplication::setApplicationDisplayName(QStringLiteral("Pelkano"));
    QApplication::setDesktopFileName(QStringLiteral("pelkano"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("pelkano"), QIcon(QStringLiteral(":/pelkano.png"))));

    pelkano::Fmain window;
    window.keepSettings();
    pelkano::StartupProbe probe(mainEntered);
    if (pelkano::StartupProbe::requested()) {
        window.installEventFilter(&probe);
        window.winId();  // the window handle exists before show, so expose events reach the probe
        window.windowHandle()->installEventFilter(&probe);
    }
    window.show();

    if (!pelkano::StartupProbe::requested())
        window.warnOfFaces();
    return app.exec();
}
