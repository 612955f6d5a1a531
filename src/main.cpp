// Zorbel: a game about making random numbers by hand.
#include "audio/Sound.h"
#include "audio/clsBGMAPI.h"
#include "common/Logging.h"
#include "common/clsCommon.h"
#include "effects/Look.h"
#include "game/Random.h"
#include "settings/INI.h"
#include "ui/Prompter.h"
#include "ui/SignalCloser.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QIcon>

#include <csignal>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("zorbel %s\n", ZORBEL_VERSION);
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 2;
    }
    // A closed standard output or error loses the messages, never the game:
    // a write to a closed pipe fails with EPIPE instead of ending us.
    std::signal(SIGPIPE, SIG_IGN);
    // Our warnings read "zorbel: <text>", whichever part of the game says them.
    zorbel::installMessageHandler();

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zorbel"));
    QApplication::setApplicationVersion(QStringLiteral(ZORBEL_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(ZORBEL_APP_ID));
    zorbel::installQtJapanese(app);
    zorbel::look::applyLightStyle(app);
    const QString programDir = zorbel::clsCommon::GetPath();
    QApplication::setWindowIcon(QIcon(programDir + QStringLiteral("zorbel.png")));

    // The splash closes before the main window shows; that must not end
    // the program.
    QApplication::setQuitOnLastWindowClosed(false);
    zorbel::Sound sound(programDir);
    zorbel::clsBGMAPI music(programDir);
    zorbel::DesktopPrompter prompter;
    zorbel::INI settings(programDir);
    zorbel::Random random;
    int status = 0;
    {
        zorbel::frmMain window({sound, music, prompter, settings, random, programDir});
        zorbel::SignalCloser closer(&window);
        window.Form_Load();
        // A signal during start-up has closed the window already.
        if (!window.isUnloaded()) {
            window.show();
            QApplication::setQuitOnLastWindowClosed(true);
            status = app.exec();
        }
    }
    music.Shutdown();
    sound.Shutdown();
    return status;
}
