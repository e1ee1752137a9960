#include "common/moddraw.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPalette>

namespace
{

QColor colorOfChannels(const TriVertex& v)
{
    auto channel = [](int16_t value) { return (static_cast<uint16_t>(value) >> 8) & 0xFF; };
    return QColor(channel(v.red), channel(v.green), channel(v.blue));
}

uint32_t toColorValue(const QColor& c)
{
    return RGB(c.red(), c.green(), c.blue());
}

// The system colour indexes of the Windows palette, as the desktop's palette gives them here.
QPalette::ColorRole roleOfSystemColor(int index, QPalette::ColorGroup& group)
{
    group = QPalette::Active;
    switch (index) {
    case 1: // desktop
    case 5: // window
        return QPalette::Base;
    case 2:  // active caption
    case 13: // highlight
        return QPalette::Highlight;
    case 3: // inactive caption
        group = QPalette::Inactive;
        return QPalette::Highlight;
    case 6: // window frame
        return QPalette::Dark;
    case 7: // menu text
    case 8: // window text
    case 9: // caption text
        return QPalette::WindowText;
    case 14: // highlight text
        return QPalette::HighlightedText;
    case 16: // button shadow
        return QPalette::Mid;
    case 17: // grey text
        group = QPalette::Disabled;
        return QPalette::Text;
    case 18: // button text
        return QPalette::ButtonText;
    case 20: // button highlight
        return QPalette::Light;
    case 21: // 3D dark shadow
        return QPalette::Shadow;
    case 22: // 3D light
        return QPalette::Midlight;
    case 23: // tooltip text
        return QPalette::ToolTipText;
    case 24: // tooltip background
        return QPalette::ToolTipBase;
    default: // 4 menu, 10/11 borders, 12 app workspace, 15 button face and the rest
        return QPalette::Button;
    }
}

} // namespace

uint32_t GetSysColor(int index)
{
    QPalette::ColorGroup group;
    const QPalette::ColorRole role = roleOfSystemColor(index, group);
    return toColorValue(QApplication::palette().color(group, role));
}

uint32_t ResolveColor(uint32_t color)
{
    if ((color & 0xFF000000u) == 0x80000000u)
        return GetSysColor(static_cast<int>(color & 0x00FFFFFFu));
    return color;
}

int16_t LongToColor16(int32_t value)
{
    return static_cast<int16_t>(value < 32768 ? value : value - 65536);
}

void GradientBand::fill(const std::array<TriVertex, 2>& vertices, const GradientRect& rect, int mode)
{
    vertices_ = vertices;
    rect_ = rect;
    mode_ = mode;
    painted_ = true;
    update();
}

void GradientBand::paintEvent(QPaintEvent*)
{
    if (!painted_)
        return;
    const TriVertex& from = vertices_[rect_.upperLeft & 1];
    const TriVertex& to = vertices_[rect_.lowerRight & 1];
    const QRect area = rect();
    QLinearGradient gradient = mode_ == GradientFillRectH
                                   ? QLinearGradient(area.topLeft(), area.topRight())
                                   : QLinearGradient(area.topLeft(), area.bottomLeft());
    gradient.setColorAt(0, colorOfChannels(from));
    gradient.setColorAt(1, colorOfChannels(to));
    QPainter painter(this);
    painter.fillRect(area, gradient);
}

void DrawGradient(GradientBand* target, uint32_t fromColor, uint32_t toColor, int mode)
{
    if (!target)
        return;
    const uint32_t colors[2] = {ResolveColor(fromColor), ResolveColor(toColor)};
    const QRect client = target->rect();
    std::array<TriVertex, 2> vertices;
    for (int i = 0; i < 2; ++i) {
        const uint32_t c = colors[i];
        vertices[i].red = LongToColor16(static_cast<int32_t>((c & 255) * 256));
        vertices[i].green = LongToColor16(static_cast<int32_t>(((c / 256) & 255) * 256));
        vertices[i].blue = LongToColor16(static_cast<int32_t>(((c / 65536) & 255) * 256));
        vertices[i].alpha = 0;
    }
    vertices[1].x = client.width();
    vertices[1].y = client.height();
    target->fill(vertices, GradientRect{0, 1}, mode);
}
