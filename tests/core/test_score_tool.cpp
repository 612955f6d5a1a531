// The scoring tool, run by the shell: a full disk, closed or shared streams.
#include <QProcess>
#include <QTest>

class TestScoreTool : public QObject
{
    Q_OBJECT
private slots:
    void streams_data()
    {
        QTest::addColumn<QString>("script"); // the tool is $0
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("out");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("err");
        const QString tool = "exec \"$0\" \"$@\" ", ex1 = "314159265358979323846264338327";
        const QString tooLong = "zorbel-score: line 1: too long (more than 65536 bytes)\n";
        // clang-format off
        QTest::newRow("arguments") << tool
            << QStringList{ex1, "0123456789 0123456789\t0123456789", "1", "158"} << QByteArray()
            << "88\n71\n13.4\n97.2\n" << 0 << "";
        QTest::newRow("details") << tool << QStringList{"--details", ex1} << QByteArray()
            << "88\n*素点 112\n各数字の出現回数減点 =  3 1 1 4 0 0 0 1 0 0\n"
               "平均差減点= 5\n差 0～9 の出現回数減点 =  1 0 2 1 2 1 1 0 1 0\n\n" << 0 << "";
        QTest::newRow("bad arguments in order") << tool + "2>&1"
            << QStringList{"2", "12a4", "", QString(101, '5'), "１２３", "4"} << QByteArray()
            << "38.4\nzorbel-score: argument 2: not a digit: 'a'\n"
               "zorbel-score: argument 3: no digits\n"
               "zorbel-score: argument 4: more than 100 digits\n"
               "zorbel-score: argument 5: not a digit: byte 0xEF\n88.4\n" << 1 << "";
        QTest::newRow("bad lines in order") << tool + "2>&1" << QStringList{}
            << QByteArray("1\nx\n2\n")
            << "13.4\nzorbel-score: line 2: not a digit: 'x'\n38.4\n" << 1 << "";
        QTest::newRow("standard input") << tool << QStringList{}
            << (ex1 + "\r\n\n012345678901234567890123456789\n4").toUtf8() << "88\n71\n88.4\n" << 1
            << "zorbel-score: line 2: no digits\n";
        QTest::newRow("longest line") << tool << QStringList{} << QByteArray(65535, ' ') + "1\r\n"
            << "13.4\n" << 0 << "";
        QTest::newRow("line too long") << tool << QStringList{} << QByteArray(65536, ' ') + "1\n2\n"
            << "38.4\n" << 1 << tooLong;
        // An endless line is skipped, not held: 100 MB of it within 20 MB of address
        // space (not under the sanitizers, which reserve terabytes of it).
#ifdef __SANITIZE_ADDRESS__
        const QString cap;
#else
        const QString cap = "ulimit -v 20480; ";
#endif
        QTest::newRow("endless line") << cap + "head -c 100000000 /dev/zero | \"$0\""
            << QStringList{} << QByteArray() << "" << 1 << tooLong;
        QTest::newRow("disk full") << tool + ">/dev/full" << QStringList{"1"} << QByteArray() << ""
            << 2 << "zorbel-score: write error: No space left on device\n";
        QTest::newRow("stdout closed") << tool + ">&-" << QStringList{"1"} << QByteArray() << ""
            << 2 << "zorbel-score: write error: Bad file descriptor\n";
        QTest::newRow("stdin closed") << tool + "<&-" << QStringList{} << QByteArray() << "" << 2
            << "zorbel-score: read error: Bad file descriptor\n";
        // The reader gone (| head): ended quietly by SIGPIPE, as coreutils are.
        QTest::newRow("reader gone") << "{ \"$0\"; echo status $? >&2; } | head -n 1" << QStringList{}
            << QByteArray(200000, '1').replace("1", "1\n") << "13.4\n" << 0 << "status 141\n";
        QTest::newRow("version") << tool << QStringList{"--version"} << QByteArray()
            << "zorbel-score 1.01\n" << 0 << "";
        // clang-format on
    }
    void streams()
    {
        QFETCH(QString, script);
        QFETCH(QStringList, args);
        QFETCH(QByteArray, input);
        QProcess p;
        p.start("/bin/sh", QStringList{"-c", script, ZORBEL_PROGRAM_DIR "/zorbel-score"} + args);
        p.write(input);
        p.closeWriteChannel();
        QVERIFY(p.waitForFinished(60000));
        QTEST(QString::fromUtf8(p.readAllStandardOutput()), "out");
        QTEST(QString::fromUtf8(p.readAllStandardError()), "err");
        QTEST(p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, "status");
    }
};

QTEST_MAIN(TestScoreTool)
#include "test_score_tool.moc"
