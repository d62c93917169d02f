#pragma once
// The main window: every control, the settings that shape a sheet, the table of the 78 type
// check boxes, the number tables, and the commands (preview, print, print with answers, printer
// setup, clear all, close). The values that outlive an event (the sheet, the left margin, the top
// offset, the print number inside the sheet) are members passed down to drawing explicitly.
#include "ClassSetDialog.h"
#include "DrillDialog.h"
#include "Messages.h"
#include "NumberTable.h"
#include "PageOutput.h"
#include "Random.h"
#include "RenderSettings.h"
#include "Sheet.h"

#include <QPrinter>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QComboBox;
class QSettings;
class QStatusBar;
class QTabWidget;

namespace pelkano {

class PreviewBox;
class RadioGroup;

class Fmain final : public QWidget {
    Q_OBJECT
public:
    // The window's own random source: each preview takes a new seed from it, and the practice
    // draws its problems from it. A null source means the program's own: seeded from the clock.
    explicit Fmain(std::unique_ptr<RandomSource> random = nullptr, QWidget* parent = nullptr);
    ~Fmain() override;

    // Keeps the settings between runs (QSettings, as the application names them): reads them now
    // and writes every change from now on. Without this call the window reads and writes none.
    void keepSettings();

    // Replaces the random source (tests script it).
    void setRandomSource(std::unique_ptr<RandomSource> random);
    // The source a sheet's seed gives: a SeededRandom of that seed, so that the code on the sheet
    // makes it again. Tests script it; null restores the SeededRandom.
    using SourceForSeed = std::function<std::unique_ptr<RandomSource>(std::uint64_t seed)>;
    void setSourceForSeed(SourceForSeed source);
    // Where warnings and the beep go; null restores the message boxes. Not owned.
    void setMessages(Messages* messages);

    // The settings chosen in 印刷設定. Each document is printed on a printer of its own made from
    // them, so a failed document leaves nothing behind that blocks the next.
    QPrinter& printer() { return printer_; }
    // A printer for one document, made from the chosen settings (printer, paper, copies, duplex,
    // collation, colour, page order); `fileName` replaces the file of a print to file.
    std::unique_ptr<QPrinter> documentPrinter(const QString& fileName) const;
    const ProblemSheet& sheet() const { return sheet_; }
    const SelectedTypes& selectedTypes() const { return selected_; }
    int leftMargin() const { return leftMargin_; }
    // The settings as drawing reads them now.
    RenderSettings renderSettings() const;
    QCheckBox* typeBox(int number) const;  // CheckBox1 .. CheckBox78
    // Only these types ticked, in this order.
    void tickOnly(const std::vector<int>& types);
    PreviewBox* previewBox() const { return PaintBox1; }

    // Event handlers.
    void QPClick(QCheckBox* box);
    void btnClearClick();
    void edtLeftMarginChange();
    void sbLeftMarginChange();
    void sbLineWidthChange();
    void edLineWChange();
    void settingChanged();
    void btnPreviewClick();
    void btnPrintClick();
    void btnPrintWithAnsClick();
    void btnMaintenanceClick();
    void btnPracticeClick();
    bool PaintBox1Paint(QPainter& painter);
    void btnSavePdfClick();
    void PaintBox1DblClick();
    void btnCodeClick();
    void btnDrillClick();
    // What the sheets have besides their types and layout (プリントの内容…); a preview is made again
    // from its seed when its problems change with them.
    const DrillOptions& drillOptions() const { return drill_; }
    void setDrillOptions(const DrillOptions& options);

    // Says what to install when the faces installed cannot keep the figures' digits in their squares.
    void warnOfFaces();

    // Makes again, as the preview, the sheet whose code is typed, with the window's types, layout
    // and print number set as they were; false (after the message) for a code that cannot be used.
    bool makeFromCode(const QString& typed);
    // Builds the class set of the request from the last preview and writes or prints it; the
    // print number is raised by the number of sheets when everything was written. False when
    // refused, cancelled or failed (after its message, if any).
    bool makeClassSet(const ClassSetRequest& request);
    // Draws the last previewed sheet and its answer sheet as two pages, as the large preview
    // shows and prints them. False (after the message) when the printer refused it.
    bool paintSheetAndAnswers(QPrinter& printer);
    // Prints `count` pages drawn by `paint` (a practice's results) as the worksheets are printed.
    // False (after the message) when the printer refused them.
    bool printDrawnPages(QPrinter& printer, int count, const PagePainter& paint, const PageProgress& progress = {});
    // The calls that put written files in place (FileSet); tests hand in failing ones.
    void setFileCalls(FileCalls calls) { fileCalls_ = std::move(calls); }

private:
    void buildControls();
    void buildTypePages();
    void FormCreate();
    void connectHandlers();

    Messages& messages() { return *messages_; }
    void drawPreview(QPainter& painter, bool showAnswers);
    std::optional<int> readPrintNumber();
    // The PDF file chosen in the printer setup, or empty when a printer was chosen.
    QString chosenFile() const;
    // Prints the pages as one document; false (after the message) when it failed or was cancelled.
    bool printPages(QPrinter& printer, const PageList& pages, const PageProgress& progress = {});
    // The same without the message. A print to a PDF file is written whole or not at all, as
    // every file of the program; a cancelled one leaves no file.
    PaintOutcome paintDocument(QPrinter& printer, int count, const PagePainter& paint, const PageProgress& progress);
    static QString printFailure(const QPrinter& printer, PaintOutcome outcome);
    enum class SetOutcome { Made, Refused, Cancelled, Failed };  // Failed: could not write or print
    SetOutcome buildClassSet(const ClassSetRequest& request);
    // Runs a build of sheets on the random source and the window's tables, with the warning (and
    // the beep) when a sheet could not be filled; false (after the message) when the generator failed.
    bool generate(RandomSource& random, const std::function<bool(RuleContext&)>& build);
    // Makes sheet origin.index of its set as the previewed sheet, with the print number, and shows
    // it as Preview does.
    bool makeSheet(const SheetOrigin& origin, int number);
    // A new sheet from a new seed, as Preview makes one, of these types in this layout.
    bool newPreview(const std::vector<int>& types, LayoutPattern pattern, int number);
    // The print number the previewed sheet prints with: its own when it was made from its code,
    // else the field's (nothing, after the message, when the field cannot be read).
    std::optional<int> sheetPrintNumber();
    // A preview was made and the layout chosen is still the one it shows.
    bool previewCurrent() const;
    // The settings a sheet is drawn with: the window's, in the layout the sheet was made for.
    RenderSettings settingsFor(const ProblemSheet& sheet) const;
    // Fills a sheet with distinct problems of the types for the layout, as Preview does, with the
    // warning when the count cannot be filled; false (after the message) when the generator failed.
    bool fillSheet(ProblemSheet& sheet, const SelectedTypes& types, LayoutPattern pattern);
    bool printCommand(bool withAnswers);
    void updateCommands();
    void markTickedPages();
    void restoreSettings();
    void saveSettings();
    void raisePrintNumber(int next);
    static QString destination(const QPrinter& printer);
    // The status line after printing or saving: what was done, where, with which print numbers.
    void tellPrinted(const QString& verb, const QStringList& places, int first, int sheets);

    // controls
    QLineEdit* QstSentence = nullptr;
    RadioGroup* QNumPattern = nullptr;
    QLineEdit* edtLeftMargin = nullptr;
    QScrollBar* sbLeftMargin = nullptr;
    QLineEdit* edLineW = nullptr;
    QScrollBar* sbLineWidth = nullptr;
    QLineEdit* PrnNum = nullptr;
    RadioGroup* rgWaku = nullptr;
    RadioGroup* QuestStyle = nullptr;
    QCheckBox* chkTentative = nullptr;
    QCheckBox* chkMarks = nullptr;  // "採点用のしるし"
    PreviewBox* PaintBox1 = nullptr;
    QPushButton* btnPreview = nullptr;
    QPushButton* btnMaintenance = nullptr;
    QPushButton* btnPrint = nullptr;
    QPushButton* btnPrintWithAns = nullptr;
    QPushButton* btnClose = nullptr;
    QPushButton* btnSavePdf = nullptr;
    QPushButton* btnClear = nullptr;
    QPushButton* btnPractice = nullptr;
    QStatusBar* statusLine = nullptr;
    QPushButton* btnCode = nullptr;
    QPushButton* btnDrill = nullptr;
    QComboBox* cbUnit = nullptr;  // 単元から選ぶ: ticks a unit's types
    QTabWidget* PageControl1 = nullptr;
    std::array<QCheckBox*, 78> checkBoxes_{};  // the table of type boxes, CheckBox1 first

    // state that outlives an event
    std::unique_ptr<RandomSource> random_;
    SourceForSeed sourceForSeed_;
    BoxMessages boxMessages_{this};
    Messages* messages_ = &boxMessages_;
    MessageReporter reporter_{messages_};
    NumberTables tables_;
    SelectedTypes selected_;
    ProblemSheet sheet_;
    int leftMargin_ = 15;
    bool marginEditFinished_ = false;
    std::optional<ClassSetRequest> lastClassSet_;  // the choices of the last PDF保存…
    struct MadeSet {
        SheetOrigin first;  // of its first sheet
        int sheets = 0;
        int firstNumber = 0;
    };
    std::optional<MadeSet> lastSet_;  // the last class set made, for "同じセットをもう一度"
    bool ownNumber_ = false;          // the previewed sheet was made from its code, with its number
    FileCalls fileCalls_ = systemFileCalls();
    std::unique_ptr<QSettings> settings_;          // null: settings are not kept
    bool restoring_ = false;
    int topOffset_ = 50;
    DrillOptions drill_;
    QPrinter printer_{QPrinter::HighResolution};
};

}  // namespace pelkano
