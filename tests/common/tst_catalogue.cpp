// The translation sources are kept per area; two areas giving one source text
// of one context different translations would make the shown text depend on
// the order lrelease reads the files in. Every text the code shows must have
// its Chinese translation, and Qt's own dialogs must speak Chinese too.

#include "common/Translations.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QHash>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

struct Message
{
    QString context, source, translation, location;
    bool finished = false;
};

// Every message of a .ts file; a translation marked unfinished, obsolete or
// vanished does not count as one.
QList<Message> readMessages(const QString& path, QString* error)
{
    QList<Message> messages;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = path + QLatin1String(": unreadable");
        return messages;
    }
    QXmlStreamReader xml(&file);
    QString context;
    Message message;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && xml.name() == QLatin1String("message")) {
            messages << message;
            continue;
        }
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("message")) {
            message = Message();
            message.context = context;
        } else if (xml.name() == QLatin1String("location") && message.location.isEmpty()) {
            message.location = xml.attributes().value(QLatin1String("filename")).toString() + QLatin1Char(':')
                + xml.attributes().value(QLatin1String("line")).toString();
        } else if (xml.name() == QLatin1String("source")) {
            message.source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            const QString type = xml.attributes().value(QLatin1String("type")).toString();
            message.translation = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            message.finished = type.isEmpty() && !message.translation.trimmed().isEmpty();
        }
    }
    if (xml.hasError())
        *error = path + QLatin1String(": ") + xml.errorString();
    return messages;
}

} // namespace

class TestCatalogue : public QObject
{
    Q_OBJECT
private slots:
    void noSourceTextIsTranslatedTwoWays();
    void everyTextOfTheCodeHasAChineseTranslation();
    void qtsOwnDialogsSpeakChinese();
};

void TestCatalogue::noSourceTextIsTranslatedTwoWays()
{
    const QDir folder(QStringLiteral(I18N_DIR));
    const QStringList files = folder.entryList({QStringLiteral("*.ts")}, QDir::Files, QDir::Name);
    QVERIFY(!files.isEmpty());
    QHash<QString, QPair<QString, QString>> seen; // context + source -> file, translation
    QStringList conflicts;
    for (const QString& name : files) {
        QFile file(folder.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&file);
        QString context, source;
        while (!xml.atEnd()) {
            xml.readNext();
            if (!xml.isStartElement())
                continue;
            if (xml.name() == QLatin1String("name")) {
                context = xml.readElementText();
            } else if (xml.name() == QLatin1String("source")) {
                source = xml.readElementText();
            } else if (xml.name() == QLatin1String("translation")) {
                const QString translation = xml.readElementText();
                const QString key = context + QLatin1Char('\n') + source;
                auto it = seen.constFind(key);
                if (it == seen.constEnd())
                    seen.insert(key, {name, translation});
                else if (it->second != translation)
                    conflicts << QStringLiteral("%1 / %2: %3 (%4) vs %5 (%6)")
                                     .arg(context, source, it->second, it->first, translation, name);
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(name + QLatin1String(": ") + xml.errorString()));
    }
    QVERIFY2(conflicts.isEmpty(), qPrintable(conflicts.join(QLatin1Char('\n'))));
}

void TestCatalogue::everyTextOfTheCodeHasAChineseTranslation()
{
    QTemporaryDir dir;
    const QString extracted = dir.filePath(QStringLiteral("code.ts"));
    QProcess lupdate;
    lupdate.setWorkingDirectory(QStringLiteral(SOURCE_DIR));
    lupdate.start(QStringLiteral(LUPDATE_PATH),
                  {QStringLiteral("-silent"), QStringLiteral("-recursive"), QStringLiteral("-extensions"),
                   QStringLiteral("cpp,h,qml"), QStringLiteral("src"), QStringLiteral("qml"), QStringLiteral("app"),
                   QStringLiteral("-ts"), extracted});
    QVERIFY(lupdate.waitForFinished(120000));
    QCOMPARE(lupdate.exitCode(), 0);

    QString error;
    QSet<QString> translated;
    const QDir folder(QStringLiteral(I18N_DIR));
    for (const QString& name : folder.entryList({QStringLiteral("*.ts")}, QDir::Files)) {
        for (const Message& m : readMessages(folder.filePath(name), &error))
            if (m.finished)
                translated.insert(m.context + QLatin1Char('\n') + m.source);
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }
    const QList<Message> code = readMessages(extracted, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY(code.size() > 100);

    // A source text with a Chinese character, or without a Latin letter, is
    // already the text the author reads.
    const QRegularExpression latin(QStringLiteral("[A-Za-z]"));
    const QRegularExpression chinese(QStringLiteral("[\\x{4e00}-\\x{9fff}]"));
    QStringList missing;
    for (const Message& m : code)
        if (m.source.contains(latin) && !m.source.contains(chinese) && !translated.contains(m.context + QLatin1Char('\n') + m.source))
            missing << QStringLiteral("%1 %2: \"%3\"").arg(m.location, m.context, m.source);
    QVERIFY2(missing.isEmpty(), qPrintable(QLatin1String("untranslated:\n") + missing.join(QLatin1Char('\n'))));
}

void TestCatalogue::qtsOwnDialogsSpeakChinese()
{
    QVERIFY(installTranslations(*qApp));
    QDialogButtonBox buttons(QDialogButtonBox::Open | QDialogButtonBox::Save | QDialogButtonBox::Cancel);
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("取消"));
    QVERIFY(!buttons.button(QDialogButtonBox::Open)->text().contains(QLatin1String("Open")));

    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    auto* lookIn = dialog.findChild<QLabel*>(QStringLiteral("lookInLabel"));
    QVERIFY(lookIn);
    QVERIFY2(!lookIn->text().contains(QLatin1String("Look in")), qPrintable(lookIn->text()));
    // The client's own texts still come from its catalogue.
    QCOMPARE(QCoreApplication::translate("Widget_Setting", "1min"), QStringLiteral("1分钟"));
}

QTEST_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
