// What a screen reader learns beyond what Qt 6.4 tells it by itself.
#pragma once

class QString;
class QWidget;

namespace accessibility {

// Teaches Qt's accessibility, once for the process, the two interfaces below: a menu bar item
// whose action has the dynamic property "accessibleName" is spoken by that name rather than
// by its caption, and a notice (see announce) is a notification.
void install();

// Names widget for a screen reader by a hidden label (a sibling with widget as its buddy), made
// when a screen reader first connects: until then it would cost start-up a tenth of a MiB of
// code. On Linux a screen reader names a combo box by its text, whatever its accessible name,
// unless a label names it.
void nameByLabel(QWidget* widget, const QString& name);

// Has a screen reader speak text now: shows it as a notification of window, from a hidden
// child that window gets on the first announcement. Qt 6.4 has no announcement of its own.
void announce(QWidget* window, const QString& text);

} // namespace accessibility
