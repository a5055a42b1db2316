#include "widgets/AccessibleControls.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeySequence>
#include <QRadioButton>

#include "widgets/Ipv4Field.h"

namespace pelmora {
namespace {

class Ipv4FieldAccessible final : public QAccessibleWidget {
  public:
    explicit Ipv4FieldAccessible(Ipv4Field* field)
        : QAccessibleWidget(field, QAccessible::Grouping) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) {
            return static_cast<const Ipv4Field*>(widget())->fieldName();
        }
        return QAccessibleWidget::text(t);
    }
};

class RadioAccessible final : public QAccessibleWidget {
  public:
    explicit RadioAccessible(QRadioButton* radio)
        : QAccessibleWidget(radio, QAccessible::RadioButton) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) {
            QString name = radio()->text();
            return name.remove(QLatin1Char('&'));
        }
        // The key a screen reader names with the radio: its letter, "Alt+U".
        if (t == QAccessible::Accelerator) {
            return QKeySequence::mnemonic(radio()->text()).toString(QKeySequence::NativeText);
        }
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = radio()->isChecked();
        return s;
    }

    QStringList actionNames() const override {
        QStringList names;
        if (widget()->isEnabled()) {
            names << toggleAction();
        }
        return names + QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override {
        if (action == toggleAction() || action == pressAction()) {
            if (widget()->isEnabled()) {
                radio()->click();
            }
            return;
        }
        QAccessibleWidget::doAction(action);
    }

  private:
    QRadioButton* radio() const { return static_cast<QRadioButton*>(widget()); }
};

QAccessibleInterface* accessibleControl(const QString& className, QObject* object) {
    if (!object->isWidgetType()) {
        return nullptr;
    }
    if (className == QLatin1String("pelmora::Ipv4Field")) {
        return new Ipv4FieldAccessible(static_cast<Ipv4Field*>(object));
    }
    if (className == QLatin1String("QRadioButton")) {
        return new RadioAccessible(static_cast<QRadioButton*>(object));
    }
    return nullptr;
}

}  // namespace

void installAccessibleControls() {
    static const bool installed = [] {
        QAccessible::installFactory(accessibleControl);
        return true;
    }();
    (void)installed;
}

}  // namespace pelmora
