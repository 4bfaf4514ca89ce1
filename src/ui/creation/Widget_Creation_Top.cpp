#include "Widget_Creation_Top.h"

#include "common/CLCustomEvent.h"
#include "common/CMessageDispatcher.h"
#include "common/DPIAdapter.h"
#include "common/Utility.h"
#include "db/records/T_Chapter.h"
#include "manager/CJobManager.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "ui/common/CTabButton.h"
#include "ui/common/FontColorButton.h"

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QComboBox>
#include <QDebug>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// Keeps a box at least its design width and wide enough to show its current
// value whole in the font, style and scale of this screen; its list opens
// wide enough for the longest entry.
class FitToValue : public QObject
{
public:
    FitToValue(QComboBox* box, int designWidth) : QObject(box), m_box(box), m_designWidth(designWidth)
    {
        connect(box, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this]() { fit(); });
        fit();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (type == QEvent::FontChange || type == QEvent::StyleChange || type == QEvent::Polish
            || type == QEvent::Show)
            fit();
        return QObject::eventFilter(watched, event);
    }

private:
    void fit()
    {
        const QFontMetrics metrics = m_box->fontMetrics();
        QStyleOptionComboBox option;
        option.initFrom(m_box);
        option.editable = false;
        option.frame = true;
        option.currentText = m_box->currentText();
        const QSize text(metrics.horizontalAdvance(m_box->currentText()), metrics.height());
        const QSize needed = m_box->style()->sizeFromContents(QStyle::CT_ComboBox, &option, text, m_box);
        const int width = qMax(m_designWidth, needed.width());
        if (m_box->minimumWidth() != width || m_box->maximumWidth() != width)
            m_box->setFixedWidth(width);
        int longest = 0;
        for (int i = 0; i < m_box->count(); ++i)
            longest = qMax(longest, metrics.horizontalAdvance(m_box->itemText(i)));
        m_box->view()->setMinimumWidth(longest + metrics.height() * 2);
    }

    QComboBox* m_box;
    int m_designWidth;
};

const quint16 kAnswers[] = {1101, 1102, 1103, 1104, 1105};
const char* const kLineSpacings[] = {"0.75", "1", "1.25", "1.5", "1.75", "2", "2.25", "2.5", "2.75", "3"};

void post(quint16 id, const QVariant& value = QVariant())
{
    CMessageDispatcher::instance()->PostBkMessageAsync(id, value);
}
}

Widget_Creation_Top::Widget_Creation_Top(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Widget_Creation_Top"));
    setAttribute(Qt::WA_StyledBackground);
    m_ui = CUiManager::instance();
    m_public = CPublicManager::instance();
    m_scale = DPIAdapter::instance()->scale();

    auto* outer = new QHBoxLayout(this);
    outer->setObjectName(QStringLiteral("horizontalLayout"));
    outer->setSpacing(0);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* inner = new QWidget(this);
    inner->setObjectName(QStringLiteral("widget_creation_top"));
    outer->addWidget(inner);
    auto* rows = new QVBoxLayout(inner);
    rows->setObjectName(QStringLiteral("verticalLayout"));
    rows->setSpacing(0);
    rows->setContentsMargins(0, 0, 0, 0);

    auto* title = new QHBoxLayout();
    title->setObjectName(QStringLiteral("layoutTitle"));
    title->setSpacing(15);
    title->setContentsMargins(0, 0, 20, 0);
    m_layoutTabBtn = new QHBoxLayout();
    m_layoutTabBtn->setObjectName(QStringLiteral("layoutTabBtn"));
    m_layoutTabBtn->setSpacing(0);
    m_layoutTabBtn->setContentsMargins(10, 0, 0, 0);
    for (int i = 1; i <= 5; ++i) {
        auto* tab = new CTabButton(inner);
        tab->setObjectName(QStringLiteral("TabButton"));
        tab->setProperty("formName", QStringLiteral("tabbutton_%1").arg(i));
        tab->setCursor(Qt::PointingHandCursor);
        tab->setFixedSize(int(120 * m_scale), int(32 * m_scale));
        // Changing chapters by their tabs leaves the keys in the text.
        tab->setFocusPolicy(Qt::NoFocus);
        m_tabs.append(tab);
    }
    title->addLayout(m_layoutTabBtn);
    title->addStretch(1);
    const QStringList windowButtons{QStringLiteral("btn_creation_setup1"), QStringLiteral("btn_fullscreen"),
                                    QStringLiteral("btn_min"), QStringLiteral("btn_max"),
                                    QStringLiteral("btn_creation_close"), QStringLiteral("btnReboot")};
    for (const QString& name : windowButtons) {
        auto* button = new QPushButton(inner);
        button->setObjectName(name);
        button->setFixedSize(int(20 * m_scale), int(20 * m_scale));
        button->setFlat(true);
        button->setCursor(Qt::PointingHandCursor);
        button->setCheckable(name == QLatin1String("btn_fullscreen") || name == QLatin1String("btn_max"));
        button->setFocusPolicy(Qt::NoFocus);
        title->addWidget(button);
    }
    rows->addLayout(title, 1);

    auto* tool = new QHBoxLayout();
    tool->setObjectName(QStringLiteral("layoutTool"));
    tool->setSpacing(10);
    tool->setContentsMargins(10, 0, 0, 0);
    const double scale = DPIAdapter::instance()->scale();
    auto makeCombo = [inner, scale](const char* name, int width) {
        auto* box = new QComboBox(inner);
        box->setObjectName(QLatin1String(name));
        box->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        box->setFixedHeight(int(26 * scale));
        box->installEventFilter(new FitToValue(box, int(width * scale)));
        return box;
    };
    m_comFontFamily = makeCombo("comFontFamily", 100);
    m_comFontSize = makeCombo("comFontSize", 80);
    m_comLineWidth = makeCombo("comLineWidth", 100);
    tool->addWidget(m_comFontFamily);
    tool->addWidget(m_comFontSize);
    tool->addWidget(m_comLineWidth);
    addToolButton(inner, tool, QStringLiteral("btnBold"), tr("Bold"), true);
    addToolButton(inner, tool, QStringLiteral("btnItalics"), tr("Italics"), true);
    addToolButton(inner, tool, QStringLiteral("btnUnderline"), tr("Underline"), true);
    m_btnFontColor = new FontColorButton(inner);
    m_btnFontColor->setObjectName(QStringLiteral("btnFontColor"));
    m_btnFontColor->setFixedSize(int(22 * m_scale), int(22 * m_scale));
    m_btnFontColor->setCursor(Qt::PointingHandCursor);
    m_btnFontColor->setToolTip(tr("FontColor"));
    tool->addWidget(m_btnFontColor);
    addToolButton(inner, tool, QStringLiteral("btnCuttingLine"), tr("CuttingLine"));
    addToolButton(inner, tool, QStringLiteral("btnCopy"), tr("Copy"));
    addToolButton(inner, tool, QStringLiteral("btnPaste"), tr("Paste"));
    addToolButton(inner, tool, QStringLiteral("btnCut"), tr("Cut"));
    addToolButton(inner, tool, QStringLiteral("btnSelectAll"), tr("SelectAll"));
    addToolButton(inner, tool, QStringLiteral("btnUndo"), tr("Undo"));
    addToolButton(inner, tool, QStringLiteral("btnRedo"), tr("Redo"));
    addToolButton(inner, tool, QStringLiteral("btnBespread"), tr("Bespread"), true);
    addToolButton(inner, tool, QStringLiteral("btnSkin"), tr("Skin"));
    addToolButton(inner, tool, QStringLiteral("btnFocus"), tr("Focus"), true);
    tool->addStretch(1);
    rows->addLayout(tool, 1);

    DPIAdapter::instance()->adaptWidget(inner);
    initControls();
    initConnects();
    for (quint16 id : kAnswers)
        CMessageDispatcher::instance()->Register(id, this);
    setFocusPolicy(Qt::StrongFocus);
}

Widget_Creation_Top::~Widget_Creation_Top()
{
    for (quint16 id : kAnswers)
        CMessageDispatcher::instance()->UnRegister(id, this);
}

QPushButton* Widget_Creation_Top::addToolButton(QWidget* parent, QHBoxLayout* row, const QString& name,
                                                const QString& tip, bool checkable)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    button->setFixedSize(int(22 * m_scale), int(22 * m_scale));
    button->setCursor(Qt::PointingHandCursor);
    button->setCheckable(checkable);
    button->setToolTip(tip);
    row->addWidget(button);
    return button;
}

QPushButton* Widget_Creation_Top::button(const QString& objectName) const
{
    return findChild<QPushButton*>(objectName);
}

QComboBox* Widget_Creation_Top::combo(const QString& objectName) const
{
    return findChild<QComboBox*>(objectName);
}

void Widget_Creation_Top::initControls()
{
    m_group = new QButtonGroup(this);
    for (int i = 0; i < m_tabs.size(); ++i) {
        CTabButton* tab = m_tabs.at(i);
        m_group->addButton(tab, i);
        connect(tab, &CTabButton::sig_close, this, &Widget_Creation_Top::onTabBtnClose);
        tab->hide();
    }
    connect(m_group, QOverload<QAbstractButton*>::of(&QButtonGroup::buttonPressed), this,
            &Widget_Creation_Top::onTabPressed);
    button(QStringLiteral("btn_creation_setup1"))->setFocusPolicy(Qt::NoFocus);
    for (int size = 10; size <= 26; size += 2)
        m_comFontSize->addItem(QString::number(size));
    m_comFontFamily->addItems(getEditorFontFamilies());
    for (const char* value : kLineSpacings)
        m_comLineWidth->addItem(QString::fromLatin1(value) + tr("lineSpacing"), QString::fromLatin1(value));

    const T_CreationConf& conf = m_public->userConf.creationConf;
    for (QComboBox* box : {m_comFontFamily, m_comFontSize, m_comLineWidth})
        box->setItemDelegate(new QStyledItemDelegate(box));
    m_comLineWidth->setCurrentText(QString::number(conf.lineSpacing, 'g', 6) + tr("lineSpacing"));
    m_comFontSize->setCurrentText(QString::number(conf.fontSize));
    // A stored family this system lacks shows as the family the text is
    // really drawn in, or as itself when that one is not offered either.
    if (m_comFontFamily->findText(conf.fontFamily) < 0) {
        const QString drawn = QFontInfo(QFont(conf.fontFamily)).family();
        if (m_comFontFamily->findText(drawn) < 0)
            m_comFontFamily->insertItem(0, conf.fontFamily);
        else
            m_comFontFamily->setCurrentText(drawn);
    }
    m_comFontFamily->setCurrentText(conf.fontFamily);
    for (const char* name : {"btnCopy", "btnCut", "btnUndo", "btnRedo"})
        button(QString::fromLatin1(name))->setEnabled(false);
    m_btnFontColor->setColor(conf.fontColor.isEmpty() ? QStringLiteral("#424242") : conf.fontColor);
    button(QStringLiteral("btnBespread"))->setChecked(conf.isCenter == 0);
}

void Widget_Creation_Top::initConnects()
{
    const struct { const char* name; quint16 id; } checkable[] = {
        {"btnBold", 1001}, {"btnItalics", 1002}, {"btnUnderline", 1003}};
    for (const auto& entry : checkable) {
        const quint16 id = entry.id;
        connect(button(QString::fromLatin1(entry.name)), &QPushButton::clicked, this,
                [id](bool checked) { post(id, checked); });
    }
    const struct { const char* name; quint16 id; } plain[] = {
        {"btnCuttingLine", 1010}, {"btnCopy", 1011}, {"btnPaste", 1012}, {"btnCut", 1013},
        {"btnSelectAll", 1014}, {"btnUndo", 1015}, {"btnRedo", 1016}, {"btnSkin", 1018}};
    for (const auto& entry : plain) {
        const quint16 id = entry.id;
        connect(button(QString::fromLatin1(entry.name)), &QPushButton::clicked, this, [id]() { post(id); });
    }
    connect(m_btnFontColor, &QPushButton::clicked, this, []() { post(1009); });
    connect(button(QStringLiteral("btnBespread")), &QPushButton::clicked, this, [this]() {
        // The pane flips isCenter; the button shows the state it flips to.
        button(QStringLiteral("btnBespread"))->setChecked(m_public->userConf.creationConf.isCenter != 0);
        post(1017);
    });
    connect(m_comFontSize, &QComboBox::currentTextChanged, this, [](const QString& text) { post(1004, text); });
    connect(m_comFontFamily, &QComboBox::currentTextChanged, this, [](const QString& text) { post(1006, text); });
    connect(m_comLineWidth, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this](int index) {
        const double spacing = m_comLineWidth->itemData(index, Qt::UserRole).toString().toFloat();
        post(1005, spacing);
        m_public->userConf.creationConf.lineSpacing = spacing;
        CJobManager::instance()->updateCreationConf(m_public->userConf.creationConf, m_public->userConf.uid);
    });
    connect(button(QStringLiteral("btn_creation_close")), &QPushButton::clicked, this,
            &Widget_Creation_Top::on_btn_creation_close_clicked);
    connect(button(QStringLiteral("btn_max")), &QPushButton::clicked, this, &Widget_Creation_Top::on_btn_max_clicked);
    connect(button(QStringLiteral("btn_min")), &QPushButton::clicked, this, &Widget_Creation_Top::on_btn_min_clicked);
    connect(button(QStringLiteral("btn_fullscreen")), &QPushButton::clicked, this,
            &Widget_Creation_Top::on_btn_fullscreen_clicked);
    connect(button(QStringLiteral("btnReboot")), &QPushButton::clicked, this,
            [this]() { m_ui->runRebootDialog(window()); });
    connect(m_ui, &CUiManager::sig_Creation_HotKey_Press, this, &Widget_Creation_Top::onHotKey);
    initPanels();
}

void Widget_Creation_Top::customEvent(QEvent* event)
{
    if (event->type() == CLCustomEvent::EventType) {
        auto* bus = static_cast<CLCustomEvent*>(event);
        switch (bus->messageId()) {
        case 1101:
            button(QStringLiteral("btnCopy"))->setEnabled(bus->value().toBool());
            button(QStringLiteral("btnCut"))->setEnabled(bus->value().toBool());
            break;
        case 1102: button(QStringLiteral("btnPaste"))->setEnabled(bus->value().toBool()); break;
        case 1103: button(QStringLiteral("btnUndo"))->setEnabled(bus->value().toBool()); break;
        case 1104: button(QStringLiteral("btnRedo"))->setEnabled(bus->value().toBool()); break;
        case 1105: {
            const QString color = bus->value().toString();
            m_btnFontColor->setColor(color.isEmpty() ? QStringLiteral("#424242") : color);
            break;
        }
        default: break;
        }
    }
    QWidget::customEvent(event);
}

void Widget_Creation_Top::onHotKey(QKeyEvent* event)
{
    if (event == nullptr || !(event->modifiers() & Qt::ControlModifier))
        return;
    auto toggle = [](QPushButton* b, quint16 id) {
        b->setChecked(!b->isChecked());
        post(id, b->isChecked());
    };
    switch (event->key()) {
    case Qt::Key_F1: toggle(button(QStringLiteral("btnBold")), 1001); break;
    case Qt::Key_F2: toggle(button(QStringLiteral("btnItalics")), 1002); break;
    case Qt::Key_F3: toggle(button(QStringLiteral("btnUnderline")), 1003); break;
    case Qt::Key_F4: post(1010); break;
    case Qt::Key_F6: post(1017); break;
    default: break;
    }
}

void Widget_Creation_Top::on_btn_creation_close_clicked()
{
    m_ui->saveChapter();
    emit sig_creation_close();
    m_ui->closeCreation();
}

void Widget_Creation_Top::on_btn_max_clicked()
{
    m_ui->switchWindowSize();
    updateWindowButtons();
}

void Widget_Creation_Top::on_btn_min_clicked()
{
    window()->showMinimized();
}

void Widget_Creation_Top::on_btn_fullscreen_clicked()
{
    m_ui->setWindowFullScreen(button(QStringLiteral("btn_fullscreen"))->isChecked());
}

void Widget_Creation_Top::updateWindowButtons()
{
    const bool full = m_ui->isFullScreen();
    for (const char* name : {"btn_creation_setup1", "btn_min", "btn_max", "btn_creation_close"})
        button(QString::fromLatin1(name))->setVisible(!full);
    button(QStringLiteral("btn_fullscreen"))->setChecked(full);
    button(QStringLiteral("btn_max"))->setChecked(m_public->userInfo.windowSize == 2);
    if (!m_ui->isLocked()) {
        button(QStringLiteral("btn_fullscreen"))->show();
        button(QStringLiteral("btnReboot"))->hide();
    } else {
        button(QStringLiteral("btn_fullscreen"))->hide();
        button(QStringLiteral("btn_creation_close"))->show();
        button(QStringLiteral("btnReboot"))->show();
    }
}

int Widget_Creation_Top::visibleTabCount() const
{
    int count = 0;
    for (CTabButton* tab : m_tabs)
        if (!tab->isHidden())
            ++count;
    return count;
}

void Widget_Creation_Top::resetTabs()
{
    m_currentTab = nullptr;
    for (CTabButton* tab : m_tabs) {
        m_layoutTabBtn->removeWidget(tab);
        tab->hide();
        tab->setItem(nullptr);
    }
}

void Widget_Creation_Top::setCurrentTab(T_Chapter* chapter)
{
    if (chapter == nullptr)
        return;
    for (CTabButton* tab : m_tabs) {
        if (!tab->isHidden() && tab->chapterLocalId() == chapter->localId) {
            tab->setCurrentItem(chapter);
            updateTabLines(tab);
            m_currentTab = tab;
            return;
        }
    }
    // No tab is current (a new book, or its tab went): a free one takes it.
    if (m_currentTab == nullptr && openTab(chapter))
        return;
    if (m_currentTab == nullptr)
        m_currentTab = m_tabs.first();
    m_currentTab->setCurrentItem(chapter);
    updateTabLines(m_currentTab);
}

bool Widget_Creation_Top::openTab(T_Chapter* chapter)
{
    if (chapter == nullptr)
        return false;
    for (CTabButton* tab : m_tabs) {
        if (!tab->isHidden() && tab->chapterLocalId() == chapter->localId) {
            tab->setCurrentItem(chapter);
            updateTabLines(tab);
            m_currentTab = tab;
            return true;
        }
    }
    for (CTabButton* tab : m_tabs) {
        if (tab->isHidden()) {
            const int position = visibleTabCount();
            m_currentTab = tab;
            tab->setCurrentItem(chapter);
            m_layoutTabBtn->insertWidget(position, tab);
            updateTabLines(tab);
            return true;
        }
    }
    return false;
}

void Widget_Creation_Top::renameTab(int localChapterId, const QString& name)
{
    for (CTabButton* tab : m_tabs) {
        if (tab->chapterLocalId() == localChapterId) {
            tab->setName(name);
            return;
        }
    }
}

void Widget_Creation_Top::dropTab(int localChapterId)
{
    for (CTabButton* tab : m_tabs) {
        if (tab->chapterLocalId() != localChapterId)
            continue;
        m_layoutTabBtn->removeWidget(tab);
        tab->hide();
        tab->setItem(nullptr);
        tab->setChecked(false);
        if (tab == m_currentTab)
            m_currentTab = nullptr;
        // Hidden tabs go to the end so the open ones keep their order.
        m_tabs.removeOne(tab);
        m_tabs.append(tab);
        return;
    }
}

void Widget_Creation_Top::updateTabLines(CTabButton* tab)
{
    for (CTabButton* other : m_tabs)
        if (other != tab)
            other->setLine(true);
    const int last = visibleTabCount() - 1;
    if (last >= 0 && last < m_tabs.size())
        m_tabs.at(last)->setLine(false);
    const int index = m_tabs.indexOf(tab);
    if (index > 0)
        m_tabs.at(index - 1)->setLine(false);
}

void Widget_Creation_Top::openTabChapter(CTabButton* tab)
{
    T_Chapter* chapter = tab != nullptr ? tab->item() : nullptr;
    if (chapter == nullptr)
        return;
    T_Book* book = m_public->findBookByLocalId(chapter->localBookId);
    if (book != nullptr)
        m_ui->openChapter(book, chapter);
}

void Widget_Creation_Top::onTabPressed(QAbstractButton* pressed)
{
    auto* tab = qobject_cast<CTabButton*>(pressed);
    if (tab == nullptr || tab == m_currentTab)
        return;
    m_currentTab = tab;
    updateTabLines(tab);
    for (CTabButton* other : m_tabs)
        other->setChecked(other == tab);
    QTimer::singleShot(100, this, [this]() { openTabChapter(m_currentTab); });
}

void Widget_Creation_Top::onTabBtnClose()
{
    auto* tab = qobject_cast<CTabButton*>(sender());
    if (visibleTabCount() <= 1 || tab == nullptr || !m_tabs.contains(tab))
        return;
    const int index = m_tabs.indexOf(tab);
    m_layoutTabBtn->removeWidget(tab);
    tab->hide();
    m_tabs.removeAt(index);
    m_tabs.append(tab);
    if (tab != m_currentTab)
        return;
    CTabButton* next = index < m_tabs.size() && !m_tabs.at(index)->isHidden() ? m_tabs.at(index)
                                                                              : (index > 0 ? m_tabs.at(index - 1) : nullptr);
    m_currentTab = next;
    if (next == nullptr)
        return;
    next->setChecked(true);
    openTabChapter(next);
}
