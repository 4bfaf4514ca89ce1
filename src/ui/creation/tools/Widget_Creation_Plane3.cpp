#include "Widget_Creation_Plane3.h"

#include "CreationControlItemDelegate.h"
#include "CreationControlItemModel.h"
#include "PanelSetup.h"
#include "T_ItemData.h"
#include "common/DPIAdapter.h"
#include "manager/CUiManager.h"

#include <QListView>
#include <QTime>
#include <QVBoxLayout>

namespace {
void scaleMargins(QLayout* layout, double scale)
{
    const QMargins m = layout->contentsMargins();
    layout->setContentsMargins(qRound(m.left() * scale), qRound(m.top() * scale), qRound(m.right() * scale),
                               qRound(m.bottom() * scale));
}
}

Widget_Creation_Plane3::Widget_Creation_Plane3(QWidget* parent) : QWidget(parent), m_ui(CUiManager::instance())
{
    setObjectName(QStringLiteral("Widget_Creation_Plane3"));
    // The rows grow with the scale; the panel grows with them.
    const double scale = DPIAdapter::instance()->scale();
    setFixedSize(int(154 * scale), int(174 * scale));
    creation_panel::setupWindow(this);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* inner = new QWidget(this);
    inner->setObjectName(QStringLiteral("widget_creation_plane3"));
    outer->addWidget(inner);
    auto* main = new QVBoxLayout(inner);
    main->setObjectName(QStringLiteral("layoutMain"));
    main->setContentsMargins(14, 14, 14, 26);
    main->setSpacing(0);
    auto* listLayout = new QVBoxLayout();
    listLayout->setObjectName(QStringLiteral("layoutList"));
    listLayout->setContentsMargins(0, 12, 0, 0);
    main->addLayout(listLayout);
    m_list = new QListView(inner);
    m_list->setObjectName(QStringLiteral("creation_plane3_listview"));
    listLayout->addWidget(m_list);

    m_model = new CreationControlItemModel(3, this);
    m_delegate = new CreationControlItemDelegate(3, m_list);
    creation_panel::attach(m_list, m_model, m_delegate, static_cast<int>(4 * scale));
    scaleMargins(listLayout, scale);
    scaleMargins(main, scale);
    connect(m_ui, &CUiManager::sig_Creation_Btn_Press, this, &Widget_Creation_Plane3::on_Creation_Btn_Press);
}

void Widget_Creation_Plane3::on_Creation_Btn_Press(T_ItemData* pItem)
{
    if (pItem != nullptr && pItem->panel == 3)
        m_model->checkOnlyId(pItem->id);
}

void Widget_Creation_Plane3::hideEvent(QHideEvent* event)
{
    m_hideTime = QTime::currentTime().msecsSinceStartOfDay();
    QWidget::hideEvent(event);
    emit sigClose();
}
