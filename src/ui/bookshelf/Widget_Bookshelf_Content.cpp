#include "Widget_Bookshelf_Content.h"

#include "common/DPIAdapter.h"
#include "common/Utility.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "remote/ApiBase.h"
#include "remote/CHttpBase.h"
#include "ui/bookshelf/Widget_BookShelfList.h"
#include "ui/bookshelf/Widget_PersonalData.h"
#include "ui/common/WindowWait.h"
#include "ui/setting/Widget_Setting.h"
#include "ui/shell/Widget_ThemeSettings.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStackedWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {
// A JavaScript string literal holding the text, whatever it contains.
QString jsString(const QString& text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.mid(1, array.size() - 2));
}
}

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

    // Nothing shows this view: loading a page starts the web engine now,
    // so that the personal-data and community pages open without its
    // start-up on their first visit.
    const QUrl warmUp = ApiBase::warmUpUrl();
    if (warmUp.isValid()) {
        m_warmUp = new QWebEngineView(this);
        m_warmUp->setObjectName(QStringLiteral("warmUpView"));
        m_warmUp->hide();
        m_warmUp->load(warmUp);
    }

    m_list = new Widget_BookShelfList();
    m_stack->addWidget(m_list);
    m_stack->setCurrentWidget(m_list);
}

Widget_Bookshelf_Content::~Widget_Bookshelf_Content()
{
    delete m_community;
}

void Widget_Bookshelf_Content::showPage(int page)
{
    switch (page) {
    case 1:
        m_stack->setCurrentWidget(m_list);
        break;
    case 2:
        // Built on first use; the stored boss key is registered at sign-in
        // by the window manager, not by this page.
        if (!m_setting)
            m_setting = new Widget_Setting(this);
        m_setting->exec();
        break;
    case 3:
        if (!m_personalData) {
            m_personalData = new Widget_PersonalData(m_stack);
            m_stack->addWidget(m_personalData);
        }
        loadPersonalData();
        m_stack->setCurrentWidget(m_personalData);
        break;
    case 4:
        if (!m_community) {
            m_community = new QWebEngineView();
            m_community->setContextMenuPolicy(Qt::NoContextMenu);
            m_community->page()->setZoomFactor(DPIAdapter::instance()->scale());
            connect(m_community.data(), &QWebEngineView::loadFinished, this, [this](bool ok) {
                if (ok)
                    loadFeedBack();
            });
            m_community->load(ApiBase::communityUrl());
            m_stack->addWidget(m_community);
        } else {
            loadFeedBack();
        }
        m_stack->setCurrentWidget(m_community);
        break;
    case 7:
        // One picker, modal over the bookshelf, however often it is asked for.
        if (!m_themePicker)
            m_themePicker = new Widget_ThemeSettings(this);
        m_themePicker->updateCheckedTheme();
        m_themePicker->exec();
        break;
    default:
        break;
    }
}

void Widget_Bookshelf_Content::loadFeedBack()
{
    if (!m_community)
        return;
    // The token is the author's key to the platform: only a page served by
    // the API's own origin may hold it.
    const QUrl shown = m_community->page()->url();
    const bool trusted = CHttpBase::isApiOrigin(shown);
    const QString token = trusted ? m_model->userInfo.token : QString();
    const QString script = QStringLiteral("getTheme(%1,%2,%3,%4)")
                               .arg(CUiManager::skinIconIndex())
                               .arg(jsString(token))
                               .arg(1)
                               .arg(jsString(m_model->updateVersionName));
    m_community->page()->runJavaScript(script);
    qDebug() << "community page script" << QStringLiteral("getTheme(%1,<token %2>,1,%3)")
                                               .arg(CUiManager::skinIconIndex())
                                               .arg(trusted && !token.isEmpty() ? QStringLiteral("sent")
                                                                                : QStringLiteral("withheld"))
                                               .arg(jsString(m_model->updateVersionName));
}

void Widget_Bookshelf_Content::loadPersonalData()
{
    if (!m_personalData)
        return;
    const QString url = QUrl::fromLocalFile(appDirPath() + QStringLiteral("/data/h5/statistics.html")).toString();
    WindowWait wait(this);
    if (!wait.started())
        return;
    QString json;
    CJobManager::instance()->getAuthorStatistics(&json);
    if (!wait.resumed())
        return;
    m_personalData->loadPersionData(url, CUiManager::skinIconIndex(), json);
}

void Widget_Bookshelf_Content::changeSkin()
{
    if (m_personalData && m_stack->currentWidget() == m_personalData)
        loadPersonalData();
    else if (m_community && m_stack->currentWidget() == m_community)
        loadFeedBack();
}
