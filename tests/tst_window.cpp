// The main window driven as a user would: controls found by name, clicks and typing, printing
// to PDF files in a temporary directory, messages collected instead of shown.
#include "ClassSetDialog.h"
#include "CodeDialog.h"
#include "Conversions.h"
#include "Fmain.h"
#include "Messages.h"
#include "OutsideProgram.h"
#include "PageLayout.h"
#include "PreviewBox.h"
#include "QtSurface.h"
#include "Random.h"
#include "RadioGroup.h"
#include "SheetCode.h"
#include "TypePages.h"
#include "TypeSampling.h"
#include "Units.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QPrintPreviewDialog>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <climits>
#include <limits>
#include <memory>
#include <set>

using namespace pelkano;
using pelkano::test::pdfPageTexts;
using pelkano::test::runOutsideProgram;

namespace {

class RecordingMessages final : public Messages {
public:
    void warning(const QString&, const QString& text) override
    {
        warnings << text;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<QProgressDialog*>(w) && w->isVisible())
                progressOpenAtWarning = true;  // a modal box under it could not be answered
    }
    void beep() override { ++beeps; }
    QStringList warnings;
    int beeps = 0;
    bool progressOpenAtWarning = false;
};

int pdfPages(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QString bytes = QString::fromLatin1(file.readAll());
    return static_cast<int>(bytes.count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?!s)"))));
}

// The print numbers in the headers of a PDF's pages, in page order.
QList<int> printNumbersOfPages(const QString& pdf)
{
    QList<int> numbers;
    for (const QString& page : pdfPageTexts(pdf)) {
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("No\\.\\s*(-?\\d+)")).match(page);
        if (m.hasMatch())
            numbers << m.captured(1).toInt();
    }
    return numbers;
}

// The codes at the foot of a PDF's pages, read as the sheets they name.
QList<SheetCode> codesOfPages(const QString& pdf)
{
    QList<SheetCode> codes;
    for (const QString& page : pdfPageTexts(pdf)) {
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("コード\\s*([0-9A-Z-]+)")).match(page);
        const DecodedCode decoded = decodeSheetCode(m.captured(1).toStdString());
        codes << decoded.code.value_or(SheetCode{});
    }
    return codes;
}

// Sheet `index` of a set, as the generator makes it.
ProblemSheet sheetOfSet(const SetRecipe& recipe, long long index, int number)
{
    SeededRandom random(recipe.seed);
    test::CollectingReporter reporter;
    RuleContext ctx{random, test::tables(), reporter};
    ProblemSheet out;
    buildSheets(recipe, index, 1, number, ctx, [&](long long, const ProblemSheet& sheet, bool) {
        out = sheet;
        return true;
    });
    return out;
}

// The first page of a PDF at 20 dots per inch, in grey.
QImage firstPageImage(const QString& pdf)
{
    return QImage::fromData(runOutsideProgram(QStringLiteral("pdftoppm"),
                                              {QStringLiteral("-r"), QStringLiteral("20"), QStringLiteral("-gray"),
                                               QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                                               QStringLiteral("1"), pdf}));
}

// The lowest row and the rightmost column holding ink, as a share of the image's height and width.
QPointF inkExtent(const QImage& image)
{
    int right = 0;
    int bottom = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128) {
                right = std::max(right, x);
                bottom = std::max(bottom, y);
            }
    return {double(right) / image.width(), double(bottom) / image.height()};
}

// Values for a sheet of type 3 alone (R(1) picks the type, then divisor and quotient by R(9))
// whose slot `placed + 1` never finds a new problem: `placed` distinct problems, then the first
// one over and over, 1,001 times.
std::vector<int> giveUpScript(int placed)
{
    std::vector<int> values;
    for (int i = 0; i < placed; ++i)
        values.insert(values.end(), {0, 0, i});  // 1 / 1, 2 / 1, 3 / 1, ...
    for (int i = 0; i <= 1000; ++i)
        values.insert(values.end(), {0, 0, 0});
    return values;
}

}  // namespace

class TestWindow : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Fmain> window;
    RecordingMessages messages;

    template <class W>
    W* control(const char* name)
    {
        W* w = window->findChild<W*>(QString::fromLatin1(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }

    void clickBox(int number)
    {
        QCheckBox* box = window->typeBox(number);
        QVERIFY(box);
        auto* tabs = control<QTabWidget>("PageControl1");
        tabs->setCurrentWidget(box->parentWidget());
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    }

    void choosePattern(int index)
    {
        auto* group = control<RadioGroup>("QNumPattern");
        QTest::mouseClick(group->button(index), Qt::LeftButton, {}, QPoint(6, group->button(index)->height() / 2));
        QCOMPARE(group->itemIndex(), index);
    }

    void typeInto(const char* name, const QString& text)
    {
        auto* edit = control<QLineEdit>(name);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }

    void click(const char* name) { QTest::mouseClick(control<QPushButton>(name), Qt::LeftButton); }

    void previewType3(LayoutPattern pattern)
    {
        clickBox(77);  // type 3
        choosePattern(static_cast<int>(pattern));
        click("btnPreview");
    }

    // A settings folder of the test's own, so that the user's settings are never read or written;
    // the settings file of the window's names in it.
    QString freshSettings()
    {
        settingsDir = std::make_unique<QTemporaryDir>();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir->path());
        return settingsDir->filePath(QStringLiteral("Pelkano/pelkano.conf"));
    }

    void restart()
    {
        window = std::make_unique<Fmain>(std::make_unique<SeededRandom>(1));
        window->setMessages(&messages);
        window->keepSettings();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    std::unique_ptr<QTemporaryDir> settingsDir;

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("Pelkano"));
        QCoreApplication::setApplicationName(QStringLiteral("pelkano"));
        freshSettings();
    }

    void init()
    {
        messages = RecordingMessages{};
        window = std::make_unique<Fmain>(std::make_unique<SeededRandom>(20240607));
        window->setMessages(&messages);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    void cleanup() { window.reset(); }

    // Every control a teacher uses can be seen and clicked: none stands over another.
    void noControlCoversAnother()
    {
        QList<QWidget*> controls;
        for (QWidget* w : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (w->isVisible() && (qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) ||
                                   qobject_cast<QLineEdit*>(w)))
                controls << w;
        for (int i = 0; i < controls.size(); ++i)
            for (int j = i + 1; j < controls.size(); ++j)
                QVERIFY2(!controls[i]->geometry().intersects(controls[j]->geometry()),
                         qPrintable(controls[i]->objectName() + " and " + controls[j]->objectName()));
    }

    // プリントの内容: a change of balance remakes the preview from its seed, the marks reach the page's
    // code, and the choices survive a restart; a unit ticks its types.
    void drillOptions()
    {
        freshSettings();
        restart();
        previewType3(LayoutPattern::R4C3);
        const std::uint64_t seed = window->sheet().origin->recipe.seed;
        DrillOptions drill{true, true, {NumberStyle::Parenthesized, true, true, true}};
        window->setDrillOptions(drill);
        QCOMPARE(window->sheet().origin->recipe.seed, seed);
        QVERIFY(window->sheet().origin->recipe.balanced && window->sheet().origin->recipe.easyOrder);
        QVERIFY(window->renderSettings().marks == drill.marks);
        restart();
        QVERIFY(window->drillOptions() == drill);
        auto* unit = control<QComboBox>("cbUnit");
        unit->setCurrentIndex(8);  // the last unit
        emit unit->activated(8);
        QCOMPARE(window->selectedTypes().types(), units().back().types);
        // Types 74-78 stand on the last two pages: only their tabs are marked.
        const QTabBar* tabs = control<QTabWidget>("PageControl1")->tabBar();
        QCOMPARE(tabs->tabTextColor(8), QColor(0, 0, 192));
        QVERIFY(tabs->tabTextColor(0) != QColor(0, 0, 192));
        window.reset();
        freshSettings();
    }

    void tickingFollowsTheBoxes_data()
    {
        QTest::addColumn<QList<int>>("clicks");  // check box numbers, in order
        QTest::addColumn<QStringList>("ticked");
        QTest::addRow("one type") << QList<int>{1} << QStringList{"5"};
        QTest::addRow("ticked and unticked") << QList<int>{1, 1} << QStringList{};
        QTest::addRow("types 5, 1, 30 in ticking order") << QList<int>{1, 75, 26} << QStringList{"5", "1", "30"};
        QTest::addRow("untick the middle one") << QList<int>{1, 75, 26, 75} << QStringList{"5", "30"};
        QTest::addRow("last box of each end") << QList<int>{74, 78} << QStringList{"78", "4"};
    }

    void tickingFollowsTheBoxes()
    {
        QFETCH(QList<int>, clicks);
        QFETCH(QStringList, ticked);
        for (int n : clicks)
            clickBox(n);
        QStringList entries;
        for (const std::string& e : window->selectedTypes().entries())
            entries << QString::fromStdString(e);
        QCOMPARE(entries, ticked);
        QCOMPARE(control<QPushButton>("btnPreview")->isEnabled(), !ticked.isEmpty());
        QCOMPARE(control<QPushButton>("btnClear")->isEnabled(), !ticked.isEmpty());
    }

    void boxesCarryTheirTypes()
    {
        for (int n = 1; n <= 78; ++n) {
            QCheckBox* box = window->typeBox(n);
            QVERIFY(box);
            QCOMPARE(box->objectName(), QStringLiteral("CheckBox%1").arg(n));
            const int type = n <= 74 ? n + 4 : n - 74;
            QCOMPARE(box->property("Tag").toInt(), type);
            QCOMPARE(box->text(), type < 10 ? QStringLiteral(" %1").arg(type) : QString::number(type));
            QCOMPARE(box->height(), 17);
        }
    }

    void clearAllUnticksEveryPage()
    {
        for (int n : {1, 30, 60, 75, 78})  // pages 1, 4, 8 and 9
            clickBox(n);
        QCOMPARE(window->selectedTypes().entries().size(), std::size_t{5});
        click("btnClear");
        for (int n = 1; n <= 78; ++n)
            QVERIFY(!window->typeBox(n)->isChecked());
        QVERIFY(window->selectedTypes().empty());
        QVERIFY(!control<QPushButton>("btnPreview")->isEnabled());
        QVERIFY(!control<QPushButton>("btnClear")->isEnabled());
    }

    // PDF保存… makes new sheets of the ticked types: with none ticked it cannot be used, and a set
    // asked for anyway is refused in Japanese. The previewed sheet still prints.
    void nothingTickedMakesNoClassSet()
    {
        QTemporaryDir dir;
        previewType3(LayoutPattern::R2C2);
        click("btnClear");
        QVERIFY(!control<QPushButton>("btnSavePdf")->isEnabled());
        QVERIFY(control<QPushButton>("btnPrint")->isEnabled());
        QVERIFY(!window->makeClassSet({dir.filePath(QStringLiteral("set.pdf")), 2, AnswerSheets::None, false}));
        QCOMPARE(messages.warnings, QStringList{kNoTypeTicked});
        clickBox(77);
        QVERIFY(control<QPushButton>("btnSavePdf")->isEnabled());
    }

    // What went wrong inside the generator stays inside: the user is told in Japanese.
    void generatorFailureIsToldInJapanese()
    {
        clickBox(77);
        window->setRandomSource(std::make_unique<ScriptedRandom>(std::vector<int>{}));
        click("btnPreview");
        QCOMPARE(messages.warnings, QStringList{kGeneratorFailed});
    }

    void leftMarginEdit_data()
    {
        QTest::addColumn<QString>("before");  // typed first, "" for none
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("margin");
        QTest::addColumn<QString>("shown");
        QTest::addRow("zero") << "" << "0" << 15 << "15";
        QTest::addRow("above 70") << "" << "71" << 15 << "15";
        QTest::addRow("not a number") << "" << "abc" << 15 << "15";
        QTest::addRow("seven") << "" << "7" << 7 << "7";
        QTest::addRow("the largest") << "" << "70" << 70 << "70";
        QTest::addRow("the smallest") << "" << "1" << 1 << "1";
        QTest::addRow("refused after seven") << "7" << "x" << 15 << "15";
        QTest::addRow("negative") << "" << "-5" << 15 << "15";
    }

    void leftMarginEdit()
    {
        QFETCH(QString, before);
        QFETCH(QString, typed);
        QFETCH(int, margin);
        QFETCH(QString, shown);
        if (!before.isEmpty())
            typeInto("edtLeftMargin", before);
        typeInto("edtLeftMargin", typed);
        QCOMPARE(window->leftMargin(), margin);
        QCOMPARE(control<QLineEdit>("edtLeftMargin")->text(), shown);
        QCOMPARE(control<QScrollBar>("sbLeftMargin")->value(), margin);
        QCOMPARE(window->renderSettings().leftMargin, margin);
    }

    // The margin box may be emptied while a new number is typed; left empty, it is refused as any
    // text that is not a margin.
    void leftMarginMayBeEmptyWhileTyping()
    {
        auto* edit = control<QLineEdit>("edtLeftMargin");
        typeInto("edtLeftMargin", QStringLiteral("7"));
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), QString());
        QCOMPARE(window->leftMargin(), 7);
        QTest::keyClicks(edit, QStringLiteral("30"));
        QCOMPARE(window->leftMargin(), 30);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(edit->text(), QStringLiteral("15"));
        QCOMPARE(window->leftMargin(), 15);
    }

    void leftMarginBarWritesTheEdit()
    {
        auto* bar = control<QScrollBar>("sbLeftMargin");
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(bar->value(), 25);
        QCOMPARE(control<QLineEdit>("edtLeftMargin")->text(), QStringLiteral("25"));
        QCOMPARE(window->leftMargin(), 25);
    }

    void settingRedrawsOnlyWithATypeTicked_data()
    {
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<bool>("lineWidth");  // else the margin
        QTest::addRow("line width, a type ticked") << true << true;
        QTest::addRow("line width, nothing ticked") << false << true;
        QTest::addRow("margin, a type ticked") << true << false;
        QTest::addRow("margin, nothing ticked") << false << false;
    }

    void settingRedrawsOnlyWithATypeTicked()
    {
        QFETCH(bool, ticked);
        QFETCH(bool, lineWidth);
        if (ticked)
            clickBox(75);
        PreviewBox* box = window->previewBox();
        const int before = box->pagesDrawn();
        if (lineWidth) {
            control<QScrollBar>("sbLineWidth")->setValue(3);
            QCOMPARE(control<QLineEdit>("edLineW")->text(), QStringLiteral("3"));
            QCOMPARE(window->renderSettings().lineWidth, 3);
        } else {
            typeInto("edtLeftMargin", QStringLiteral("9"));
        }
        QCOMPARE(box->pagesDrawn() > before, ticked);
        if (ticked)
            QVERIFY(!box->lastShowedAnswers());
    }

    // After a preview every setting shows at once: the sheet is drawn again with its answers, as
    // it will print.
    void settingRedrawsThePreviewWithAnswers_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addRow("frame") << "rgWaku";
        QTest::addRow("style") << "QuestStyle";
        QTest::addRow("layout") << "QNumPattern";
        QTest::addRow("sentence") << "QstSentence";
        QTest::addRow("margin") << "edtLeftMargin";
        QTest::addRow("line width") << "sbLineWidth";
        QTest::addRow("print number") << "PrnNum";
    }

    void settingRedrawsThePreviewWithAnswers()
    {
        QFETCH(QString, setting);
        previewType3(LayoutPattern::R2C2);
        RenderSettings expected = window->renderSettings();
        ProblemSheet page = window->sheet();
        PreviewBox* box = window->previewBox();
        const int before = box->pagesDrawn();
        if (setting == "rgWaku" || setting == "QuestStyle" || setting == "QNumPattern") {
            QRadioButton* item = control<RadioGroup>(setting.toLatin1().constData())->button(setting == "QNumPattern" ? 4 : 1);
            QTest::mouseClick(item, Qt::LeftButton, {}, QPoint(6, item->height() / 2));
            expected.frame = setting != "rgWaku";
            expected.style = setting == "QuestStyle" ? QuestionStyle::Expression : QuestionStyle::Written;
            // A sheet is drawn in the layout it was made for: its four problems in 3段3列 would
            // lose one (a row holds three), and its code names its layout.
            expected.pattern = LayoutPattern::R2C2;
        } else if (setting == "QstSentence") {
            control<QLineEdit>("QstSentence")->setText(QStringLiteral("わり算"));
            expected.sentence = "わり算";
        } else if (setting == "edtLeftMargin") {
            typeInto("edtLeftMargin", QStringLiteral("30"));
            expected.leftMargin = 30;
        } else if (setting == "sbLineWidth") {
            control<QScrollBar>("sbLineWidth")->setValue(3);
            expected.lineWidth = 1;  // the paper's 3 pixels are less than one of the preview's
        } else {
            typeInto("PrnNum", QStringLiteral("12"));
            page.printNumber = 12;
        }
        QVERIFY(box->pagesDrawn() > before);
        QVERIFY(box->lastShowedAnswers());
        const QImage drawn = box->grab().toImage();
        QImage image(320, 441, QImage::Format_RGB32);
        page.showAnswers = true;
        {
            QPainter painter(&image);
            QtSurface surface(painter);
            MakePrint(surface, 320, 441, page, expected);
        }
        const QRect background(0, 0, 319, 440);
        QCOMPARE(drawn.convertToFormat(QImage::Format_RGB32).copy(background), image.copy(background));
    }

    void preview_data()
    {
        QTest::addColumn<int>("box");
        QTest::addColumn<int>("pattern");
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("warned");
        QTest::addRow("type 3, 4段3列") << 77 << 5 << 12 << false;
        QTest::addRow("type 3, 2段2列") << 77 << 0 << 4 << false;
        QTest::addRow("type 17, 2段2列: all four") << 13 << 0 << 4 << false;
        QTest::addRow("type 17, 3段2列: four of six") << 13 << 1 << 4 << true;
        QTest::addRow("type 17, 4段3列: four of twelve") << 13 << 5 << 4 << true;
    }

    void preview()
    {
        QFETCH(int, box);
        QFETCH(int, pattern);
        QFETCH(int, count);
        QFETCH(bool, warned);
        clickBox(box);
        choosePattern(pattern);
        typeInto("PrnNum", QStringLiteral("8"));
        click("btnPreview");
        const ProblemSheet& sheet = window->sheet();
        QCOMPARE(sheet.count, count);
        QCOMPARE(sheet.printNumber, 8);
        std::set<std::pair<std::string, std::string>> distinct;
        for (int i = 0; i < sheet.count; ++i)
            distinct.insert({sheet.dividends[static_cast<std::size_t>(i)], sheet.divisors[static_cast<std::size_t>(i)]});
        QCOMPARE(static_cast<int>(distinct.size()), count);
        QCOMPARE(messages.warnings.size(), warned ? 1 : 0);
        QCOMPARE(messages.beeps, warned ? 1 : 0);
        if (warned)
            QCOMPARE(messages.warnings.first(), QStringLiteral("今の条件では、指定された問題数が確保できません。"));
        QCOMPARE(window->previewBox()->pagesDrawn(), 1);
        QVERIFY(window->previewBox()->lastShowedAnswers());
        QVERIFY(!sheet.showAnswers);
        QVERIFY(sheet.previewMade);
        QVERIFY(control<QPushButton>("btnPrint")->isEnabled());
        QVERIFY(control<QPushButton>("btnPrintWithAns")->isEnabled());
    }

    void shortSheetIsNotDrawn_data()
    {
        QTest::addColumn<int>("placed");
        QTest::addColumn<bool>("earlierPreview");
        QTest::addRow("one problem") << 1 << false;
        QTest::addRow("three problems") << 3 << false;
        QTest::addRow("three problems after a preview") << 3 << true;
    }

    void shortSheetIsNotDrawn()
    {
        QFETCH(int, placed);
        QFETCH(bool, earlierPreview);
        if (earlierPreview) {
            previewType3(LayoutPattern::R2C2);
            QCOMPARE(window->sheet().count, 4);
        } else {
            clickBox(77);
            choosePattern(static_cast<int>(LayoutPattern::R2C2));
        }
        // A preview draws from the source its new seed gives: that source is scripted.
        ScriptedRandom script(giveUpScript(placed));
        ScriptedRandom* scripted = &script;
        window->setSourceForSeed([&script](std::uint64_t) {
            return std::make_unique<BudgetedRandom>(script, std::numeric_limits<long long>::max());
        });
        const int drawn = window->previewBox()->pagesDrawn();
        click("btnPreview");
        QVERIFY(scripted->exhausted());
        QCOMPARE(window->sheet().count, placed);
        QCOMPARE(messages.warnings, QStringList{QStringLiteral("今の条件では、指定された問題数が確保できません。")});
        QCOMPARE(messages.beeps, 1);
        QCOMPARE(window->previewBox()->pagesDrawn(), drawn);
        QCOMPARE(window->sheet().previewMade, earlierPreview);
        QCOMPARE(control<QPushButton>("btnPrint")->isEnabled(), earlierPreview);
        QCOMPARE(control<QPushButton>("btnPrintWithAns")->isEnabled(), earlierPreview);
        // A repaint after an earlier preview shows the short sheet (with answers).
        window->previewBox()->repaint();
        QCOMPARE(window->previewBox()->pagesDrawn(), earlierPreview ? drawn + 1 : drawn);
    }

    void printMakesOnePageAndRaisesTheNumber()
    {
        QTemporaryDir dir;
        previewType3(LayoutPattern::R4C3);
        const auto problems = window->sheet().dividends;
        const QString file = dir.filePath(QStringLiteral("sheet.pdf"));
        window->printer().setOutputFileName(file);
        click("btnPrint");
        QCOMPARE(messages.warnings, QStringList{});
        QCOMPARE(pdfPages(file), 1);
        QCOMPARE(control<QLineEdit>("PrnNum")->text(), QStringLiteral("2"));
        QCOMPARE(window->sheet().printNumber, 2);
        QCOMPARE(window->sheet().dividends, problems);  // printing never makes new problems
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("sheet-answers.pdf"))));
        click("btnPrint");
        QCOMPARE(control<QLineEdit>("PrnNum")->text(), QStringLiteral("3"));
    }

    // The answers' document holds the answer sheet, and the list of answers when it is asked for.
    void printWithAnswersKeepsBothDocuments_data()
    {
        QTest::addColumn<bool>("answerList");
        QTest::addRow("the answer sheet") << false;
        QTest::addRow("and the list of answers") << true;
    }

    void printWithAnswersKeepsBothDocuments()
    {
        QFETCH(bool, answerList);
        QTemporaryDir dir;
        DrillOptions drill = window->drillOptions();
        drill.marks.answerList = answerList;
        window->setDrillOptions(drill);
        previewType3(LayoutPattern::R2C3);
        typeInto("PrnNum", QStringLiteral("41"));
        const QString file = dir.filePath(QStringLiteral("sheet.pdf"));
        window->printer().setOutputFileName(file);
        click("btnPrintWithAns");
        QCOMPARE(messages.warnings, QStringList{});
        QCOMPARE(pdfPages(file), 1);
        QCOMPARE(pdfPages(dir.filePath(QStringLiteral("sheet-answers.pdf"))), answerList ? 2 : 1);
        QCOMPARE(window->printer().outputFileName(), file);
        QCOMPARE(control<QLineEdit>("PrnNum")->text(), QStringLiteral("42"));
        QVERIFY(!window->sheet().showAnswers);
    }

    // The status line says which files were printed, with the print number.
    void statusLineSaysWhatWasPrinted_data()
    {
        QTest::addColumn<bool>("answers");
        QTest::addRow("print") << false;
        QTest::addRow("print with answers") << true;
    }

    void statusLineSaysWhatWasPrinted()
    {
        QFETCH(bool, answers);
        QTemporaryDir dir;
        previewType3(LayoutPattern::R2C2);
        typeInto("PrnNum", QStringLiteral("41"));
        const QString file = dir.filePath(QStringLiteral("sheet.pdf"));
        window->printer().setOutputFileName(file);
        click(answers ? "btnPrintWithAns" : "btnPrint");
        const QString files = answers ? file + QStringLiteral(" と ") + dir.filePath(QStringLiteral("sheet-answers.pdf")) : file;
        QCOMPARE(control<QStatusBar>("statusLine")->currentMessage(),
                 QStringLiteral("印刷しました：%1（プリント番号 41）").arg(files));
    }

    void refusedPrintNumber_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("message");
        const QString notInteger = QStringLiteral("'abc' は正しい整数値ではありません。");
        QTest::addRow("preview, abc") << "abc" << "btnPreview" << notInteger;
        QTest::addRow("print, abc") << "abc" << "btnPrint" << notInteger;
        QTest::addRow("print with answers, abc") << "abc" << "btnPrintWithAns" << notInteger;
        QTest::addRow("print, empty") << "" << "btnPrint" << QStringLiteral("'' は正しい整数値ではありません。");
        QTest::addRow("print, beyond int")
            << "2147483648" << "btnPrint" << QStringLiteral("'2147483648' は正しい整数値ではありません。");
        QTest::addRow("print, no next number")
            << "2147483647" << "btnPrint" << printNumberLimitMessage(INT_MAX);
        QTest::addRow("print with answers, no next number")
            << "2147483647" << "btnPrintWithAns" << printNumberLimitMessage(INT_MAX);
    }

    void refusedPrintNumber()
    {
        QFETCH(QString, number);
        QFETCH(QString, command);
        QFETCH(QString, message);
        QTemporaryDir dir;
        previewType3(LayoutPattern::R2C2);
        const ProblemSheet before = window->sheet();
        const QString file = dir.filePath(QStringLiteral("sheet.pdf"));
        window->printer().setOutputFileName(file);
        auto* field = control<QLineEdit>("PrnNum");
        field->setText(number);
        const int drawn = window->previewBox()->pagesDrawn();
        click(command.toLatin1().constData());
        QCOMPARE(messages.warnings, QStringList{message});
        QCOMPARE(field->text(), number);
        QVERIFY(!QFile::exists(file));
        QCOMPARE(window->sheet().printNumber, before.printNumber);
        QCOMPARE(window->sheet().dividends, before.dividends);
        QCOMPARE(window->sheet().count, before.count);
        QCOMPARE(window->previewBox()->pagesDrawn(), drawn);
    }

    void printerErrorKeepsTheNumber_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addRow("print") << "btnPrint";
        QTest::addRow("print with answers") << "btnPrintWithAns";
    }

    void printerErrorKeepsTheNumber()
    {
        QFETCH(QString, command);
        QTemporaryDir dir;
        previewType3(LayoutPattern::R2C2);
        const QString file = dir.filePath(QStringLiteral("missing/sheet.pdf"));
        window->printer().setOutputFileName(file);
        click(command.toLatin1().constData());
        QCOMPARE(messages.warnings.size(), 1);
        QVERIFY(messages.warnings.first().contains(file));
        QCOMPARE(control<QLineEdit>("PrnNum")->text(), QStringLiteral("1"));
        QCOMPARE(window->sheet().printNumber, 1);
    }

    // A print to a file that cannot be written (a full disk) is said so in Japanese, leaves no
    // file and keeps the print number.
    void printToAFullDisk_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addRow("print") << "btnPrint";
        QTest::addRow("print with answers") << "btnPrintWithAns";
        QTest::addRow("class set printed") << "classSet";
    }

    void printToAFullDisk()
    {
        QFETCH(QString, command);
        QTemporaryDir dir;
        previewType3(LayoutPattern::R2C2);
        FileCalls full = systemFileCalls();
        full.rename = [](const char*, const char*) {
            errno = ENOSPC;
            return -1;
        };
        window->setFileCalls(full);
        const QString file = dir.filePath(QStringLiteral("print.pdf"));
        window->printer().setOutputFileName(file);
        if (command == "classSet")
            QVERIFY(!window->makeClassSet({{}, 2, AnswerSheets::AfterEach, true}));
        else
            click(command.toLatin1().constData());
        QCOMPARE(messages.warnings.size(), 1);
        QVERIFY2(messages.warnings.first().startsWith(QStringLiteral("ファイル「%1」").arg(file)), qPrintable(messages.warnings.first()));
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden), QStringList{});
        QCOMPARE(control<QLineEdit>("PrnNum")->text(), QStringLiteral("1"));
        QVERIFY(!control<QStatusBar>("statusLine")->currentMessage().startsWith(QStringLiteral("印刷しました")));
    }

    // The installed faces keep the digits in their squares in every language the user runs in
    // (the font database names them in Japanese in a Japanese locale): no warning at the start.
    void noFaceWarningAtTheStart()
    {
        window->warnOfFaces();
        QCOMPARE(messages.warnings, QStringList{});
    }

    void failedPrintLeavesThePrinterUsable()
    {
        QTemporaryDir dir;
        previewType3(LayoutPattern::R2C2);
        window->printer().setPrinterName(QString());  // no printer and no file chosen
        window->printer().setOutputFileName(QString());
        QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
        click("btnPrint");
        QCOMPARE(messages.warnings,
                 QStringList{QStringLiteral("プリンタが選ばれていません。「印刷設定」でプリンタかPDFファイルを選んでください。")});
        QCOMPARE(control<QLineEdit>("PrnNum")->text(), QStringLiteral("1"));
        const QString file = dir.filePath(QStringLiteral("sheet.pdf"));
        window->printer().setOutputFileName(file);
        click("btnPrint");
        QCOMPARE(messages.warnings.size(), 1);
        QCOMPARE(pdfPages(file), 1);
        QCOMPARE(control<QLineEdit>("PrnNum")->text(), QStringLiteral("2"));
    }

    // The answer sheet carries answers, and a file's page fills the paper (drawn at the
    // resolution its page size was worked out for).
    void printedFilesFillThePaper()
    {
        QTemporaryDir dir;
        previewType3(LayoutPattern::R4C3);
        const QString file = dir.filePath(QStringLiteral("sheet.pdf"));
        window->printer().setOutputFileName(file);
        click("btnPrintWithAns");
        const QImage questions = firstPageImage(file);
        const QImage answers = firstPageImage(dir.filePath(QStringLiteral("sheet-answers.pdf")));
        QVERIFY(!questions.isNull());
        QVERIFY(questions != answers);
        const QPointF extent = inkExtent(questions);
        QVERIFY2(extent.x() > 0.7 && extent.y() > 0.7, qPrintable(QStringLiteral("%1, %2").arg(extent.x()).arg(extent.y())));
    }

    // The large preview hands over a printer of its own resolution (1200 dpi here): its pages are
    // drawn at that resolution and fill the paper.
    void largePreviewFillsThePage()
    {
        QTemporaryDir dir;
        previewType3(LayoutPattern::R4C3);
        const QString file = dir.filePath(QStringLiteral("preview.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFileName(file);
        printer.setFullPage(true);
        QVERIFY(window->paintSheetAndAnswers(printer));
        const QPointF extent = inkExtent(firstPageImage(file));
        QVERIFY2(extent.x() > 0.7 && extent.y() > 0.7, qPrintable(QStringLiteral("%1, %2").arg(extent.x()).arg(extent.y())));
    }

    // Closing the large preview without printing it leaves the print number as it was.
    void largePreviewClosedKeepsTheNumber()
    {
        previewType3(LayoutPattern::R2C2);
        bool shown = false;
        QTimer::singleShot(0, window.get(), [this, &shown] {
            if (auto* dialog = window->findChild<QPrintPreviewDialog*>(QStringLiteral("LargePreview"))) {
                shown = true;
                dialog->reject();
            }
        });
        QTest::mouseDClick(window->previewBox(), Qt::LeftButton);
        QVERIFY(shown);
        QCOMPARE(control<QLineEdit>("PrnNum")->text(), QStringLiteral("1"));
    }

    // The large preview opens within the screen it opens on (the offscreen one is 800 by 600).
    void largePreviewFitsTheScreen()
    {
        previewType3(LayoutPattern::R2C2);
        QRect opened;
        QTimer::singleShot(0, window.get(), [this, &opened] {
            if (auto* dialog = window->findChild<QPrintPreviewDialog*>(QStringLiteral("LargePreview"))) {
                opened = dialog->geometry();
                dialog->reject();
            }
        });
        QTest::mouseDClick(window->previewBox(), Qt::LeftButton);
        QVERIFY(!opened.isEmpty());
        QVERIFY2(window->screen()->availableGeometry().contains(opened),
                 qPrintable(QStringLiteral("%1x%2 at %3,%4").arg(opened.width()).arg(opened.height()).arg(opened.x()).arg(opened.y())));
    }

    // Every document is printed with the copies, collation, colour and page order chosen in
    // 印刷設定, to the printer or to a file. (Qt keeps no duplex setting without a real printer.)
    void documentPrinterKeepsTheChosenSettings_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addRow("printer") << "";
        QTest::addRow("file") << "sheet.pdf";
    }

    void documentPrinterKeepsTheChosenSettings()
    {
        QFETCH(QString, file);
        QTemporaryDir dir;
        QPrinter& chosen = window->printer();
        chosen.setCopyCount(3);
        chosen.setCollateCopies(false);
        chosen.setColorMode(QPrinter::GrayScale);
        chosen.setPageOrder(QPrinter::LastPageFirst);
        const auto printer = window->documentPrinter(file.isEmpty() ? file : dir.filePath(file));
        QCOMPARE(printer->copyCount(), 3);
        QCOMPARE(printer->collateCopies(), false);
        QCOMPARE(printer->colorMode(), QPrinter::GrayScale);
        QCOMPARE(printer->pageOrder(), QPrinter::LastPageFirst);
    }

    // The preview's repaint shows the sheet with answers as the settings in the window ask,
    // covering the page's background.
    void previewFollowsTheSettings_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addRow("as started") << "";
        QTest::addRow("no frame") << "rgWaku";
        QTest::addRow("expression") << "QuestStyle";
        QTest::addRow("sentence") << "QstSentence";
        QTest::addRow("lines 4 pixels wide on the paper") << "sbLineWidth";
    }

    void previewFollowsTheSettings()
    {
        QFETCH(QString, change);
        RenderSettings expected;
        expected.pattern = LayoutPattern::R2C2;
        expected.marks.numbers = kDefaultNumberStyle;
        if (change == "rgWaku") {
            expected.frame = false;
            QTest::mouseClick(control<RadioGroup>("rgWaku")->button(1), Qt::LeftButton, {}, QPoint(6, 6));
        } else if (change == "QuestStyle") {
            expected.style = QuestionStyle::Expression;
            QTest::mouseClick(control<RadioGroup>("QuestStyle")->button(1), Qt::LeftButton, {}, QPoint(6, 6));
        } else if (change == "sbLineWidth") {
            control<QScrollBar>("sbLineWidth")->setValue(4);  // a twentieth of a preview's pixel
        } else if (change == "QstSentence") {
            expected.sentence = "わり算をしましょう";
            control<QLineEdit>("QstSentence")->setText(QStringLiteral("わり算をしましょう"));
        }
        previewType3(LayoutPattern::R2C2);
        const QImage shown = window->previewBox()->grab().toImage().convertToFormat(QImage::Format_RGB32);

        QImage page(320, 441, QImage::Format_RGB32);
        page.fill(Qt::magenta);
        {
            ProblemSheet sheet = window->sheet();
            sheet.showAnswers = true;
            QPainter painter(&page);
            QtSurface surface(painter);
            MakePrint(surface, 320, 441, sheet, expected);
        }
        const QRect background(0, 0, 319, 440);
        QCOMPARE(shown.copy(background), page.copy(background));
    }

    void classSet_data()
    {
        QTest::addColumn<int>("sheets");
        QTest::addColumn<int>("answers");
        QTest::addColumn<QList<int>>("numbers");  // the print number of each page
        QTest::addRow("one sheet") << 1 << int(AnswerSheets::None) << QList<int>{5};
        QTest::addRow("answers after each") << 2 << int(AnswerSheets::AfterEach) << QList<int>{5, 5, 6, 6};
        QTest::addRow("answers at the end") << 3 << int(AnswerSheets::AtEnd) << QList<int>{5, 6, 7, 5, 6, 7};
    }

    void classSet()
    {
        QFETCH(int, sheets);
        QFETCH(int, answers);
        QFETCH(QList<int>, numbers);
        QTemporaryDir dir;
        previewType3(LayoutPattern::R2C2);
        QVERIFY(control<QPushButton>("btnSavePdf")->isEnabled());
        typeInto("PrnNum", QStringLiteral("5"));
        const ProblemSheet previewed = window->sheet();
        const QString file = dir.filePath(QStringLiteral("set.pdf"));
        QVERIFY(window->makeClassSet({file, sheets, static_cast<AnswerSheets>(answers), false}));
        QCOMPARE(messages.warnings, QStringList{});
        QCOMPARE(printNumbersOfPages(file), numbers);
        QCOMPARE(control<QLineEdit>("PrnNum")->text(), QString::number(5 + sheets));
        // The previewed sheet is handed out: the preview moves on to the first of a new set.
        QVERIFY(window->sheet().origin->recipe.seed != previewed.origin->recipe.seed);
        QCOMPARE(window->sheet().origin->index, 0);
        const QString made = sheets == 1 ? QStringLiteral("5") : QStringLiteral("5〜%1、%2枚").arg(4 + sheets).arg(sheets);
        QCOMPARE(control<QStatusBar>("statusLine")->currentMessage(),
                 QStringLiteral("保存しました：%1（プリント番号 %2）　プレビューは次の新しい問題です。").arg(file, made));
    }

    // The dialog's choice of answer sheets, by its caption, is the request's.
    void classSetDialogAnswerChoices_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("answers");
        QTest::addRow("none") << "なし" << int(AnswerSheets::None);
        QTest::addRow("after each sheet") << "各問題用紙の後" << int(AnswerSheets::AfterEach);
        QTest::addRow("all at the end") << "最後にまとめて" << int(AnswerSheets::AtEnd);
    }

    void classSetDialogAnswerChoices()
    {
        QFETCH(QString, caption);
        QFETCH(int, answers);
        ClassSetDialog dialog(1, window.get());
        auto* choices = dialog.findChild<QComboBox*>(QStringLiteral("cbAnswers"));
        QVERIFY(choices);
        choices->setCurrentIndex(choices->findText(caption));
        QCOMPARE(int(dialog.request().answers), answers);
    }

    // A class set goes on from the previewed sheet: each page carries the code of the sheet after
    // it in the preview's set, with the same mix as asked, its answer page the same code.
    void classSetCarriesItsCodes_data()
    {
        QTest::addColumn<bool>("sameMix");
        QTest::addRow("each sheet drawn afresh") << false;
        QTest::addRow("the same mix on every sheet") << true;
    }

    void classSetCarriesItsCodes()
    {
        QFETCH(bool, sameMix);
        QTemporaryDir dir;
        previewType3(LayoutPattern::R2C3);
        typeInto("PrnNum", QStringLiteral("5"));
        QVERIFY(window->sheet().origin);
        SetRecipe recipe = window->sheet().origin->recipe;
        QCOMPARE(recipe.types, std::vector<int>{3});
        recipe.sameMix = sameMix;
        const QString file = dir.filePath(QStringLiteral("set.pdf"));
        ClassSetRequest request{file, 3, AnswerSheets::AfterEach, false};
        request.sameMix = sameMix;
        QVERIFY(window->makeClassSet(request));
        const SheetMarks marks{kDefaultNumberStyle, false, false, false};
        const QList<SheetCode> expected{{{recipe, 0}, 5, marks}, {{recipe, 0}, 5, marks}, {{recipe, 1}, 6, marks},
                                        {{recipe, 1}, 6, marks}, {{recipe, 2}, 7, marks}, {{recipe, 2}, 7, marks}};
        QVERIFY(codesOfPages(file) == expected);
    }

    // A second set has new problems: no sheet of the first again, and the numbers go on; the
    // same set again, when asked, is the first set's sheets with their numbers.
    void nextClassSetHasNewProblems_data()
    {
        QTest::addColumn<bool>("sameSet");
        QTest::addRow("a new set") << false;
        QTest::addRow("the same set again") << true;
    }

    void nextClassSetHasNewProblems()
    {
        QFETCH(bool, sameSet);
        QTemporaryDir dir;
        previewType3(LayoutPattern::R2C3);
        typeInto("PrnNum", QStringLiteral("5"));
        const QString first = dir.filePath(QStringLiteral("first.pdf"));
        const QString second = dir.filePath(QStringLiteral("second.pdf"));
        QVERIFY(window->makeClassSet({first, 3, AnswerSheets::None, false}));
        ClassSetRequest request{second, 3, AnswerSheets::None, false};
        request.sameSet = sameSet;
        QVERIFY(window->makeClassSet(request));
        const QList<SheetCode> before = codesOfPages(first);
        const QList<SheetCode> after = codesOfPages(second);
        QCOMPARE(after.size(), 3);
        if (sameSet) {
            QVERIFY(after == before);
            QCOMPARE(control<QLineEdit>("PrnNum")->text(), QStringLiteral("8"));
        } else {
            for (const SheetCode& code : after)
                for (const SheetCode& earlier : before)
                    QVERIFY(!(code.origin == earlier.origin));
            QCOMPARE(printNumbersOfPages(second), (QList<int>{8, 9, 10}));
        }
    }

    // A sheet made from its code prints with its own number; the window's next number stays.
    void codeKeepsTheRunningNumber()
    {
        QTemporaryDir dir;
        typeInto("PrnNum", QStringLiteral("1069"));
        const SetRecipe recipe{8, {12}, LayoutPattern::R2C2, false};
        QVERIFY(window->makeFromCode(QString::fromStdString(encodeSheetCode({{recipe, 0}, 5}))));
        const QString file = dir.filePath(QStringLiteral("again.pdf"));
        window->printer().setOutputFileName(file);
        click("btnPrint");
        QCOMPARE(printNumbersOfPages(file), QList<int>{5});
        QCOMPARE(control<QLineEdit>("PrnNum")->text(), QStringLiteral("1069"));
        click("btnPreview");
        QCOMPARE(window->sheet().printNumber, 1069);
    }

    // A layout other than the preview's stops printing until プレビュー makes its problems.
    void layoutChangeAsksForAPreview()
    {
        previewType3(LayoutPattern::R4C3);
        choosePattern(static_cast<int>(LayoutPattern::R2C2));
        for (const char* command : {"btnPrint", "btnPrintWithAns", "btnSavePdf"})
            QVERIFY2(!control<QPushButton>(command)->isEnabled(), command);
        QVERIFY(!window->makeClassSet({QDir::temp().filePath(QStringLiteral("never.pdf")), 1, AnswerSheets::None, false}));
        click("btnPreview");
        QCOMPARE(window->sheet().count, 4);
        for (const char* command : {"btnPrint", "btnPrintWithAns", "btnSavePdf"})
            QVERIFY2(control<QPushButton>(command)->isEnabled(), command);
    }

    // The sheet a code names becomes the preview, with the types, layout and print number it was
    // made with; a class set from it goes on in its set, with the mix it was made with.
    void sheetMadeFromItsCode()
    {
        const SetRecipe recipe{31, {24, 3, 17, 12}, LayoutPattern::R3C3, true};
        const QString code = QString::fromStdString(encodeSheetCode({{recipe, 2}, 14}));
        QVERIFY(window->makeFromCode(code.toLower()));
        QCOMPARE(messages.warnings, QStringList{});
        const ProblemSheet expected = sheetOfSet(recipe, 2, 14);
        QCOMPARE(window->sheet().count, 9);
        QCOMPARE(window->sheet().dividends, expected.dividends);
        QCOMPARE(window->sheet().divisors, expected.divisors);
        QVERIFY(window->sheet().origin == expected.origin);
        QCOMPARE(window->sheet().printNumber, 14);
        QCOMPARE(control<QLineEdit>("PrnNum")->text(), QStringLiteral("1"));
        QCOMPARE(control<RadioGroup>("QNumPattern")->itemIndex(), 4);
        QCOMPARE(window->selectedTypes().types(), recipe.types);
        QVERIFY(window->previewBox()->lastShowedAnswers());
        QVERIFY(control<QPushButton>("btnPrintWithAns")->isEnabled());

        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("again.pdf"));
        QVERIFY(window->makeClassSet({file, 2, AnswerSheets::None, false}));  // same mix not asked
        QVERIFY(codesOfPages(file) == (QList<SheetCode>{{{recipe, 2}, 14}, {{recipe, 3}, 15}}));
    }

    // A code that cannot be used is said so, and nothing changes.
    void codeRefused_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::addRow("mistyped") << "6RF8-P0B2-JY"
                                  << "コード「6RF8-P0B2-JY」は正しくありません。打ち間違いや抜けている文字がないか確かめてください。";
        QTest::addRow("a character no code has") << "6RF8-P0B2-JU"
                                                 << "「U」はコードに使われない文字です。用紙の下のコードを確かめてください。";
        QTest::addRow("nothing") << " " << "コードを入れてください。";
    }

    void codeRefused()
    {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        previewType3(LayoutPattern::R2C2);
        const ProblemSheet before = window->sheet();
        QVERIFY(!window->makeFromCode(typed));
        QCOMPARE(messages.warnings, QStringList{message});
        QCOMPARE(window->sheet().dividends, before.dividends);
        QVERIFY(window->sheet().origin == before.origin);
        QCOMPARE(window->selectedTypes().types(), std::vector<int>{3});
    }

    // "コードから作る…" asks for the code again after a refused one, and makes the sheet of a good one.
    void codeDialog()
    {
        const SetRecipe recipe{8, {12}, LayoutPattern::R2C2, false};
        const QString good = QString::fromStdString(encodeSheetCode({{recipe, 0}, 3}));
        QStringList typed{QStringLiteral("6RF8-P0B2-JY"), good};
        std::function<void()> answer = [&] {
            auto* dialog = window->findChild<CodeDialog*>();
            if (!dialog || !dialog->isVisible()) {
                QTimer::singleShot(10, window.get(), answer);
                return;
            }
            auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("edtCode"));
            edit->setText(typed.takeFirst());
            dialog->accept();
            if (!typed.isEmpty())
                QTimer::singleShot(10, window.get(), answer);
        };
        QTimer::singleShot(0, window.get(), answer);
        click("btnCode");
        QCOMPARE(typed, QStringList{});
        QCOMPARE(messages.warnings.size(), 1);
        QVERIFY(window->sheet().origin == (std::optional<SheetOrigin>{{recipe, 0}}));
        QCOMPARE(window->sheet().printNumber, 3);
    }

    void classSetLeavesNothingWhenStopped_data()
    {
        QTest::addColumn<QString>("stop");
        QTest::addRow("cancelled") << "cancel";
        QTest::addRow("a folder of that name") << "folder";
        QTest::addRow("the folder cannot be made") << "blocked";
    }

    // A set that is cancelled or cannot be written leaves nothing and keeps the print number; a
    // failure is told in Japanese, naming the file, once the progress dialog has gone.
    void classSetLeavesNothingWhenStopped()
    {
        QFETCH(QString, stop);
        QTemporaryDir dir;
        QTemporaryFile blocker;  // a file where the folder would have to be
        QVERIFY(blocker.open());
        previewType3(LayoutPattern::R2C2);
        QTemporaryDir earlier;
        QVERIFY(window->makeClassSet({earlier.filePath(QStringLiteral("made.pdf")), 1, AnswerSheets::None, false}));
        QString file = dir.filePath(QStringLiteral("set.pdf"));
        QStringList left;
        if (stop == "cancel") {
            QTimer::singleShot(0, window.get(), [this] {
                if (auto* progress = window->findChild<QProgressDialog*>())
                    progress->cancel();
            });
        } else if (stop == "folder") {
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("set.pdf")));
            left << QStringLiteral("set.pdf");
        } else {
            file = blocker.fileName() + QStringLiteral("/set.pdf");
        }
        QVERIFY(!window->makeClassSet({file, 30, AnswerSheets::None, false}));
        QCOMPARE(messages.warnings.size(), stop == "cancel" ? 0 : 1);
        if (stop != "cancel") {
            QVERIFY2(messages.warnings.first().startsWith(QStringLiteral("PDFファイル「%1」を保存できませんでした。").arg(file)),
                     qPrintable(messages.warnings.first()));
            QVERIFY(!messages.progressOpenAtWarning);
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), left);
        QCOMPARE(control<QLineEdit>("PrnNum")->text(), QStringLiteral("2"));
        QVERIFY(!control<QStatusBar>("statusLine")->currentMessage().startsWith(QStringLiteral("保存しました")));
    }

    // A missing folder of the chosen file is made; the suggested file lies in the documents
    // folder, or in the home folder when there is none.
    void classSetFindsAFolder()
    {
        QTemporaryDir home;
        previewType3(LayoutPattern::R2C2);
        const QString file = home.filePath(QStringLiteral("new/class/set.pdf"));
        QVERIFY(window->makeClassSet({file, 1, AnswerSheets::None, false}));
        QCOMPARE(pdfPages(file), 1);

        const QByteArray oldHome = qgetenv("HOME");
        const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", QFile::encodeName(home.path()));
        qunsetenv("XDG_CONFIG_HOME");
        const QString bare = ClassSetDialog::defaultFileName(3);
        QDir(home.path()).mkdir(QStringLiteral("Documents"));
        const QString withDocuments = ClassSetDialog::defaultFileName(3);
        qputenv("HOME", oldHome);
        if (!oldConfig.isEmpty())
            qputenv("XDG_CONFIG_HOME", oldConfig);
        QCOMPARE(bare, home.filePath(QStringLiteral("わり算_No3.pdf")));
        QCOMPARE(withDocuments, home.filePath(QStringLiteral("Documents/わり算_No3.pdf")));
    }

    // After a set that could not be saved, PDF保存… opens again with every choice as it was.
    void classSetDialogReopensAfterAFailure()
    {
        QTemporaryDir dir;
        previewType3(LayoutPattern::R2C2);
        const QString file = dir.filePath(QStringLiteral("taken"));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("taken")));
        const ClassSetRequest asked{file, 3, AnswerSheets::AtEnd, false};
        QList<ClassSetRequest> shown;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* dialog = qobject_cast<ClassSetDialog*>(QApplication::activeModalWidget());
            if (!dialog || dialog->property("seen").toBool() || !dialog->isVisible())
                return;
            dialog->setProperty("seen", true);
            if (shown.isEmpty()) {
                dialog->setRequest(asked);
                shown << asked;
                dialog->accept();
            } else {
                shown << dialog->request();
                dialog->reject();
            }
        });
        poll.start(10);
        click("btnSavePdf");
        poll.stop();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(messages.warnings.size(), 1);
        const ClassSetRequest again = shown[1];
        QCOMPARE(again.fileName, asked.fileName);
        QCOMPARE(again.sheets, asked.sheets);
        QCOMPARE(int(again.answers), int(asked.answers));
        QCOMPARE(again.print, asked.print);
    }

    // "仮商を答えに書く" is one setting: the window's box redraws the preview with it, the class-set
    // dialog shows it, and what the dialog chose is the window's setting afterwards.
    void tentativeIsOneSetting()
    {
        QTemporaryDir dir;
        clickBox(boxNumberOfType(51));
        click("btnPreview");
        PreviewBox* box = window->previewBox();
        const QImage without = box->grab().toImage();
        const int drawn = box->pagesDrawn();
        QTest::mouseClick(control<QCheckBox>("chkTentative"), Qt::LeftButton, {}, QPoint(6, 9));
        QVERIFY(window->renderSettings().tentative);
        QTRY_VERIFY(box->pagesDrawn() > drawn);
        QVERIFY(box->grab().toImage() != without);

        const QString file = dir.filePath(QStringLiteral("set.pdf"));
        bool shown = false;
        QTimer::singleShot(0, window.get(), [&] {
            auto* dialog = window->findChild<ClassSetDialog*>();
            QVERIFY(dialog);
            auto* tentative = dialog->findChild<QCheckBox*>(QStringLiteral("chkTentative"));
            shown = tentative->isChecked();
            tentative->setChecked(false);
            dialog->findChild<QLineEdit*>(QStringLiteral("edtFileName"))->setText(file);
            dialog->accept();
        });
        click("btnSavePdf");
        QVERIFY(shown);
        QVERIFY(!control<QCheckBox>("chkTentative")->isChecked());
        QVERIFY(QFile::exists(file));
    }

    // The settings, the ticked types in their order and the print number (raised by printing)
    // come back when the window is started again.
    void settingsKeptBetweenRuns()
    {
        freshSettings();
        QTemporaryDir dir;
        restart();
        const QString file = dir.filePath(QStringLiteral("sheet.pdf"));
        window->printer().setOutputFileName(file);
        window->printer().setPageSize(QPageSize(QPageSize::JisB5));
        for (int box : {26, 75, 77})  // types 30, 1, 3
            clickBox(box);
        choosePattern(5);
        QTest::mouseClick(control<RadioGroup>("rgWaku")->button(1), Qt::LeftButton, {}, QPoint(6, 6));
        QTest::mouseClick(control<RadioGroup>("QuestStyle")->button(1), Qt::LeftButton, {}, QPoint(6, 6));
        typeInto("edtLeftMargin", QStringLiteral("30"));
        control<QScrollBar>("sbLineWidth")->setValue(3);
        control<QLineEdit>("QstSentence")->setText(QStringLiteral("わり算"));
        control<QCheckBox>("chkTentative")->setChecked(true);
        QVERIFY(control<QCheckBox>("chkMarks")->isChecked());
        control<QCheckBox>("chkMarks")->setChecked(false);
        typeInto("PrnNum", QStringLiteral("41"));
        click("btnPreview");
        click("btnPrint");
        QCOMPARE(pdfPages(file), 1);

        restart();
        QStringList ticked;
        for (const std::string& e : window->selectedTypes().entries())
            ticked << QString::fromStdString(e);
        QCOMPARE(ticked, (QStringList{"30", "1", "3"}));
        const RenderSettings s = window->renderSettings();
        QCOMPARE(s.pattern, LayoutPattern::R4C3);
        QVERIFY(!s.frame);
        QCOMPARE(s.style, QuestionStyle::Expression);
        QCOMPARE(s.leftMargin, 30);
        QCOMPARE(s.lineWidth, 3);
        QCOMPARE(QString::fromStdString(s.sentence), QStringLiteral("わり算"));
        QVERIFY(s.tentative);
        QVERIFY(!s.registrationMarks);
        QCOMPARE(control<QLineEdit>("PrnNum")->text(), QStringLiteral("42"));
        QCOMPARE(window->printer().outputFileName(), file);
        QCOMPARE(window->printer().pageLayout().pageSize().id(), QPageSize::JisB5);
    }

    // PDF保存… opens with the folder, the sheet count and the answer sheets of the last set, after
    // a restart too.
    void classSetChoicesKeptBetweenRuns()
    {
        freshSettings();
        restart();
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("class"));
        QList<ClassSetRequest> shown;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* dialog = qobject_cast<ClassSetDialog*>(QApplication::activeModalWidget());
            if (!dialog || dialog->property("seen").toBool() || !dialog->isVisible())
                return;
            dialog->setProperty("seen", true);
            shown << dialog->request();
            if (shown.size() == 1) {
                dialog->setRequest({QDir(folder).filePath(QStringLiteral("a.pdf")), 2, AnswerSheets::AtEnd, false});
                dialog->accept();
            } else {
                dialog->reject();
            }
        });
        poll.start(10);
        previewType3(LayoutPattern::R2C2);
        click("btnSavePdf");
        restart();
        click("btnPreview");  // type 3 and the layout are kept
        click("btnSavePdf");
        poll.stop();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(QFileInfo(shown[1].fileName).absolutePath(), folder);
        QCOMPARE(QFileInfo(shown[1].fileName).fileName(), QStringLiteral("わり算_No3.pdf"));
        QCOMPARE(shown[1].sheets, 2);
        QCOMPARE(int(shown[1].answers), int(AnswerSheets::AtEnd));
    }

    // A settings file that is damaged or holds foreign values changes nothing it cannot be read as.
    void damagedSettingsAreIgnored_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QStringList>("ticked");
        QTest::addRow("not text") << QByteArray("\xff\xfe[General\0]\n\x01\x02=\n[\n=\n@Variant(\\0\\x7f)", 24)
                                  << QStringList{};
        QTest::addRow("foreign values")
            << QByteArray("[window]\nlayout=9\nframe=@Rect(1 2 3 4)\nstyle=-1\nmargin=abc\nlineWidth=99\n"
                          "sentence=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x12\\xff\\xff)\n"
                          "printNumber=99999999999\ntypes=0, 79, x, 3, 3, 1e2\n[printer]\nname=@ByteArray(\\0)\npaper=1000\n")
            << QStringList{"3"};
    }

    void damagedSettingsAreIgnored()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QStringList, ticked);
        const QString path = freshSettings();
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(contents);
        file.close();
        restart();
        QStringList entries;
        for (const std::string& e : window->selectedTypes().entries())
            entries << QString::fromStdString(e);
        QCOMPARE(entries, ticked);
        const RenderSettings s = window->renderSettings();
        const RenderSettings defaults;
        QCOMPARE(s.pattern, defaults.pattern);
        QCOMPARE(s.frame, defaults.frame);
        QCOMPARE(s.style, defaults.style);
        QCOMPARE(s.leftMargin, defaults.leftMargin);
        QCOMPARE(s.lineWidth, defaults.lineWidth);
        QCOMPARE(s.sentence, defaults.sentence);
        QCOMPARE(control<QLineEdit>("PrnNum")->text(), QStringLiteral("1"));
        QCOMPARE(window->printer().pageLayout().pageSize().id(), QPrinter().pageLayout().pageSize().id());
    }

    void captionsFitTheirControls()
    {
        const auto fits = [](QWidget* w, int needed) {
            return QStringLiteral("%1 '%2': %3 > %4")
                .arg(w->objectName(), w->property("text").toString())
                .arg(needed)
                .arg(w->width());
        };
        for (QWidget* w : window->findChildren<QWidget*>()) {
            const QFontMetrics fm(w->font());
            int needed = 0;
            if (auto* l = qobject_cast<QLabel*>(w); l && !l->wordWrap() && l->pixmap().isNull())
                for (const QString& line : l->text().split(u'\n'))
                    needed = std::max(needed, fm.horizontalAdvance(line));
            else if (qobject_cast<QRadioButton*>(w) || qobject_cast<QCheckBox*>(w))
                needed = w->sizeHint().width();
            else if (auto* b = qobject_cast<QPushButton*>(w))  // the text and the glyph, a bevel's breadth inside
                needed = fm.horizontalAdvance(b->text()) + (b->icon().isNull() ? 0 : b->iconSize().width() + 4) + 4;
            QVERIFY2(needed <= w->width(), qPrintable(fits(w, needed)));
        }
        // The print number box shows the largest print number whole.
        auto* number = control<QLineEdit>("PrnNum");
        const QMargins m = number->textMargins();
        const int frame = number->hasFrame() ? 2 * number->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) : 0;
        QVERIFY(QFontMetrics(number->font()).horizontalAdvance(QString::number(INT_MAX)) <=
                number->width() - frame - 4 - m.left() - m.right());  // 2 pixels inside each side
        // All nine tabs stand in the tab row.
        QTabBar* tabs = control<QTabWidget>("PageControl1")->tabBar();
        for (int i = 0; i < tabs->count(); ++i)
            QVERIFY2(tabs->rect().contains(tabs->tabRect(i)), qPrintable(tabs->tabText(i)));
    }

    void controlsStandWhereDesigned_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("bounds");
        QTest::addRow("QstSentence") << "QstSentence" << QRect(64, 93, 345, 23);
        QTest::addRow("PageControl1") << "PageControl1" << QRect(16, 160, 394, 338);
        QTest::addRow("QNumPattern") << "QNumPattern" << QRect(16, 504, 156, 75);
        QTest::addRow("sbLeftMargin") << "sbLeftMargin" << QRect(194, 526, 58, 12);
        QTest::addRow("PrnNum") << "PrnNum" << QRect(256, 518, 54, 22);
        QTest::addRow("PaintBox1") << "PaintBox1" << QRect(440, 32, 320, 441);
        QTest::addRow("btnPrintWithAns") << "btnPrintWithAns" << QRect(631, 525, 129, 25);
        QTest::addRow("btnClose") << "btnClose" << QRect(631, 558, 129, 25);
        QTest::addRow("btnSavePdf") << "btnSavePdf" << QRect(473, 558, 129, 25);
        QTest::addRow("CheckBox1, page 1") << "CheckBox1" << QRect(328, 32, 44, 17);
        QTest::addRow("CheckBox66, page 8") << "CheckBox66" << QRect(108, 172, 44, 17);
        QTest::addRow("CheckBox74, page 9") << "CheckBox74" << QRect(260, 176, 44, 17);
        QTest::addRow("CheckBox78, page 1") << "CheckBox78" << QRect(256, 32, 44, 17);
    }

    void controlsStandWhereDesigned()
    {
        QFETCH(QString, name);
        QFETCH(QRect, bounds);
        QWidget* w = window->findChild<QWidget*>(name);
        QVERIFY(w);
        QCOMPARE(w->geometry(), bounds);
    }

    void windowDefaults()
    {
        QCOMPARE(window->windowTitle(), QStringLiteral("Pelkano"));
        QCOMPARE(window->size(), QSize(779, 616));  // the design's 594 and the status line
        QCOMPARE(window->minimumSize(), window->maximumSize());
        const RenderSettings s = window->renderSettings();
        QCOMPARE(s.pattern, LayoutPattern::R2C3);
        QCOMPARE(s.leftMargin, 15);
        QCOMPARE(s.lineWidth, 1);
        QVERIFY(s.frame);
        QCOMPARE(s.style, QuestionStyle::Written);
        QCOMPARE(QString::fromStdString(s.sentence), QStringLiteral("つぎの計算をしましょう"));
        QCOMPARE(window->sheet().printNumber, 1);
        QCOMPARE(window->sheet().count, 0);
        for (const char* name : {"btnPreview", "btnPrint", "btnPrintWithAns", "btnClear"})
            QVERIFY2(!control<QPushButton>(name)->isEnabled(), name);
        QVERIFY(control<QLineEdit>("edLineW")->isReadOnly());
        QCOMPARE(control<QTabWidget>("PageControl1")->count(), 9);
        QCOMPARE(control<QTabWidget>("PageControl1")->currentIndex(), 0);
        QCOMPARE(control<QTabWidget>("PageControl1")->tabText(8), QStringLiteral("型分け⑨"));
        for (const char* name : {"btnPreview", "btnMaintenance", "btnPrint", "btnPrintWithAns", "btnClose"})
            QVERIFY2(!control<QPushButton>(name)->icon().isNull(), name);
        QVERIFY(control<QPushButton>("btnClear")->icon().isNull());
        // Nothing is drawn before the first preview.
        window->previewBox()->repaint();
        QCOMPARE(window->previewBox()->pagesDrawn(), 0);
    }

    void typePicturesAreLoaded()
    {
        for (int k = 1; k <= 9; ++k) {
            const QPixmap picture(QStringLiteral(":/pictures/page%1.jpg").arg(k));
            QVERIFY2(!picture.isNull(), qPrintable(QString::number(k)));
            QCOMPARE(picture.width(), 376);
        }
    }

    void strToInt_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("value");
        QTest::addRow("plain") << "15" << true << 15;
        QTest::addRow("signed") << "-3" << true << -3;
        QTest::addRow("plus") << "+7" << true << 7;
        QTest::addRow("blanks around") << " 12 " << true << 12;
        QTest::addRow("largest") << "2147483647" << true << INT_MAX;
        QTest::addRow("smallest") << "-2147483648" << true << INT_MIN;
        QTest::addRow("one past largest") << "2147483648" << false << 0;
        QTest::addRow("one past smallest") << "-2147483649" << false << 0;
        QTest::addRow("empty") << "" << false << 0;
        QTest::addRow("sign alone") << "-" << false << 0;
        QTest::addRow("hexadecimal") << "0x1F" << false << 0;
        QTest::addRow("fraction") << "1.5" << false << 0;
        QTest::addRow("full-width digits") << "１２" << true << 12;
        QTest::addRow("full-width sign and digits") << "－３０" << true << -30;
        QTest::addRow("inner blank") << "1 2" << false << 0;
    }

    void strToInt()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(int, value);
        const std::optional<int> got = StrToInt(text);
        QCOMPARE(got.has_value(), ok);
        if (ok)
            QCOMPARE(*got, value);
    }

    void answersFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("answers");
        QTest::addRow("pdf") << "/tmp/w.pdf" << "/tmp/w-answers.pdf";
        QTest::addRow("no extension") << "/tmp/w" << "/tmp/w-answers";
        QTest::addRow("dot in a directory") << "/tmp/a.b/w" << "/tmp/a.b/w-answers";
        QTest::addRow("two dots") << "out/w.1.pdf" << "out/w.1-answers.pdf";
        QTest::addRow("bare name") << "w.ps" << "w-answers.ps";
    }

    void answersFile()
    {
        QFETCH(QString, file);
        QFETCH(QString, answers);
        QCOMPARE(answersFileName(file), answers);
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
