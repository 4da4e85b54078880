#include "app/gui/Splash.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

namespace ortello {

QPixmap ProductPicture(const QSize& size, bool credits) {
    QPixmap pm(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, size.width(), size.height());
    g.setColorAt(0, credits ? QColor(40, 60, 40) : QColor(18, 52, 96));
    g.setColorAt(1, credits ? QColor(90, 120, 70) : QColor(44, 110, 170));
    p.fillRect(pm.rect(), g);
    // A dish antenna on a mast, radiating.
    const double s = size.height() / 100.0;
    p.setPen(QPen(QColor(230, 236, 245), 2.2 * s));
    p.drawLine(QPointF(22 * s, 82 * s), QPointF(22 * s, 48 * s));
    p.drawLine(QPointF(12 * s, 82 * s), QPointF(32 * s, 82 * s));
    QPainterPath dish;
    dish.moveTo(14 * s, 22 * s);
    dish.quadTo(34 * s, 40 * s, 14 * s, 62 * s);
    p.drawPath(dish);
    p.drawLine(QPointF(18 * s, 42 * s), QPointF(34 * s, 42 * s));
    p.setPen(QPen(QColor(255, 200, 80), 1.6 * s));
    for (int i = 1; i <= 3; ++i) {
        const double r = i * 9 * s;
        p.drawArc(QRectF(34 * s - r, 42 * s - r, 2 * r, 2 * r), -40 * 16, 80 * 16);
    }
    return pm;
}

TSplash::TSplash() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    picture_ = ProductPicture(QSize(460, 220));
    setFixedSize(picture_.size());
    setAttribute(Qt::WA_DeleteOnClose, false);
    if (QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TSplash::SetStatus(const QString& text) {
    status_ = text;
    repaint();
}

void TSplash::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, picture_);
    p.setPen(Qt::white);
    QFont f = font();
    f.setPointSizeF(f.pointSizeF() * 2.2);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(150, 40, width() - 160, 60), Qt::AlignLeft | Qt::AlignVCenter, "Ortello");
    QFont small = font();
    p.setFont(small);
    p.drawText(QRect(152, 100, width() - 160, 24), Qt::AlignLeft, "Quotations for antennas, cable and waveguide");
    p.setPen(QColor(220, 230, 240));
    p.drawText(QRect(12, height() - 30, width() - 24, 22), Qt::AlignLeft | Qt::AlignVCenter, status_);
}

}  // namespace ortello
