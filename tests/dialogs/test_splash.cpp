// The start-up splash: tagline choice and texts, its layout, and that only
// its own timer closes it.
#include "dialogs/ModalGuard.h"
#include "game/Random.h"
#include "ui/frmTitle.h"

#include <QApplication>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QtTest>

#include <array>

using zorbel::frmTitle;

namespace
{

// A seed whose first draw picks tagline k (0 when none of the first
// thousand seeds does, which the caller reports).
std::uint64_t seedFor(int k)
{
    for (std::uint64_t s = 1; s <= 1000; ++s) {
        zorbel::Rnd::Seed(s);
        if (zorbel::TaglineIndex(zorbel::Rnd::Next()) == k)
            return s;
    }
    return 0;
}

// Long enough that the timer never fires by itself during a test step.
constexpr int kNever = 600000;

} // namespace

class TestSplash : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void taglineIndex_data();
    void taglineIndex();
    void taglineRatio();

    void loadShowsTagline_data();
    void loadShowsTagline();
    void loadDrawsExactlyOnce();

    void windowShape();
    void closesByItselfAfterInterval();
    void timerRunsOnlyOnceShown();
    void ignoresInput_data();
    void ignoresInput();
    void ignoresEscAndCloseInModalLoop();
};

void TestSplash::initTestCase()
{
    QCOMPARE(frmTitle::displayMilliseconds(), 1200);

    // By default loading the splash reseeds from the clock, so the draws
    // after it do not continue the sequence a test seeded.
    zorbel::Rnd::Seed(7);
    zorbel::Rnd::Next();
    const double secondOfSeven = zorbel::Rnd::Next();
    zorbel::Rnd::Seed(7);
    frmTitle splash;
    QCOMPARE(splash.timUnload->interval(), 1200);
    QVERIFY(zorbel::Rnd::Next() != secondOfSeven);
}

void TestSplash::init()
{
    frmTitle::setSeedFromClock(false);
    frmTitle::setDisplayMilliseconds(kNever);
}

void TestSplash::taglineIndex_data()
{
    QTest::addColumn<double>("r");
    QTest::addColumn<int>("k");
    QTest::newRow("zero") << 0.0 << 0;
    QTest::newRow("just below 0.2") << 0.19999999 << 0;
    QTest::newRow("0.2") << 0.2 << 1;
    QTest::newRow("just below 0.4") << 0.39999999 << 1;
    QTest::newRow("0.4") << 0.4 << 2;
    QTest::newRow("0.6") << 0.6 << 3;
    QTest::newRow("0.8") << 0.8 << 4;
    QTest::newRow("largest draw") << 0.99999999999999989 << 4;
}

void TestSplash::taglineIndex()
{
    QFETCH(double, r);
    QFETCH(int, k);
    QCOMPARE(zorbel::TaglineIndex(r), k);
}

// Start-ups seed from a clock that moves on by small steps, so the first
// draws after neighbouring seeds must still spread evenly: over many of them
// the four taglines come up 2 : 1 : 1 : 1.
void TestSplash::taglineRatio()
{
    constexpr int kRuns = 20000;
    std::array<int, 4> seen{};
    for (int n = 0; n < kRuns; ++n) {
        zorbel::Rnd::Seed(static_cast<std::uint64_t>(n));
        const int k = zorbel::TaglineIndex(zorbel::Rnd::Next());
        QVERIFY(k >= 0 && k <= 4);
        ++seen[k <= 1 ? 0 : k - 1];
    }
    const std::array<double, 4> expected{0.4, 0.2, 0.2, 0.2};
    for (int t = 0; t < 4; ++t) {
        const double share = double(seen[t]) / kRuns;
        QVERIFY2(qAbs(share - expected[t]) < 0.015,
                 qPrintable(QStringLiteral("tagline %1: %2").arg(t + 1).arg(share)));
    }
}

void TestSplash::loadShowsTagline_data()
{
    QTest::addColumn<int>("k");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("motto");
    QTest::addColumn<int>("lines");
    const QString first = QStringLiteral("乱数を極めろ・・・\nそして・・・");
    QTest::newRow("k0") << 0 << first << true << 2;
    QTest::newRow("k1") << 1 << first << true << 2;
    QTest::newRow("k2") << 2 << QStringLiteral("お前はサイコロになれ・・・\nそして・・・") << true
                        << 2;
    QTest::newRow("k3") << 3 << QStringLiteral("\n貴様には何故\nサイコロの\n気持ちが分からんッ！！")
                        << false << 4;
    QTest::newRow("k4") << 4 << QStringLiteral("\n起床後と\n就寝前に\nサイコロ振り１００回ッ！！")
                        << false << 4;
}

void TestSplash::loadShowsTagline()
{
    QFETCH(int, k);
    QFETCH(QString, text);
    QFETCH(bool, motto);
    QFETCH(int, lines);

    QCOMPARE(zorbel::TaglineText(k), text);
    QCOMPARE(zorbel::MottoShown(k), motto);

    const std::uint64_t seed = seedFor(k);
    QVERIFY2(seed != 0, "no seed draws this tagline");
    zorbel::Rnd::Seed(seed);
    frmTitle splash;
    splash.show();
    QCOMPARE(splash.taglineIndex(), k);

    QLabel* tagline = splash.lblStatic[0];
    QLabel* mottoLabel = splash.lblStatic[1];
    QCOMPARE(tagline->text(), text);
    QCOMPARE(mottoLabel->text(), QStringLiteral("乱数の星になれ!!"));
    QCOMPARE(mottoLabel->isVisible(), motto);

    // The label grew to hold every line, the leading empty one included.
    const int lineHeight = QFontMetrics(tagline->font()).lineSpacing();
    QVERIFY2(tagline->height() >= lines * lineHeight - 2 &&
                 tagline->height() < (lines + 1) * lineHeight,
             qPrintable(QStringLiteral("height %1 for %2 lines of %3")
                            .arg(tagline->height())
                            .arg(lines)
                            .arg(lineHeight)));
    QCOMPARE(tagline->pos(), QPoint(8, 24));
    QVERIFY(tagline->width() >= tagline->sizeHint().width());

    // Everything shown stays inside the window and off the motto.
    const QRect inside = splash.Picture1->contentsRect();
    QVERIFY2(
        inside.contains(tagline->geometry()),
        qPrintable(QStringLiteral("tagline %1x%2").arg(tagline->width()).arg(tagline->height())));
    if (motto) {
        QVERIFY(tagline->geometry().bottom() < mottoLabel->geometry().top());
        QVERIFY(mottoLabel->sizeHint().width() <= mottoLabel->width());
        QVERIFY(inside.contains(mottoLabel->geometry()));
    }
}

void TestSplash::loadDrawsExactlyOnce()
{
    // The splash takes one draw; the rest of the game continues the sequence.
    zorbel::Rnd::Seed(99);
    const double first = zorbel::Rnd::Next();
    const double second = zorbel::Rnd::Next();
    zorbel::Rnd::Seed(99);
    frmTitle splash;
    QCOMPARE(splash.taglineIndex(), zorbel::TaglineIndex(first));
    QCOMPARE(zorbel::Rnd::Next(), second);
}

void TestSplash::windowShape()
{
    frmTitle splash;
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));

    QCOMPARE(splash.size(), QSize(234, 154));
    QCOMPARE(splash.Picture1->geometry(), QRect(0, 0, 234, 154));
    QCOMPARE(splash.Picture1->palette().color(QPalette::Window), QColor(255, 128, 128));
    QVERIFY(splash.Picture1->autoFillBackground());

    // Borderless and kept out of the taskbar.
    QVERIFY(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
    QCOMPARE(splash.windowType(), Qt::SplashScreen);

    const QRect screen = splash.screen()->geometry();
    QCOMPARE(splash.frameGeometry().center(), screen.center());
}

void TestSplash::closesByItselfAfterInterval()
{
    frmTitle::setDisplayMilliseconds(30);
    frmTitle splash;
    ModalGuard guard;
    QCOMPARE(splash.exec(), int(QDialog::Accepted));
    QVERIFY(!guard.fired);
    QVERIFY(!splash.isVisible());
    QVERIFY(!splash.timUnload->isActive());
}

void TestSplash::timerRunsOnlyOnceShown()
{
    frmTitle splash;
    // Created but not shown: a tick cannot close a splash that has not
    // appeared yet, so exec() can never wait for a timer that already fired.
    QVERIFY(!splash.timUnload->isActive());
    splash.show();
    QVERIFY(splash.timUnload->isActive());
    QCOMPARE(splash.timUnload->interval(), kNever);
    QCoreApplication::processEvents();
    QVERIFY(splash.isVisible());

    splash.timUnload_Timer();
    QVERIFY(!splash.isVisible());
    QCOMPARE(splash.result(), int(QDialog::Accepted));
}

enum class Poke { Esc, Return, AltF4, Close, ClickPanel, ClickTagline };
Q_DECLARE_METATYPE(Poke)

void TestSplash::ignoresInput_data()
{
    QTest::addColumn<Poke>("poke");
    QTest::newRow("Esc") << Poke::Esc;
    QTest::newRow("Return") << Poke::Return;
    QTest::newRow("Alt+F4") << Poke::AltF4;
    QTest::newRow("close request") << Poke::Close;
    QTest::newRow("click on the panel") << Poke::ClickPanel;
    QTest::newRow("click on the tagline") << Poke::ClickTagline;
}

void TestSplash::ignoresInput()
{
    QFETCH(Poke, poke);
    zorbel::Rnd::Seed(seedFor(0));
    frmTitle splash;
    splash.show();
    QVERIFY(QTest::qWaitForWindowExposed(&splash));

    switch (poke) {
    case Poke::Esc:
        QTest::keyClick(&splash, Qt::Key_Escape);
        break;
    case Poke::Return:
        QTest::keyClick(&splash, Qt::Key_Return);
        break;
    case Poke::AltF4:
        QTest::keyClick(&splash, Qt::Key_F4, Qt::AltModifier);
        break;
    case Poke::Close:
        QVERIFY(!splash.close());
        break;
    case Poke::ClickPanel:
        QTest::mouseClick(splash.Picture1, Qt::LeftButton, {}, QPoint(200, 140));
        break;
    case Poke::ClickTagline:
        QTest::mouseClick(splash.lblStatic[0], Qt::LeftButton);
        break;
    }
    QCoreApplication::processEvents();
    QVERIFY(splash.isVisible());
    QVERIFY(splash.timUnload->isActive());

    // Its own tick still closes it.
    splash.timUnload_Timer();
    QVERIFY(!splash.isVisible());
}

void TestSplash::ignoresEscAndCloseInModalLoop()
{
    frmTitle::setDisplayMilliseconds(100);
    frmTitle splash;
    bool stillUp = false;
    QTimer::singleShot(0, this, [&] {
        QTest::keyClick(&splash, Qt::Key_Escape);
        splash.close();
        splash.reject();
        stillUp = splash.isVisible();
    });
    ModalGuard guard;
    QCOMPARE(splash.exec(), int(QDialog::Accepted));
    QVERIFY(!guard.fired);
    QVERIFY(stillUp);
}

QTEST_MAIN(TestSplash)
#include "test_splash.moc"
