// The practice window worked from the keyboard as a pupil would, what its figure shows, its
// summary, and the main window's button that opens it.
#include "Fmain.h"
#include "Messages.h"
#include "PracticeWindow.h"
#include "RadioGroup.h"

#include "PracticeReport.h"
#include "RecordingSurface.h"

#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace pelkano;

namespace {

class RecordingMessages final : public Messages {
public:
    void warning(const QString&, const QString& text) override { warnings << text; }
    void beep() override { ++beeps; }
    QStringList warnings;
    int beeps = 0;
};

// Digits are typed as they are; '<' and '>' are the arrow keys, '#' Backspace, '!' Enter, 'h'
// the hint key.
void press(QWidget* window, const QString& keys)
{
    for (const QChar c : keys) {
        if (c.isDigit())
            QTest::keyClick(window, static_cast<Qt::Key>(Qt::Key_0 + c.digitValue()));
        else if (c == u'<')
            QTest::keyClick(window, Qt::Key_Left);
        else if (c == u'>')
            QTest::keyClick(window, Qt::Key_Right);
        else if (c == u'#')
            QTest::keyClick(window, Qt::Key_Backspace);
        else if (c == u'!')
            QTest::keyClick(window, Qt::Key_Return);
        else if (c == u'h')
            QTest::keyClick(window, Qt::Key_H);
    }
}

QStringList pictureOf(const PracticeProblem& problem)
{
    QStringList rows;
    for (const std::string& r : problem.picture())
        rows << QString::fromStdString(r);
    return rows;
}

// Pixels inside a cell, clear of its dotted edges and of a product's line near its bottom.
template <class Test>
int countInCell(const QImage& image, const QRect& cell, Test test)
{
    int n = 0;
    const int dx = cell.width() / 5;
    for (int y = cell.top() + cell.height() / 10; y < cell.top() + cell.height() * 3 / 4; ++y)
        for (int x = cell.left() + dx; x < cell.right() - dx; ++x)
            n += test(image.pixelColor(x, y)) ? 1 : 0;
    return n;
}

bool ink(const QColor& c)
{
    return c.red() + c.green() + c.blue() < 400;
}

bool red(const QColor& c)
{
    return c.red() > 150 && c.green() < 90 && c.blue() < 90;
}

std::vector<PracticeItem> itemsOf(const std::vector<LongDivision>& problems)
{
    std::vector<PracticeItem> items;
    for (const LongDivision& w : problems)
        items.push_back({w.dividend, w.divisor, 0});
    return items;
}

// Types the answer of every row of the open problem, then Enter.
void solve(PracticeWindow& window)
{
    const PracticeProblem& p = window.session().problem();
    while (!p.finished())
        for (const char c : p.rows()[p.current()].answer)
            window.pressDigit(c - '0');
    window.pressEnter();
}

}  // namespace

class TestPractice : public QObject {
    Q_OBJECT

private:
    QTemporaryDir settingsDir_;

    std::unique_ptr<PracticeWindow> open(const std::vector<LongDivision>& problems,
                                         std::function<std::vector<LongDivision>()> more = {}, PracticeHooks hooks = {})
    {
        if (more)
            hooks.makeMore = [more] { return itemsOf(more()); };
        auto window = std::make_unique<PracticeWindow>(itemsOf(problems), std::move(hooks));
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            qFatal("practice window not shown");
        return window;
    }

    static QImage boardImage(PracticeWindow& window) { return window.board()->grab().toImage(); }

private slots:
    // The level is kept in settings of the test's own, never the user's.
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(settingsDir_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir_.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir_.path());
        QSettings().remove(QLatin1String(kPracticeLevelKey));
    }

    void workedByKeys_data()
    {
        QTest::addColumn<int>("dividend");
        QTest::addColumn<int>("divisor");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QStringList>("picture");
        QTest::addColumn<bool>("finished");
        QTest::addColumn<bool>("clean");  // no wrong check, no hint
        const QStringList worked8765{"    203", "43)8765", "   86  ", "    165", "    129", "     36"};
        QTest::addRow("8765 / 43") << 8765 << 43 << "2860165312936" << worked8765 << true << true;
        QTest::addRow("3 / 7: quotient 0, product 0") << 3 << 7 << "003" << QStringList{"  0", "7)3", "  0", "  3"}
                                                      << true << true;
        QTest::addRow("700 / 7: two zeros, no products for them")
            << 700 << 7 << "17000" << QStringList{"  100", "7)700", "  7  ", "    0"} << true << true;
        QTest::addRow("8765 / 43, Enter on a half row checks nothing")
            << 8765 << 43 << "28!6" << QStringList{"    2  ", "43)8765", "   86  ", "       ", "       ", "       "}
            << false << true;
        QTest::addRow("8765 / 43, a product out of order with the arrows")
            << 8765 << 43 << "2>6<8" << QStringList{"    2  ", "43)8765", "   86  ", "       ", "       ", "       "}
            << false << true;
        QTest::addRow("8765 / 43, Backspace on an empty cell clears the one before")
            << 8765 << 43 << "28#8#" << QStringList{"    2  ", "43)8765", "       ", "       ", "       ", "       "}
            << false << true;
        QTest::addRow("8765 / 43, a hint asked, pointed, then written")
            << 8765 << 43 << "2hhh60165312936" << worked8765 << true << false;
    }

    void workedByKeys()
    {
        QFETCH(int, dividend);
        QFETCH(int, divisor);
        QFETCH(QString, keys);
        QFETCH(QStringList, picture);
        QFETCH(bool, finished);
        QFETCH(bool, clean);
        auto window = open({LongDivision::of(dividend, divisor)});
        press(window.get(), keys);
        const PracticeProblem& problem = window->session().problem();
        QCOMPARE(pictureOf(problem), picture);
        QCOMPARE(problem.finished(), finished);
        QCOMPARE(problem.mistakes() == 0 && problem.hints() == 0, clean);
        QCOMPARE(problem.rightFirstTime(), finished && clean);
        // The board shows ink in exactly the cells that hold a digit.
        const QImage image = boardImage(*window);
        const BoardCells cells = window->board()->cells();
        for (int r = 0; r < picture.size(); ++r)
            for (int c = 0; c < picture[r].size(); ++c)
                if (r != 1)
                    QVERIFY2((countInCell(image, cells.cellRect(r, c), ink) > 0) == (picture[r][c] != u' '),
                             qPrintable(QStringLiteral("row %1, cell %2").arg(r).arg(c)));
        if (finished) {
            press(window.get(), QStringLiteral("!"));
            QVERIFY(window->showingSummary());
        }
    }

    void wrongDigitIsMarkedThenCorrected()
    {
        auto window = open({LongDivision::of(8765, 43)});
        press(window.get(), QStringLiteral("287"));
        const PracticeProblem& problem = window->session().problem();
        QCOMPARE(problem.current(), std::size_t{1});
        QVERIFY(!problem.wrong(1, 0));
        QVERIFY(problem.wrong(1, 1));
        QCOMPARE(problem.cursor(), 1);
        QCOMPARE(window->findChild<QLabel*>(QStringLiteral("practiceStatus"))->text(),
                 QStringLiteral("「かけ算」2×43 は 87 ではありません。一の位から順にかけて、くり上がりをたしましょう。"));
        const BoardCells cells = window->board()->cells();
        QImage image = boardImage(*window);
        QVERIFY(countInCell(image, cells.cellRect(2, 4), red) > 0);
        QCOMPARE(countInCell(image, cells.cellRect(2, 3), red), 0);
        QCOMPARE(countInCell(image, cells.cellRect(2, 5), ink), 0);  // the right digit stays hidden

        press(window.get(), QStringLiteral("6"));
        QCOMPARE(problem.current(), std::size_t{2});
        image = boardImage(*window);
        for (int c = 3; c <= 4; ++c)
            QCOMPARE(countInCell(image, cells.cellRect(2, c), red), 0);
        press(window.get(), QStringLiteral("0165312936!"));
        QVERIFY(window->showingSummary());
        QVERIFY(window->findChild<QLabel*>(QStringLiteral("practiceSummary"))->text().contains(QStringLiteral("0 / 1 問")));
    }

    void summaryThenAgainOrClose()
    {
        int made = 0;
        auto window = open({LongDivision::of(3, 7), LongDivision::of(96, 4)}, [&made] {
            ++made;
            return std::vector<LongDivision>{LongDivision::of(700, 7)};
        });
        press(window.get(), QStringLiteral("003!"));
        QCOMPARE(window->session().index(), std::size_t{1});
        press(window.get(), QStringLiteral("2h8164160"));  // a hint: its question
        QVERIFY(!window->showingSummary());
        press(window.get(), QStringLiteral("!"));
        QVERIFY(window->showingSummary());
        const QString summary = window->findChild<QLabel*>(QStringLiteral("practiceSummary"))->text();
        QVERIFY2(summary.contains(QStringLiteral("1 / 2 問")), qPrintable(summary));
        QVERIFY2(summary.contains(QStringLiteral("ヒントを使った回数：1 回")), qPrintable(summary));

        QTest::keyClick(window->findChild<QPushButton*>(QStringLiteral("btnAgain")), Qt::Key_Return);
        QCOMPARE(made, 1);
        QVERIFY(!window->showingSummary());
        QCOMPARE(window->session().count(), std::size_t{1});
        QCOMPARE(window->session().problem().working().dividend, 700);
        QCOMPARE(window->session().hints(), 0);

        press(window.get(), QStringLiteral("17000!"));
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("btnClosePractice")), Qt::LeftButton);
        QVERIFY(!window->isVisible());
    }

    // ひとりで is chosen in the window and kept in the settings for the next window.
    void levelKeptInSettings()
    {
        {
            auto window = open({LongDivision::of(8765, 43)});
            QVERIFY(window->findChild<QRadioButton*>(QStringLiteral("levelGuided"))->isChecked());
            QTest::mouseClick(window->findChild<QRadioButton*>(QStringLiteral("levelAlone")), Qt::LeftButton);
            QCOMPARE(window->session().problem().level(), PracticeLevel::Alone);
        }
        QCOMPARE(QSettings().value(QLatin1String(kPracticeLevelKey)).toString(), QStringLiteral("alone"));
        auto window = open({LongDivision::of(8765, 43)});
        QVERIFY(window->findChild<QRadioButton*>(QStringLiteral("levelAlone"))->isChecked());
        QCOMPARE(window->session().problem().level(), PracticeLevel::Alone);
        // A tap on the cell over the 7 puts the first quotient digit there.
        const QRect over7 = window->board()->cells().cellRect(0, 4);
        QTest::mouseClick(window->board(), Qt::LeftButton, {}, over7.center());
        press(window.get(), QStringLiteral("2"));
        QCOMPARE(window->session().problem().current(), std::size_t{1});
        QSettings().remove(QLatin1String(kPracticeLevelKey));
    }

    // The summary lists every problem and the stumbling points; まちがえた問題をもう一度 repeats
    // exactly the problems that had a mistake or a hint; the results are saved and printed.
    void summaryForTheTeacher()
    {
        QTemporaryDir dir;
        std::vector<std::string> printed;
        PracticeHooks hooks;
        hooks.printPage = [&printed](QWidget*, const PagePainter& page) {
            test::RecordingSurface surface;
            page(surface, 3200, 4410, 0);
            for (const test::Call& call : surface.callsOf(test::Op::Text))
                printed.push_back(call.text);
        };
        auto window = open({LongDivision::of(3, 7), LongDivision::of(87, 23), LongDivision::of(96, 4)}, {}, hooks);
        window->findChild<QLineEdit*>(QStringLiteral("practiceName"))->setText(QStringLiteral("はなこ"));
        window->setFocus();
        solve(*window);
        press(window.get(), QStringLiteral("4"));  // 4×23 is more than 87
        solve(*window);
        press(window.get(), QStringLiteral("h"));
        solve(*window);
        QVERIFY(window->showingSummary());
        const auto* table = window->findChild<QTableWidget*>(QStringLiteral("practiceResults"));
        QCOMPARE(table->rowCount(), 3);
        QCOMPARE(table->item(1, 1)->text(), QStringLiteral("87÷23"));
        QCOMPARE(table->item(1, 4)->text(), QStringLiteral("「仮商が大きい」1回"));
        QCOMPARE(table->item(0, 3)->text(), QStringLiteral("○"));
        QCOMPARE(window->findChild<QLabel*>(QStringLiteral("practiceStumbles"))->text(),
                 QStringLiteral("つまずき：「仮商が大きい」1回"));

        const QString csv = dir.filePath(QStringLiteral("run.csv"));
        QCOMPARE(window->saveCsv(csv), QString());
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
        QCOMPARE(bytes.count("\r\n"), 4);
        QVERIFY(bytes.contains("はなこ"));
        QVERIFY(!window->saveCsv(dir.path()).isEmpty());  // a folder is not a file it can write

        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("btnPrintResults")), Qt::LeftButton);
        QVERIFY(std::find(printed.begin(), printed.end(), "練習の結果") != printed.end());
        QVERIFY(std::find(printed.begin(), printed.end(), "はなこ") != printed.end());

        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("btnRetryMissed")), Qt::LeftButton);
        QVERIFY(!window->showingSummary());
        QCOMPARE(window->session().count(), std::size_t{2});
        QCOMPARE(window->session().item(), (PracticeItem{87, 23, 0}));
        QCOMPARE(window->session().results().size(), std::size_t{3});
    }

    // にがてプリント ticks only the types of the problems that had a mistake, and previews a sheet.
    void weakSheetTicksTheMissedTypes()
    {
        Fmain main(std::make_unique<SeededRandom>(5));
        RecordingMessages messages;
        main.setMessages(&messages);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        main.typeBox(77)->click();  // type 3
        main.typeBox(13)->click();  // type 17
        main.findChild<RadioGroup*>(QStringLiteral("QNumPattern"))->setItemIndex(0);  // 2段2列
        auto* button = main.findChild<QPushButton*>(QStringLiteral("btnPractice"));
        QTest::mouseClick(button, Qt::LeftButton);
        QTest::mouseClick(button, Qt::LeftButton);  // brings the open window forward
        QCOMPARE(main.findChildren<PracticeWindow*>().size(), 1);
        auto* window = main.findChild<PracticeWindow*>();
        const int missedType = window->session().item().type;
        window->pressHint();
        window->pressHint();
        window->pressHint();
        const PracticeProblem& first = window->session().problem();
        const char right = first.rows()[first.current()].answer[0];
        window->pressDigit(right == '9' ? 1 : right - '0' + 1);  // a wrong digit
        while (!window->showingSummary())
            solve(*window);
        QVERIFY(!main.sheet().previewMade);
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("btnWeakSheet")), Qt::LeftButton);
        QCOMPARE(main.selectedTypes().entries(), std::vector<std::string>{std::to_string(missedType)});
        QVERIFY(main.sheet().previewMade);
        for (int i = 0; i < main.sheet().count; ++i)
            QCOMPARE(main.sheet().types[static_cast<std::size_t>(i)], missedType);
    }

    void practiceButtonMakesProblemsAsPreviewDoes_data()
    {
        QTest::addColumn<int>("box");
        QTest::addColumn<int>("pattern");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("warned");
        QTest::addRow("type 3, 4段3列") << 77 << 5 << 12 << false;
        QTest::addRow("type 17, 3段2列: four of six") << 13 << 1 << 4 << true;
    }

    void practiceButtonMakesProblemsAsPreviewDoes()
    {
        QFETCH(int, box);
        QFETCH(int, pattern);
        QFETCH(int, count);
        QFETCH(bool, warned);
        RecordingMessages messages;
        Fmain main(std::make_unique<SeededRandom>(77));
        main.setMessages(&messages);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        auto* practice = main.findChild<QPushButton*>(QStringLiteral("btnPractice"));
        QVERIFY(practice);
        QCOMPARE(practice->geometry(), QRect(352, 16, 65, 25));
        QVERIFY(!practice->isEnabled());

        QCheckBox* type = main.typeBox(box);
        main.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentWidget(type->parentWidget());
        type->click();
        QVERIFY(practice->isEnabled());
        main.findChild<RadioGroup*>(QStringLiteral("QNumPattern"))->setItemIndex(pattern);
        QTest::mouseClick(main.findChild<QPushButton*>(QStringLiteral("btnPreview")), Qt::LeftButton);
        const ProblemSheet before = main.sheet();
        messages = RecordingMessages{};

        QTest::mouseClick(practice, Qt::LeftButton);
        auto* window = main.findChild<PracticeWindow*>();
        QVERIFY(window);
        QVERIFY(window->isWindow());
        QVERIFY(window->isVisible());
        QCOMPARE(static_cast<int>(window->session().count()), count);
        QCOMPARE(messages.warnings.size(), warned ? 1 : 0);
        QCOMPARE(messages.beeps, warned ? 1 : 0);
        QCOMPARE(main.sheet().dividends, before.dividends);
        QCOMPARE(main.sheet().divisors, before.divisors);
        QCOMPARE(main.sheet().printNumber, before.printNumber);

        type->click();
        QVERIFY(!practice->isEnabled());
    }
};

QTEST_MAIN(TestPractice)
#include "tst_practice.moc"
