// Accessibility for the custom-drawn widgets, which assistive technology would otherwise see as
// anonymous panes: a cell reads as static text (label as name, value as description), a button
// as a checkable push button named by its caption with a Press action.
#pragma once

class QAccessibleInterface;
class QObject;
class QString;

namespace widgets {

// Registers the factory for tRazCell and tRollOverBtn. Safe to call more than once; the widgets
// call it on construction, so an explicit call is only needed before querying other objects.
void InstallAccessibility();

// The factory itself, for QAccessible::installFactory.
QAccessibleInterface* AccessibleWidgetFactory(const QString& className, QObject* object);

} // namespace widgets
