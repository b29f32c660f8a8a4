// Accessibility for the custom-drawn widgets, which assistive technology would otherwise see as
// anonymous panes: a cell reads as static text (label as name, value as description), a button
// as a checkable push button named by its caption with a Press action, or as a check box named
// and described by its label (tRollOverBtn::SetCheckBox, SetLabel).
#pragma once

class QAccessibleInterface;
class QObject;
class QString;

namespace widgets {

// Registers the factory for tRazCell and tRollOverBtn. Safe to call more than once; every cell
// and button calls it on construction, so callers never need to.
void InstallAccessibility();

// The factory itself, for QAccessible::installFactory.
QAccessibleInterface* AccessibleWidgetFactory(const QString& className, QObject* object);

} // namespace widgets
