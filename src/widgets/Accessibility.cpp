#include "Accessibility.h"

#include "RazCell.h"
#include "RollOverBtn.h"

#include <QAccessibleWidget>

namespace widgets {

namespace {

// Label as name and value as description: a screen reader then reads "Up Time, 3 days" the way
// the cell shows it.
class CellAccessible final : public QAccessibleWidget {
public:
    explicit CellAccessible(tRazCell* cell) : QAccessibleWidget(cell, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override {
        const auto* cell = static_cast<const tRazCell*>(widget());
        switch (t) {
        case QAccessible::Name:
            return cell->accessibleName().isEmpty() ? cell->String1() : cell->accessibleName();
        case QAccessible::Description:
            return cell->accessibleDescription().isEmpty() ? cell->String2()
                                                           : cell->accessibleDescription();
        case QAccessible::Help:
            // The hint text would otherwise be lost: the description carries the value.
            return cell->whatsThis().isEmpty() ? cell->toolTip() : cell->whatsThis();
        default:
            return QAccessibleWidget::text(t);
        }
    }
};

// The buttons act as radio-group members or option toggles through ButtonDown, so they are
// exposed as checkable buttons whose checked state is ButtonDown.
class ButtonAccessible final : public QAccessibleWidget {
public:
    explicit ButtonAccessible(tRollOverBtn* button)
        : QAccessibleWidget(button, QAccessible::Button) {}

    QString text(QAccessible::Text t) const override {
        const auto* button = Button();
        if (t != QAccessible::Name) return QAccessibleWidget::text(t);
        if (!button->accessibleName().isEmpty()) return button->accessibleName();
        // The option toggles carry a blank caption; their hint is the best name left.
        if (!button->Caption().trimmed().isEmpty()) return button->Caption();
        return button->toolTip();
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = Button()->ButtonDown();
        s.hotTracked = Button()->IsHovered();
        s.pressed = Button()->IsHovered() && Button()->IsPressed();
        return s;
    }

    QStringList actionNames() const override {
        return QAccessibleWidget::actionNames() << pressAction();
    }

    void doAction(const QString& actionName) override {
        if (actionName == pressAction()) {
            if (widget()->isEnabled()) Button()->Click();
            return;
        }
        QAccessibleWidget::doAction(actionName);
    }

private:
    tRollOverBtn* Button() const { return static_cast<tRollOverBtn*>(widget()); }
};

} // namespace

QAccessibleInterface* AccessibleWidgetFactory(const QString&, QObject* object) {
    if (auto* cell = qobject_cast<tRazCell*>(object)) return new CellAccessible(cell);
    if (auto* button = qobject_cast<tRollOverBtn*>(object)) return new ButtonAccessible(button);
    return nullptr;
}

void InstallAccessibility() {
    // Widgets are created on the GUI thread only, so a plain flag is enough.
    static bool installed = false;
    if (installed) return;
    installed = true;
    QAccessible::installFactory(&AccessibleWidgetFactory);
}

} // namespace widgets
