// The options dialog, the splash, and the desktop's message boxes in
// Japanese.
#include "ui/Fakes.h"

#include "ui/frmOption.h"
#include "ui/frmTitle.h"

#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QTimer>

#include <functional>

using namespace zorbel;
using namespace zorbel::testing;

namespace
{
// Reads the next message box (its text, its buttons sorted, the default
// one last), then presses `key` on it.
void answerBox(QStringList& seen, Qt::Key key)
{
    QTimer::singleShot(0, qApp, [&seen, key] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QStringList buttons;
        for (QAbstractButton* b : box ? box->buttons() : QList<QAbstractButton*>())
            buttons << b->text();
        buttons.sort();
        seen = QStringList{box ? box->text() : "no box"} + buttons;
        if (box && box->defaultButton())
            seen << box->defaultButton()->text();
        QTest::keyClick(QApplication::activeModalWidget(), key);
    });
}
} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(installQtJapanese(*qApp)); }

    void options_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("applied");
        for (const char* how : {"cmdOK", "Enter"})
            QTest::newRow(how) << how << true;
        for (const char* how : {"cmdCancel", "Esc", "close"})
            QTest::newRow(how) << how << false;
    }
    void options()
    {
        QFETCH(QString, how);
        QFETCH(bool, applied);
        FakeSound sound;
        FakeMusic music;
        frmOption dlg(sound, music, {true, true, false});
        QCOMPARE(dlg.windowTitle(), QString("設定"));
        QVERIFY(dlg.chkSound->isChecked() && dlg.chkBGM->isChecked() && !dlg.chkInfo->isChecked());
        dlg.chkBGM->click();
        dlg.chkInfo->click();
        QTimer::singleShot(0, &dlg, [&] {
            if (how == "Enter")
                QTest::keyClick(dlg.chkSound, Qt::Key_Return);
            else if (how == "Esc")
                QTest::keyClick(&dlg, Qt::Key_Escape);
            else if (how == "close")
                dlg.close();
            else
                QTest::mouseClick(dlg.findChild<QPushButton*>(how), Qt::LeftButton);
        });
        QCOMPARE(dlg.exec(), applied ? int(QDialog::Accepted) : int(QDialog::Rejected));
        const OptionFlags chosen = dlg.chosen();
        QCOMPARE(QList<bool>({chosen.SoundOn, chosen.BGMOn, chosen.InfoOn}),
                 QList<bool>({true, !applied, applied}));
        QCOMPARE(sound.played, applied ? QList<int>{4} : QList<int>{});
        QCOMPARE(music.switches, applied ? QList<bool>{false} : QList<bool>{});
    }

    // Keys, the close box and rejection leave the splash up; its timer ends it.
    void splash()
    {
        Random random;
        frmTitle splash(random);
        bool stillUp = false;
        QTimer::singleShot(0, &splash, [&] {
            QTest::keyClick(&splash, Qt::Key_Escape);
            splash.close();
            stillUp = splash.isVisible();
            splash.timUnload->start(0);
        });
        QCOMPARE(splash.exec(), int(QDialog::Accepted));
        QVERIFY(stillUp);
        QCOMPARE(splash.windowType(), Qt::SplashScreen);
        QCOMPARE(splash.size(), QSize(234, 154));
        QCOMPARE(splash.Picture1->size(), QSize(233, 153));
        QCOMPARE(splash.lblStatic[1]->text(), QString("乱数の星になれ!!"));
    }

    // The real message boxes, with Qt's Japanese button texts.
    void japaneseButtons()
    {
        DesktopPrompter prompter;
        QStringList seen;
        answerBox(seen, Qt::Key_Return);
        QVERIFY(prompter.askYesNo(nullptr, "リタイア", "リタイアしますか？"));
        QCOMPARE(seen, (QStringList{"リタイアしますか？", "いいえ(&N)", "はい(&Y)", "はい(&Y)"}));
        answerBox(seen, Qt::Key_Escape);
        QVERIFY(!prompter.askYesNo(nullptr, "リタイア", "リタイアしますか？"));
        answerBox(seen, Qt::Key_Return);
        prompter.showError(nullptr, "Zorbel", "ヘルプファイルを開けません。");
        QCOMPARE(seen, (QStringList{"ヘルプファイルを開けません。", "OK", "OK"}));
    }
};

QTEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
