#pragma once
// Start-up measurement: with PELKANO_STARTUP_PROBE set in the environment, the program prints
// how long it took from process start to the window's first show and expose, then quits.
#include <QObject>

namespace pelkano {

class StartupProbe final : public QObject {
    Q_OBJECT
public:
    // True when the environment asks for the measurement.
    static bool requested();
    // mainEntered: milliseconds since process start when main() began.
    explicit StartupProbe(double mainEntered, QObject* parent = nullptr) : QObject(parent), mainEntered_(mainEntered) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    double mainEntered_;
    bool shown_ = false;
};

// Milliseconds since the process was started, from the kernel's record of its start time.
double millisecondsSinceProcessStart();

}  // namespace pelkano
