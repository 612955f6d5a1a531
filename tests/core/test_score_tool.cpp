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
        QTest::newRow("arguments")
            << tool << QStringList{ex1, "0123456789 0123456789\t0123456789", "1", "158"}
            << QByteArray() << "88\n71\n13.4\n97.2\n"
            << 0 << "";
        QTest::newRow("details")
            << tool << QStringList{"--details", ex1} << QByteArray()
            << "88\n*素点 112\n各数字の出現回数減点 =  3 1 1 4 0 0 0 1 0 0\n"
               "平均差減点= 5\n差 0～9 の出現回数減点 =  1 0 2 1 2 1 1 0 1 0\n\n"
            << 0 << "";
        QTest::newRow("bad arguments in order")
            << tool + "2>&1" << QStringList{"2", "12a4", "", QString(101, '5'), "１２３", "4"}
            << QByteArray()
            << "38.4\nzorbel-score: argument 2: not a digit: 'a'\n"
               "zorbel-score: argument 3: no digits\n"
               "zorbel-score: argument 4: more than 100 digits\n"
               "zorbel-score: argument 5: not a digit: byte 0xEF\n88.4\n"
            << 1 << "";
        QTest::newRow("bad lines in order")
            << tool + "2>&1" << QStringList{} << QByteArray("1\nx\n2\n")
            << "13.4\nzorbel-score: line 2: not a digit: 'x'\n38.4\n"
            << 1 << "";
        QTest::newRow("standard input")
            << tool << QStringList{} << (ex1 + "\r\n\n012345678901234567890123456789\n4").toUtf8()
            << "88\n71\n88.4\n"
            << 1 << "zorbel-score: line 2: no digits\n";
        QTest::newRow("longest line") << tool << QStringList{} << QByteArray(65535, ' ') + "1\r\n"
                                      << "13.4\n"
                                      << 0 << "";
        QTest::newRow("line too long")
            << tool << QStringList{} << QByteArray(65536, ' ') + "1\n2\n"
            << "38.4\n"
            << 1 << tooLong;
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
        QTest::newRow("reader gone")
            << "{ \"$0\"; echo status $? >&2; } | head -n 1" << QStringList{}
            << QByteArray(200000, '1').replace("1", "1\n") << "13.4\n"
            << 0 << "status 141\n";
        // Published values, to their printed digits: Ginsburg & Karpiuk (1994), redundancy
        // 1.1820, RNG 0.34, RNG2 0.2939, NSQ 47.4747, TPI 70.4082, runs 1.76, coupon 19.8,
        // median gap 8; Evans (1978), symbols 1-10, RNG 0.216 and 0.427, RNG2 0.2551 and
        // 0.2652, NSQ 33.33 and 52.5253, TPI 94.8980 and 62.7551.
        const QString head = "id,score,n,redundancy,rng,rng2,nsq,repetitions,adjacency_up,"
                             "adjacency_down,adjacency,tpi,runs_up,runs_down,coupon,gap_median,"
                             "gap_mean,gap_mode,chi2,predictor_hits,predictor_p\n";
        QTest::newRow("Ginsburg & Karpiuk")
            << tool
            << QStringList{"--indices", "--format=csv",
                           "G&K, "
                           "2578910423967921405325423567980356982187620975679103459801732035766576"
                           "980243987640318970232388720359"}
            << QByteArray()
            << head + "G&K,66,100,"
                      "1.18201693658411,0.33695878935214,0.29392528964167,47.4747474747475,2,"
                      "16.1616161616162,22.2222222222222,38.3838383838384,70.4081632653061,1.76,"
                      "1.42114631541474,19.8,8,9.62222222222222,6,5,14,0.116694256772507\n"
            << 0 << "";
        QTest::newRow("Evans")
            << "exec \"$0\" --indices --format=csv --alphabet=123456789X | "
               "cut -d, -f1-12"
            << QStringList{}
            << QByteArray("715834X9621479523X8672154961X4237894562X8943756198"
                          "346X9872319457X6928735164395618X75924381976327X951\n"
                          "135768532176542137X986543217659X65XXX321X98764375X"
                          "986798321326598214X457X987X12359321678939213754321")
            << head.section(',', 0, 11) +
                   "\n"
                   "1,,100,0.33766818257275,0.216129499106835,0.255073047181935,33.3333333333333,"
                   "0,"
                   "14.1414141414141,15.1515151515152,29.2929292929293,94.8979591836735\n"
                   "2,,100,0.784351710142114,0.427345756441589,0.265216308131336,52.5252525252525,"
                   "2,"
                   "8.08080808080808,43.4343434343434,51.5151515151515,62.7551020408163\n"
            << 0 << "";
        // The predictor keeps its counts in a table for up to 16 symbols and in chains
        // above; each sequence comes twice, as counts left over from one must not count
        // in the next, and a chance is worked out once per length and hit count.
        const QString predictor = "exec \"$0\" --indices --format=csv --alphabet=%1 | "
                                  "cut -d, -f1,3,20,21";
        const QByteArray s64 = "XYZbkXYZaXYZbXYZcdXYZbXYZc@XYZb";
        const QByteArray s2 = "HTHHTTHHTTHTHTTTTTTTTHHTHTTH";
        QTest::newRow("predictor, 64 symbols")
            << predictor.arg("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz@_")
            << QStringList{} << s64 + "\n" + s64 + "\n"
            << "id,n,predictor_hits,predictor_p\n1,31,15,1.00431320637569e-19\n"
               "2,31,15,1.00431320637569e-19\n"
            << 0 << "";
        QTest::newRow("predictor, 2 symbols")
            << predictor.arg("HT") << QStringList{} << s2 + "\n" + s2 + "\n" + s2 + "T\n"
            << "id,n,predictor_hits,predictor_p\n1,28,12,0.778965830802917\n"
               "2,28,12,0.778965830802917\n3,29,12,0.827535774558783\n"
            << 0 << "";
        // Symbols keep their places: 2468 has no adjacent pair, and 9 and 0 are not adjacent.
        QTest::newRow("records")
            << tool + "2>&1"
            << QStringList{"--indices", "--format=json", "P \"1\"\t2468", "90", "2x"}
            << QByteArray()
            << "{\"id\":\"P \\\"1\\\"\",\"score\":87.6,"
               "\"n\":4,\"redundancy\":39.7940008672038,\"rng\":null,\"rng2\":null,"
               "\"nsq\":96.969696969697,\"repetitions\":0,\"adjacency_up\":0,"
               "\"adjacency_down\":0,\"adjacency\":0,\"tpi\":0,\"runs_up\":0,\"runs_down\":0,"
               "\"coupon\":null,\"gap_median\":null,\"gap_mean\":null,\"gap_mode\":null,"
               "\"chi2\":6,\"predictor_hits\":0,\"predictor_p\":1}\n{\"id\":\"2\",\"score\":100,"
               "\"n\":2,\"redundancy\":69.8970004336019,\"rng\":null,\"rng2\":null,"
               "\"nsq\":98.989898989899,\"repetitions\":0,\"adjacency_up\":0,"
               "\"adjacency_down\":0,\"adjacency\":0,\"tpi\":null,\"runs_up\":0,\"runs_down\":0,"
               "\"coupon\":null,\"gap_median\":null,\"gap_mean\":null,\"gap_mode\":null,"
               "\"chi2\":8,\"predictor_hits\":0,\"predictor_p\":1}\n"
               "zorbel-score: argument 3: not a digit: 'x'\n"
            << 1 << "";
        QTest::newRow("alphabet twice")
            << tool << QStringList{"--indices", "--alphabet=ABA"} << QByteArray() << "" << 2
            << "zorbel-score: a symbol twice in --alphabet (try --help)\n";
        QTest::newRow("version") << tool << QStringList{"--version"} << QByteArray()
                                 << "zorbel-score 1.01\n"
                                 << 0 << "";
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
