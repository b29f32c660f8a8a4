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
            return cell->whatsThis().isEmpty() ? cell->Hint() : cell->whatsThis();
        default:
            return QAccessibleWidget::text(t);
        }
    }
};

// A button is a checkable push button whose checked state is ButtonDown (a group's selection)
// or, made so by its owner, an on/off check box; either way the press clicks it.
class ButtonAccessible final : public QAccessibleWidget {
public:
    explicit ButtonAccessible(tRollOverBtn* button)
        : QAccessibleWidget(button, QAccessible::Button) {}

    QAccessible::Role role() const override {
        return Button()->IsCheckBox() ? QAccessible::CheckBox : QAccessible::Button;
    }

    QString text(QAccessible::Text t) const override {
        const auto* button = Button();
        QWidget* label = button->Label();
        if (t == QAccessible::Description && button->accessibleDescription().isEmpty() && label)
            return label->toolTip();
        if (t != QAccessible::Name) return QAccessibleWidget::text(t);
        if (!button->accessibleName().isEmpty()) return button->accessibleName();
        if (!button->Caption().trimmed().isEmpty()) return button->Caption();
        if (label) {
            if (QAccessibleInterface* named = QAccessible::queryAccessibleInterface(label))
                return named->text(QAccessible::Name);
        }
        // A blank caption and no label: the hint is the best name left.
        return button->toolTip();
    }

    QList<std::pair<QAccessibleInterface*, QAccessible::Relation>>
    relations(QAccessible::Relation match) const override {
        auto found = QAccessibleWidget::relations(match);
        QWidget* label = Button()->Label();
        if (label && (match & QAccessible::Labelled))
            if (QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(label))
                found.append({iface, QAccessible::Labelled});
        return found;
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = Button()->IsChecked();
        s.hotTracked = Button()->IsHovered();
        s.pressed = Button()->IsHovered() && Button()->IsPressed();
        return s;
    }

    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames() << pressAction();
        if (Button()->IsCheckBox()) names << toggleAction();
        return names;
    }

    void doAction(const QString& actionName) override {
        if (actionName == pressAction() ||
            (actionName == toggleAction() && Button()->IsCheckBox())) {
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
