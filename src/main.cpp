// Zorbel: a game about making random numbers by hand.
#include "audio/Sound.h"
#include "audio/clsBGMAPI.h"
#include "common/clsCommon.h"
#include "ui/Look.h"
#include "ui/SignalCloser.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zorbel"));
    QGuiApplication::setDesktopFileName(QStringLiteral("zorbel"));
    zorbel::look::applyLightStyle(app);
    QApplication::setWindowIcon(QIcon(zorbel::clsCommon::GetPath() + QStringLiteral("zorbel.png")));

    // The splash closes before the main window shows; that must not end
    // the program.
    QApplication::setQuitOnLastWindowClosed(false);
    int status = 0;
    {
        zorbel::frmMain window;
        zorbel::SignalCloser closer(&window);
        window.Form_Load();
        // A signal during start-up has closed the window already.
        if (!window.isUnloaded()) {
            window.show();
            QApplication::setQuitOnLastWindowClosed(true);
            status = app.exec();
        }
    }
    zorbel::clsBGMAPI::instance().Shutdown();
    zorbel::Sound::instance().Shutdown();
    return status;
}
