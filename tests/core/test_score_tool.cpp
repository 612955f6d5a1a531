// The scoring tool, run as a separate program through the shell, so that a
// test can give it a full disk, closed streams or one stream for both.
#include <QProcess>
#include <QTest>

namespace
{
struct Run {
    int status = -1;
    QString out;
    QString err;
};

// Runs `script` with the tool as $0 and `args` as $@.
Run runShell(const QString& script, const QStringList& args = {}, const QByteArray& input = {})
{
    QProcess p;
    p.start("/bin/sh", QStringList{"-c", script, ZORBEL_PROGRAM_DIR "/zorbel-score"} + args);
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}
} // namespace

class TestScoreTool : public QObject
{
    Q_OBJECT
private slots:
    void streams_data()
    {
        QTest::addColumn<QString>("redirect");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        const QString ex1 = "314159265358979323846264338327";
        QTest::newRow("arguments") << "" << QStringList{ex1, "0123456789 0123456789\t0123456789"}
                                   << QByteArray() << 0 << "88\n71\n"
                                   << "";
        QTest::newRow("15 digits")
            << "" << QStringList{"1", "158"} << QByteArray() << 0 << "13.4\n97.2\n"
            << "";
        QTest::newRow("details")
            << "" << QStringList{"--details", ex1} << QByteArray() << 0
            << "88\n*素点 112\n各数字の出現回数減点 =  3 1 1 4 0 0 0 1 0 0\n"
               "平均差減点= 5\n差 0～9 の出現回数減点 =  1 0 2 1 2 1 1 0 1 0\n\n"
            << "";
        QTest::newRow("bad arguments in order")
            << "2>&1" << QStringList{"2", "12a4", "", QString(101, '5'), "１２３", "4"}
            << QByteArray() << 1
            << "38.4\nzorbel-score: argument 2: not a digit: 'a'\nzorbel-score: argument 3: no "
               "digits\nzorbel-score: argument 4: more than 100 digits\nzorbel-score: argument 5: "
               "not a digit: byte 0xEF\n88.4\n"
            << "";
        QTest::newRow("bad lines in order")
            << "2>&1" << QStringList{} << QByteArray("1\nx\n2\n") << 1
            << "13.4\nzorbel-score: line 2: not a digit: 'x'\n38.4\n"
            << "";
        QTest::newRow("standard input")
            << "" << QStringList{} << (ex1 + "\r\n\n012345678901234567890123456789\n4").toUtf8()
            << 1 << "88\n71\n88.4\n"
            << "zorbel-score: line 2: no digits\n";
        QTest::newRow("longest line") << "" << QStringList{} << QByteArray(65535, ' ') + "1\r\n"
                                      << 0 << "13.4\n"
                                      << "";
        QTest::newRow("line too long")
            << "" << QStringList{} << QByteArray(65536, ' ') + "1\n2\n"
            << 1 << "38.4\n"
            << "zorbel-score: line 1: too long (more than 65536 bytes)\n";
        QTest::newRow("disk full") << ">/dev/full" << QStringList{"1"} << QByteArray() << 2 << ""
                                   << "zorbel-score: write error: No space left on device\n";
        QTest::newRow("stdout closed") << ">&-" << QStringList{"1"} << QByteArray() << 2 << ""
                                       << "zorbel-score: write error: Bad file descriptor\n";
        QTest::newRow("stdin closed") << "<&-" << QStringList{} << QByteArray() << 2 << ""
                                      << "zorbel-score: read error: Bad file descriptor\n";
        QTest::newRow("version") << "" << QStringList{"--version"} << QByteArray() << 0
                                 << "zorbel-score 1.01\n"
                                 << "";
        QTest::newRow("unknown option") << "" << QStringList{"-x"} << QByteArray() << 2 << ""
                                        << "zorbel-score: unknown option '-x' (try --help)\n";
    }
    void streams()
    {
        QFETCH(QString, redirect);
        QFETCH(QStringList, args);
        QFETCH(QByteArray, input);
        const Run r = runShell("exec \"$0\" \"$@\" " + redirect, args, input);
        QTEST(r.out, "out");
        QTEST(r.err, "err");
        QTEST(r.status, "status");
    }

    // One endless line is skipped, not held whole: with its address space
    // capped at 20 MB the tool reads 100 MB of it. (The sanitizers reserve
    // terabytes of address space, so there the cap is left off.)
    void memoryStaysBounded()
    {
#ifdef __SANITIZE_ADDRESS__
        const QString cap;
#else
        const QString cap = "ulimit -v 20480; ";
#endif
        const Run r = runShell(cap + "head -c 100000000 /dev/zero | \"$0\"");
        QCOMPARE(r.err, QString("zorbel-score: line 1: too long (more than 65536 bytes)\n"));
        QCOMPARE(r.status, 1);
    }
};

QTEST_MAIN(TestScoreTool)
#include "test_score_tool.moc"
