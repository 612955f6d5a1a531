#include "common/Logging.h"

#include <cstring>

namespace zorbel
{

Q_LOGGING_CATEGORY(lcAudio, "zorbel.audio")
Q_LOGGING_CATEGORY(lcSettings, "zorbel.settings")

namespace
{

// Set once, before any message of ours.
QtMessageHandler g_qtHandler = nullptr;

void handleMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (context.category && std::strncmp(context.category, "zorbel.", 7) == 0) {
        const QMessageLogContext shown(context.file, context.line, context.function, "zorbel");
        g_qtHandler(type, shown, text);
        return;
    }
    g_qtHandler(type, context, text);
}

} // namespace

void installMessageHandler()
{
    if (!g_qtHandler)
        g_qtHandler = qInstallMessageHandler(handleMessage);
}

bool WarnOnce::firstTime(const QString& key)
{
    if (keys_.contains(key))
        return false;
    keys_.insert(key);
    return true;
}

void WarnOnce::forget(const QString& key)
{
    keys_.remove(key);
}

void WarnOnce::clear()
{
    keys_.clear();
}

} // namespace zorbel
