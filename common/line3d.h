#pragma once

#include <QWidget>

// A sunken divider line given by its two end points in its parent's coordinates, as the dialogs'
// lines are placed. The widget covers the line's bounding box, two pixels thick.
class Line3D : public QWidget
{
    Q_OBJECT
public:
    explicit Line3D(QWidget* parent = nullptr);

    int X1() const { return x1_; }
    int Y1() const { return y1_; }
    int X2() const { return x2_; }
    int Y2() const { return y2_; }
    void SetX1(int x);
    void SetY1(int y);
    void SetX2(int x);
    void SetY2(int y);
    void SetPoints(int x1, int y1, int x2, int y2);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void place();
    int x1_ = 0;
    int y1_ = 0;
    int x2_ = 0;
    int y2_ = 0;
};
