// The scoring tool, run as a separate program.
#include <QProcess>
#include <QTest>

namespace
{
struct Run {
    int status = -1;
    QString out;
    QString err;
};

Run runTool(const QStringList& args, const QByteArray& input = {})
{
    QProcess p;
    p.start(QStringLiteral(ZORBEL_PROGRAM_DIR "/zorbel-score"), args);
    p.waitForStarted();
    if (!input.isEmpty())
        p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(30000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}
} // namespace

class TestScoreTool : public QObject
{
    Q_OBJECT
private slots:
    void arguments_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("errContains");
        QTest::newRow("example 1") << QStringList{"314159265358979323846264338327"} << 0 << "88\n"
                                   << "";
        QTest::newRow("blanks ignored")
            << QStringList{"0123456789 0123456789\t0123456789"} << 0 << "71\n"
            << "";
        QTest::newRow("three") << QStringList{"158"} << 0 << "97.2\n"
                               << "";
        QTest::newRow("several") << QStringList{"000000000000000000000000000000",
                                                "314159265358979323846264338327"}
                                 << 0 << "0\n88\n"
                                 << "";
        QTest::newRow("letter") << QStringList{"12a4"} << 1 << ""
                                << "argument 1: not a digit: 'a'";
        QTest::newRow("bad among good")
            << QStringList{"314159265358979323846264338327", "", "0123456789012345678901234567890"}
            << 1 << "88\n"
            << "argument 2: no digits";
        QTest::newRow("too long") << QStringList{QString(101, '5')} << 1 << ""
                                  << "argument 1: more than 100 digits";
        QTest::newRow("full width") << QStringList{"１２３"} << 1 << ""
                                    << "argument 1: not a digit: byte 0xEF";
    }
    void arguments()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, errContains);
        const Run r = runTool(args);
        QCOMPARE(r.status, status);
        if (QTest::currentDataTag() != QByteArray("bad among good"))
            QCOMPARE(r.out, out);
        else
            QVERIFY(r.out.startsWith(out));
        if (errContains.isEmpty())
            QCOMPARE(r.err, QString());
        else
            QVERIFY2(r.err.contains(errContains), qPrintable(r.err));
    }

    void details()
    {
        const Run r = runTool({"--details", "314159265358979323846264338327"});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out,
                 QString("88\n*素点 112\n各数字の出現回数減点 =  3 1 1 4 0 0 0 1 0 0\n"
                         "平均差減点= 5\n差 0～9 の出現回数減点 =  1 0 2 1 2 1 1 0 1 0\n\n"));
    }

    void standardInput()
    {
        const Run r = runTool(
            {}, "314159265358979323846264338327\r\nxyz\n012345678901234567890123456789\n\n");
        QCOMPARE(r.status, 1);
        QCOMPARE(r.out, QString("88\n71\n"));
        QVERIFY(r.err.contains("line 2: not a digit: 'x'"));
        QVERIFY(r.err.contains("line 4: no digits"));
    }

    void help()
    {
        const Run r = runTool({"--help"});
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.contains("--details"));
        QVERIFY(r.out.contains("standard input"));
    }
};

QTEST_MAIN(TestScoreTool)
#include "test_score_tool.moc"
