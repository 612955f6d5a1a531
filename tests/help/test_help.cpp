// The help page's table of levels is the game's: cells, stages, raw score
// and the cells fixed at the SECOND stage, for each of the five levels.
// (The page's other checks are the Node and Chromium tests beside this one.)
#include "game/basZorb.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

class TestHelp : public QObject
{
    Q_OBJECT
private slots:
    void levelTable_data()
    {
        QTest::addColumn<int>("level");
        for (int level = 1; level <= 5; ++level)
            QTest::addRow("level %d", level) << level;
    }
    void levelTable()
    {
        QFETCH(int, level);
        QFile f(ZORBEL_PROGRAM_DIR "/html/index.htm");
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString page = QString::fromUtf8(f.readAll());
        const auto row =
            QRegularExpression(QStringLiteral("<tr id=\"level-%1\">(.*?)</tr>").arg(level))
                .match(page);
        QVERIFY(row.hasMatch());
        QStringList cells;
        for (auto it = QRegularExpression("<td>([^<]*)</td>").globalMatch(row.captured(1));
             it.hasNext();)
            cells << it.next().captured(1);
        const auto lv = static_cast<std::int16_t>(level);
        const std::int16_t n = zorbel::CellsForLevel(lv);
        QCOMPARE(cells, (QStringList{QString::number(level), QString::number(n),
                                     QString::number(zorbel::StageCount(lv)),
                                     QString::number(n / 2.5 + 100),
                                     QString::number(zorbel::FixedCellCount(n))}));
    }
};

QTEST_MAIN(TestHelp)
#include "test_help.moc"
