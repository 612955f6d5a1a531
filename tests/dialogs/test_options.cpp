// The options dialog: it shows the flags, applies them on OK (and Enter)
// only, and leaves everything alone on Cancel, Esc and the close box.
#include "audio/Sound.h"
#include "audio/clsBGMAPI.h"
#include "dialogs/ModalGuard.h"
#include "ui/frmOption.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QtTest>

using zorbel::clsBGMAPI;
using zorbel::frmOption;
using zorbel::Sound;

namespace
{

struct Flags {
    bool sound, bgm, info;
    bool operator==(const Flags&) const = default;
    Flags operator^(const Flags& o) const
    {
        return {sound != o.sound, bgm != o.bgm, info != o.info};
    }
};

QString show(const Flags& f)
{
    return QStringLiteral("sound %1 bgm %2 info %3").arg(f.sound).arg(f.bgm).arg(f.info);
}

// Whether the music switch is on, seen from outside: with the switch off a
// request for the title track stops the music instead of starting it.
bool musicSwitchOn()
{
    auto& bgm = clsBGMAPI::instance();
    bgm.BGMStop();
    bgm.BGMPlay(7, false);
    const bool on = bgm.CurrentTrack() == 7;
    bgm.BGMStop();
    return on;
}

// The ways to leave the dialog.
enum class Leave {
    ClickOK,
    ReturnOnSound,
    EnterOnBGM,
    ReturnOnInfo,
    ReturnOnOK,
    ClickCancel,
    Esc,
    EscOnCheckBox,
    ReturnOnCancel,
    CloseBox
};

} // namespace

Q_DECLARE_METATYPE(Flags)
Q_DECLARE_METATYPE(Leave)

class TestOptions : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();

    void boxesShowFlags_data();
    void boxesShowFlags();
    void leaving_data();
    void leaving();
    void windowAndTabOrder();

private:
    Flags m_flags{};
    int m_plays = 0;
    int m_otherPlays = 0;
};

void TestOptions::initTestCase()
{
    // The same tracks as at start-up, so track 7 is the title track.
    for (const char* name :
         {"rg1.mid", "rg2.mid", "rg3.mid", "rg4.mid", "rg5.mid", "rg7.mid", "rg8.mid", "rg9.mid"})
        clsBGMAPI::instance().AddBGM(QString::fromLatin1(name));
    Sound::instance().playHook = [this](int n) { ++(n == 4 ? m_plays : m_otherPlays); };
}

void TestOptions::cleanup()
{
    clsBGMAPI::instance().BGMStop();
}

void TestOptions::boxesShowFlags_data()
{
    QTest::addColumn<Flags>("flags");
    for (int bits = 0; bits < 8; ++bits) {
        const Flags f{(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0};
        QTest::newRow(qPrintable(show(f))) << f;
    }
}

void TestOptions::boxesShowFlags()
{
    QFETCH(Flags, flags);
    m_flags = flags;
    m_plays = 0;
    frmOption dlg(m_flags.sound, m_flags.bgm, m_flags.info);
    QCOMPARE(dlg.chkSound->isChecked(), flags.sound);
    QCOMPARE(dlg.chkBGM->isChecked(), flags.bgm);
    QCOMPARE(dlg.chkInfo->isChecked(), flags.info);
    // Opening the dialog changes nothing by itself.
    QCOMPARE(m_flags, flags);
    QCOMPARE(m_plays, 0);
}

void TestOptions::leaving_data()
{
    QTest::addColumn<Flags>("before");
    QTest::addColumn<Flags>("flip");
    QTest::addColumn<Leave>("how");
    QTest::addColumn<bool>("applied");
    const Flags on{true, true, true}, off{false, false, false}, mixed{true, false, true};
    const Flags sound{true, false, false}, bgm{false, true, false}, info{false, false, true};

    QTest::newRow("OK, nothing changed") << on << off << Leave::ClickOK << true;
    QTest::newRow("OK, sound cleared: no confirmation") << on << sound << Leave::ClickOK << true;
    QTest::newRow("OK, sound ticked: confirmation")
        << Flags{false, true, true} << sound << Leave::ClickOK << true;
    QTest::newRow("OK, music cleared") << on << bgm << Leave::ClickOK << true;
    QTest::newRow("OK, music ticked") << mixed << bgm << Leave::ClickOK << true;
    QTest::newRow("OK, info cleared") << on << info << Leave::ClickOK << true;
    QTest::newRow("OK, all off to all on") << off << on << Leave::ClickOK << true;
    QTest::newRow("OK, all on to all off") << on << on << Leave::ClickOK << true;

    QTest::newRow("Return on 効果音") << mixed << on << Leave::ReturnOnSound << true;
    QTest::newRow("keypad Enter on BGM") << mixed << on << Leave::EnterOnBGM << true;
    QTest::newRow("Return on Info")
        << Flags{false, true, false} << on << Leave::ReturnOnInfo << true;
    QTest::newRow("Return on OK") << mixed << on << Leave::ReturnOnOK << true;

    QTest::newRow("Cancel") << mixed << on << Leave::ClickCancel << false;
    QTest::newRow("Cancel, music on") << on << on << Leave::ClickCancel << false;
    QTest::newRow("Esc") << mixed << on << Leave::Esc << false;
    QTest::newRow("Esc on a check box") << mixed << on << Leave::EscOnCheckBox << false;
    QTest::newRow("Return on Cancel") << mixed << on << Leave::ReturnOnCancel << false;
    QTest::newRow("close box") << mixed << on << Leave::CloseBox << false;
    QTest::newRow("close box, music on") << on << on << Leave::CloseBox << false;
}

// The main window runs the dialog modally, with the sound and music switches
// already following the flags. Every way of leaving must end the modal loop;
// only OK and Enter apply, and the confirmation is heard only when the
// sound effects are on afterwards.
void TestOptions::leaving()
{
    QFETCH(Flags, before);
    QFETCH(Flags, flip);
    QFETCH(Leave, how);
    QFETCH(bool, applied);
    const Flags after = applied ? before ^ flip : before;

    m_flags = before;
    m_plays = m_otherPlays = 0;
    Sound::instance().SoundOn = before.sound;
    clsBGMAPI::instance().BGMOnOff(before.bgm);

    frmOption dlg(m_flags.sound, m_flags.bgm, m_flags.info);
    QWidget* focusAtOpen = nullptr;
    bool appliedEarly = true;
    QTimer::singleShot(0, this, [&] {
        focusAtOpen = dlg.focusWidget();
        if (flip.sound)
            QTest::keyClick(dlg.chkSound, Qt::Key_Space);
        if (flip.bgm)
            QTest::keyClick(dlg.chkBGM, Qt::Key_Space);
        if (flip.info)
            QTest::keyClick(dlg.chkInfo, Qt::Key_Space);
        appliedEarly = !(m_flags == before);

        const auto key = [](QWidget* w, Qt::Key k) {
            w->setFocus();
            QTest::keyClick(w, k);
        };
        switch (how) {
        case Leave::ClickOK:
            QTest::mouseClick(dlg.cmdOK, Qt::LeftButton);
            break;
        case Leave::ReturnOnSound:
            key(dlg.chkSound, Qt::Key_Return);
            break;
        case Leave::EnterOnBGM:
            key(dlg.chkBGM, Qt::Key_Enter);
            break;
        case Leave::ReturnOnInfo:
            key(dlg.chkInfo, Qt::Key_Return);
            break;
        case Leave::ReturnOnOK:
            key(dlg.cmdOK, Qt::Key_Return);
            break;
        case Leave::ClickCancel:
            QTest::mouseClick(dlg.cmdCancel, Qt::LeftButton);
            break;
        case Leave::Esc:
            QTest::keyClick(&dlg, Qt::Key_Escape);
            break;
        case Leave::EscOnCheckBox:
            key(dlg.chkBGM, Qt::Key_Escape);
            break;
        case Leave::ReturnOnCancel:
            key(dlg.cmdCancel, Qt::Key_Return);
            break;
        case Leave::CloseBox:
            dlg.close();
            break;
        }
    });
    ModalGuard guard;
    const int result = dlg.exec();
    QVERIFY(!guard.fired);

    QCOMPARE(focusAtOpen, static_cast<QWidget*>(dlg.chkSound));
    QVERIFY2(!appliedEarly, "flags changed before the dialog closed");
    QCOMPARE(result, int(applied ? QDialog::Accepted : QDialog::Rejected));
    QVERIFY2(m_flags == after, qPrintable(show(m_flags)));
    QCOMPARE(Sound::instance().SoundOn, after.sound);
    QCOMPARE(m_plays, applied && after.sound ? 1 : 0);
    QCOMPARE(m_otherPlays, 0);
    QCOMPARE(musicSwitchOn(), after.bgm);
}

void TestOptions::windowAndTabOrder()
{
    QWidget owner;
    owner.setGeometry(100, 80, 442, 304);
    owner.show();
    bool s = true, b = true, i = true;
    frmOption dlg(s, b, i, &owner);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));

    QCOMPARE(dlg.windowTitle(), QStringLiteral("設定"));
    QCOMPARE(dlg.size(), QSize(228, 115));
    QCOMPARE(dlg.minimumSize(), dlg.maximumSize());
    const Qt::WindowFlags flags = dlg.windowFlags();
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowContextHelpButtonHint));
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    // Centred over its owner.
    QVERIFY((dlg.geometry().center() - owner.geometry().center()).manhattanLength() <= 2);

    // Tab walks the boxes, then Cancel, then OK, and wraps round.
    const QList<QWidget*> order{dlg.chkSound,  dlg.chkBGM, dlg.chkInfo,
                                dlg.cmdCancel, dlg.cmdOK,  dlg.chkSound};
    QTRY_COMPARE(QApplication::focusWidget(), order.first());
    for (qsizetype n = 1; n < order.size(); ++n) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), order[n]);
    }
}

QTEST_MAIN(TestOptions)
#include "test_options.moc"
