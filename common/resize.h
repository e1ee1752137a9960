#pragma once

#include <QList>
#include <QString>
#include <optional>

class QWidget;

// Proportional layout: a window's Form_Resize calls ResizeForm with itself. At the window's first
// resize with a real client area the module records the window's client size and the place and
// size of each of its direct child controls; every resize then sets each control to its recorded
// place scaled by the window's client size against the recorded one, in whole percent. The records
// live for the run of the program, so a window opened again is scaled against its first layout.
//
// Places are recorded in twips (15 per pixel) relative to the window's client area, which is the
// window's contents rectangle: a window with a menu bar keeps the bar in its top contents margin.
// A control whose left edge is negative is parked out of sight 75000 twips to the left of its
// true place. Members of a control array share their objectName and carry their index in the
// property "Index" (SetControlIndex).

// One record per window and one per control; of a window record only Name, ScaleWidth and
// ScaleHeight are read later. A line records Y1, X1, Y2 and X2 as Top, Left, Height and Width.
struct LayoutRecord {
    QString Name;
    int Index = 0;
    QString FormName;
    int Top = 0;
    int Left = 0;
    int Height = 0;
    int Width = 0;
    int ScaleHeight = 0;
    int ScaleWidth = 0;
};

// The module's state: both lists only grow.
struct LayoutBook {
    QList<LayoutRecord> FormLayouts;
    QList<LayoutRecord> ControlLayouts;
    bool Resizing = false;
};

constexpr int TwipsPerPixel = 15;
constexpr int ParkOffset = 75000;
// A window this far down (or further) is off the screen: its controls stay as they are.
constexpr int OffScreenTop = 30000;

// The arithmetic, in the window's units.
int UnhideLeft(int left);
int RoundHalfEven(double value);
// Whole percent of the current scale against the recorded one, truncated.
int ScalePercent(double currentScale, int recordedScale);
// recorded x percent / 100, truncated toward zero.
int ScaleBy(int recorded, int percent);

struct ControlPlace {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool operator==(const ControlPlace&) const = default;
};
ControlPlace ScaledPlace(const LayoutRecord& record, int widthPercent, int heightPercent, bool parked);

struct LinePlace {
    int X1 = 0;
    int Y1 = 0;
    int X2 = 0;
    int Y2 = 0;
    bool operator==(const LinePlace&) const = default;
};
LinePlace ScaledLine(const LayoutRecord& record, int widthPercent, int heightPercent, bool x1Parked,
                     bool x2Parked);

// The operations on windows and controls.
void ResizeForm(QWidget* window);
void ResizeControl(QWidget* control, QWidget* window);
// Empty while the window has no record and cannot get one (its client area is zero).
std::optional<int> WidthPercent(QWidget* window);
std::optional<int> HeightPercent(QWidget* window);
int FindFormLayout(const QWidget* window);
int RecordFormLayout(QWidget* window);
int FindControlLayout(const QWidget* control, const QString& formName);
int RecordControlLayout(const QWidget* control, const QString& formName);

// A window is never made smaller than its designed size, below which its texts and controls no
// longer fit; the proportional layout then only ever enlarges. Call it with the window at its
// designed size.
void KeepDesignedSize(QWidget* window);

void SetControlIndex(QWidget* control, int index);
std::optional<int> ControlIndex(const QWidget* control);
