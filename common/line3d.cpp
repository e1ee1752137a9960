#include "common/line3d.h"

#include <QPainter>
#include <QPalette>

namespace
{
constexpr int Thickness = 2;
}

Line3D::Line3D(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    place();
}

void Line3D::SetX1(int x)
{
    x1_ = x;
    place();
}

void Line3D::SetY1(int y)
{
    y1_ = y;
    place();
}

void Line3D::SetX2(int x)
{
    x2_ = x;
    place();
}

void Line3D::SetY2(int y)
{
    y2_ = y;
    place();
}

void Line3D::SetPoints(int x1, int y1, int x2, int y2)
{
    x1_ = x1;
    y1_ = y1;
    x2_ = x2;
    y2_ = y2;
    place();
}

void Line3D::place()
{
    const QRect box = QRect(QPoint(x1_, y1_), QPoint(x2_, y2_)).normalized();
    setGeometry(box.x(), box.y(), std::max(box.width(), Thickness), std::max(box.height(), Thickness));
    update();
}

void Line3D::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPoint from(x1_ - x(), y1_ - y());
    const QPoint to(x2_ - x(), y2_ - y());
    // Shadow first, the light edge one pixel below or to the right: the line looks engraved.
    const QPoint offset = y1_ == y2_ ? QPoint(0, 1) : QPoint(1, 0);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(from, to);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(from + offset, to + offset);
}
