// The power commands offered while the writing lock holds. Every command
// goes to a recording runner: nothing here may ever reach the machine.

#include "WhenShown.h"
#include "manager/CUiManager.h"
#include "platform/PowerCommands.h"
#include "ui/creation/Dialog_Reboot.h"

#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {
struct Recorder {
    QList<QStringList> calls;
    bool result = true;
    PowerCommands::Runner runner()
    {
        return [this](const QString& program, const QStringList& args) {
            calls.append(QStringList{program} + args);
            return result;
        };
    }
};

// Answers the reboot dialog once it is open: picks the button, then presses
// confirm or cancel.
void answerDialog(const QString& radio, const QString& press)
{
    whenShown<Dialog_Reboot>([radio, press](Dialog_Reboot* dialog) {
        if (!radio.isEmpty())
            dialog->findChild<QRadioButton*>(radio)->click();
        dialog->findChild<QPushButton*>(press)->click();
    });
}
} // namespace

class RebootTest : public QObject
{
    Q_OBJECT
private slots:
    void init() { CUiManager::instance()->setPowerRunner(m_recorder.runner()); }
    void cleanup()
    {
        CUiManager::instance()->setPowerRunner({});
        m_recorder.calls.clear();
        m_recorder.result = true;
    }

    void eachChoiceReachesTheRunner_data()
    {
        QTest::addColumn<QString>("radio");
        QTest::addColumn<QString>("verb");
        QTest::addColumn<bool>("runs");
        QTest::newRow("shut down") << "radioButton_shutdown" << "poweroff" << true;
        QTest::newRow("restart") << "radioButton_reboot" << "reboot" << true;
        QTest::newRow("sleep") << "radioButton_sleep" << "suspend" << true;
        // A command that fails is reported as a failure.
        QTest::newRow("failed") << "radioButton_reboot" << "reboot" << false;
    }
    void eachChoiceReachesTheRunner()
    {
        QFETCH(QString, radio);
        QFETCH(QString, verb);
        QFETCH(bool, runs);
        m_recorder.result = runs;
        answerDialog(radio, QStringLiteral("btnConfirm"));
        QCOMPARE(CUiManager::instance()->runRebootDialog(nullptr), runs);
        QCOMPARE(m_recorder.calls, (QList<QStringList>{{QStringLiteral("systemctl"), verb}}));
    }

private:
    Recorder m_recorder;
};

int runRebootTests(int argc, char** argv)
{
    RebootTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_Reboot.moc"
