#pragma once
// Small helpers the windows share: text conversion, centring, select-all on focus, and the bib-limit
// up-down control whose text box is a control of its own.
#include <QLineEdit>
#include <QSpinBox>
#include <QString>
#include <string>

class QWidget;

namespace linkmend::ui {

// The job's texts are UTF-8 octets.
inline QString Q(const std::string& text) { return QString::fromStdString(text); }
inline std::string S(const QString& text) { return text.toStdString(); }

// Places the window in the middle of its screen's available area (after sizing it to its layout
// when it has no size yet).
void CentreOnScreen(QWidget* window);

// When the box gets the focus and is not empty, its whole text is selected.
void SelectAllOnFocus(QLineEdit* box);

// An up-down control whose text box is reachable under a name of its own ("txtBibLimit").
class UpDownBox : public QSpinBox {
    Q_OBJECT
public:
    explicit UpDownBox(QWidget* parent = nullptr);
    QLineEdit* TextBox() const { return lineEdit(); }
};

}  // namespace linkmend::ui
