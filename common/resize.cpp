#include "common/resize.h"

#include "common/globale_variablen.h"
#include "common/line3d.h"

#include <QMenuBar>
#include <QVariant>
#include <QWidget>
#include <cmath>

namespace
{

const char* const IndexProperty = "Index";

LayoutBook& book()
{
    return Globale_Variablen::Layouts;
}

int toTwips(int pixels)
{
    return pixels * TwipsPerPixel;
}

int toPixels(int twips)
{
    return static_cast<int>(std::lround(static_cast<double>(twips) / TwipsPerPixel));
}

QPoint clientOrigin(const QWidget* window)
{
    return window->contentsRect().topLeft();
}

// The window's own controls with a place in its client area: no menu bar, no window of its own,
// no inner part of a composite control. An unnamed control cannot be told apart from another.
QList<QWidget*> controlsOf(const QWidget* window)
{
    QList<QWidget*> controls;
    for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!child->isWindow() && !qobject_cast<QMenuBar*>(child) && !child->objectName().isEmpty())
            controls << child;
    return controls;
}

std::optional<int> percentOf(QWidget* window, int LayoutRecord::*recorded, int clientTwips)
{
    int index = FindFormLayout(window);
    if (index < 0) {
        const QRect client = window->contentsRect();
        if (client.width() <= 0 || client.height() <= 0)
            return std::nullopt;
        index = RecordFormLayout(window);
    }
    return ScalePercent(clientTwips, book().FormLayouts[index].*recorded);
}

struct ResizingFlag {
    ResizingFlag() { book().Resizing = true; }
    ~ResizingFlag() { book().Resizing = false; }
};

} // namespace

int UnhideLeft(int left)
{
    return left < 0 ? left + ParkOffset : left;
}

int RoundHalfEven(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

int ScalePercent(double currentScale, int recordedScale)
{
    if (recordedScale == 0)
        return 100;
    return static_cast<int>(static_cast<qint64>(RoundHalfEven(currentScale * 100)) / recordedScale);
}

int ScaleBy(int recorded, int percent)
{
    return static_cast<int>(static_cast<qint64>(recorded) * percent / 100);
}

ControlPlace ScaledPlace(const LayoutRecord& record, int widthPercent, int heightPercent, bool parked)
{
    return ControlPlace{ScaleBy(record.Left, widthPercent) - (parked ? ParkOffset : 0),
                        ScaleBy(record.Top, heightPercent), ScaleBy(record.Width, widthPercent),
                        ScaleBy(record.Height, heightPercent)};
}

LinePlace ScaledLine(const LayoutRecord& record, int widthPercent, int heightPercent, bool x1Parked,
                     bool x2Parked)
{
    return LinePlace{ScaleBy(record.Left, widthPercent) - (x1Parked ? ParkOffset : 0),
                     ScaleBy(record.Top, heightPercent),
                     ScaleBy(record.Width, widthPercent) - (x2Parked ? ParkOffset : 0),
                     ScaleBy(record.Height, heightPercent)};
}

void ResizeForm(QWidget* window)
{
    if (!window || book().Resizing)
        return;
    const ResizingFlag resizing;
    if (toTwips(window->frameGeometry().top()) >= OffScreenTop)
        return;
    for (QWidget* control : controlsOf(window))
        ResizeControl(control, window);
}

void ResizeControl(QWidget* control, QWidget* window)
{
    const std::optional<int> heightPercent = HeightPercent(window);
    const std::optional<int> widthPercent = WidthPercent(window);
    if (!heightPercent || !widthPercent)
        return;
    // A control that joined the window after its first resize has no record and stays put.
    const int index = FindControlLayout(control, window->objectName());
    if (index < 0)
        return;
    const LayoutRecord record = book().ControlLayouts[index];
    const QPoint origin = clientOrigin(window);
    if (auto* line = qobject_cast<Line3D*>(control)) {
        const LinePlace place =
            ScaledLine(record, *widthPercent, *heightPercent, toTwips(line->X1() - origin.x()) < 0,
                       toTwips(line->X2() - origin.x()) < 0);
        line->SetPoints(origin.x() + toPixels(place.X1), origin.y() + toPixels(place.Y1),
                        origin.x() + toPixels(place.X2), origin.y() + toPixels(place.Y2));
        return;
    }
    const bool parked = toTwips(control->x() - origin.x()) < 0;
    const ControlPlace place = ScaledPlace(record, *widthPercent, *heightPercent, parked);
    // Qt keeps a control within its minimum and maximum size: one that refuses a height or a
    // width still gets its place.
    control->setGeometry(origin.x() + toPixels(place.Left), origin.y() + toPixels(place.Top),
                         toPixels(place.Width), toPixels(place.Height));
}

std::optional<int> WidthPercent(QWidget* window)
{
    return percentOf(window, &LayoutRecord::ScaleWidth, toTwips(window->contentsRect().width()));
}

std::optional<int> HeightPercent(QWidget* window)
{
    return percentOf(window, &LayoutRecord::ScaleHeight, toTwips(window->contentsRect().height()));
}

int FindFormLayout(const QWidget* window)
{
    const QList<LayoutRecord>& forms = book().FormLayouts;
    for (qsizetype i = 0; i < forms.size(); ++i)
        if (forms[i].Name == window->objectName())
            return static_cast<int>(i);
    return -1;
}

int RecordFormLayout(QWidget* window)
{
    const QRect frame = window->frameGeometry();
    const QRect client = window->contentsRect();
    LayoutRecord record;
    record.Name = window->objectName();
    record.Top = toTwips(frame.top());
    record.Left = toTwips(frame.left());
    record.Height = toTwips(frame.height());
    record.Width = toTwips(frame.width());
    record.ScaleHeight = toTwips(client.height());
    record.ScaleWidth = toTwips(client.width());
    book().FormLayouts.append(record);
    const int index = static_cast<int>(book().FormLayouts.size() - 1);
    for (const QWidget* control : controlsOf(window))
        if (FindControlLayout(control, record.Name) < 0)
            RecordControlLayout(control, record.Name);
    return index;
}

int FindControlLayout(const QWidget* control, const QString& formName)
{
    const std::optional<int> index = ControlIndex(control);
    const QList<LayoutRecord>& controls = book().ControlLayouts;
    for (qsizetype i = 0; i < controls.size(); ++i) {
        const LayoutRecord& record = controls[i];
        if (record.FormName != formName || record.Name != control->objectName())
            continue;
        if (!index || record.Index == *index)
            return static_cast<int>(i);
    }
    return -1;
}

int RecordControlLayout(const QWidget* control, const QString& formName)
{
    const QPoint origin = clientOrigin(control->parentWidget());
    LayoutRecord record;
    record.Name = control->objectName();
    record.Index = ControlIndex(control).value_or(0);
    record.FormName = formName;
    if (const auto* line = qobject_cast<const Line3D*>(control)) {
        record.Top = toTwips(line->Y1() - origin.y());
        record.Left = UnhideLeft(toTwips(line->X1() - origin.x()));
        record.Height = toTwips(line->Y2() - origin.y());
        record.Width = UnhideLeft(toTwips(line->X2() - origin.x()));
    } else {
        record.Top = toTwips(control->y() - origin.y());
        record.Left = UnhideLeft(toTwips(control->x() - origin.x()));
        record.Height = toTwips(control->height());
        record.Width = toTwips(control->width());
    }
    // Qt's lists have no integral height to switch off: their rows already scroll by pixel.
    book().ControlLayouts.append(record);
    return static_cast<int>(book().ControlLayouts.size() - 1);
}

void KeepDesignedSize(QWidget* window)
{
    window->setMinimumSize(window->size().expandedTo(window->minimumSizeHint()));
}

void SetControlIndex(QWidget* control, int index)
{
    control->setProperty(IndexProperty, index);
}

std::optional<int> ControlIndex(const QWidget* control)
{
    const QVariant value = control->property(IndexProperty);
    if (!value.isValid())
        return std::nullopt;
    return value.toInt();
}
