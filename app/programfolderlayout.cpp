#include "app/programfolderlayout.h"

#include "settings/settingsfile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QtEndian>
#include <cmath>

namespace
{

void report(QStringList& problems, const QString& what)
{
    problems << what;
}

void writeIfMissing(QStringList& problems, const QString& path, const QByteArray& bytes)
{
    if (QFile::exists(path))
        return;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        report(problems, "cannot write " + path);
}

void copyTree(QStringList& problems, const QString& from, const QString& to)
{
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + "/" + QDir(from).relativeFilePath(source);
        QDir().mkpath(QFileInfo(target).absolutePath());
        QFile::remove(target);
        if (!QFile::copy(source, target))
            report(problems, "cannot copy " + source);
    }
}

// A short two-tone chime: 16-bit mono PCM at 22050 Hz.
QByteArray chime()
{
    constexpr int rate = 22050;
    constexpr double seconds = 0.6;
    const int samples = static_cast<int>(rate * seconds);
    QByteArray pcm(samples * 2, '\0');
    for (int i = 0; i < samples; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double tone = t < seconds / 2 ? 880.0 : 660.0;
        const double envelope = std::exp(-4.0 * std::fmod(t, seconds / 2));
        const auto value = static_cast<qint16>(12000 * envelope * std::sin(2 * M_PI * tone * t));
        qToLittleEndian(value, pcm.data() + 2 * i);
    }
    QByteArray wav("RIFF");
    auto u32 = [&](quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        wav.append(b, 4);
    };
    auto u16 = [&](quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        wav.append(b, 2);
    };
    u32(36 + pcm.size());
    wav.append("WAVEfmt ");
    u32(16);
    u16(1);
    u16(1);
    u32(rate);
    u32(rate * 2);
    u16(2);
    u16(16);
    wav.append("data");
    u32(pcm.size());
    return wav + pcm;
}

} // namespace

QByteArray ChimeWave()
{
    return chime();
}

QStringList LayOutProgramFolder(const QString& resources, const QString& target, const QString& programPath)
{
    QStringList problems;
    for (const char* folder : {"daten", "daten/emails", "daten/temp", "sounds"})
        QDir().mkpath(target + "/" + folder);
    const QString data = target + "/daten";
    // The list (names, addresses) and the settings (the password) are the owner's alone.
    const QString list = data + "/tovalinero.dat";
    writeIfMissing(problems, list, QByteArray());
    const QString settings = data + "/einstellungen.dat";
    writeIfMissing(problems, settings, Settings::Render(Settings::DesignTimeLines(programPath)));
    for (const QString& personal : {list, settings})
        QFile::setPermissions(personal, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (!QFile::exists(data + "/standard.html") &&
        !QFile::copy(resources + "/daten/standard.html", data + "/standard.html"))
        report(problems, "cannot copy standard.html");
    writeIfMissing(problems, target + "/sounds/erinnerung.wav", ChimeWave());
    copyTree(problems, resources + "/hilfe", target + "/hilfe");
    return problems;
}
