#include "ui/FormSupport.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <limits>

namespace linkmend::ui {
namespace {

class SelectAllFilter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusIn) {
            auto* box = static_cast<QLineEdit*>(watched);
            // A mouse click that gave the focus places the cursor after this event; select later.
            if (!box->text().isEmpty()) QTimer::singleShot(0, box, [box] { box->selectAll(); });
        }
        return false;
    }
};

}  // namespace

void CentreOnScreen(QWidget* window) {
    if (!window->testAttribute(Qt::WA_Resized)) window->adjustSize();
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QSize size = window->frameGeometry().size();
    window->move(area.left() + (area.width() - size.width()) / 2, area.top() + (area.height() - size.height()) / 2);
}

void SelectAllOnFocus(QLineEdit* box) { box->installEventFilter(new SelectAllFilter(box)); }

UpDownBox::UpDownBox(QWidget* parent) : QSpinBox(parent) {
    setRange(0, std::numeric_limits<int>::max());
    setAccelerated(true);
}

}  // namespace linkmend::ui
