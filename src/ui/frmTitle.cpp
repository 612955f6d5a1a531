#include "ui/frmTitle.h"

#include "effects/Look.h"
#include "game/Random.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QTimer>

namespace zorbel
{

namespace
{
// How long the splash stays up.
constexpr int kDisplayMs = 1200;

// Client area 3510 x 2310 twips.
constexpr int kClientWidthTw = 3510;
constexpr int kClientHeightTw = 2310;
// The splash's pink, &H008080FF.
constexpr unsigned int kPink = 0x008080FF;
} // namespace

int TaglineIndex(double r)
{
    const int k = static_cast<int>(r * 5);
    // A draw is below 1, so k is at most 4; keep it in range whatever comes in.
    return k < 0 ? 0 : (k > 4 ? 4 : k);
}

QString TaglineText(int k)
{
    switch (k) {
    case 2:
        return QStringLiteral("お前はサイコロになれ・・・\nそして・・・");
    case 3:
        return QStringLiteral("\n貴様には何故\nサイコロの\n気持ちが分からんッ！！");
    case 4:
        return QStringLiteral("\n起床後と\n就寝前に\nサイコロ振り１００回ッ！！");
    default:
        return QStringLiteral("乱数を極めろ・・・\nそして・・・");
    }
}

bool MottoShown(int k)
{
    return k != 3 && k != 4;
}

QString MottoText()
{
    return QStringLiteral("乱数の星になれ!!");
}

frmTitle::frmTitle(Random& random, QWidget* parent)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint), random_(random)
{
    // No title bar, no close box, no taskbar entry: the splash-screen window
    // type gives all three on the desktops we know.
    setFixedSize(look::px(kClientWidthTw), look::px(kClientHeightTw));

    // The panel fills the window but for one pixel at the right and bottom.
    Picture1 = new QFrame(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    look::place(Picture1, 0, 0, 3495, 2295);
    look::setBackground(Picture1, look::vbColor(kPink));

    // The tagline: grows to fit its text, one line per line break.
    lblStatic[0] = new QLabel(Picture1);
    lblStatic[0]->setObjectName(QStringLiteral("lblStatic0"));
    lblStatic[0]->setTextFormat(Qt::PlainText);
    lblStatic[0]->setFont(look::font(look::Face::PMincho, 14.25, true, true));
    lblStatic[0]->move(look::px(120), look::px(360));
    lblStatic[0]->setText(QStringLiteral("Label1"));
    lblStatic[0]->adjustSize();

    // The motto, a fixed-size label.
    lblStatic[1] = new QLabel(Picture1);
    lblStatic[1]->setObjectName(QStringLiteral("lblStatic1"));
    lblStatic[1]->setTextFormat(Qt::PlainText);
    lblStatic[1]->setFont(look::font(look::Face::PMincho, 20.25, true, true));
    look::place(lblStatic[1], 120, 1320, 3150, 405);
    lblStatic[1]->setText(MottoText());

    timUnload = new QTimer(this);
    timUnload->setObjectName(QStringLiteral("timUnload"));
    timUnload->setInterval(kDisplayMs);
    connect(timUnload, &QTimer::timeout, this, &frmTitle::timUnload_Timer);

    // Centred on the screen (the parent's screen when there is one).
    QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        QRect r(QPoint(0, 0), size());
        r.moveCenter(screen->geometry().center());
        move(r.topLeft());
    }

    Form_Load();
}

void frmTitle::Form_Load()
{
    // The program's only seeding; every later draw continues this sequence.
    random_.SeedFromClock();
    k_ = TaglineIndex(random_.Next());
    lblStatic[0]->setText(TaglineText(k_));
    lblStatic[0]->adjustSize();
    lblStatic[1]->setVisible(MottoShown(k_));
}

void frmTitle::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    // The interval runs from the moment the splash appears, so a splash that
    // is created and shown a little later still stays up for its full time
    // and can never be closed before its modal loop has started.
    if (!unloading_ && !timUnload->isActive())
        timUnload->start();
}

void frmTitle::timUnload_Timer()
{
    timUnload->stop();
    unloading_ = true;
    done(QDialog::Accepted);
}

void frmTitle::closeEvent(QCloseEvent* e)
{
    // The window manager's close (Alt+F4 and the like) must not end the
    // splash early.
    if (unloading_)
        e->accept();
    else
        e->ignore();
}

void frmTitle::keyPressEvent(QKeyEvent* e)
{
    // Keys do nothing, Esc and Enter included.
    e->accept();
}

void frmTitle::reject()
{
    if (unloading_)
        QDialog::reject();
}

} // namespace zorbel
