// How long the user-interface thread is held up when a round starts a new
// music track, compared with loading the track in place.
//
// Usage: bench_music [file.mid ...]
// Without files it uses the tunes in the build's program folder. Runs on
// SDL's dummy audio driver unless SDL_AUDIODRIVER says otherwise.
#include "audio/clsBGMAPI.h"
#include "common/clsCommon.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <SDL2/SDL_mixer.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

struct Stats {
    std::vector<double> v;
    void print(const char* what)
    {
        std::sort(v.begin(), v.end());
        const double median = v[v.size() / 2];
        std::printf("%-44s n=%2zu  min %6.2f  median %6.2f  max %6.2f ms\n", what, v.size(),
                    v.front(), median, v.back());
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER"))
        qputenv("SDL_AUDIODRIVER", "dummy");
    QCoreApplication app(argc, argv);

    QStringList files;
    for (int i = 1; i < argc; ++i)
        files << QFileInfo(QString::fromLocal8Bit(argv[i])).absoluteFilePath();
    if (files.isEmpty()) {
        const QDir program(QStringLiteral(ZORBEL_PROGRAM_DIR));
        for (const QString& name : program.entryList({QStringLiteral("rg*.mid")}, QDir::Files))
            files << program.filePath(name);
    }
    if (files.isEmpty()) {
        std::fprintf(stderr, "no tunes in %s: build the game first\n", ZORBEL_PROGRAM_DIR);
        return 1;
    }
    // The music class takes names relative to the running program's folder.
    const QDir here(zorbel::clsCommon::GetPath());
    zorbel::clsBGMAPI bgm(zorbel::clsCommon::GetPath());
    bgm.InitBGM();
    for (const QString& f : files)
        bgm.AddBGM(here.relativeFilePath(f));
    std::printf("tracks: %lld (%s ...)\n", static_cast<long long>(files.size()),
                qPrintable(files.first()));

    // Opens the device and the worker; not counted.
    bgm.BGMPlay(1, false);
    bgm.WaitForLoad();
    if (bgm.GetBGMStopped()) {
        std::fprintf(stderr, "no music could be started (see the warning above)\n");
        return 1;
    }

    const int rounds = 12;
    Stats play, stop, startDelay, loadInPlace;
    for (int i = 0; i < rounds; ++i) {
        // A new round: a different track from the one playing.
        const auto track = static_cast<std::int16_t>(1 + (i + 1) % files.size());
        auto t0 = Clock::now();
        bgm.BGMStop();
        stop.v.push_back(msSince(t0));

        t0 = Clock::now();
        bgm.BGMPlay(track, false);
        play.v.push_back(msSince(t0));

        bgm.WaitForLoad();
        startDelay.v.push_back(msSince(t0));
    }

    // What BGMPlay would cost if it loaded the track itself.
    const QByteArray first = QFile::encodeName(files.first());
    for (int i = 0; i < rounds; ++i) {
        const auto t0 = Clock::now();
        Mix_Music* m = Mix_LoadMUS(first.constData());
        loadInPlace.v.push_back(msSince(t0));
        Mix_FreeMusic(m);
    }

    play.print("BGMPlay (user-interface thread blocked)");
    stop.print("BGMStop of a playing track");
    startDelay.print("BGMPlay until the track plays");
    loadInPlace.print("Mix_LoadMUS in place, for comparison");
    return 0;
}
