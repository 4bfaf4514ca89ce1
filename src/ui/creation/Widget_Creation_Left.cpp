#include "Widget_Creation_Left.h"

#include "Widget_RecycleBin.h"
#include "common/Utility.h"
#include "common/DPIAdapter.h"
#include "db/records/T_Book.h"
#include "manager/CPublicManager.h"
#include "manager/CUiManager.h"
#include "ui/bookshelf/Widget_BookListPreview.h"
#include "volume/CBookVolumeController.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QQuickWidget>
#include <QResizeEvent>
#include <QSpacerItem>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

QPushButton* makeButton(QWidget* parent, const char* name, int side)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(QLatin1String(name));
    // The side is given at 100 %.
    const int scaled = int(side * DPIAdapter::instance()->scale());
    button->setFixedSize(scaled, scaled);
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QVBoxLayout* tightColumn(QWidget* owner, const char* name)
{
    auto* layout = new QVBoxLayout(owner);
    layout->setObjectName(QLatin1String(name));
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    return layout;
}

} // namespace

Widget_Creation_Left::Widget_Creation_Left(QWidget* parent)
    : QWidget(parent)
    , m_uiManager(CUiManager::instance())
    , m_publicManager(CPublicManager::instance())
{
    setObjectName(QStringLiteral("Widget_Creation_Left"));
    resize(231, 597);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);

    auto* inner = new QWidget(this);
    inner->setObjectName(QStringLiteral("widget_creation_left"));
    tightColumn(this, "verticalLayout_3")->addWidget(inner);

    m_treeArea = new QWidget(inner);
    m_treeArea->setObjectName(QStringLiteral("widget_2"));
    m_bottomBar = new QWidget(inner);
    m_bottomBar->setObjectName(QStringLiteral("widget_3"));
    const double scale = DPIAdapter::instance()->scale();
    m_bottomBar->setFixedHeight(int(40 * scale));
    auto* innerLayout = tightColumn(inner, "verticalLayout");
    innerLayout->addWidget(m_treeArea);
    innerLayout->addWidget(m_bottomBar);

    m_buttonRow = new QWidget(m_treeArea);
    m_buttonRow->setObjectName(QStringLiteral("widget_creation_btn"));
    m_buttonRow->setFixedHeight(int(104 * scale));
    auto* row = new QHBoxLayout(m_buttonRow);
    row->setObjectName(QStringLiteral("horizontalLayout_3"));
    row->setSpacing(5);
    row->setContentsMargins(0, 0, 0, 0);
    row->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    row->addWidget(makeButton(m_buttonRow, "btnVolumeCreate", 40));
    row->addWidget(makeButton(m_buttonRow, "btnChapterCreate", 40));
    row->addWidget(makeButton(m_buttonRow, "btn_creation_recycle", 40));
    m_btnAsc = makeButton(m_buttonRow, "btn_creation_chapter_asc", 40);
    m_btnAsc->setCheckable(true);
    row->addWidget(m_btnAsc);
    row->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));

    m_stack = new QStackedWidget(m_treeArea);
    m_stack->setObjectName(QStringLiteral("stackedWidget"));
    auto* treeLayout = tightColumn(m_treeArea, "verticalLayout_2");
    treeLayout->addWidget(m_buttonRow);
    treeLayout->addWidget(m_stack);

    auto* bottom = new QHBoxLayout(m_bottomBar);
    bottom->setObjectName(QStringLiteral("horizontalLayout"));
    bottom->setSpacing(20);
    bottom->setContentsMargins(30, 0, 10, 0);
    m_bookName = new QLabel(m_bottomBar);
    m_bookName->setObjectName(QStringLiteral("lb_bookName"));
    bottom->addWidget(m_bookName);
    m_btnPreview = makeButton(m_bottomBar, "btnPreview", 20);
    m_btnPreview->setCheckable(true);
    bottom->addWidget(m_btnPreview);

    DPIAdapter::instance()->adaptWidget(this);

    m_preview = new Widget_BookListPreview(m_treeArea);
    m_preview->show();
    m_previewAnimation = new QPropertyAnimation(m_preview, "pos", this);
    m_previewAnimation->setDuration(200);
    connect(m_preview, &Widget_BookListPreview::previewChanged, this, &Widget_Creation_Left::slidePreview);

    CBookVolumeController* controller = CBookVolumeController::instance();
    connect(controller, &CBookVolumeController::sigRecycle, this, &Widget_Creation_Left::showRecycleBin);
    connect(m_btnPreview, &QPushButton::clicked, this, &Widget_Creation_Left::togglePreview);

    m_tree = controller->getQuickWidget();
    m_stack->addWidget(m_tree);
    m_stack->setCurrentWidget(m_tree);

    setFocusPolicy(Qt::StrongFocus);
    m_buttonRow->hide();
}

Widget_Creation_Left::~Widget_Creation_Left()
{
    // The tree belongs to the controller, which outlives this pane; hand it
    // back instead of letting the stack delete it.
    if (m_tree != nullptr && m_stack->indexOf(m_tree) >= 0) {
        m_stack->removeWidget(m_tree);
        m_tree->setParent(nullptr);
        m_tree->hide();
    }
}

T_Book* Widget_Creation_Left::currentBook() const
{
    return m_localBookId > 0 ? m_publicManager->findBookByLocalId(m_localBookId) : nullptr;
}

void Widget_Creation_Left::openBook(T_Book* book, T_Chapter* chapter)
{
    if (book == nullptr)
        return;
    m_localBookId = book->localId;
    m_btnAsc->setChecked(book->orderType != 0);
    m_bookName->setText(book->bookName);
    CBookVolumeController::instance()->loadBook(book, chapter);
    m_btnPreview->setChecked(false);
    m_tree->setVisible(true);
}

void Widget_Creation_Left::closeRecycleBin()
{
    if (m_recycleBin != nullptr)
        m_recycleBin->close();
}

void Widget_Creation_Left::closePreview()
{
    if (m_preview != nullptr)
        m_preview->setPreview(false);
    m_btnPreview->setChecked(false);
}

void Widget_Creation_Left::togglePreview()
{
    const bool covering = m_preview->isPreview();
    // The tree is drawn above sibling widgets, so it has to go while the
    // preview covers it.
    m_tree->setVisible(covering);
    m_preview->setPreview(!covering);
}

void Widget_Creation_Left::slidePreview(bool on)
{
    if (m_previewAnimation->state() == QAbstractAnimation::Running)
        m_previewAnimation->stop();
    m_previewAnimation->setStartValue(m_preview->pos());
    m_previewAnimation->setEndValue(on ? QPoint(0, 0) : QPoint(0, m_treeArea->height()));
    m_previewAnimation->start();
}

void Widget_Creation_Left::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_preview == nullptr)
        return;
    const int h = height() - m_bottomBar->height();
    if (m_preview->isPreview())
        m_preview->setGeometry(0, 0, width(), h);
    else
        m_preview->setGeometry(0, height(), width(), h);
}

void Widget_Creation_Left::showRecycleBin()
{
    // A window of the writing window over its writing pane: the tree the bin
    // restores chapters to stays in sight beside it.
    QWidget* main = window();
    if (m_recycleBin == nullptr)
        m_recycleBin = new Widget_RecycleBin(main);
    const QRect beside(mapToGlobal(QPoint(width(), 0)), main->mapToGlobal(QPoint(main->width(), main->height())));
    moveOverArea(m_recycleBin, beside.adjusted(0, 0, -1, -1));
    m_recycleBin->loadBook(currentBook());
    m_recycleBin->show();
}
