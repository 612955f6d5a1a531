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
// Runs `poke` inside the next modal loop; a loop left open for 10 s is
// ended so a broken dialog fails rather than hangs.
void whenModal(const std::function<void(QWidget*)>& poke)
{
    QTimer::singleShot(0, qApp, [poke] { poke(QApplication::activeModalWidget()); });
    QTimer::singleShot(10000, qApp, [] {
        if (QWidget* w = QApplication::activeModalWidget())
            w->close();
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
        QTest::newRow("OK") << "cmdOK" << true;
        QTest::newRow("Enter") << "Enter" << true;
        QTest::newRow("Cancel") << "cmdCancel" << false;
        QTest::newRow("Esc") << "Esc" << false;
        QTest::newRow("close box") << "close" << false;
    }
    void options()
    {
        QFETCH(QString, how);
        QFETCH(bool, applied);
        FakeSound sound;
        FakeMusic music;
        bool soundOn = true, bgmOn = true, infoOn = false;
        frmOption dlg(sound, music, soundOn, bgmOn, infoOn);
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
        QCOMPARE(bgmOn, !applied);
        QCOMPARE(infoOn, applied);
        QVERIFY(soundOn);
        QCOMPARE(sound.played, applied ? QList<int>{4} : QList<int>{});
        QCOMPARE(music.switches, applied ? QList<bool>{false} : QList<bool>{});
    }

    // Keys, the close box and rejection leave the splash up; its timer ends it.
    void splash()
    {
        frmTitle splash;
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
        QCOMPARE(splash.lblStatic[1]->text(), QString("乱数の星になれ!!"));
    }

    // The real message boxes, with Qt's Japanese button texts.
    void japaneseButtons_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("answer");
        QTest::newRow("Enter is Yes") << int(Qt::Key_Return) << true;
        QTest::newRow("Esc is No") << int(Qt::Key_Escape) << false;
    }
    void japaneseButtons()
    {
        QFETCH(int, key);
        DesktopPrompter prompter;
        QStringList texts;
        whenModal([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            QVERIFY(box);
            texts << box->button(QMessageBox::Yes)->text() << box->button(QMessageBox::No)->text();
            QCOMPARE(box->defaultButton(), box->button(QMessageBox::Yes));
            QTest::keyClick(box, Qt::Key(key));
        });
        QTEST(prompter.askYesNo(nullptr, "リタイア", "リタイアしますか？"), "answer");
        QCOMPARE(texts, (QStringList{"はい(&Y)", "いいえ(&N)"}));

        whenModal([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            QVERIFY(box);
            texts = QStringList{box->text()};
            for (QAbstractButton* b : box->buttons())
                texts << b->text();
            box->accept();
        });
        prompter.showError(nullptr, "Zorbel", "ヘルプファイルを開けません。");
        QCOMPARE(texts, (QStringList{"ヘルプファイルを開けません。", "OK"}));
    }
};

QTEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
