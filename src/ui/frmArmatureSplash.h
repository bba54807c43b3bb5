#pragma once
// The progress window of a run: when it started, the step, the two counter lines and Cancel.
#include <QWidget>

class QLabel;
class QPushButton;

namespace linkmend::ui {

class frmArmatureSplash : public QWidget {
    Q_OBJECT
public:
    explicit frmArmatureSplash(QWidget* parent = nullptr);

    void SetStarted(const QString& text);
    void SetStep(const QString& text);
    void SetRetrieved(const QString& text);
    void SetChanged(const QString& text);
    void EnableCancel(bool enabled);
    void HideCancel();

signals:
    void CancelClicked();

protected:
    // Closing the window is Cancel while Cancel can be pressed; otherwise the window stays.
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* lblStarted_;
    QLabel* lblProcessingStepText_;
    QLabel* lblRecordsRetrieved_;
    QLabel* lblRecordsChanged_;
    QPushButton* command1_;
};

}  // namespace linkmend::ui
