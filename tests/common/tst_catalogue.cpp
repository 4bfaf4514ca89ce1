// The translation sources are kept per area; two areas giving one source text
// of one context different translations would make the shown text depend on
// the order lrelease reads the files in.

#include <QDir>
#include <QHash>
#include <QXmlStreamReader>
#include <QtTest>

class TestCatalogue : public QObject
{
    Q_OBJECT
private slots:
    void noSourceTextIsTranslatedTwoWays();
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

QTEST_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
