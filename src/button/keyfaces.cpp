#include "button/keyfaces.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace pelorin::keyfaces {

namespace {

// The window shows rows 1 to 30 of a face, so the key is laid out in that band; the hidden
// rows keep the frame colour so the picture stays opaque.
constexpr QRect VisibleKey{0, 1, FaceSize, 30};

const QColor FrameColour{0x40, 0x40, 0x40};
const QColor Highlight{0xff, 0xff, 0xff};
const QColor SoftHighlight{0xf2, 0xf2, 0xf2};
const QColor Shadow{0x6e, 0x6e, 0x6e};
const QColor SoftShadow{0x9c, 0x9c, 0x9c};
const QColor OnSymbol{0xf0, 0x7c, 0x00};
const QColor OffSymbol{0x8a, 0x8a, 0x8a};

bool isPressed(KeyFace face) {
    return face == KeyFace::OnPressed || face == KeyFace::OffPressed;
}

bool isOn(KeyFace face) {
    return face == KeyFace::OnRaised || face == KeyFace::OnPressed;
}

QImage blankImage(QSize logicalSize, qreal devicePixelRatio) {
    const QSize physical(static_cast<int>(std::ceil(logicalSize.width() * devicePixelRatio)),
                         static_cast<int>(std::ceil(logicalSize.height() * devicePixelRatio)));
    QImage image(physical, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    return image;
}

// Two-pixel bevel: light edges at the top and left make the key stand out, swapping them with
// the dark ones makes it look pushed in.
void paintBevel(QPainter& painter, QRect body, bool pressed) {
    const QColor& outerLight = pressed ? Shadow : Highlight;
    const QColor& innerLight = pressed ? SoftShadow : SoftHighlight;
    const QColor& outerDark = pressed ? Highlight : Shadow;
    const QColor& innerDark = pressed ? SoftHighlight : SoftShadow;
    for (int ring = 0; ring < 2; ++ring) {
        const QRect r = body.adjusted(ring, ring, -ring, -ring);
        const QColor& light = ring == 0 ? outerLight : innerLight;
        const QColor& dark = ring == 0 ? outerDark : innerDark;
        painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), light);
        painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), light);
        painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), dark);
        painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), dark);
    }
}

void paintKeyBody(QPainter& painter, QRect body, bool pressed) {
    QLinearGradient shade(body.topLeft(), body.bottomLeft());
    shade.setColorAt(0, pressed ? QColor(0xc8, 0xc8, 0xc8) : QColor(0xee, 0xee, 0xee));
    shade.setColorAt(1, pressed ? QColor(0xd6, 0xd6, 0xd6) : QColor(0xd2, 0xd2, 0xd2));
    painter.fillRect(body, shade);
    paintBevel(painter, body, pressed);
}

// A circle open at the top with a bar through the gap.
void strokePowerSymbol(QPainter& painter, QPointF centre, const QColor& colour) {
    constexpr qreal Radius = 7.5;
    constexpr int GapHalfDegrees = 42;
    painter.setPen(QPen(colour, 2.6, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    const QRectF circle(centre.x() - Radius, centre.y() - Radius, 2 * Radius, 2 * Radius);
    painter.drawArc(circle, (90 + GapHalfDegrees) * 16, (360 - 2 * GapHalfDegrees) * 16);
    painter.drawLine(QPointF(centre.x(), centre.y() - Radius - 2),
                     QPointF(centre.x(), centre.y() - 1.5));
}

void paintPowerSymbol(QPainter& painter, QRect body, KeyFace face) {
    const qreal shift = isPressed(face) ? 1 : 0;
    const QPointF centre(body.left() + body.width() / 2.0 + shift,
                         body.top() + body.height() / 2.0 + shift);
    // A faint light copy below the symbol makes it look engraved into the key.
    strokePowerSymbol(painter, centre + QPointF(0.6, 0.8), QColor(255, 255, 255, 170));
    strokePowerSymbol(painter, centre, isOn(face) ? OnSymbol : OffSymbol);
}

} // namespace

QPixmap keyFace(KeyFace face, qreal devicePixelRatio) {
    QImage image = blankImage(QSize(FaceSize, FaceSize), devicePixelRatio);
    QPainter painter(&image);
    painter.fillRect(QRect(0, 0, FaceSize, FaceSize), FrameColour);
    const QRect body = VisibleKey.adjusted(1, 1, -1, -1);
    paintKeyBody(painter, body, isPressed(face));
    painter.setRenderHint(QPainter::Antialiasing);
    paintPowerSymbol(painter, body, face);
    painter.end();
    return QPixmap::fromImage(image);
}

QPixmap stripeTexture() {
    QImage image(TextureSize, TextureSize, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < TextureSize; ++y) {
        const QRgb colour = (y % 4 < 2) ? qRgb(0xd8, 0xd8, 0xd8) : qRgb(0xcc, 0xcc, 0xcc);
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        std::fill(line, line + TextureSize, colour);
    }
    return QPixmap::fromImage(image);
}

namespace {

QPainterPath handOutline() {
    QPainterPath hand;
    hand.setFillRule(Qt::WindingFill);
    for (int finger = 0; finger < 4; ++finger)
        hand.addRoundedRect(QRectF(9.0 + 4.0 * finger, 8.5, 4.5, 8), 2.2, 2.2);
    hand.addRoundedRect(QRectF(8.5, 12, 17, 12.5), 4, 4);
    hand.addEllipse(QRectF(4.5, 13, 7, 5.5));
    hand.addRect(QRectF(11, 23, 11, 4.5));
    return hand.simplified();
}

} // namespace

QPixmap grabHand() {
    QImage image(CursorSize, CursorSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1.3));
    painter.setBrush(Qt::white);
    painter.drawPath(handOutline());
    // Creases between the folded fingers.
    painter.setPen(QPen(Qt::black, 1.0));
    for (int gap = 1; gap < 4; ++gap) {
        const qreal x = 9.0 + 4.0 * gap;
        painter.drawLine(QPointF(x, 10.5), QPointF(x, 15));
    }
    painter.end();
    return QPixmap::fromImage(image);
}

QCursor grabCursor() {
    return QCursor(grabHand(), GrabHotSpot.x(), GrabHotSpot.y());
}

} // namespace pelorin::keyfaces
