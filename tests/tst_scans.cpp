// The made-up scans of worked sheets: what a pupil with each kind of mistake writes.
#include "PupilWorking.h"

#include <QTest>

#include <map>

using namespace pelkano;

namespace {

// The numbers of each row of the figure as the placed digits spell them, left to right, with a
// blank between numbers that do not touch.
std::map<int, std::string> figureRows(const std::vector<WrittenDigit>& digits)
{
    std::map<int, std::map<int, char>> cells;
    for (const WrittenDigit& d : digits)
        cells[d.row][d.column] = d.digit;
    std::map<int, std::string> rows;
    for (const auto& [row, columns] : cells) {
        int last = columns.begin()->first;
        for (const auto& [column, digit] : columns) {
            if (column > last + 1)
                rows[row] += ' ';
            rows[row] += digit;
            last = column;
        }
    }
    return rows;
}

}  // namespace

class TestScans : public QObject {
    Q_OBJECT

private slots:
    void pupilWorking_data()
    {
        QTest::addColumn<int>("dividend");
        QTest::addColumn<int>("divisor");
        QTest::addColumn<int>("kind");
        for (const auto& [dividend, divisor] : {std::pair{8765, 43}, std::pair{9036, 7}})
            for (std::size_t k = 0; k < kMadeMistakes.size(); ++k)
                QTest::addRow("%d / %d, %s", dividend, divisor, mistakeName(kMadeMistakes[k]))
                    << dividend << divisor << static_cast<int>(k);
    }
    // The diagnosis names the kind the working was made with, and the digits set in the squares
    // are the rows it judged, each number where the pupil wrote it.
    void pupilWorking()
    {
        QFETCH(int, dividend);
        QFETCH(int, divisor);
        QFETCH(int, kind);
        const LongDivision w = LongDivision::of(dividend, divisor);
        QVERIFY(diagnose(w, rightWorking(w).rows, PracticeLevel::Alone).empty());
        SeededRandom random(3);
        const auto made = pelkano::wrongWorking(w, kMadeMistakes[static_cast<std::size_t>(kind)], random);
        QVERIFY(made);
        QCOMPARE(made->mistake, kMadeMistakes[static_cast<std::size_t>(kind)]);

        const std::vector<PracticeRow> rows = practiceRows(w);
        std::map<int, std::string> expected;
        std::map<int, int> lastColumn;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const WrittenRow& written = made->rows[i];
            if (written.digits.empty())
                continue;
            if (rows[i].kind == PracticeRow::Kind::Quotient) {
                const bool gap = lastColumn.contains(0) && written.column > lastColumn[0] + 1;
                expected[0] += (gap ? " " : "") + written.digits;
                lastColumn[0] = written.column;
            } else {
                expected[rows[i].row] = written.digits;
            }
        }
        QCOMPARE(figureRows(made->digits), expected);
    }
};

QTEST_MAIN(TestScans)
#include "tst_scans.moc"
