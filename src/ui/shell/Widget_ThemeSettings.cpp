#include "Widget_ThemeSettings.h"
#include "ui/common/FileDialogs.h"

#include "ThemeButton.h"
#include "common/DPIAdapter.h"
#include "common/Utility.h"
#include "manager/CPublicManager.h"
#include "manager/CQssManager.h"
#include "manager/CUiManager.h"
#include "ui/common/CBaseTitleBar.h"
#include "ui/common/DialogKeys.h"
#include "ui/common/NcFramelessHelper.h"

#include <QButtonGroup>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QScrollArea>
#include <QVBoxLayout>


Widget_ThemeSettings::Widget_ThemeSettings(QWidget* parent)
    : QDialog(parent), m_ui(CUiManager::instance()), m_model(CPublicManager::instance())
{
    const double scale = DPIAdapter::instance()->scale();
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(int(770 * scale), int(556 * scale));

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* bg = new QWidget(this);
    bg->setObjectName(QStringLiteral("CommonWidgetBg"));
    outer->addWidget(bg);
    CQssManager::instance()->addShadowEffect(bg);
    auto* layout = new QVBoxLayout(bg);
    layout->setContentsMargins(0, 0, 0, 0);
    m_title = new CBaseTitleBar(bg);
    m_title->setObjectName(QStringLiteral("widgetTitle"));
    m_title->setTitle(tr("ThemeSetting"));
    layout->addWidget(m_title);
    connect(m_title, &CBaseTitleBar::sig_close, this, &QDialog::reject);

    auto* scroll = new QScrollArea(bg);
    scroll->setObjectName(QStringLiteral("scrollArea"));
    scroll->setWidgetResizable(true);
    auto* contents = new QWidget(scroll);
    contents->setObjectName(QStringLiteral("scrollAreaWidgetContents"));
    auto* grid = new QGridLayout(contents);
    const int margin = int(30 * scale);
    grid->setContentsMargins(margin, margin, margin, margin);
    grid->setSpacing(margin);
    scroll->setWidget(contents);
    layout->addWidget(scroll);

    auto makeTile = [&](const char* name, const char* picture) {
        auto* tile = new ThemeButton(contents);
        tile->setObjectName(QLatin1String(name));
        tile->setPicture(QLatin1String(picture));
        tile->setFixedSize(int(210 * scale), int(140 * scale));
        return tile;
    };
    m_white = makeTile("btnThemeWhite", ":/res/common/theme_white.png");
    m_black = makeTile("btnThemeBlack", ":/res/common/theme_black.png");
    m_green = makeTile("btnThemeGreen", ":/res/common/theme_green.png");
    m_geek = makeTile("btnThemeGeek", ":/res/common/theme_parchment.png");
    m_custom = new QPushButton(tr("Select image"), contents);
    m_custom->setObjectName(QStringLiteral("btnCustom"));
    m_custom->setFixedSize(int(204 * scale), int(124 * scale));
    grid->addWidget(m_white, 0, 0);
    grid->addWidget(m_black, 0, 1);
    grid->addWidget(m_green, 0, 2);
    grid->addWidget(m_geek, 1, 0);
    grid->addWidget(m_custom, 1, 1);
    grid->setRowStretch(2, 1);
    m_geek->hide();
    m_custom->hide();

    m_group = new QButtonGroup(this);
    m_group->setObjectName(QStringLiteral("buttonGroup"));
    for (ThemeButton* tile : {m_white, m_black, m_green, m_geek})
        m_group->addButton(tile);
    connect(m_group, QOverload<QAbstractButton*>::of(&QButtonGroup::buttonClicked), this,
            &Widget_ThemeSettings::onTileClicked);
    connect(m_custom, &QPushButton::clicked, this, [this]() { chooseCustomImage(); });

    auto* frameless = new NcFramelessHelper(this);
    frameless->activateOn(this);
    frameless->setWidgetMovable(true);
    frameless->setWidgetResizable(false);
}

void Widget_ThemeSettings::updateCheckedTheme()
{
    const int style = m_model->userInfo.style;
    ThemeButton* tile = nullptr;
    if (style == 16) {
        m_group->setExclusive(false);
        m_white->setChecked(false);
    } else if (style & 2) {
        tile = m_black;
    } else if (style == 1) {
        tile = m_white;
    } else if (style == 4) {
        tile = m_green;
    } else if (style == 8) {
        tile = m_geek;
    }
    if (tile) {
        tile->setChecked(true);
        m_lastChosen = tile;
    }
    // The keys start on the chosen tile: the arrows choose another, Enter
    // applies the one they are on.
    DialogKeys::setUp(this, tile != nullptr ? tile : m_white);
}

void Widget_ThemeSettings::onTileClicked(QAbstractButton* button)
{
    m_group->setExclusive(true);
    int style = 1;
    if (button == m_green)
        style = 4;
    else if (button == m_geek)
        style = 8;
    else if (button == m_black)
        style = m_model->userInfo.style | 2;
    m_ui->changeSkin(style);
    m_lastChosen = qobject_cast<QPushButton*>(button);
    update();
}

void Widget_ThemeSettings::chooseCustomImage(const QString& fileName)
{
    const QString chosen = fileName.isEmpty()
        ? FileDialogs::openFile(nullptr, tr("Select image"), FileDialogs::Picture,
                                QStringLiteral("*.png *.jpg *.jpeg *.bmp"))
        : fileName;
    if (chosen.isEmpty())
        return;
    const QString folder = appDirPath() + QStringLiteral("/data/img/");
    QDir().mkpath(folder);
    const QString target = folder + QStringLiteral("theme.png");
    // The old picture stays until the new one is completely copied beside it.
    const QString partial = target + QStringLiteral(".part");
    QFile::remove(partial);
    if (QFile::copy(chosen, partial)) {
        QFile::remove(target);
        if (!QFile::rename(partial, target))
            qWarning() << "theme picture not stored:" << target;
    } else {
        qWarning() << "theme picture not copied:" << chosen;
    }
    m_ui->changeSkin(16);
    m_group->setExclusive(false);
    if (m_lastChosen)
        m_lastChosen->setChecked(false);
}
