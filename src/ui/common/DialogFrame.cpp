#include "DialogFrame.h"

#include "CBaseTitleBar.h"

#include "common/DPIAdapter.h"

#include <QVBoxLayout>
#include <QWidget>

DialogFrame buildDialogFrame(QWidget* window, const QString& title, int titleHeight, int bottomMargin)
{
    DialogFrame frame;
    auto* outer = new QVBoxLayout(window);
    outer->setContentsMargins(10, 10, 10, 10);
    frame.background = new QWidget(window);
    frame.background->setObjectName(QStringLiteral("CommonWidgetBg"));
    outer->addWidget(frame.background);
    frame.column = new QVBoxLayout(frame.background);
    frame.column->setContentsMargins(0, 0, 0, bottomMargin);
    frame.title = new CBaseTitleBar(frame.background);
    frame.title->setObjectName(QStringLiteral("widgetTitle"));
    frame.title->setFixedHeight(int(titleHeight * DPIAdapter::instance()->scale()));
    frame.title->setTitle(title);
    frame.column->addWidget(frame.title);
    return frame;
}

void fixDialogSize(QWidget* window, const QSize& designSize)
{
    const double scale = DPIAdapter::instance()->scale();
    QSize size(int(designSize.width() * scale), int(designSize.height() * scale));
    if (QLayout* layout = window->layout()) {
        size = size.expandedTo(layout->totalMinimumSize());
        if (layout->hasHeightForWidth())
            size.setHeight(qMax(size.height(), layout->totalHeightForWidth(size.width())));
    }
    window->setFixedSize(size);
}
