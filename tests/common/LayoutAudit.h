#pragma once

#include <QColor>
#include <QHash>
#include <QImage>
#include <QRect>
#include <QStringList>
#include <QVector>

class QWidget;

// Measures a shown window as an author would read it: every visible label,
// button, check box and combo box shows its whole text, lies inside its
// window, and its text stands out from what is drawn behind it.
namespace LayoutAudit {

// The faults found, one line each, naming the widget; empty when none.
// minContrast is the smallest accepted ratio of text to background.
QStringList audit(QWidget* window, double minContrast = 3.0);

// Check boxes and radio buttons whose indicator looks nearly the same checked
// as unchecked (audit() includes these).
QStringList indicatorFaults(QWidget* window);

// The lengths of a window and its shown parts, by their place among their
// parents' children: a fixed width or height, an icon's size, the margins and
// spacings of its layouts (the style's defaults count as none).
struct SizesPart
{
    QString name;
    int width = 0;
    int height = 0;
    // A button's icon size, and whether it draws an icon.
    int icon = 0;
    bool drawsIcon = false;
    QVector<int> layout;
};
using Sizes = QHash<QString, SizesPart>;
Sizes measure(QWidget* root);

// What the shown window draws at its 100 % size: the lengths of more than a
// couple of pixels that the same window built at 100 % has too.
QStringList unscaled(const Sizes& at100, const Sizes& shown, double scale);

// Panels the window opened as windows of their own that cover widgets of it
// other than the pane they were opened from (a tool over the chapter tree) or
// the named parts, or that reach past its top or bottom.
QStringList panelsOver(QWidget* window, const QStringList& keepInSight = {});

// WCAG contrast ratio of two opaque colours (1 to 21).
double contrast(const QColor& a, const QColor& b);

// How far the strongest colour in rect stands out from the one covering most
// of it: the text and the background it is drawn on.
double inkContrast(const QImage& image, const QRect& rect, QColor* paper = nullptr, QColor* ink = nullptr);

// The colour covering most of the window as it is drawn.
QColor dominantColour(QWidget* window);

// Writes a picture of the window as PNG for a person to look at.
bool saveShot(QWidget* window, const QString& path);

} // namespace LayoutAudit
