#include "common/clsCommon.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace zorbel;

class TestCommon : public QObject
{
    Q_OBJECT
private slots:
    void pathAndTrim_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("trimmed");
        const QString nuls(6, QChar(u'\0'));
        QTest::newRow("empty") << ""
                               << "/"
                               << "";
        QTest::newRow("slash kept") << "/opt/zorbel/"
                                    << "/opt/zorbel/"
                                    << "/opt/zorbel/";
        QTest::newRow("blanks") << " /opt/zorbel "
                                << " /opt/zorbel /"
                                << "/opt/zorbel";
        QTest::newRow("inner NUL")
            << QString(" abc ") + QChar(u'\0') + " x" << QString(" abc ") + QChar(u'\0') + " x/"
            << "abc";
        QTest::newRow("tab") << "\tx "
                             << "\tx /"
                             << "\tx";
        QTest::newRow("trailing NULs") << "/usr" + nuls << "/usr" + nuls + "/"
                                       << "/usr";
    }
    void pathAndTrim()
    {
        QFETCH(QString, in);
        QTEST(clsCommon::ChkPathBS(in), "path");
        QTEST(clsCommon::VBHTTrim(in), "trimmed");
    }

    // The program's folder, also where its name is not valid UTF-8.
    void getPathAndShellExe()
    {
        QCOMPARE(clsCommon::GetPath(), QCoreApplication::applicationDirPath() + "/");
        QTemporaryDir dir;
        const QByteArray top = QFile::encodeName(dir.path()), folder = top + "/\xFF\xFE\x83";
        QVERIFY(::mkdir(folder.constData(), 0700) == 0 &&
                ::mkdir((folder + "/sub").constData(), 0700) == 0);
        QVERIFY(QFileInfo(clsCommon::FolderOf(folder + "/zorbel") + "/sub").isDir());
        // The help's forwarding page names the folder by its bytes, not by
        // the descriptor path that dies with the game.
        qputenv("XDG_CACHE_HOME", QFile::encodeName(dir.path()));
        const QString page = clsCommon::ForwardingPage(
            clsCommon::FolderOf(folder + "/zorbel") + "/sub", "board=12");
        QCOMPARE(page, dir.path() + "/zorbel/help.htm");
        QFile f(page);
        QVERIFY(f.open(QIODevice::ReadOnly) &&
                f.readAll().contains("url=file://" + top.toPercentEncoding("/") +
                                     "/%FF%FE%83/sub#board=12\">"));
        QCOMPARE(clsCommon::FolderOf(top + "/zorbel"), dir.path());
        QCOMPARE(clsCommon::FolderOf("/zorbel"), QString("/"));
        ::rmdir((folder + "/sub").constData()); // QTemporaryDir cannot name them
        ::rmdir(folder.constData());
        QVERIFY(clsCommon::ShellExe(dir.filePath("html/index.htm")) ==
                clsCommon::Opened::NoSuchFile);
    }
};

QTEST_MAIN(TestCommon)
#include "test_common.moc"
