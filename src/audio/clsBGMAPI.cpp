// Placeholder until the audio is built: remembers the track, plays nothing.
#include "audio/clsBGMAPI.h"

namespace zorbel {

namespace {
bool g_on = false;
std::int16_t g_current = 0;
} // namespace

clsBGMAPI& clsBGMAPI::instance()
{
    static clsBGMAPI b;
    return b;
}

void clsBGMAPI::CalledByTimer() {}
void clsBGMAPI::InitBGM() { g_on = true; }
void clsBGMAPI::BGMOnOff(bool vOn) { g_on = vOn; }
void clsBGMAPI::AddBGM(const QString&) {}
void clsBGMAPI::BGMPlay(std::int16_t vBGMNo, bool)
{
    if (!g_on) {
        BGMStop();
        return;
    }
    if (vBGMNo == g_current)
        return;
    g_current = vBGMNo;
    if (playHook)
        playHook(vBGMNo);
}
void clsBGMAPI::BGMStop() { g_current = -1; }
bool clsBGMAPI::GetBGMStopped() { return true; }
std::int16_t clsBGMAPI::CurrentTrack() const { return g_current; }
void clsBGMAPI::Shutdown() {}

} // namespace zorbel
