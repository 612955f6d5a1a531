#include "common/clsCommon.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

using namespace zorbel;

class TestCommon : public QObject
{
    Q_OBJECT
private slots:
    void chkPathBS_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::newRow("empty") << ""
                               << "/";
        QTest::newRow("root") << "/"
                              << "/";
        QTest::newRow("folder") << "/opt/zorbel"
                                << "/opt/zorbel/";
        QTest::newRow("folder with slash") << "/opt/zorbel/"
                                           << "/opt/zorbel/";
        QTest::newRow("relative") << "games"
                                  << "games/";
    }
    void chkPathBS()
    {
        QFETCH(QString, in);
        QTEST(clsCommon::ChkPathBS(in), "out");
    }

    void vbhtTrim_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::newRow("nul padded")
            << QString("/usr/share") + QString(245, QChar(u'\0')) << "/usr/share";
        QTest::newRow("blanks") << "  C:/Windows  "
                                << "C:/Windows";
        QTest::newRow("blanks then nul") << QString(" abc ") + QChar(u'\0') + " tail"
                                         << "abc";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("only nul") << QString(QChar(u'\0')) << "";
    }
    void vbhtTrim()
    {
        QFETCH(QString, in);
        QTEST(clsCommon::VBHTTrim(in), "out");
    }

    void getPathEndsWithSlash()
    {
        QVERIFY(clsCommon::GetPath().endsWith('/'));
        QCOMPARE(clsCommon::GetPath(), QCoreApplication::applicationDirPath() + "/");
        clsCommon::SetPathOverride("/tmp/x");
        QCOMPARE(clsCommon::GetPath(), QString("/tmp/x/"));
        clsCommon::SetPathOverride({});
        QCOMPARE(clsCommon::GetPath(), QCoreApplication::applicationDirPath() + "/");
    }

    void shellExeMissingFileFails()
    {
        QTemporaryDir dir;
        QVERIFY(clsCommon::ShellExe(dir.filePath("html/index.htm")) <= 32);
        QVERIFY(clsCommon::ShellExe(QString()) <= 32);
    }
};

QTEST_MAIN(TestCommon)
#include "test_common.moc"
