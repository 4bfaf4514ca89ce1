#include "ui/common/BkMessageBox.h"

#include "common/DPIAdapter.h"
#include "platform/WindowCompositing.h"
#include "ui/common/CBaseTitleBar.h"
#include "ui/common/NcFramelessHelper.h"

#include <QCloseEvent>
#include <QGraphicsDropShadowEffect>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTextLayout>
#include <QtMath>
#include <QVBoxLayout>

namespace {
int scaled(int px)
{
    return static_cast<int>(px * DPIAdapter::instance()->scale());
}
}

BkMessageBox::BkMessageBox(QWidget* parent)
    : QDialog(parent)
{
    buildForm();
}

BkMessageBox::BkMessageBox(const QString& title, const QString& text, QWidget* parent)
    : QDialog(parent)
{
    buildForm();
    setTitle(title);
    setText(text);
}

BkMessageBox::~BkMessageBox() = default;

void BkMessageBox::buildForm()
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("BkMessageBox"));

    m_outerLayout = new QVBoxLayout(this);
    m_outerLayout->setObjectName(QStringLiteral("verticalLayout_2"));
    m_outerLayout->setSpacing(0);
    const int margin = scaled(10);
    m_outerLayout->setContentsMargins(margin, margin, margin, margin);

    m_background = new QWidget(this);
    m_background->setObjectName(QStringLiteral("MessageBoxBg"));
    m_background->setAttribute(Qt::WA_StyledBackground, true);
    m_outerLayout->addWidget(m_background);

    m_backgroundLayout = new QVBoxLayout(m_background);
    m_backgroundLayout->setObjectName(QStringLiteral("verticalLayout"));
    m_backgroundLayout->setSpacing(0);
    m_backgroundLayout->setContentsMargins(0, 0, 0, 0);

    m_titleBar = new CBaseTitleBar(m_background);
    m_titleBar->setObjectName(QStringLiteral("widgetTitleBar"));
    m_titleBar->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_titleBar->setFixedHeight(scaled(38));
    m_backgroundLayout->addWidget(m_titleBar);

    m_content = new QWidget(m_background);
    m_content->setObjectName(QStringLiteral("widgetContent"));
    m_backgroundLayout->addWidget(m_content);

    m_contentLayout = new QVBoxLayout(m_content);
    m_contentLayout->setObjectName(QStringLiteral("verticalLayout_3"));
    m_contentLayout->setSpacing(0);
    m_contentLayout->setContentsMargins(0, 0, 0, 0);

    m_label = new QLabel(m_content);
    m_label->setObjectName(QStringLiteral("label"));
    m_label->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_label->setMinimumWidth(scaled(320));
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setWordWrap(true);
    m_label->setMargin(5);
    m_label->setText(QStringLiteral("TextLabel"));
    m_contentLayout->addWidget(m_label, 0, Qt::AlignHCenter);

    m_buttonLayout = new QHBoxLayout();
    m_buttonLayout->setObjectName(QStringLiteral("buttonLayout"));
    m_buttonLayout->setSpacing(scaled(15));
    int left = 0;
    m_buttonLayout->getContentsMargins(&left, nullptr, nullptr, nullptr);
    m_buttonLayout->setContentsMargins(left, 0, scaled(20), scaled(20));
    m_buttonLayout->addSpacerItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    m_contentLayout->addLayout(m_buttonLayout);

    auto* helper = new NcFramelessHelper(this);
    helper->setWidgetMovable(true);
    helper->setWidgetResizable(false);
    helper->activateOn(this);

    setAttribute(Qt::WA_TranslucentBackground, true);
    setWindowFlags(windowFlags() | Qt::Tool | Qt::NoDropShadowWindowHint);

    // Where nothing composes translucent windows, the shadow's band would
    // be drawn black: the box is then opaque and without it.
    if (!WindowCompositing::settleOpaque(m_background)) {
        auto* shadow = new QGraphicsDropShadowEffect(m_background);
        shadow->setOffset(0, 0);
        shadow->setColor(QColor(0, 0, 0, 42));
        shadow->setBlurRadius(20);
        m_background->setGraphicsEffect(shadow);
    }

    connect(m_titleBar, &CBaseTitleBar::sig_close, this, &BkMessageBox::reject);
    fitText();
}

void BkMessageBox::fitText()
{
    // A file name or a folder has nowhere to wrap: the text gets the width of
    // its longest unbreakable piece (within the screen) and the lines it
    // then needs, and the box never shrinks below its usual size. Measured in
    // the font the style sheet gives the label.
    m_label->ensurePolished();
    QString text = m_label->text();
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout pieces(text, m_label->font());
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    pieces.setTextOption(option);
    qreal widest = 0;
    pieces.beginLayout();
    for (QTextLine line = pieces.createLine(); line.isValid(); line = pieces.createLine()) {
        line.setLineWidth(0);
        widest = qMax(widest, line.naturalTextWidth());
    }
    pieces.endLayout();
    const QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    const int chrome = scaled(60);
    const int most = screen ? screen->availableGeometry().width() - chrome : 4096;
    const int width = qBound(scaled(320), qCeil(widest) + 2 * m_label->margin() + 2, qMax(scaled(320), most));
    m_label->setFixedWidth(width);
    m_label->setMinimumHeight(m_label->heightForWidth(width));
    layout()->invalidate();
    setFixedSize(QSize(scaled(380), scaled(180)).expandedTo(layout()->sizeHint()));
}

void BkMessageBox::setTitle(const QString& title)
{
    m_titleBar->setTitle(title);
}

void BkMessageBox::setText(const QString& text)
{
    m_label->setText(text);
    fitText();
}

QString BkMessageBox::standardButtonText(int value)
{
    switch (value) {
    case 0x400:
        return tr("OK");
    case 0x800:
        return tr("Save");
    case 0x2000:
        return tr("Open");
    case 0x4000:
        return tr("Yes");
    case 0x10000:
        return tr("No");
    case 0x200000:
        return tr("Close");
    case 0x400000:
        return tr("Cancel");
    case 0x800000:
        return tr("Discard");
    case 0x1000000:
        return tr("Help");
    case 0x2000000:
        return tr("Apply");
    case 0x4000000:
        return tr("Reset");
    default:
        return QString();
    }
}

QPushButton* BkMessageBox::makeButton(const QString& text)
{
    auto* button = new QPushButton(text, this);
    button->setFixedSize(scaled(92), scaled(30));
    button->setCursor(Qt::PointingHandCursor);
    const bool negative = text == tr("No") || text == tr("Cancel") || text == tr("Discard");
    button->setObjectName(negative ? QStringLiteral("btnCancel") : QStringLiteral("btnConfirm"));
    connect(button, &QPushButton::clicked, this, &BkMessageBox::onButtonClicked);
    m_buttonLayout->addWidget(button);
    return button;
}

QPushButton* BkMessageBox::addButton(const QString& text)
{
    if (text.isEmpty())
        return nullptr;
    QPushButton* button = makeButton(text);
    m_textButtons.append(button);
    return button;
}

QPushButton* BkMessageBox::addStandardButton(int value)
{
    if (value == 0)
        return nullptr;
    QPushButton* button = makeButton(standardButtonText(value));
    m_standardButtons.insert(value, button);
    return button;
}

void BkMessageBox::setDefaultButton(int value)
{
    QPushButton* button = m_standardButtons.value(value);
    if (!button)
        return;
    button->setDefault(true);
    button->setFocus(Qt::OtherFocusReason);
}

int BkMessageBox::exec()
{
    m_answered = false;
    // The box is read after its loop ends: deleted on close, it goes here.
    const bool deleteOnClose = testAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_DeleteOnClose, false);
    QPointer<BkMessageBox> alive = this;
    int result = QDialog::exec();
    if (!alive)
        return kNoAnswer;
    if (!m_answered && result != kClosedByTitleBar && result != kEscape) {
        // Ended by a quit, a hidden window or a stray accept(): the box may
        // still be on screen, and it answers nothing.
        hide();
        result = kNoAnswer;
        setResult(result);
    }
    if (deleteOnClose)
        delete this;
    return result;
}

void BkMessageBox::onButtonClicked()
{
    auto* button = qobject_cast<QPushButton*>(sender());
    for (auto it = m_standardButtons.cbegin(); it != m_standardButtons.cend(); ++it) {
        if (it.value() == button) {
            m_answered = true;
            done(it.key());
            return;
        }
    }
    const int index = m_textButtons.indexOf(button);
    m_answered = index >= 0;
    done(index >= 0 ? index : kNoAnswer);
}

void BkMessageBox::reject()
{
    done(kClosedByTitleBar);
}

void BkMessageBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        done(kEscape);
        return;
    }
    QDialog::keyPressEvent(event);
}

void BkMessageBox::closeEvent(QCloseEvent* event)
{
    done(kEscape);
    QDialog::closeEvent(event);
}

int BkMessageBox::information(QWidget* parent, const QString& title, const QString& text,
                              int buttons, int defaultButton)
{
    QPointer<BkMessageBox> box = new BkMessageBox(title, text, parent);
    for (qint64 bit = 0x400; bit <= 0x8000000; bit <<= 1) {
        if (buttons & bit)
            box->addStandardButton(static_cast<int>(bit));
    }
    box->setDefaultButton(defaultButton);
    const int result = box->exec();
    // A box has done its work once exec() returns; keeping it would pile up
    // hidden dialogs under a long-lived parent.
    delete box.data();
    return result;
}

int BkMessageBox::askTwo(QWidget* parent, const QString& title, const QString& text,
                         const QString& button0, const QString& button1, int defaultIndex)
{
    QPointer<BkMessageBox> box = new BkMessageBox(title, text, parent);
    box->addButton(button0);
    box->addButton(button1);
    const QList<QPushButton*> buttons = box->textButtons();
    if (defaultIndex >= 0 && defaultIndex < buttons.size()) {
        buttons.at(defaultIndex)->setDefault(true);
        buttons.at(defaultIndex)->setFocus(Qt::OtherFocusReason);
    }
    const int result = box->exec();
    delete box.data();
    return result;
}

int BkMessageBox::question(QWidget* parent, const QString& title, const QString& text,
                           const QString& button0, const QString& button1, int defaultIndex)
{
    return askTwo(parent, title, text, button0, button1, defaultIndex);
}

int BkMessageBox::warning(QWidget* parent, const QString& title, const QString& text,
                          const QString& button0, const QString& button1, int defaultIndex)
{
    return askTwo(parent, title, text, button0, button1, defaultIndex);
}
