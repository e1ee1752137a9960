#include "platform/autostart.h"

#include "common/textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

QString AutostartValueName(const QString& programPath)
{
    const qsizetype separator = std::max(programPath.lastIndexOf('/'), programPath.lastIndexOf('\\'));
    const QString fileName = programPath.mid(separator + 1);
    const qsizetype dot = fileName.lastIndexOf('.');
    // A name that is nothing but its extension keeps it, so the entry always has a name.
    return dot > 0 ? fileName.left(dot) : fileName;
}

QString XdgAutostart::Folder()
{
    const QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    // Relative paths are invalid there and must be ignored.
    if (!configHome.isEmpty() && QDir::isAbsolutePath(configHome))
        return QDir::cleanPath(configHome) + "/autostart";
    return QDir::homePath() + "/.config/autostart";
}

QString XdgAutostart::EntryPath(const QString& valueName)
{
    return Folder() + "/" + valueName + ".desktop";
}

QString XdgAutostart::ExecArgument(const QString& programPath)
{
    // Inside the quotes ", `, $ and \ take a backslash; % would start a field code.
    QString quoted;
    for (const QChar c : programPath) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        if (c == '%')
            quoted += '%';
        quoted += c;
    }
    quoted = '"' + quoted + '"';
    // The string escapes of the file apply before the quoting, so every backslash doubles again.
    return quoted.replace('\\', QStringLiteral("\\\\"));
}

namespace
{
bool holdsLineBreakOrControl(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return true;
    return false;
}

QString escapedString(const QString& text)
{
    QString escaped = text;
    return escaped.replace('\\', QStringLiteral("\\\\"));
}
} // namespace

QByteArray XdgAutostart::EntryText(const QString& valueName, const QString& programPath)
{
    if (programPath.isEmpty() || holdsLineBreakOrControl(programPath) || holdsLineBreakOrControl(valueName))
        return QByteArray();
    const QString text = "[Desktop Entry]\n"
                         "Type=Application\n"
                         "Name=" +
                         escapedString(valueName) +
                         "\n"
                         "Exec=" +
                         ExecArgument(programPath) +
                         "\n"
                         "Terminal=false\n";
    return text.toUtf8();
}

bool XdgAutostart::enter(const QString& valueName, const QString& programPath)
{
    if (valueName.isEmpty())
        return false;
    const QByteArray text = EntryText(valueName, QDir::fromNativeSeparators(programPath));
    if (text.isEmpty())
        return false;
    // The folder is commonly missing until the first program enters itself.
    if (!QDir().mkpath(Folder()))
        return false;
    return WriteFileAtomic(EntryPath(valueName), text);
}

bool XdgAutostart::remove(const QString& valueName)
{
    if (valueName.isEmpty())
        return false;
    const QString path = EntryPath(valueName);
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return false;
    return QFile::remove(path);
}

bool XdgAutostart::exists(const QString& valueName)
{
    if (valueName.isEmpty())
        return false;
    const QFileInfo info(EntryPath(valueName));
    return info.exists() || info.isSymLink();
}

#ifdef Q_OS_WIN
namespace
{
const wchar_t* const RunKey = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
// Query, set, create subkey, enumerate, notify, create link: the key is opened, never created.
constexpr REGSAM RunKeyAccess = 0x3F;

std::wstring wide(const QString& text)
{
    return text.toStdWString();
}
} // namespace

bool RegistryAutostart::enter(const QString& valueName, const QString& programPath)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, RunKey, 0, RunKeyAccess, &key) != ERROR_SUCCESS)
        return false;
    const std::wstring name = wide(valueName);
    const std::wstring data = wide(QDir::toNativeSeparators(programPath));
    const DWORD size = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    const LONG result =
        RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()), size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool RegistryAutostart::remove(const QString& valueName)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, RunKey, 0, RunKeyAccess, &key) != ERROR_SUCCESS)
        return false;
    const LONG result = RegDeleteValueW(key, wide(valueName).c_str());
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool RegistryAutostart::exists(const QString& valueName)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, RunKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    const LONG result = RegQueryValueExW(key, wide(valueName).c_str(), nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}
#endif
