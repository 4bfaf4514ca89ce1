#include "common/DPIAdapter.h"
#include "ui/common/CBkHeadButton.h"
#include "ui/common/CBkHeadLabel.h"
#include "ui/common/VerificationCodeLabel.h"

#include <QApplication>
#include <QEvent>
#include <QHoverEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
QString solidPicture(const QTemporaryDir& dir, const QColor& color, const QString& name = QStringLiteral("head.png"))
{
    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(color);
    const QString path = dir.filePath(name);
    image.save(path);
    return path;
}

void hoverEvent(QWidget* w, QEvent::Type type)
{
    QHoverEvent event(type, QPointF(5, 5), QPointF(-1, -1));
    QApplication::sendEvent(w, &event);
}

QImage render(QWidget* w)
{
    QImage image(w->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    w->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// A label whose chooser answers without a dialog.
class ScriptedHeadLabel : public CBkHeadLabel
{
public:
    QString answer;
    int asked = 0;

protected:
    QString choosePicture() override
    {
        ++asked;
        return answer;
    }
};
}

class TestHeadPictures : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { DPIAdapter::instance()->setScaleForTest(1.0); }

    void headButtonDrawsRoundPicture();
    void headLabelClipsToCircle();
    void cancelledChooserEmitsNothing();
    void chosenPictureIsReported();

    void codeOfWrongLengthIsIgnored();
};

void TestHeadPictures::headButtonDrawsRoundPicture()
{
    QTemporaryDir dir;
    CBkHeadButton button;
    button.resize(80, 80);
    button.setHeadSize(80);
    button.setHeadImage(solidPicture(dir, Qt::red));
    // Rendered at up to twice the head size; a small picture stays as it is.
    QCOMPARE(button.headImage().size(), QSize(64, 64));
    const QImage image = render(&button);
    QCOMPARE(image.pixelColor(40, 40), QColor(Qt::red));
    // Corners lie outside the round mask.
    QCOMPARE(image.pixelColor(1, 1).alpha(), 0);
    QCOMPARE(image.pixelColor(78, 78).alpha(), 0);
    QCOMPARE(button.headImage().size(), QSize(80, 80));
}

void TestHeadPictures::headLabelClipsToCircle()
{
    QTemporaryDir dir;
    CBkHeadLabel label;
    label.resize(90, 90);
    label.setPixmap(QPixmap(solidPicture(dir, Qt::blue)));
    QImage image = render(&label);
    QCOMPARE(image.pixelColor(45, 45), QColor(Qt::blue));
    QCOMPARE(image.pixelColor(2, 2).alpha(), 0);

    label.setShape(CBkHeadLabel::Square);
    image = render(&label);
    QCOMPARE(image.pixelColor(2, 2), QColor(Qt::blue));
}

void TestHeadPictures::cancelledChooserEmitsNothing()
{
    ScriptedHeadLabel label;
    label.resize(90, 90);
    label.show();
    QSignalSpy spy(&label, &CBkHeadLabel::sigPath);
    hoverEvent(&label, QEvent::HoverEnter);
    label.changeButton()->click();
    QCOMPARE(label.asked, 1);
    QCOMPARE(spy.count(), 0);
    QVERIFY(label.changeButton()->isHidden());
    QVERIFY(label.fileFilter().contains(QStringLiteral("*.JPEG")));
}

void TestHeadPictures::chosenPictureIsReported()
{
    ScriptedHeadLabel label;
    label.answer = QStringLiteral("/home/author/头像.png");
    QSignalSpy spy(&label, &CBkHeadLabel::sigPath);
    label.onDealModific();
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.first().at(0).toString(), label.answer);
}

void TestHeadPictures::codeOfWrongLengthIsIgnored()
{
    VerificationCodeLabel label;
    label.setCode(QStringLiteral("AB12"));
    const QColor first = label.letterColor(0);
    label.setCode(QStringLiteral("XYZ"));
    label.setCode(QStringLiteral("XYZWV"));
    QCOMPARE(label.code(), QStringLiteral("AB12"));
    QCOMPARE(label.letterColor(0), first);
}

QTEST_MAIN(TestHeadPictures)
#include "tst_headpictures.moc"
