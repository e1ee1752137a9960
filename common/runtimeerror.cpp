#include "common/runtimeerror.h"

#include <cmath>

int ToWholeNumber(const QString& text)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    const int whole = trimmed.toInt(&ok);
    if (ok)
        return whole;
    const double value = trimmed.toDouble(&ok);
    if (!ok || !std::isfinite(value) || std::abs(value) > 2147483647.0)
        throw RuntimeError::typeMismatch();
    return static_cast<int>(std::nearbyint(value));
}

bool ToTruthValue(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const double value = trimmed.toDouble(&ok);
    if (!ok)
        throw RuntimeError::typeMismatch();
    return value != 0.0;
}
