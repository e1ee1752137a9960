#pragma once

#include <QWidget>
#include <array>
#include <cstdint>

// One corner of a gradient: position in pixels of the target's client area and the colour
// channels with the 8-bit value in the upper byte.
struct TriVertex {
    int32_t x = 0;
    int32_t y = 0;
    int16_t red = 0;
    int16_t green = 0;
    int16_t blue = 0;
    int16_t alpha = 0;
};

struct GradientRect {
    uint32_t upperLeft = 0;
    uint32_t lowerRight = 1;
};

constexpr int GradientFillRectH = 0;
constexpr int GradientFillRectV = 1;

// The picture box that carries the band at the bottom of the dialogs; it keeps what was drawn
// into it and paints it again (its AutoRedraw is always on).
class GradientBand : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;
    void fill(const std::array<TriVertex, 2>& vertices, const GradientRect& rect, int mode);
    const std::array<TriVertex, 2>& vertices() const { return vertices_; }
    int mode() const { return mode_; }
    bool painted() const { return painted_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<TriVertex, 2> vertices_{};
    GradientRect rect_{};
    int mode_ = GradientFillRectV;
    bool painted_ = false;
};

// A colour with the top byte 0x80 names a system colour by its low 24 bits; any other value is
// red in the low byte, green in the second, blue in the third.
uint32_t ResolveColor(uint32_t color);
uint32_t GetSysColor(int index);
int16_t LongToColor16(int32_t value);

void DrawGradient(GradientBand* target, uint32_t fromColor, uint32_t toColor, int mode);

constexpr uint32_t RGB(int red, int green, int blue)
{
    return static_cast<uint32_t>(red) | (static_cast<uint32_t>(green) << 8) |
           (static_cast<uint32_t>(blue) << 16);
}

// The dialogs' bottom band: light yellow at the top, orange at the bottom.
constexpr uint32_t BandTopColor = RGB(255, 231, 162);
constexpr uint32_t BandBottomColor = RGB(255, 172, 66);
inline void DrawBottomBand(GradientBand* target)
{
    DrawGradient(target, BandTopColor, BandBottomColor, GradientFillRectV);
}
