#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QStringList>

class QWidget;

// Measures a shown window as an author would read it: every visible label,
// button, check box and combo box shows its whole text, lies inside its
// window, and its text stands out from what is drawn behind it.
namespace LayoutAudit {

// The faults found, one line each, naming the widget; empty when none.
// minContrast is the smallest accepted ratio of text to background.
QStringList audit(QWidget* window, double minContrast = 3.0);

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
