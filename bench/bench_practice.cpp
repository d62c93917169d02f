// Opening the practice window: from the click on 練習 (twelve problems of type 3 made as a
// preview makes them) to the first paint of the figure, offscreen.
#include "Fmain.h"
#include "PracticeWindow.h"
#include "RadioGroup.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QWindow>

#include <benchmark/benchmark.h>

namespace {

using namespace pelkano;

// Marks the end of the first paint of a practice board.
class FirstPaint final : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override
    {
        const bool result = QApplication::notify(receiver, event);
        if (event->type() == QEvent::Paint && qobject_cast<PracticeBoard*>(receiver))
            painted = true;
        return result;
    }
    bool painted = false;
};

void BM_PracticeWindowStart(benchmark::State& state)
{
    auto* app = static_cast<FirstPaint*>(QCoreApplication::instance());
    Fmain main(std::make_unique<SeededRandom>(1));
    main.show();
    while (!main.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    main.typeBox(77)->click();  // type 3
    main.findChild<RadioGroup*>(QStringLiteral("QNumPattern"))->setItemIndex(5);  // 4段3列
    auto* button = main.findChild<QPushButton*>(QStringLiteral("btnPractice"));
    for (auto _ : state) {
        app->painted = false;
        button->click();
        while (!app->painted)
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        state.PauseTiming();
        for (PracticeWindow* w : main.findChildren<PracticeWindow*>())
            w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PracticeWindowStart)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    FirstPaint app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
