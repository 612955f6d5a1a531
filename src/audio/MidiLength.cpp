#include "audio/MidiLength.h"

#include <QFile>

// smf.h includes glib.h inside its extern "C" block, which C++ headers
// pulled in by glib do not survive; including glib first makes that a no-op.
#include <glib.h>
#include <smf.h>

#include <mutex>

namespace zorbel::audio
{

namespace
{

void dropMessage(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

// libsmf reports every oddity of a file on standard error; the caller warns
// once per file instead.
void silenceLibsmf()
{
    static std::once_flag once;
    std::call_once(once, [] {
        g_log_set_handler("libsmf", static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK), dropMessage,
                          nullptr);
    });
}

} // namespace

double midiLengthSeconds(const QString& path)
{
    silenceLibsmf();
    smf_t* smf = smf_load(QFile::encodeName(path).constData());
    if (!smf)
        return -1.0;
    const double seconds = smf_get_length_seconds(smf);
    smf_delete(smf);
    return seconds;
}

} // namespace zorbel::audio
