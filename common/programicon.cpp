#include "common/programicon.h"

// The resources live in a static library, whose object the linker drops when nothing refers
// to it: this reference keeps them in every program that shows a window. The macro must be
// used outside any namespace.
static void loadResources()
{
    Q_INIT_RESOURCE(resources);
}

static QIcon resourceIcon(const QString& path)
{
    static const bool loaded = (loadResources(), true);
    Q_UNUSED(loaded);
    return QIcon(path);
}

QIcon ProgramIcon()
{
    return resourceIcon(QStringLiteral(":/icons/tovalinero.xpm"));
}

QIcon PrinterIcon()
{
    return resourceIcon(QStringLiteral(":/icons/drucken.xpm"));
}
