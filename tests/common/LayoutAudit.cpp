#include "LayoutAudit.h"

#include "common/DPIAdapter.h"

#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGraphicsOpacityEffect>
#include <QHash>
#include <QImage>
#include <QLabel>
#include <QFontInfo>
#include <QLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QQuickItem>
#include <QQuickWidget>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSet>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QTextDocument>
#include <QtMath>

#include <memory>

namespace LayoutAudit {
namespace {
double luminance(const QColor& c);
}
double contrast(const QColor& a, const QColor& b)
{
    const double la = luminance(a), lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}
namespace {

double luminance(const QColor& c)
{
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : qPow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

QString describe(const QWidget* w)
{
    QString name = w->objectName();
    if (name.isEmpty())
        name = QLatin1String(w->metaObject()->className());
    return name;
}

// Content that scrolls is meant to reach past its frame.
bool scrolls(const QWidget* w, const QWidget* window)
{
    for (const QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget())
        if (qobject_cast<const QAbstractScrollArea*>(p->parentWidget()) && p->objectName() == QLatin1String("qt_scrollarea_viewport"))
            return true;
    return false;
}

// A toast fading in or out is painted at part strength over what lies below
// it, so its colours are judged only when it is caught at full strength.
bool fading(const QWidget* w, const QWidget* window)
{
    for (const QWidget* p = w; p && p != window; p = p->parentWidget()) {
        const auto* effect = qobject_cast<const QGraphicsOpacityEffect*>(p->graphicsEffect());
        if (effect && effect->isEnabled() && effect->opacity() < 1.0)
            return true;
    }
    return false;
}

bool shown(const QWidget* w, const QWidget* window)
{
    return w->isVisibleTo(window) && w->width() > 0 && w->height() > 0;
}

QString sizeText(const QSizeF& size)
{
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

// A "&" before a letter marks the key and is drawn as the letter underlined.
QString withoutMnemonic(const QString& text)
{
    QString shown = text;
    for (int i = 0; i < shown.size() - 1; ++i)
        if (shown.at(i) == QLatin1Char('&'))
            shown.remove(i, 1);
    return shown;
}

int widestLine(const QFontMetrics& fm, const QString& text)
{
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n')))
        widest = qMax(widest, fm.horizontalAdvance(line));
    return widest;
}

// The colour covering most of the rectangle: the background the text sits on.
QColor dominant(const QImage& image, const QRect& rect)
{
    QHash<QRgb, int> counts;
    const QRect r = rect.intersected(image.rect());
    const int step = qMax(1, qMin(r.width(), r.height()) / 12);
    for (int y = r.top(); y <= r.bottom(); y += step)
        for (int x = r.left(); x <= r.right(); x += step)
            ++counts[image.pixel(x, y) | 0xff000000u];
    QRgb best = 0xffffffffu;
    int bestCount = -1;
    for (auto it = counts.constBegin(); it != counts.constEnd(); ++it)
        if (it.value() > bestCount) {
            best = it.key();
            bestCount = it.value();
        }
    return QColor::fromRgb(best);
}

// The colour standing out most from the background: the core of the glyphs.
QColor strongest(const QImage& image, const QRect& rect, const QColor& paper)
{
    const QRect r = rect.intersected(image.rect());
    QColor best = paper;
    double bestContrast = 1.0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor c = QColor::fromRgb(image.pixel(x, y) | 0xff000000u);
            const double k = contrast(c, paper);
            if (k > bestContrast) {
                best = c;
                bestContrast = k;
            }
        }
    return best;
}

// Where a widget draws its text.
QRect textArea(QWidget* w)
{
    QStyle::SubElement element;
    if (qobject_cast<QCheckBox*>(w))
        element = QStyle::SE_CheckBoxContents;
    else if (qobject_cast<QRadioButton*>(w))
        element = QStyle::SE_RadioButtonContents;
    else if (qobject_cast<QPushButton*>(w))
        element = QStyle::SE_PushButtonContents;
    else
        return w->contentsRect();
    auto* button = static_cast<QAbstractButton*>(w);
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    return w->style()->subElementRect(element, &option, w);
}

QString textRoom(QWidget* w)
{
    if (auto* label = qobject_cast<QLabel*>(w)) {
        const QString text = label->text();
        if (text.isEmpty() || label->pixmap(Qt::ReturnByValue).width() > 0 || Qt::mightBeRichText(text))
            return QString();
        const QRect room = label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(),
                                                          -label->margin());
        if (label->wordWrap()) {
            const int needed = label->heightForWidth(label->width());
            return needed > label->height() + 1 ? QStringLiteral("needs %1 px height, has %2").arg(needed).arg(label->height())
                                                 : QString();
        }
        const QString letters = label->buddy() ? withoutMnemonic(text) : text;
        const int needed = widestLine(label->fontMetrics(), letters) + label->indent() * (label->indent() > 0);
        if (needed > room.width() + 1)
            return QStringLiteral("\"%1\" needs %2 px, has %3").arg(text).arg(needed).arg(room.width());
        const int lines = text.count(QLatin1Char('\n')) + 1;
        if (label->fontMetrics().height() * lines > room.height() + 4)
            return QStringLiteral("\"%1\" needs %2 px height, has %3")
                .arg(text)
                .arg(label->fontMetrics().height() * lines)
                .arg(room.height());
        return QString();
    }
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        const QString text = button->text();
        if (text.isEmpty())
            return QString();
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = text;
        option.icon = button->icon();
        option.iconSize = button->iconSize();
        QStyle::SubElement element = QStyle::SE_PushButtonContents;
        if (qobject_cast<QCheckBox*>(button))
            element = QStyle::SE_CheckBoxContents;
        else if (qobject_cast<QRadioButton*>(button))
            element = QStyle::SE_RadioButtonContents;
        else if (!qobject_cast<QPushButton*>(button))
            return QString();
        const QRect room = button->style()->subElementRect(element, &option, button);
        int needed = widestLine(button->fontMetrics(), withoutMnemonic(text));
        if (element == QStyle::SE_PushButtonContents && !button->icon().isNull())
            needed += button->iconSize().width() + 4;
        if (needed > room.width() + 1)
            return QStringLiteral("\"%1\" needs %2 px, has %3").arg(text).arg(needed).arg(room.width());
        if (button->fontMetrics().ascent() > room.height() + 2)
            return QStringLiteral("\"%1\" is %2 px high, has %3").arg(text).arg(button->fontMetrics().height()).arg(room.height());
        return QString();
    }
    if (auto* box = qobject_cast<QComboBox*>(w)) {
        if (box->isEditable() || box->currentText().isEmpty())
            return QString();
        QStyleOptionComboBox option;
        option.initFrom(box);
        option.frame = true;
        option.currentText = box->currentText();
        const QRect room = box->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, box);
        const int needed = box->fontMetrics().horizontalAdvance(box->currentText());
        if (needed > room.width() + 1)
            return QStringLiteral("\"%1\" needs %2 px, has %3").arg(box->currentText()).arg(needed).arg(room.width());
    }
    return QString();
}

QString shownText(QWidget* w)
{
    if (auto* label = qobject_cast<QLabel*>(w))
        return Qt::mightBeRichText(label->text()) ? QString() : label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return button->text();
    return QString();
}

// A text smaller than the skins' smallest at 100 %, grown with the scale,
// stands small beside the controls the scale has grown.
void auditTextSize(QWidget* w, const QString& text, QStringList& faults)
{
    const int minimum = int(11 * DPIAdapter::instance()->scale());
    const int size = QFontInfo(w->font()).pixelSize();
    if (!text.trimmed().isEmpty() && size < minimum)
        faults << QStringLiteral("%1 \"%2\" is %3 px high, less than %4 at this scale")
                      .arg(describe(w), text).arg(size).arg(minimum);
}

// A button's own parts (an icon, a badge) beside its text, never over it.
void auditPartOverText(QAbstractButton* button, QStringList& faults)
{
    if (button->text().isEmpty() || !qobject_cast<QPushButton*>(button))
        return;
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    const QRect room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    const QRect text(room.left(), room.top(), qMin(room.width(), button->fontMetrics().horizontalAdvance(button->text())),
                     room.height());
    for (QWidget* part : button->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (part->isVisibleTo(button) && part->geometry().intersects(text))
            faults << QStringLiteral("%1 \"%2\" has %3 over its text: %4..%5 on %6..%7")
                          .arg(describe(button), button->text(), describe(part))
                          .arg(part->geometry().left()).arg(part->geometry().right())
                          .arg(text.left()).arg(text.right());
}

// Parts of a QML panel reaching past its edges are cut off; what a list
// scrolls is meant to.
void auditQuickItems(QQuickItem* item, const QRectF& panel, const QString& where, QStringList& faults)
{
    for (QQuickItem* child : item->childItems()) {
        if (!child->isVisible() || child->width() <= 0 || child->height() <= 0)
            continue;
        if (child->inherits("QQuickFlickable"))
            continue;
        const QRectF r = child->mapRectToScene(QRectF(0, 0, child->width(), child->height()));
        if (r.intersects(panel) && !panel.adjusted(-0.5, -0.5, 0.5, 0.5).contains(r))
            faults << QStringLiteral("%1: %2 is cut by the panel: %3,%4 %5 in %6")
                          .arg(where, QLatin1String(child->metaObject()->className()))
                          .arg(r.x()).arg(r.y()).arg(sizeText(r.size()), sizeText(panel.size()));
        else
            auditQuickItems(child, panel, where, faults);
    }
}

// A widget's place under root: class, name and rank among its siblings of
// that class and name, for each level down from root.
QString placeOf(const QWidget* w, const QWidget* root)
{
    QStringList levels;
    for (const QWidget* p = w; p && p != root; p = p->parentWidget()) {
        int rank = 0;
        for (const QObject* sibling : p->parentWidget()->children()) {
            if (sibling == p)
                break;
            if (sibling->metaObject() == p->metaObject() && sibling->objectName() == p->objectName())
                ++rank;
        }
        levels.prepend(QStringLiteral("%1#%2[%3]").arg(QLatin1String(p->metaObject()->className()), p->objectName()).arg(rank));
    }
    return levels.join(QLatin1Char('/'));
}

// A length of more than a couple of pixels at 100 % that grew less than half
// the way to its size at this scale. One that shrank (to none, or a text's
// height in a wider box) was not left as it was.
bool keptSmall(int at100, int shown, double scale)
{
    return at100 > 2 && shown >= at100 - 1 && shown < at100 * (1 + (scale - 1) / 2);
}

// The margins and spacings of a layout and of the layouts it holds, in
// order. The style's own defaults follow the screen's dots per inch already,
// and count as none.
void layoutLengths(const QLayout* layout, QVector<int>& lengths)
{
    const QStyle* style = layout->parentWidget() ? layout->parentWidget()->style() : QApplication::style();
    QSet<int> defaults;
    for (QStyle::PixelMetric metric : {QStyle::PM_LayoutLeftMargin, QStyle::PM_LayoutTopMargin, QStyle::PM_LayoutRightMargin,
                                       QStyle::PM_LayoutBottomMargin, QStyle::PM_LayoutHorizontalSpacing,
                                       QStyle::PM_LayoutVerticalSpacing, QStyle::PM_DefaultLayoutSpacing,
                                       QStyle::PM_DefaultChildMargin, QStyle::PM_DefaultTopLevelMargin})
        defaults << style->pixelMetric(metric);
    const QMargins m = layout->contentsMargins();
    for (int length : {m.left(), m.top(), m.right(), m.bottom(), layout->spacing()})
        lengths << (defaults.contains(length) ? 0 : length);
    for (int i = 0; i < layout->count(); ++i)
        if (const QLayout* inner = layout->itemAt(i)->layout())
            layoutLengths(inner, lengths);
}

} // namespace

QStringList audit(QWidget* window, double minContrast)
{
    QStringList faults;
    // A window larger than the screen's free area hides its edges and the
    // buttons on them.
    if (QScreen* screen = window->screen()) {
        const QSize room = screen->availableGeometry().size();
        const QSize size = window->frameGeometry().size();
        if (size.width() > room.width() || size.height() > room.height())
            faults << QStringLiteral("window of %1 on a screen with %2 free").arg(sizeText(size), sizeText(room));
    }
    // A widget held smaller than its layout needs squeezes or overlaps its
    // contents.
    QList<QWidget*> laidOut = window->findChildren<QWidget*>();
    laidOut.prepend(window);
    for (QWidget* w : laidOut) {
        if ((w != window && (!shown(w, window) || scrolls(w, window) || w->window() != window)) || !w->layout())
            continue;
        const QSize needed = w->layout()->totalMinimumSize();
        if (needed.width() > w->width() + 1 || needed.height() > w->height() + 1)
            faults << QStringLiteral("%1 is %2, its layout needs %3").arg(describe(w), sizeText(w->size()), sizeText(needed));
    }
    // A text the author cannot edit is there to be read whole, when the
    // window could have been made large enough for it.
    if (window->minimumSize() == window->maximumSize()) {
        for (QAbstractScrollArea* box : window->findChildren<QAbstractScrollArea*>()) {
            // Only the plain and rich text editors have the property.
            const QVariant readOnly = box->property("readOnly");
            if (shown(box, window) && readOnly.isValid() && (readOnly.toBool() || !box->isEnabled())
                && box->verticalScrollBar()->maximum() > 0)
                faults << QStringLiteral("%1 must be scrolled to be read in a window of fixed size").arg(describe(box));
        }
    }
    for (QQuickWidget* panel : window->findChildren<QQuickWidget*>())
        if (shown(panel, window) && panel->rootObject())
            auditQuickItems(panel->rootObject(), QRectF(0, 0, panel->width(), panel->height()), describe(panel), faults);
    const QImage image = window->grab().toImage();
    const double ratio = image.width() / double(qMax(1, window->width()));
    const QList<QWidget*> children = window->findChildren<QWidget*>();
    // The task bar names a window by its title; a designer's placeholder
    // names nothing.
    for (const char* placeholder : {"Dialog", "Form", "Widget", "MainWindow"})
        if (window->windowTitle() == QLatin1String(placeholder))
            faults << QStringLiteral("the window is titled \"%1\"").arg(window->windowTitle());
    for (QWidget* w : children) {
        // A panel opened as a window of its own is drawn, and measured, apart.
        if (!shown(w, window) || scrolls(w, window) || w->window() != window)
            continue;
        // Any widget cut by the one it sits in loses a border or a part.
        QWidget* parent = w->parentWidget();
        if (parent != nullptr && !w->isWindow() && parent->rect().intersects(w->geometry())
            && !parent->rect().contains(w->geometry()) && !qobject_cast<QAbstractScrollArea*>(parent))
            faults << QStringLiteral("%1 is cut by %2: %3,%4 %5x%6 in %7x%8")
                          .arg(describe(w), describe(parent))
                          .arg(w->x())
                          .arg(w->y())
                          .arg(w->width())
                          .arg(w->height())
                          .arg(parent->width())
                          .arg(parent->height());
        if (auto* edit = qobject_cast<QLineEdit*>(w))
            auditTextSize(w, edit->text().isEmpty() ? edit->placeholderText() : edit->text(), faults);
        if (!qobject_cast<QLabel*>(w) && !qobject_cast<QAbstractButton*>(w) && !qobject_cast<QComboBox*>(w))
            continue;
        const QRect inWindow(w->mapTo(window, QPoint(0, 0)), w->size());
        // Slid out of view on purpose (the full-screen tool bar, say).
        if (!window->rect().intersects(inWindow))
            continue;
        if (!window->rect().contains(inWindow))
            faults << QStringLiteral("%1 lies outside its window: %2,%3 %4x%5 in %6x%7")
                          .arg(describe(w))
                          .arg(inWindow.x())
                          .arg(inWindow.y())
                          .arg(inWindow.width())
                          .arg(inWindow.height())
                          .arg(window->width())
                          .arg(window->height());
        const QString room = textRoom(w);
        if (!room.isEmpty())
            faults << describe(w) + QLatin1String(" clips its text: ") + room;
        auditTextSize(w, shownText(w), faults);
        if (auto* button = qobject_cast<QAbstractButton*>(w))
            auditPartOverText(button, faults);
        const QString text = shownText(w);
        if (!text.trimmed().isEmpty() && w->isEnabled() && !fading(w, window)) {
            const QRect area = textArea(w).translated(inWindow.topLeft());
            const QRect pixels(area.topLeft() * ratio, area.size() * ratio);
            const QColor paper = dominant(image, pixels);
            const QColor ink = strongest(image, pixels, paper);
            const double c = contrast(ink, paper);
            if (c < minContrast)
                faults << QStringLiteral("%1 \"%2\": text %3 on %4, contrast %5")
                              .arg(describe(w), text, ink.name(), paper.name())
                              .arg(c, 0, 'f', 2);
        }
    }
    faults << indicatorFaults(window);
    // A title pressed against the window's edge reads as cut off.
    for (QLabel* title : window->findChildren<QLabel*>(QStringLiteral("CommonLabelTitle")))
        if (shown(title, window) && title->parentWidget()->height() < title->fontMetrics().height() * 5 / 3)
            faults << QStringLiteral("title \"%1\" has a bar of %2 px").arg(title->text()).arg(title->parentWidget()->height());
    // A button drawn as a box of its own stands apart from what lies beside
    // it and holds its text with room around it; tabs of one group sit
    // against each other on purpose.
    const int gap = qMax(2, int(4 * DPIAdapter::instance()->scale()));
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        if (!shown(button, window) || scrolls(button, window) || button->window() != window || button->text().isEmpty()
            || (button->group() && button->group()->exclusive()))
            continue;
        const QRect box(button->mapTo(window, QPoint(0, 0)), button->size());
        const QPoint outside = QPoint(box.left() - 3, box.center().y()) * ratio;
        if (!image.rect().contains(outside)
            || contrast(dominant(image, QRect(box.topLeft() * ratio, box.size() * ratio)), image.pixelColor(outside)) < 1.2)
            continue;
        const int room = button->width() - button->fontMetrics().horizontalAdvance(withoutMnemonic(button->text()));
        if (room < button->fontMetrics().height())
            faults << QStringLiteral("%1 \"%2\" is cramped: %3 px beside its text").arg(describe(button), button->text()).arg(room);
        for (QWidget* other : children) {
            const bool part = qobject_cast<QLabel*>(other) || qobject_cast<QAbstractButton*>(other)
                || qobject_cast<QLineEdit*>(other) || qobject_cast<QComboBox*>(other)
                || qobject_cast<QAbstractScrollArea*>(other);
            if (!part || other == button || !shown(other, window) || other->window() != window
                || button->isAncestorOf(other) || scrolls(other, window))
                continue;
            const QRect near(other->mapTo(window, QPoint(0, 0)), other->size());
            const bool sideBySide = near.top() < box.bottom() && box.top() < near.bottom();
            if (sideBySide && !near.intersects(box)
                && (qAbs(near.left() - box.right() - 1) < gap || qAbs(box.left() - near.right() - 1) < gap)) {
                faults << QStringLiteral("%1 \"%2\" touches %3").arg(describe(button), button->text(), describe(other));
                break;
            }
        }
    }
    // Rows past the bottom of a list that neither shows a scroll bar nor
    // scrolls with the wheel cannot be reached at all.
    for (QAbstractItemView* view : window->findChildren<QAbstractItemView*>()) {
        if (!shown(view, window) || view->verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff || !view->model())
            continue;
        const QModelIndex last = view->model()->index(view->model()->rowCount() - 1, 0);
        const QRect lastRect = view->visualRect(last);
        if (last.isValid() && lastRect.isValid() && lastRect.bottom() > view->viewport()->height()
            && view->verticalScrollBar()->maximum() == 0)
            faults << QStringLiteral("%1 cuts its rows at %2 px and cannot scroll to them")
                          .arg(describe(view))
                          .arg(view->viewport()->height());
        else if (last.isValid() && lastRect.isValid() && lastRect.bottom() > view->viewport()->height())
            faults << QStringLiteral("%1 cuts its rows at %2 px and shows no scroll bar")
                          .arg(describe(view))
                          .arg(view->viewport()->height());
    }
    // A disabled button that looks enabled gives no hint why a click does nothing.
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        if (!shown(button, window) || button->isEnabled() || button->text().isEmpty())
            continue;
        const QImage disabled = button->grab().toImage();
        button->setEnabled(true);
        const QImage enabled = button->grab().toImage();
        button->setEnabled(false);
        const QRect all(QPoint(0, 0), disabled.size());
        const QColor a = dominant(disabled, all), b = dominant(enabled, all);
        const double c = contrast(a, b);
        const double inkC = contrast(strongest(disabled, all, a), strongest(enabled, all, b));
        if (c < 1.15 && inkC < 1.15)
            faults << QStringLiteral("%1 \"%2\" looks the same disabled as enabled").arg(describe(button), button->text());
    }
    // A text drawn over a scroll bar hides the bar or the text.
    for (QScrollBar* bar : window->findChildren<QScrollBar*>()) {
        if (!shown(bar, window))
            continue;
        const QRect barRect(bar->mapTo(window, QPoint(0, 0)), bar->size());
        for (QLabel* label : window->findChildren<QLabel*>())
            if (shown(label, window) && !label->text().isEmpty()
                && QRect(label->mapTo(window, QPoint(0, 0)), label->size()).intersects(barRect))
                faults << QStringLiteral("%1 \"%2\" lies over a scroll bar").arg(describe(label), label->text());
    }
    return faults;
}

QStringList indicatorFaults(QWidget* window)
{
    // Each state is drawn by a twin of the button in the same parent, so that
    // the sheets' rules apply to it as to the button, laid on the colour the
    // window shows behind the button; the author's own button is not touched.
    QStringList faults;
    const QImage image = window->grab().toImage();
    const double ratio = image.width() / double(qMax(1, window->width()));
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        const bool box = qobject_cast<QCheckBox*>(button) != nullptr;
        if ((!box && !qobject_cast<QRadioButton*>(button)) || !shown(button, window) || button->window() != window)
            continue;
        const QRect inWindow(button->mapTo(window, QPoint(0, 0)), button->size());
        const QColor paper = dominant(image, QRect(inWindow.topLeft() * ratio, inWindow.size() * ratio));
        std::unique_ptr<QAbstractButton> twin(box ? static_cast<QAbstractButton*>(new QCheckBox(button->parentWidget()))
                                                  : new QRadioButton(button->parentWidget()));
        twin->setObjectName(button->objectName());
        twin->setAutoExclusive(false);
        twin->setGeometry(button->geometry());
        QImage look[2];
        for (int on : {0, 1}) {
            twin->setChecked(on == 1);
            const QPixmap drawn = twin->grab();
            look[on] = QImage(drawn.size(), QImage::Format_RGB32);
            look[on].fill(paper);
            QPainter(&look[on]).drawPixmap(0, 0, drawn);
        }
        QStyleOptionButton option;
        option.initFrom(twin.get());
        const QRect mark = twin->style()->subElementRect(box ? QStyle::SE_CheckBoxIndicator : QStyle::SE_RadioButtonIndicator,
                                                         &option, twin.get());
        const QRect pixels = QRect(mark.topLeft() * ratio, mark.size() * ratio).intersected(look[0].rect());
        int distinct = 0;
        for (int y = pixels.top(); y <= pixels.bottom(); ++y)
            for (int x = pixels.left(); x <= pixels.right(); ++x)
                distinct += contrast(look[0].pixelColor(x, y), look[1].pixelColor(x, y)) >= 3.0;
        // A dot or a tick of about a ninth of the box, not a changed outline.
        if (distinct < qMax(4, pixels.width() * pixels.height() / 9))
            faults << QStringLiteral("%1 \"%2\" looks alike checked and unchecked: %3 of %4 px differ at 3:1")
                          .arg(describe(button), button->text()).arg(distinct).arg(pixels.width() * pixels.height());
    }
    return faults;
}

Sizes measure(QWidget* root)
{
    Sizes sizes;
    QList<QWidget*> all = root->findChildren<QWidget*>();
    all.prepend(root);
    for (QWidget* w : all) {
        // A box sized to the value it shows grows with its text.
        if (w != root && (!w->isVisibleTo(root) || w->window() != root->window() || qobject_cast<QComboBox*>(w)))
            continue;
        SizesPart part;
        part.name = describe(w);
        part.width = w->minimumWidth() == w->maximumWidth() ? w->maximumWidth() : 0;
        part.height = w->minimumHeight() == w->maximumHeight() ? w->maximumHeight() : 0;
        if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            // The style's own size follows the screen's dots per inch.
            const int own = button->style()->pixelMetric(QStyle::PM_ButtonIconSize, nullptr, button);
            part.icon = button->iconSize().width() == own ? 0 : button->iconSize().width();
            part.drawsIcon = !button->icon().isNull();
        }
        if (w->layout())
            layoutLengths(w->layout(), part.layout);
        sizes.insert(placeOf(w, root), part);
    }
    return sizes;
}

QStringList unscaled(const Sizes& at100, const Sizes& shown, double scale)
{
    QStringList faults;
    for (auto it = shown.constBegin(); it != shown.constEnd(); ++it) {
        const auto found = at100.constFind(it.key());
        if (found == at100.constEnd())
            continue;
        const SizesPart& a = found.value();
        const SizesPart& b = it.value();
        if (keptSmall(a.width, b.width, scale) || keptSmall(a.height, b.height, scale))
            faults << QStringLiteral("%1 is held at %2x%3, %4x%5 at 100 %")
                          .arg(b.name).arg(b.width).arg(b.height).arg(a.width).arg(a.height);
        if (b.drawsIcon && keptSmall(a.icon, b.icon, scale))
            faults << QStringLiteral("%1 draws its icon at %2 px, %3 at 100 %").arg(b.name).arg(b.icon).arg(a.icon);
        for (int i = 0; i < qMin(a.layout.size(), b.layout.size()); ++i)
            if (keptSmall(a.layout.at(i), b.layout.at(i), scale)) {
                faults << QStringLiteral("%1 keeps a margin or spacing of %2 px").arg(b.name).arg(b.layout.at(i));
                break;
            }
    }
    faults.sort();
    return faults;
}

QStringList panelsOver(QWidget* window, const QStringList& keepInSight)
{
    QStringList faults;
    const QList<QWidget*> all = window->findChildren<QWidget*>();
    const QRect frame = window->frameGeometry();
    for (QWidget* panel : all) {
        if (!panel->isWindow() || !panel->isVisible() || (panel->windowType() & Qt::Popup) == Qt::Popup
            || panel->parentWidget() == nullptr)
            continue;
        QWidget* pane = panel->parentWidget();
        const QRect over = panel->frameGeometry();
        // A panel of the window itself, over it or beside it, ends where the
        // window does.
        if (pane == window && over.left() <= frame.right() + 1 && over.right() >= frame.left() - 1
            && (over.top() < frame.top() || over.bottom() > frame.bottom()))
            faults << QStringLiteral("%1 reaches %2 px above and %3 px below its window")
                          .arg(describe(panel))
                          .arg(qMax(0, frame.top() - over.top()))
                          .arg(qMax(0, over.bottom() - frame.bottom()));
        for (const QString& name : keepInSight) {
            QWidget* part = window->findChild<QWidget*>(name);
            if (part == nullptr || !part->isVisible())
                faults << QStringLiteral("%1 is not shown").arg(name);
            else if (QRect(part->mapToGlobal(QPoint(0, 0)), part->size()).intersects(over))
                faults << QStringLiteral("%1 covers %2").arg(describe(panel), name);
        }
        for (QWidget* w : all) {
            // The parts beside the pane, or beside one of the widgets it lies in.
            // A message shown in passing (a synchronisation's end) lies over
            // the window for a second and is no part beside the pane; the
            // toast rows audit it.
            QWidget* parent = w->parentWidget();
            if (w->inherits("Widget_ClientTips"))
                continue;
            if (w->isWindow() || !w->isVisible() || w->window() != window || parent == nullptr
                || !parent->isAncestorOf(pane) || w == pane || w->isAncestorOf(pane) || pane->isAncestorOf(w))
                continue;
            const QRect rect(w->mapToGlobal(QPoint(0, 0)), w->size());
            if (rect.intersects(over))
                faults << QStringLiteral("%1 opened from %2 covers %3: %4 over %5")
                              .arg(describe(panel), describe(pane), describe(w))
                              .arg(sizeText(rect.intersected(over).size()), sizeText(rect.size()));
        }
    }
    return faults;
}

double inkContrast(const QImage& image, const QRect& rect, QColor* paper, QColor* ink)
{
    const QColor back = dominant(image, rect);
    const QColor front = strongest(image, rect, back);
    if (paper)
        *paper = back;
    if (ink)
        *ink = front;
    return contrast(front, back);
}

QColor dominantColour(QWidget* window)
{
    const QImage image = window->grab().toImage();
    return dominant(image, image.rect());
}

bool saveShot(QWidget* window, const QString& path)
{
    return window->grab().save(path, "PNG");
}

} // namespace LayoutAudit
