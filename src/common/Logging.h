// The game's logging categories, and remembering what was warned about.
//
// Warnings go through qCWarning with the category of their area, so that
// QT_LOGGING_RULES can silence one area ("zorbel.audio.warning=false").
// On standard error they read "zorbel: <text>", as they always have (see
// installMessageHandler).
#pragma once

#include <QLoggingCategory>
#include <QSet>
#include <QString>

namespace zorbel
{

Q_DECLARE_LOGGING_CATEGORY(lcAudio)    // "zorbel.audio": sounds, music, the device
Q_DECLARE_LOGGING_CATEGORY(lcSettings) // "zorbel.settings": zorbel.ini

// Shows every message of our categories under the name "zorbel" (Qt's
// message pattern prints "zorbel: <text>"); Qt's own messages are left as
// Qt writes them. Called once, at the start of the program.
void installMessageHandler();

// What one object has warned about, so that a warning that would come again
// at every poll, play or save is written once:
//     if (warned_.firstTime(key))
//         qCWarning(lcAudio, ...);
// Owned by the object that warns and used on that object's thread only.
class WarnOnce
{
public:
    // True the first time key is asked about, false after that until the
    // key is forgotten.
    bool firstTime(const QString& key);
    // The next firstTime(key) is true again.
    void forget(const QString& key);
    void clear();

private:
    QSet<QString> keys_;
};

} // namespace zorbel
