#include "ui/artwork.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <numbers>

namespace pa::artwork {

QPixmap speakerPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    // Drawn on a 32 x 32 grid and scaled, so every size shows the same picture.
    p.scale(size / 32.0, size / 32.0);

    const QColor rim(128, 128, 128);
    const QColor cone(255, 214, 0);
    const QColor waves(0, 64, 200);

    // Magnet at the back, then the cone opening to the right with its rim.
    p.setPen(QPen(Qt::black, 0.8));
    p.setBrush(QColor(70, 70, 70));
    p.drawRect(QRectF(2, 12, 5, 8));
    QPainterPath conePath;
    conePath.moveTo(7, 13);
    conePath.lineTo(16, 5);
    conePath.lineTo(16, 27);
    conePath.lineTo(7, 19);
    conePath.closeSubpath();
    p.setBrush(cone);
    p.drawPath(conePath);
    p.setBrush(rim);
    p.drawRect(QRectF(15.5, 4, 2.5, 24));

    // Sound leaving the cone: three arcs and a few dots.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(waves, 1.8, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 3; ++i) {
        const double r = 4.0 + 4.0 * i;
        p.drawArc(QRectF(16 - r, 16 - r, 2 * r, 2 * r), -40 * 16, 80 * 16);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(waves);
    for (const QPointF& dot : {QPointF(29.5, 9), QPointF(30.5, 16), QPointF(29.5, 23)})
        p.drawEllipse(dot, 1.0, 1.0);
    return pixmap;
}

QIcon windowIcon() {
    QIcon icon;
    // The title bar and the task switcher pick from these; the desktop's menu icon is installed
    // as files, so larger sizes drawn here would only cost start-up time.
    for (int size : {16, 32, 48})
        icon.addPixmap(speakerPixmap(size));
    return icon;
}

QPixmap emblem(qreal devicePixelRatio) {
    // Drawn at the screen's own resolution, so a scaled screen shows it sharp, not blown up.
    const int side = qRound(100 * devicePixelRatio);
    QPixmap pixmap(side, side);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(QColor(192, 192, 192));
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // A triangle with a listener inside: head, body and two sound arcs reaching him.
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(Qt::white);
    const QPointF triangle[] = {{50, 24}, {78, 74}, {22, 74}};
    p.drawPolygon(triangle, 3);
    p.setBrush(Qt::black);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(50, 46), 4.5, 4.5);
    QPainterPath body;
    body.moveTo(41, 70);
    body.quadTo(50, 50, 59, 70);
    body.closeSubpath();
    p.drawPath(body);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::black, 1.5));
    p.drawArc(QRectF(40, 38, 20, 16), 30 * 16, 120 * 16);
    p.drawArc(QRectF(35, 33, 30, 26), 40 * 16, 100 * 16);

    // Lettering along an arc above the triangle, one rotated letter at a time.
    QFont small(QStringLiteral("DejaVu Sans"));
    small.setPixelSize(8);
    small.setBold(true);
    p.setFont(small);
    p.setPen(Qt::black);
    const QString arcText = QStringLiteral("ЗВУК  И  РЕЧЬ");
    const QPointF centre(50, 62);
    const double radius = 52;
    const double spread = 110.0; // degrees covered by the lettering
    const int count = static_cast<int>(arcText.size());
    for (int i = 0; i < count; ++i) {
        const double deg = -90.0 - spread / 2 + spread * (i + 0.5) / count;
        const double rad = deg * std::numbers::pi / 180.0;
        p.save();
        p.translate(centre.x() + radius * std::cos(rad), centre.y() + radius * std::sin(rad));
        p.rotate(deg + 90.0);
        p.drawText(QRectF(-5, -5, 10, 10), Qt::AlignCenter, arcText.mid(i, 1));
        p.restore();
    }

    // The name underneath.
    QFont name(QStringLiteral("DejaVu Sans"));
    name.setPixelSize(13);
    name.setBold(true);
    p.setFont(name);
    p.drawText(QRectF(0, 78, 100, 20), Qt::AlignCenter, QStringLiteral("ЛОРВИН"));
    return pixmap;
}

} // namespace pa::artwork
