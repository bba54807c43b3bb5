#pragma once
// The countdown window of a deferred production run: it holds the run until the scheduled start,
// checking the program's clock every two seconds, or gives up when Cancel is pressed.
#include <QWidget>
#include <functional>

#include "base/DateTime.h"

class QLabel;
class QPushButton;
class QTimer;

namespace linkmend::ui {

class frmDorEvirizuSchedule : public QWidget {
    Q_OBJECT
public:
    explicit frmDorEvirizuSchedule(std::function<DateTime()> clock, QWidget* parent = nullptr);

    // Shows the window and waits, letting window messages run, until the scheduled start (true) or
    // Cancel (false); the window is hidden again before it returns.
    bool WaitForStart();

protected:
    void closeEvent(QCloseEvent* event) override;  // as Cancel

private:
    void Tick();

    std::function<DateTime()> clock_;
    QTimer* timer1_;
    QPushButton* command1_;
    QLabel* lblMessage1_[2];
    // Hidden: how the timer and Cancel tell the waiting run what to do ("CLICK" start, "CANCEL").
    QLabel* lblSecret_;
    QLabel* lblSecret2_;
};

}  // namespace linkmend::ui
