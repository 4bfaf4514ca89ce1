// Draws the program's system covers: book covers with a blank title plate,
// each a gradient with a figure of its own, written as PNG files into the
// folder given on the command line.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QSaveFile>
#include <QTextStream>
#include <cmath>

namespace {
constexpr int kWidth = 240;
constexpr int kHeight = 320;

struct Palette
{
    QColor top, bottom, accent;
};

void drawFigure(QPainter& p, int kind, const Palette& c)
{
    p.setPen(Qt::NoPen);
    QColor accent = c.accent;
    switch (kind) {
    case 0: // mountains
        for (int layer = 0; layer < 3; ++layer) {
            accent.setAlpha(90 + layer * 50);
            p.setBrush(accent);
            QPainterPath path;
            const int base = 210 + layer * 35;
            path.moveTo(0, kHeight);
            path.lineTo(0, base);
            for (int x = 0; x <= kWidth; x += 40)
                path.lineTo(x + 20, base - 40 - ((x / 40 + layer) % 3) * 22);
            path.lineTo(kWidth, kHeight);
            path.closeSubpath();
            p.drawPath(path);
        }
        break;
    case 1: // sun and waves
        accent.setAlpha(200);
        p.setBrush(accent);
        p.drawEllipse(QPointF(170, 200), 38, 38);
        p.setPen(QPen(c.bottom.lighter(160), 3));
        p.setBrush(Qt::NoBrush);
        for (int row = 0; row < 5; ++row) {
            QPainterPath wave;
            const double y = 250 + row * 14;
            wave.moveTo(0, y);
            for (int x = 0; x <= kWidth; x += 4)
                wave.lineTo(x, y + 5 * std::sin((x + row * 17) / 14.0));
            p.drawPath(wave);
        }
        break;
    case 2: // circles
        for (int i = 0; i < 7; ++i) {
            accent.setAlpha(60 + i * 20);
            p.setBrush(accent);
            p.drawEllipse(QPointF(30 + (i * 53) % 200, 190 + (i * 37) % 110), 18 + i * 4, 18 + i * 4);
        }
        break;
    case 3: // diagonal stripes
        accent.setAlpha(120);
        p.setPen(QPen(accent, 10));
        for (int x = -kHeight; x < kWidth; x += 28)
            p.drawLine(x, kHeight, x + 160, 160);
        break;
    case 4: { // moon and stars
        QColor moon = c.accent.lighter(140);
        p.setBrush(moon);
        p.drawEllipse(QPointF(168, 210), 36, 36);
        p.setBrush(c.bottom);
        p.drawEllipse(QPointF(184, 200), 32, 32);
        p.setBrush(moon);
        for (int i = 0; i < 14; ++i)
            p.drawEllipse(QPointF((i * 71) % kWidth, 170 + (i * 43) % 140), 2, 2);
        break;
    }
    case 5: // bamboo
        accent.setAlpha(190);
        for (int i = 0; i < 4; ++i) {
            const int x = 30 + i * 55;
            p.setBrush(accent);
            p.drawRect(x, 160 + i * 12, 9, kHeight);
            p.setBrush(c.top);
            for (int y = 190 + i * 12; y < kHeight; y += 34)
                p.drawRect(x, y, 9, 2);
        }
        break;
    case 6: { // rings
        p.setBrush(Qt::NoBrush);
        for (int i = 0; i < 6; ++i) {
            accent.setAlpha(80 + i * 25);
            p.setPen(QPen(accent, 4));
            p.drawEllipse(QPointF(120, 250), 20 + i * 16, 20 + i * 16);
        }
        break;
    }
    default: { // petals
        accent.setAlpha(150);
        p.setBrush(accent);
        p.translate(120, 240);
        for (int i = 0; i < 8; ++i) {
            p.rotate(45);
            p.drawEllipse(QRectF(8, -10, 52, 20));
        }
        p.resetTransform();
        break;
    }
    }
}

QImage drawCover(int kind, const Palette& c)
{
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, 0, kHeight);
    background.setColorAt(0, c.top);
    background.setColorAt(1, c.bottom);
    p.fillRect(image.rect(), background);
    drawFigure(p, kind, c);
    // The blank plate where the author's title belongs.
    QColor plate = Qt::white;
    plate.setAlpha(70);
    p.setPen(Qt::NoPen);
    p.setBrush(plate);
    p.drawRoundedRect(QRectF(28, 44, kWidth - 56, 74), 6, 6);
    // The spine's shadow on the left edge.
    QLinearGradient spine(0, 0, 14, 0);
    spine.setColorAt(0, QColor(0, 0, 0, 70));
    spine.setColorAt(1, QColor(0, 0, 0, 0));
    p.fillRect(QRect(0, 0, 14, kHeight), spine);
    p.end();
    return image;
}
}

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        QTextStream(stderr) << "usage: make_covers <folder>\n";
        return 2;
    }
    const QString folder = args.at(1);
    if (!QDir().mkpath(folder)) {
        QTextStream(stderr) << "cannot create " << folder << "\n";
        return 1;
    }
    const Palette palettes[] = {
        {QColor("#2c3e66"), QColor("#0f1a33"), QColor("#6f8fd6")},
        {QColor("#f7c59f"), QColor("#ef6f6c"), QColor("#fff3b0")},
        {QColor("#a8e6cf"), QColor("#3b8f74"), QColor("#ffffff")},
        {QColor("#d4a5a5"), QColor("#6b2e45"), QColor("#ffe3e3")},
        {QColor("#1b263b"), QColor("#0d1321"), QColor("#e0c872")},
        {QColor("#cde8b5"), QColor("#4f772d"), QColor("#31572c")},
        {QColor("#e9d8fd"), QColor("#6b46c1"), QColor("#faf5ff")},
        {QColor("#ffe8d6"), QColor("#cb997e"), QColor("#b5485d")},
    };
    int index = 0;
    for (const Palette& palette : palettes) {
        const QImage cover = drawCover(index, palette);
        QSaveFile file(QStringLiteral("%1/cover_%2.png").arg(folder).arg(index + 1, 2, 10, QLatin1Char('0')));
        if (!file.open(QIODevice::WriteOnly) || !cover.save(&file, "PNG") || !file.commit()) {
            QTextStream(stderr) << "cannot write " << file.fileName() << "\n";
            return 1;
        }
        ++index;
    }
    return 0;
}
