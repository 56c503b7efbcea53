// Draws the program icon at the sizes the program embeds. Not part of the build:
//   g++ -std=c++17 -fPIC draw-icon.cpp -o draw-icon $(pkg-config --cflags --libs Qt6Gui)
//   QT_QPA_PLATFORM=offscreen ./draw-icon .
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QLinearGradient>
int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QString out = argv[1];
    for (int size : {16, 32, 48, 256}) {
        QImage img(size, size, QImage::Format_ARGB32);
        img.fill(Qt::transparent);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 64.0, size / 64.0);
        // Background: rounded square, blue gradient.
        QLinearGradient g(0, 0, 0, 64);
        g.setColorAt(0, QColor(0x2f, 0x7d, 0xd1));
        g.setColorAt(1, QColor(0x15, 0x4a, 0x8c));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
        // The gateway: a white box with status lights.
        p.setBrush(QColor(0xf4, 0xf6, 0xf9));
        p.drawRoundedRect(QRectF(12, 10, 40, 16), 3, 3);
        p.setBrush(QColor(0x3c, 0xc8, 0x5a));
        p.drawEllipse(QRectF(17, 15.5, 5, 5));
        p.setBrush(QColor(0xf0, 0xb4, 0x28));
        p.drawEllipse(QRectF(25, 15.5, 5, 5));
        p.setBrush(QColor(0x9a, 0xa8, 0xb8));
        p.drawRect(QRectF(35, 16.5, 12, 3));
        // Two arrows: down (backup) and up (restore).
        p.setBrush(QColor(0xff, 0xff, 0xff));
        QPainterPath down;
        down.moveTo(19, 30); down.lineTo(25, 30); down.lineTo(25, 40); down.lineTo(30, 40);
        down.lineTo(22, 49); down.lineTo(14, 40); down.lineTo(19, 40); down.closeSubpath();
        p.drawPath(down);
        QPainterPath up;
        up.moveTo(39, 49); up.lineTo(45, 49); up.lineTo(45, 39); up.lineTo(50, 39);
        up.lineTo(42, 30); up.lineTo(34, 39); up.lineTo(39, 39); up.closeSubpath();
        p.drawPath(up);
        // The PC's disk line.
        p.setBrush(QColor(0xf4, 0xf6, 0xf9));
        p.drawRoundedRect(QRectF(12, 52, 40, 4), 2, 2);
        p.end();
        img.save(QString("%1/nexo-backup-%2.png").arg(out).arg(size));
    }
}
