// The start-up splash (tagline, look, only its own timer closes it) and the
// options dialog (shows the flags, applies them on OK and Enter only).
#include "audio/Sound.h"
#include "audio/clsBGMAPI.h"
#include "game/Random.h"
#include "ui/frmOption.h"
#include "ui/frmTitle.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

#include <array>
#include <functional>

using namespace zorbel;

namespace
{

// Runs dlg modally with `poke` called from inside its loop; a loop that does
// not end within 10 s is left with code 99 so a broken dialog fails, not hangs.
int execWith(QDialog& dlg, const std::function<void()>& poke)
{
    QTimer::singleShot(0, &dlg, poke);
    QTimer::singleShot(10000, &dlg, [] { QCoreApplication::exit(99); });
    return dlg.exec();
}

// A seed whose first draw picks tagline k; 0 when none of the first
// thousand does.
std::uint64_t seedFor(int k)
{
    for (std::uint64_t s = 1; s <= 1000; ++s) {
        Rnd::Seed(s);
        if (TaglineIndex(Rnd::Next()) == k)
            return s;
    }
    return 0;
}

// The three option flags as bits.
constexpr int kSound = 1, kBGM = 2, kInfo = 4, kAll = 7;
int bits(bool sound, bool bgm, bool info)
{
    return (sound ? kSound : 0) | (bgm ? kBGM : 0) | (info ? kInfo : 0);
}

// With the music switch off a request for the title track stops the music.
bool musicSwitchOn()
{
    auto& bgm = clsBGMAPI::instance();
    bgm.BGMPlay(7, false);
    const bool on = bgm.CurrentTrack() == 7;
    bgm.BGMStop();
    return on;
}

// How a row leaves the options dialog: a click, or a key on a control.
constexpr int kClick = 0, kCloseBox = -1;

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void taglineRatio();
    void taglineShown_data();
    void taglineShown();
    void splashOnlyItsTimerCloses();

    void optionLeaving_data();
    void optionLeaving();
    void optionWindowAndTabOrder();

private:
    int m_confirms = 0;
};

void TestDialogs::initTestCase()
{
    // The splash stays up 1.2 s and, by default, seeds the generator from
    // the clock, so the draws after it do not continue a test's sequence.
    Rnd::Seed(7);
    Rnd::Next();
    const double secondOfSeven = Rnd::Next();
    Rnd::Seed(7);
    frmTitle splash;
    QCOMPARE(splash.timUnload->interval(), 1200);
    QVERIFY(Rnd::Next() != secondOfSeven);
    frmTitle::setSeedFromClock(false);
    frmTitle::setDisplayMilliseconds(600000); // never fires by itself from here on

    // The start-up tracks, so track 7 is the title track.
    for (const char* name : {"rg1", "rg2", "rg3", "rg4", "rg5", "rg7", "rg8", "rg9"})
        clsBGMAPI::instance().AddBGM(QString::fromLatin1(name) + ".mid");
    Sound::instance().playHook = [this](int n) { m_confirms += n == 4; };
}

// Start-ups seed from a clock moving by small steps, so first draws after
// neighbouring seeds must still give the taglines 2 : 1 : 1 : 1.
void TestDialogs::taglineRatio()
{
    constexpr int kRuns = 20000;
    std::array<int, 4> seen{};
    for (int n = 0; n < kRuns; ++n) {
        Rnd::Seed(static_cast<std::uint64_t>(n));
        const int k = TaglineIndex(Rnd::Next());
        QVERIFY(k >= 0 && k <= 4);
        ++seen[k <= 1 ? 0 : k - 1];
    }
    const std::array<double, 4> expected{0.4, 0.2, 0.2, 0.2};
    for (int t = 0; t < 4; ++t)
        QVERIFY2(qAbs(double(seen[t]) / kRuns - expected[t]) < 0.015,
                 qPrintable(QStringLiteral("tagline %1: %2").arg(t + 1).arg(seen[t])));
}

void TestDialogs::taglineShown_data()
{
    QTest::addColumn<int>("k");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("motto");
    const QString first = QStringLiteral("乱数を極めろ・・・\nそして・・・");
    QTest::newRow("k0") << 0 << first << true;
    QTest::newRow("k1") << 1 << first << true;
    QTest::newRow("k2") << 2 << QStringLiteral("お前はサイコロになれ・・・\nそして・・・") << true;
    QTest::newRow("k3") << 3 << QStringLiteral("\n貴様には何故\nサイコロの\n気持ちが分からんッ！！")
                        << false;
    QTest::newRow("k4") << 4 << QStringLiteral("\n起床後と\n就寝前に\nサイコロ振り１００回ッ！！")
                        << false;
}

void TestDialogs::taglineShown()
{
    QFETCH(int, k);
    QFETCH(QString, text);
    QFETCH(bool, motto);
    // The splash takes exactly one draw; the game continues the sequence.
    const std::uint64_t seed = seedFor(k);
    QVERIFY2(seed != 0, "no seed draws this tagline");
    const double second = Rnd::Next();
    Rnd::Seed(seed);
    frmTitle splash;
    splash.show();
    QCOMPARE(splash.taglineIndex(), k);
    QCOMPARE(Rnd::Next(), second);

    QLabel* tagline = splash.lblStatic[0];
    QLabel* mottoLabel = splash.lblStatic[1];
    QCOMPARE(tagline->text(), text);
    QCOMPARE(mottoLabel->text(), QStringLiteral("乱数の星になれ!!"));
    QCOMPARE(mottoLabel->isVisible(), motto);
    // Every line fits, inside the panel and above the motto.
    QVERIFY(tagline->height() >= tagline->sizeHint().height());
    QVERIFY(tagline->width() >= tagline->sizeHint().width());
    QVERIFY(splash.Picture1->contentsRect().contains(tagline->geometry()));
    if (motto)
        QVERIFY(tagline->geometry().bottom() < mottoLabel->geometry().top());
}

// A borderless pink splash, centred. Keys, clicks, the close box and
// rejection all leave it up; only its own timer, started when it shows, ends
// the modal loop.
void TestDialogs::splashOnlyItsTimerCloses()
{
    frmTitle splash;
    QVERIFY(!splash.timUnload->isActive());
    splash.show();
    QCOMPARE(splash.size(), QSize(234, 154));
    QCOMPARE(splash.Picture1->geometry(), splash.rect());
    QCOMPARE(splash.Picture1->palette().color(QPalette::Window), QColor(255, 128, 128));
    QVERIFY(splash.Picture1->autoFillBackground());
    QVERIFY(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(splash.windowType(), Qt::SplashScreen);
    QCOMPARE(splash.frameGeometry().center(), splash.screen()->geometry().center());
    bool stillUp = false;
    const int result = execWith(splash, [&] {
        QTest::keyClick(&splash, Qt::Key_Escape);
        QTest::keyClick(&splash, Qt::Key_Return);
        QTest::mouseClick(splash.lblStatic[0], Qt::LeftButton);
        splash.close();
        splash.reject();
        QCoreApplication::processEvents();
        stillUp = splash.isVisible() && splash.timUnload->isActive();
        splash.timUnload->start(0); // its tick comes now
    });
    QVERIFY(stillUp);
    QCOMPARE(result, int(QDialog::Accepted));
    QVERIFY(!splash.timUnload->isActive());
}

void TestDialogs::optionLeaving_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("flip");        // the boxes clicked before leaving
    QTest::addColumn<QString>("control"); // empty: the dialog itself
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("applied");
    const int mixed = kSound | kInfo;
    const QString ok("cmdOK"), cancel("cmdCancel");
    QTest::newRow("OK, nothing changed") << kAll << 0 << ok << kClick << true;
    QTest::newRow("OK, all off to all on") << 0 << kAll << ok << kClick << true;
    QTest::newRow("OK, all on to all off") << kAll << kAll << ok << kClick << true;
    QTest::newRow("Return on 効果音") << mixed << kAll << "chkSound" << int(Qt::Key_Return) << true;
    QTest::newRow("keypad Enter on BGM") << mixed << kAll << "chkBGM" << int(Qt::Key_Enter) << true;
    QTest::newRow("Cancel") << mixed << kAll << cancel << kClick << false;
    QTest::newRow("Return on Cancel") << mixed << kAll << cancel << int(Qt::Key_Return) << false;
    QTest::newRow("Esc") << kAll << kAll << QString() << int(Qt::Key_Escape) << false;
    QTest::newRow("Esc on a check box")
        << mixed << kAll << "chkBGM" << int(Qt::Key_Escape) << false;
    QTest::newRow("close box") << kAll << kAll << QString() << kCloseBox << false;
}

// The boxes show the flags; the caller's sound and music switches follow
// them before it opens. Every way out ends the modal loop; only OK and Enter
// apply, and the confirmation (sound 4) is heard only when effects are on
// afterwards.
void TestDialogs::optionLeaving()
{
    QFETCH(int, before);
    QFETCH(int, flip);
    QFETCH(QString, control);
    QFETCH(int, key);
    QFETCH(bool, applied);
    const int after = applied ? before ^ flip : before;
    bool sound = before & kSound, bgm = before & kBGM, info = before & kInfo;
    m_confirms = 0;
    Sound::instance().SoundOn = sound;
    clsBGMAPI::instance().BGMOnOff(bgm);

    frmOption dlg(sound, bgm, info);
    const std::array<QCheckBox*, 3> boxes{dlg.chkSound, dlg.chkBGM, dlg.chkInfo};
    QCOMPARE(bits(boxes[0]->isChecked(), boxes[1]->isChecked(), boxes[2]->isChecked()), before);
    QWidget* focusAtOpen = nullptr;
    bool appliedEarly = true;
    const int result = execWith(dlg, [&] {
        focusAtOpen = dlg.focusWidget();
        for (int n = 0; n < 3; ++n)
            if (flip >> n & 1)
                QTest::keyClick(boxes[n], Qt::Key_Space);
        appliedEarly = bits(sound, bgm, info) != before;
        QWidget* w = control.isEmpty() ? &dlg : dlg.findChild<QWidget*>(control);
        if (key == kCloseBox) {
            dlg.close();
        } else if (key == kClick) {
            QTest::mouseClick(w, Qt::LeftButton);
        } else {
            w->setFocus();
            QTest::keyClick(w, Qt::Key(key));
        }
    });
    QCOMPARE(result, int(applied ? QDialog::Accepted : QDialog::Rejected));
    QCOMPARE(focusAtOpen, static_cast<QWidget*>(dlg.chkSound));
    QVERIFY2(!appliedEarly, "flags changed before the dialog closed");
    QCOMPARE(bits(sound, bgm, info), after);
    QCOMPARE(Sound::instance().SoundOn, bool(after & kSound));
    QCOMPARE(m_confirms, applied && (after & kSound) ? 1 : 0);
    QCOMPARE(musicSwitchOn(), bool(after & kBGM));
}

void TestDialogs::optionWindowAndTabOrder()
{
    bool s = true, b = true, i = true;
    frmOption dlg(s, b, i);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("設定"));
    QCOMPARE(dlg.size(), QSize(228, 115));
    QCOMPARE(dlg.minimumSize(), dlg.maximumSize());
    // Tab walks the boxes, then Cancel, then OK, and wraps round.
    for (QWidget* next : std::initializer_list<QWidget*>{dlg.chkBGM, dlg.chkInfo, dlg.cmdCancel,
                                                         dlg.cmdOK, dlg.chkSound}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
}

QTEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
