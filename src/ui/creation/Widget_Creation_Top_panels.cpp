#include "Widget_Creation_Top.h"

#include "tools/Widget_Creation_Plane1.h"
#include "tools/Widget_Creation_Plane3.h"

#include <QPushButton>
#include <QTime>

void Widget_Creation_Top::initPanels()
{
    // Both panels are top-level pop-ups; they go with the tool bar.
    m_plane1 = new Widget_Creation_Plane1(nullptr);
    m_plane3 = new Widget_Creation_Plane3(nullptr);
    for (QWidget* panel : {static_cast<QWidget*>(m_plane1), static_cast<QWidget*>(m_plane3)})
        connect(this, &QObject::destroyed, panel, [panel]() { delete panel; });

    QPushButton* tools = button(QStringLiteral("btn_creation_setup1"));
    connect(tools, &QPushButton::clicked, this,
            [this, tools]() { showPanel(m_plane1, tools, m_plane1->hideTime()); });
    QPushButton* focus = button(QStringLiteral("btnFocus"));
    connect(focus, &QPushButton::clicked, this, [this, focus]() {
        focus->setChecked(true);
        showPanel(m_plane3, focus, m_plane3->hideTime());
    });
    connect(m_plane3, &Widget_Creation_Plane3::sigClose, focus, [focus]() { focus->setChecked(false); });
}

void Widget_Creation_Top::showPanel(QWidget* panel, QWidget* under, int hideTime)
{
    const int now = QTime::currentTime().msecsSinceStartOfDay();
    if (hideTime != 0 && now >= hideTime && now - hideTime < 200)
        return;
    const QPoint below = under->mapToGlobal(QPoint(under->width() / 2, under->height()));
    panel->move(below.x() - panel->width() / 2, below.y());
    panel->show();
    panel->raise();
    panel->activateWindow();
}
