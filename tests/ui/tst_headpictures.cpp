#include "common/DPIAdapter.h"
#include "ui/common/CBkHeadLabel.h"
#include "ui/common/VerificationCodeLabel.h"

#include <QApplication>
#include <QEvent>
#include <QHoverEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {
void hoverEvent(QWidget* w, QEvent::Type type)
{
    QHoverEvent event(type, QPointF(5, 5), QPointF(-1, -1));
    QApplication::sendEvent(w, &event);
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

    void cancelledChooserEmitsNothing();
    void chosenPictureIsReported();

    void codeOfWrongLengthIsIgnored();
};

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
