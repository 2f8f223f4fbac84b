// Draws the splash picture of the post-install program: a 205 x 47, 24-bit image with a small
// television test-card symbol on the left and 初期化中 followed by a row of dots in large blue
// characters on a light-grey brushed background.
//   splashpainter OUTPUT.png

#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr int Width = 205;
constexpr int Height = 47;
const QColor TextBlue(0x10, 0x2c, 0xc8);

// The engine's sequence is fixed by the standard, so the picture comes out the same everywhere.
class Noise {
public:
    int next(int range) { return static_cast<int>(m_engine() % static_cast<std::uint32_t>(range)); }

private:
    std::mt19937 m_engine{20070130};
};

// Light grey with fine horizontal streaks, as brushed metal: each row has its own shade, and
// the shade drifts slowly along the row.
void brushedBackground(QImage& image) {
    Noise noise;
    for (int y = 0; y < Height; ++y) {
        const int rowShade = 210 + noise.next(13);
        int drift = 0;
        for (int x = 0; x < Width; ++x) {
            drift = std::clamp(drift + noise.next(5) - 2, -6, 6);
            const int grain = noise.next(4);
            const int value = std::clamp(rowShade + drift + grain, 0, 255);
            image.setPixelColor(x, y, QColor(value, value, std::min(255, value + 3)));
        }
    }
    QPainter painter(&image);
    painter.setPen(QColor(245, 245, 248));
    painter.drawLine(0, 0, Width - 1, 0);
    painter.drawLine(0, 0, 0, Height - 1);
    painter.setPen(QColor(150, 150, 156));
    painter.drawLine(0, Height - 1, Width - 1, Height - 1);
}

// A small television showing the colour-bar test card.
void testCard(QPainter& painter) {
    const QRectF body(4, 5, 38, 33);
    painter.setPen(QPen(QColor(40, 40, 44), 1));
    painter.setBrush(QColor(70, 70, 78));
    painter.drawRoundedRect(body, 4, 4);
    // Feet and aerial.
    painter.drawRect(QRectF(10, 38, 4, 3));
    painter.drawRect(QRectF(32, 38, 4, 3));
    painter.setPen(QPen(QColor(60, 60, 66), 1.5));
    painter.drawLine(QPointF(23, 5), QPointF(17, 0.5));
    painter.drawLine(QPointF(23, 5), QPointF(29, 0.5));

    const QRect screen(7, 8, 28, 24);
    const std::array<QColor, 7> bars{
        QColor(235, 235, 235), QColor(235, 235, 16), QColor(16, 235, 235), QColor(16, 235, 16),
        QColor(235, 16, 235),  QColor(235, 16, 16),  QColor(16, 16, 235)};
    painter.setPen(Qt::NoPen);
    const int barsHeight = 17;
    for (int i = 0; i < static_cast<int>(bars.size()); ++i) {
        const int left = screen.left() + i * screen.width() / 7;
        const int right = screen.left() + (i + 1) * screen.width() / 7;
        painter.fillRect(QRect(left, screen.top(), right - left, barsHeight), bars[i]);
    }
    // The strip below the bars: blacks, whites and greys.
    const std::array<QColor, 4> strip{QColor(16, 16, 16), QColor(235, 235, 235),
                                      QColor(120, 120, 120), QColor(16, 16, 16)};
    for (int i = 0; i < static_cast<int>(strip.size()); ++i) {
        const int left = screen.left() + i * screen.width() / 4;
        const int right = screen.left() + (i + 1) * screen.width() / 4;
        painter.fillRect(
            QRect(left, screen.top() + barsHeight, right - left, screen.height() - barsHeight),
            strip[i]);
    }
    // The test card's circle.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(250, 250, 250, 200), 1));
    painter.drawEllipse(QPointF(screen.center()) + QPointF(0.5, 0.5), 9, 9);
    painter.setPen(QPen(QColor(30, 30, 30), 1));
    painter.drawRect(screen.adjusted(0, 0, -1, -1));
}

QFont textFont() {
    QFont font(QStringLiteral("Noto Sans CJK JP"));
    font.setFamilies({QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("IPAGothic"), QStringLiteral("MS UI Gothic")});
    font.setPixelSize(27);
    font.setWeight(QFont::Bold);
    return font;
}

// 初期化中 and a row of dots, blue with a light edge below so they stand off the metal.
void caption(QPainter& painter) {
    const QString text = QStringLiteral("初期化中");
    const QFont font = textFont();
    QPainterPath path;
    path.addText(QPointF(47, 34), font, text);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 170));
    painter.drawPath(path.translated(1, 1));
    painter.setBrush(TextBlue);
    painter.drawPath(path);

    const qreal textRight = path.boundingRect().right();
    for (int i = 0; i < 5; ++i) {
        const QPointF centre(textRight + 6 + i * 6.5, 31.5);
        painter.setBrush(QColor(255, 255, 255, 170));
        painter.drawEllipse(centre + QPointF(1, 1), 2.2, 2.2);
        painter.setBrush(TextBlue);
        painter.drawEllipse(centre, 2.2, 2.2);
    }
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "usage: splashpainter OUTPUT.png\n";
        return 2;
    }
    QImage image(Width, Height, QImage::Format_RGB888);
    brushedBackground(image);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        testCard(painter);
        caption(painter);
    }
    if (!image.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        QTextStream(stderr) << "cannot write " << argv[1] << '\n';
        return 1;
    }
    return 0;
}
