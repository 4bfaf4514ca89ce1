#include "Widget_Creation_Plane1.h"

#include "CreationControlItemDelegate.h"
#include "CreationControlItemModel.h"
#include "PanelSetup.h"
#include "common/DPIAdapter.h"

#include <QListView>
#include <QTime>
#include <QVBoxLayout>

Widget_Creation_Plane1::Widget_Creation_Plane1(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Widget_Creation_Plane1"));
    // The rows grow with the scale; the panel grows with them.
    const double scale = DPIAdapter::instance()->scale();
    setFixedSize(int(240 * scale), int(552 * scale));
    creation_panel::setupWindow(this);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* inner = new QWidget(this);
    inner->setObjectName(QStringLiteral("widget_creation_plane1"));
    outer->addWidget(inner);
    auto* layout = new QVBoxLayout(inner);
    layout->setContentsMargins(int(14 * scale), int(26 * scale), int(14 * scale), int(14 * scale));
    layout->setSpacing(0);
    m_list = new QListView(inner);
    m_list->setObjectName(QStringLiteral("creation_plane1_listview"));
    layout->addWidget(m_list);

    m_model = new CreationControlItemModel(1, this);
    m_delegate = new CreationControlItemDelegate(1, m_list);
    creation_panel::attach(m_list, m_model, m_delegate, static_cast<int>(6 * DPIAdapter::instance()->scale()));
}

void Widget_Creation_Plane1::hideEvent(QHideEvent* event)
{
    m_hideTime = QTime::currentTime().msecsSinceStartOfDay();
    QWidget::hideEvent(event);
}
