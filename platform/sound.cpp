#include "platform/sound.h"

#include <QApplication>
#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

void QtSound::play(const QString& path)
{
    const QFileInfo file(path);
    if (path.isEmpty() || !file.isFile() || file.suffix().compare("wav", Qt::CaseInsensitive) != 0) {
        QApplication::beep();
        return;
    }
    // One effect for the program; a new play replaces the sound still running. The effect is
    // never waited for: without an audio device it neither plays nor ends.
    static QSoundEffect* effect = new QSoundEffect;
    effect->stop();
    effect->setSource(QUrl::fromLocalFile(file.absoluteFilePath()));
    effect->play();
}
