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

    // The faces' fault in detail is for the command-line tool; the window says what to do.
    if (!pelkano::checkFaces().isEmpty() && !pelkano::StartupProbe::requested())
        QMessageBox::warning(&window, QStringLiteral("Pelkano"),
                             QStringLiteral("図の数字をマスの中に書ける日本語の字体が見つかりません。"
                                            "IPA明朝とIPAゴシック（パッケージ fonts-ipafont-mincho と "
                                            "fonts-ipafont-gothic）を入れてください。"));
    return app.exec();
}
