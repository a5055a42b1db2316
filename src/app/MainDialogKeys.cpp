// The main window's keys: Esc and Enter that never close it, F6 walking the focus through its
// controls, Tab and Shift+Tab turning the pages, and the wheel scrolling the shown page's list.
#include "app/MainDialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QKeyEvent>
#include <QRadioButton>
#include <QWheelEvent>

#include "pages/SettingsPage.h"
#include "widgets/Ipv4Field.h"

namespace pelmora {
namespace {

// Of radio buttons that go together, the focus walk stops only at the chosen one, or at the first
// that can be chosen when none is: Space on another would choose it, switching a fixed-address
// camera to DHCP on the way past. The arrow keys move between them.
bool isRadioStop(const QRadioButton* radio) {
    QList<QAbstractButton*> members;
    if (radio->group() != nullptr && radio->group()->exclusive()) {
        members = radio->group()->buttons();
    } else if (radio->autoExclusive() && radio->parentWidget() != nullptr) {
        for (auto* sibling :
             radio->parentWidget()->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly)) {
            if (sibling->autoExclusive() && sibling->group() == nullptr) {
                members.append(sibling);
            }
        }
    }
    const auto reachable = [](const QAbstractButton* b) {
        return b->isEnabled() && b->isVisible();
    };
    for (const auto* member : members) {
        if (member->isChecked() && reachable(member)) {
            return member == radio;
        }
    }
    for (const auto* member : members) {
        if (reachable(member)) {
            return member == radio;
        }
    }
    return true;
}

}  // namespace

void MainDialog::selectTab(int index) {
    const int count = tabs_->count();
    tabs_->setCurrentIndex((index + count) % count);
}

void MainDialog::keyPressEvent(QKeyEvent* event) {
    // Esc and Enter never close the window: it closes from its close box only.
    switch (event->key()) {
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            event->accept();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

// F6 and Shift+F6 walk the focus through the window's controls in reading order, since Tab
// belongs to the pages: the filter row, the tabs, then the shown page's list and form, and round
// again. An address field is one stop, and of two radio buttons that go together only the chosen
// one (the arrow keys choose the other).
void MainDialog::walkFocus(bool forward) {
    QWidget* from = QApplication::focusWidget();
    if (from == nullptr || from->window() != this) {
        filterText_->setFocus(Qt::TabFocusReason);
        return;
    }
    // An inner octet box stands for its whole field.
    for (QWidget* w = from; w != nullptr && w != this; w = w->parentWidget()) {
        if (auto* field = qobject_cast<Ipv4Field*>(w)) {
            from = field->octetBox(0);
            break;
        }
    }
    QWidget* next = from;
    do {
        next = forward ? next->nextInFocusChain() : next->previousInFocusChain();
        const auto* radio = qobject_cast<QRadioButton*>(next);
        const bool stop = next->window() == this && (next->focusPolicy() & Qt::TabFocus) != 0 &&
                          next->focusProxy() == nullptr && next->isVisible() && next->isEnabled() &&
                          (radio == nullptr || isRadioStop(radio));
        if (stop) {
            next->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return;
        }
    } while (next != from);
}

bool MainDialog::eventFilter(QObject* watched, QEvent* event) {
    // Tab and Shift+Tab move between the pages, not between the controls. Watched for the whole
    // application, since the key goes to whichever control has the focus.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if (key->key() == Qt::Key_F6 && widget != nullptr && widget->window() == this) {
            walkFocus(!key->modifiers().testFlag(Qt::ShiftModifier));
            return true;
        }
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) && widget != nullptr &&
            widget->window() == this) {
            const bool back =
                key->key() == Qt::Key_Backtab || key->modifiers().testFlag(Qt::ShiftModifier);
            selectTab(tabs_->currentIndex() + (back ? -1 : 1));
            return true;
        }
        return false;
    }
    // The wheel scrolls the visible page's list one row per notch; the ONVIF page's list
    // scrolls as lists do.
    if (event->type() == QEvent::Wheel && currentPage_ != nullptr) {
        wheelEvent(static_cast<QWheelEvent*>(event));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void MainDialog::wheelEvent(QWheelEvent* event) {
    if (currentPage_ != nullptr && event->angleDelta().y() != 0) {
        currentPage_->pageWheel(event->angleDelta().y());
    }
    event->accept();
}

}  // namespace pelmora
