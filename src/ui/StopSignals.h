#pragma once
// SIGTERM and SIGHUP as a Qt signal: the handler only writes an octet to a pipe whose reading end
// a socket notifier watches, so the stop is acted on where window messages run (between a run's
// steps, as a click on Cancel is). One object per process.
#include <QObject>

class QSocketNotifier;

namespace linkmend::ui {

class StopSignals : public QObject {
    Q_OBJECT
public:
    // Installs the handlers; without a pipe they stay the system's (the signal ends the program).
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

signals:
    void Stopped();

private:
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace linkmend::ui
