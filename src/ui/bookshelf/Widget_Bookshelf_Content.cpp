#include "Widget_Bookshelf_Content.h"

#include "common/DPIAdapter.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "ui/bookshelf/Widget_BookShelfList.h"
#include "ui/setting/Widget_Setting.h"

#include "ui/shell/Widget_ThemeSettings.h"

#include <QDebug>
#include <QStackedWidget>
#include <QVBoxLayout>

Widget_Bookshelf_Content::Widget_Bookshelf_Content(QWidget* parent)
    : QWidget(parent), m_model(CPublicManager::instance()), m_ui(CUiManager::instance())
{
    setObjectName(QStringLiteral("Widget_Bookshelf_Content"));
    const double s = DPIAdapter::instance()->scale();
    resize(int(690 * s), int(421 * s));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto* inner = new QWidget(this);
    inner->setObjectName(QStringLiteral("widget_bookshelf_content"));
    outer->addWidget(inner);
    auto* layout = new QVBoxLayout(inner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_stack = new QStackedWidget(inner);
    m_stack->setObjectName(QStringLiteral("stackedWidget"));
    layout->addWidget(m_stack);

    m_list = new Widget_BookShelfList();
    m_stack->addWidget(m_list);
    m_stack->setCurrentWidget(m_list);
}

void Widget_Bookshelf_Content::showPage(int page)
{
    switch (page) {
    case 1:
        m_stack->setCurrentWidget(m_list);
        break;
    case 7: {
        auto* picker = new Widget_ThemeSettings(window());
        picker->setAttribute(Qt::WA_DeleteOnClose);
        picker->updateCheckedTheme();
        picker->show();
        break;
    }
    case 2:
        // Built on first use; taking the stored boss key at sign-in is the
        // window manager's boss-key set-up, not this page's.
        if (!m_setting)
            m_setting = new Widget_Setting(this);
        m_setting->exec();
        break;
    case 3:
    case 4:
        // Personal data (3) and the community page (4) join the stack
        // when their pages are built.
        qDebug() << "bookshelf page" << page << "is not available";
        break;
    default:
        break;
    }
}

void Widget_Bookshelf_Content::changeSkin()
{
    // Only the web pages need telling; the list repaints from the style sheet.
}
