#include "Fmain.h"

#include "CodeDialog.h"
#include "Conversions.h"
#include "Glyphs.h"
#include "PageLayout.h"
#include "PracticeWindow.h"
#include "PreviewBox.h"
#include "QtSurface.h"
#include "RadioGroup.h"
#include "Units.h"
#include "TypePages.h"

#include <QCheckBox>
#include <QDir>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEngine>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QPrintPreviewDialog>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QComboBox>
#include <QSettings>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>
#include <climits>
#include <limits>
#include <exception>

#ifndef PELKANO_VERSION
#define PELKANO_VERSION "1.0.0"
#endif

// The pictures are compiled into a static library: their registration must be pulled in by name.
static void initPictureResources()
{
    Q_INIT_RESOURCE(pictures);
}

namespace pelkano {
namespace {

// The design's client area and, below it, the status line.
constexpr int kClientWidth = 779;
constexpr int kDesignHeight = 594;
constexpr int kStatusHeight = 22;
constexpr int kClientHeight = kDesignHeight + kStatusHeight;
constexpr int kOuterWidth = 787;
constexpr int kOuterHeight = 621 + kStatusHeight;
constexpr int kPreviewWidth = 320;
constexpr int kPreviewHeight = 441;

// The design's face at a pixel size, as installed (resolveFace).
QFont uiFont(const char* face, int pixelSize)
{
    QFont font(resolveFace(face));
    font.setPixelSize(pixelSize);
    return font;
}

QFrame* bevel(QWidget* parent, int x, int y, int w, int h)
{
    auto* frame = new QFrame(parent);
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    frame->setGeometry(x, y, w, h);
    return frame;
}

QLabel* label(QWidget* parent, const QString& text, int x, int y, int w, int h, bool wrap = false)
{
    auto* l = new QLabel(text, parent);
    l->setGeometry(x, y, w, h);
    l->setWordWrap(wrap);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

// Narrows a label's face just enough that its longest line fits the label's width.
void fitWidth(QLabel* l)
{
    int widest = 0;
    for (const QString& line : l->text().split(u'\n'))
        widest = std::max(widest, QFontMetrics(l->font()).horizontalAdvance(line));
    if (widest <= l->width())
        return;
    QFont narrow = l->font();
    narrow.setStretch(100 * l->width() / widest);
    l->setFont(narrow);
}

// Narrows an edit's face just enough that `text` fits inside it whole.
void fitDigits(QLineEdit* edit, const QString& text)
{
    const int frame = edit->hasFrame() ? 2 * edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) : 0;
    const QMargins m = edit->textMargins();
    const int room = edit->width() - frame - 4 - m.left() - m.right();  // QLineEdit keeps 2 pixels each side
    QFont font = edit->font();
    for (int stretch = 100; stretch > 50 && QFontMetrics(font).horizontalAdvance(text) > room; stretch -= 2)
        font.setStretch(stretch);
    edit->setFont(font);
}

// Narrows the tabs' face just enough that every tab shows in the row, with no scroll arrows.
void fitTabs(QTabWidget* tabs)
{
    QTabBar* bar = tabs->tabBar();
    bar->setUsesScrollButtons(false);
    bar->setExpanding(false);
    QFont font = bar->font();
    for (int stretch = 100; stretch > 50 && bar->sizeHint().width() > tabs->width(); stretch -= 2) {
        font.setStretch(stretch);
        bar->setFont(font);
    }
}

template <class W>
W* named(W* widget, const char* name, int x, int y, int w, int h)
{
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(x, y, w, h);
    return widget;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, int x, int y, int w, int h,
                    const QString& hint = {})
{
    auto* b = named(new QPushButton(caption, parent), name, x, y, w, h);
    if (!hint.isEmpty())
        b->setToolTip(hint);
    return b;
}

// A window of `wanted` size, or less where the screen that `over` stands on is smaller: a tenth
// of the screen's free area is left for the frame and the panels around it.
void fitToScreen(QWidget* window, const QWidget* over, QSize wanted)
{
    const QScreen* screen = over->screen();
    if (!screen) {
        window->resize(wanted);
        return;
    }
    const QRect area = screen->availableGeometry();
    window->resize(wanted.boundedTo(area.size() * 9 / 10));
    window->move(area.center() - window->rect().center());
}

// Files from the window have the command-line tool's resolution; printers keep their own.
constexpr int kFileDpi = 600;

bool printsToFile(const QPrinter& printer)
{
    return printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty();
}

// Where the page is drawn, in device pixels at the printer's own resolution: a file's paper less
// the blank border pelkano-sheets leaves (at kFileDpi, as it draws it); a printer's, and the print
// preview's, whole printable area.
QRect pageArea(const QPrinter& printer)
{
    if (printer.fullPage())
        return PageSetup{printer.pageLayout().pageSize(), printer.resolution()}.printableRect();
    return {0, 0, printer.width(), printer.height()};
}

// Why a file could not be written, in the user's words: the writer's reason is the command-line
// tool's English, so the window says what it can see of the place.
QString placeFailure(const QString& file)
{
    const QFileInfo target(file);
    const QFileInfo folder(target.absolutePath());
    QString reason;
    if (target.isDir())
        reason = QStringLiteral("同じ名前のフォルダがあります。");
    else if (!folder.isWritable())
        reason = QStringLiteral("このフォルダには書き込めません。");
    else if (target.exists() && !target.isWritable())
        reason = QStringLiteral("ファイルが書き込み禁止になっています。");
    else
        reason = QStringLiteral("ディスクがいっぱいか、書き込めない場所です。");
    return reason;
}

QString saveFailure(const QString& file)
{
    return QStringLiteral("PDFファイル「%1」を保存できませんでした。\n%2\n別の名前か場所を選んでください。")
        .arg(QDir::toNativeSeparators(file), placeFailure(file));
}

// A print to files that could not be written: nothing of it was kept.
QString printFileFailure(const QStringList& files)
{
    QStringList named;
    for (const QString& file : files)
        named << QStringLiteral("「%1」").arg(QDir::toNativeSeparators(file));
    return QStringLiteral("ファイル%1に印刷できませんでした。\n%2\n「印刷設定」で別の名前か場所を選んでください。")
        .arg(named.join(QStringLiteral("と")), placeFailure(files.first()));
}

// A file's paper and resolution as its printer has them, with the blank border pelkano-sheets leaves.
PageSetup fileSetup(const QPrinter& printer)
{
    return PageSetup{printer.pageLayout().pageSize(), printer.resolution()};
}

// A print to a PDF file is written by the file writer, except while a print preview draws it.
bool writesFile(QPrinter& printer)
{
    QPaintEngine* engine = printer.paintEngine();
    return printsToFile(printer) && engine && engine->type() != QPaintEngine::Picture;
}

}  // namespace

Fmain::Fmain(std::unique_ptr<RandomSource> random, QWidget* parent)
    : QWidget(parent), random_(std::move(random))
{
    initPictureResources();
    setWindowTitle(kAppTitle);
    setFont(uiFont(kPGothicFace, 15));
    buildControls();
    connectHandlers();
    FormCreate();
}

// QWidget's destructor, which runs after this one, closes the window and so moves the focus: a
// line edit losing it says its editing finished, when this window's own members are already
// gone. From here on nothing of its children reaches it.
Fmain::~Fmain()
{
    for (QObject* child : findChildren<QObject*>())
        disconnect(child, nullptr, this, nullptr);
}

void Fmain::setRandomSource(std::unique_ptr<RandomSource> random)
{
    random_ = random ? std::move(random) : std::make_unique<SeededRandom>(SeededRandom::clockSeed());
}

void Fmain::setSourceForSeed(SourceForSeed source)
{
    if (!source)
        source = [](std::uint64_t seed) { return std::make_unique<SeededRandom>(seed); };
    sourceForSeed_ = std::move(source);
}

void Fmain::setMessages(Messages* messages)
{
    messages_ = messages ? messages : &boxMessages_;
}

void Fmain::buildControls()
{
    // Bevels first, so that everything else lies over them.
    bevel(this, 8, 8, 337, 41);
    bevel(this, 8, 86, 409, 43);
    bevel(this, 8, 135, 409, 452);
    bevel(this, 432, 24, 337, 457);

    QLabel* title = label(this, QStringLiteral("Pelkano  わり算プリント  Ver %1").arg(QStringLiteral(PELKANO_VERSION)),
                          16, 16, 322, 26, true);
    title->setFont(uiFont(kMinchoFace, 13));
    QPalette purple = title->palette();
    purple.setColor(QPalette::WindowText, QColor(128, 0, 128));
    title->setPalette(purple);

    label(this, QStringLiteral("問題文"), 13, 96, 45, 15);
    QstSentence = named(new QLineEdit(QString::fromUtf8(kDefaultSentence), this), "QstSentence", 64, 93, 345, 23);
    QstSentence->setToolTip(QStringLiteral("問題文を入力"));

    label(this, QStringLiteral("設定"), 14, 140, 30, 15);
    // Beside the settings' heading: the answer sheets show the tentative quotients tried.
    chkTentative = named(new QCheckBox(QStringLiteral("仮商を答えに書く"), this), "chkTentative", 172, 140, 146, 18);
    chkTentative->setToolTip(QStringLiteral("答えの用紙で、商の上に試した仮商を消して書く"));
    btnClear = button(this, "btnClear", QStringLiteral("全てクリア"), 324, 140, 75, 18);
    // Beside the sheet code's button: the marks and QR code by which a scan of a worked sheet is read.
    chkMarks = named(new QCheckBox(QStringLiteral("採点用のしるし"), this), "chkMarks", 47, 140, 123, 18);
    chkMarks->setChecked(true);
    chkMarks->setToolTip(QStringLiteral("解いた用紙をスキャンして採点できるように、四すみのしるしとQRコードを印刷する"
                                        "（筆算で枠ありの用紙）"));

    PageControl1 = named(new QTabWidget(this), "PageControl1", 16, 160, 394, 338);
    buildTypePages();
    // Tabs with less padding than the style's, so that the nine fit in the row.
    PageControl1->tabBar()->setStyleSheet(QStringLiteral(
        "QTabBar::tab { padding: 3px 2px; border: 1px solid #9a9a9a; border-bottom: none;"
        " border-top-left-radius: 3px; border-top-right-radius: 3px; background: #dedede; }"
        "QTabBar::tab:selected { background: white; }"
        "QTabBar::tab:!selected { margin-top: 3px; }"));
    PageControl1->tabBar()->setFont(uiFont(kPGothicFace, 13));
    fitTabs(PageControl1);

    QNumPattern = new RadioGroup(QStringLiteral("問題数"),
                                 {QStringLiteral("2段2列"), QStringLiteral("3段2列"), QStringLiteral("4段2列"),
                                  QStringLiteral("2段3列"), QStringLiteral("3段3列"), QStringLiteral("4段3列")},
                                 2, this);
    named(QNumPattern, "QNumPattern", 16, 504, 156, 75);
    QNumPattern->setItemIndex(static_cast<int>(LayoutPattern::R2C3));

    label(this, QStringLiteral("左余白"), 178, 504, 45, 15);
    edtLeftMargin = named(new QLineEdit(QStringLiteral("15"), this), "edtLeftMargin", 228, 504, 24, 23);
    edtLeftMargin->setMaxLength(2);
    sbLeftMargin = named(new QScrollBar(Qt::Horizontal, this), "sbLeftMargin", 194, 526, 58, 12);
    sbLeftMargin->setRange(1, 70);
    sbLeftMargin->setPageStep(10);
    sbLeftMargin->setValue(15);

    fitWidth(label(this, QStringLiteral("枠線の太さ"), 211, 544, 71, 15));
    edLineW = named(new QLineEdit(QStringLiteral("1"), this), "edLineW", 188, 555, 17, 23);
    edLineW->setReadOnly(true);
    sbLineWidth = named(new QScrollBar(Qt::Horizontal, this), "sbLineWidth", 211, 563, 71, 12);
    sbLineWidth->setRange(1, 4);
    sbLineWidth->setPageStep(1);
    sbLineWidth->setValue(1);

    // The label in one line over the edit, which shows the largest print number whole, in the
    // fixed-pitch face narrowed just enough.
    QLabel* numberLabel = label(this, QStringLiteral("プリント番号"), 256, 502, 56, 15);
    numberLabel->setFont(uiFont(kPGothicFace, 12));
    fitWidth(numberLabel);
    PrnNum = named(new QLineEdit(QStringLiteral("1"), this), "PrnNum", 256, 518, 54, 22);
    PrnNum->setToolTip(QStringLiteral("プリント番号を入力"));
    PrnNum->setFont(uiFont(kGothicFace, 11));
    PrnNum->setTextMargins(0, 0, 0, 0);
    fitDigits(PrnNum, QString::number(std::numeric_limits<int>::max()));

    rgWaku = new RadioGroup(QStringLiteral("枠の有無"), {QStringLiteral("あり"), QStringLiteral("なし")}, 2, this);
    named(rgWaku, "rgWaku", 312, 502, 97, 38);
    rgWaku->setItemIndex(0);
    QuestStyle = new RadioGroup(QStringLiteral("問題形式"), {QStringLiteral("筆算"), QStringLiteral("式")}, 2, this);
    named(QuestStyle, "QuestStyle", 296, 546, 113, 37);
    QuestStyle->setItemIndex(0);

    QLabel* previewLabel = label(this, QStringLiteral("ﾌﾟﾚﾋﾞｭｰ画面↓"), 560, 4, 91, 13);
    previewLabel->setFont(uiFont(kMinchoFace, 13));
    QPalette teal = previewLabel->palette();
    teal.setColor(QPalette::WindowText, QColor(0, 128, 128));
    previewLabel->setPalette(teal);

    PaintBox1 = named(new PreviewBox(this), "PaintBox1", 440, 32, kPreviewWidth, kPreviewHeight);
    PaintBox1->setHandlers([this](QPainter& p, bool answers) { drawPreview(p, answers); },
                           [this](QPainter& p) { return PaintBox1Paint(p); });
    PaintBox1->setToolTip(QStringLiteral("ダブルクリックで大きく表示"));

    btnPreview = button(this, "btnPreview", QStringLiteral("プレビュー"), 473, 494, 129, 25,
                        QStringLiteral("印刷イメージを見る"));
    btnMaintenance = button(this, "btnMaintenance", QStringLiteral("印刷設定"), 473, 525, 129, 25,
                            QStringLiteral("印刷の設定を変更"));
    btnPrint = button(this, "btnPrint", QStringLiteral("印刷"), 631, 494, 129, 25, QStringLiteral("解答なしで印刷"));
    btnPrintWithAns = button(this, "btnPrintWithAns", QStringLiteral("印刷（答えつき）"), 631, 525, 129, 25,
                             QStringLiteral("解答ありで印刷"));
    btnClose = button(this, "btnClose", QStringLiteral("終了"), 631, 558, 129, 25,
                      QStringLiteral("プログラムを終了"));
    btnSavePdf = button(this, "btnSavePdf", QStringLiteral("PDF保存…"), 473, 558, 129, 25,
                        QStringLiteral("何枚かのプリントをPDFに保存または印刷"));
    btnPreview->setIcon(glyphIcon(Glyph::Preview));
    btnMaintenance->setIcon(glyphIcon(Glyph::PrinterSetup));
    btnPrint->setIcon(glyphIcon(Glyph::Print));
    btnPrintWithAns->setIcon(glyphIcon(Glyph::PrintWithAnswers));
    btnClose->setIcon(glyphIcon(Glyph::Close));
    btnSavePdf->setIcon(glyphIcon(Glyph::SavePdf));
    for (QPushButton* b : {btnPreview, btnMaintenance, btnPrint, btnPrintWithAns, btnClose, btnSavePdf})
        b->setIconSize(QSize(16, 16));

    statusLine = named(new QStatusBar(this), "statusLine", 0, kDesignHeight, kClientWidth, kStatusHeight);
    statusLine->setSizeGripEnabled(false);

    btnPractice = button(this, "btnPractice", QStringLiteral("練習"), 352, 16, 65, 25,
                         QStringLiteral("画面で問題を解く"));
    btnPractice->setIcon(practiceGlyph());
    btnPractice->setIconSize(QSize(16, 16));
    btnCode = button(this, "btnCode", QStringLiteral("コードから作る…"), 297, 56, 120, 25,
                     QStringLiteral("用紙の下のコードから、同じ用紙をもう一度作る"));

    cbUnit = named(new QComboBox(this), "cbUnit", 16, 56, 150, 25);
    cbUnit->addItem(QStringLiteral("単元から選ぶ…"));
    for (const Unit& unit : units()) {
        cbUnit->addItem(QString::fromStdString(unit.name));
        QStringList types;
        for (int t : unit.types)
            types << QString::number(t);
        cbUnit->setItemData(cbUnit->count() - 1, QStringLiteral("型 %1").arg(types.join(QStringLiteral(", "))),
                            Qt::ToolTipRole);
    }
    btnDrill = button(this, "btnDrill", QStringLiteral("プリントの内容…"), 171, 56, 120, 25,
                      QStringLiteral("型をまんべんなく、やさしい順、問題番号、月日・名前・点の欄、検算、答えの一覧"));

    btnClear->setEnabled(false);
    btnPreview->setEnabled(false);
    btnPractice->setEnabled(false);
    btnPrint->setEnabled(false);
    btnPrintWithAns->setEnabled(false);
    btnSavePdf->setEnabled(false);

    // The question sentence is first in the tab order, then the controls as they stand.
    QWidget::setTabOrder(QstSentence, btnClear);
    QWidget::setTabOrder(btnClear, PageControl1);
}

void Fmain::buildTypePages()
{
    const auto& pages = typePages();
    for (int k = 1; k <= kTypePageCount; ++k) {
        const TypePage& place = pages[static_cast<std::size_t>(k - 1)];
        auto* page = new QWidget;
        page->setObjectName(QStringLiteral("TabSheet%1").arg(k));
        auto* picture = new QLabel(page);
        picture->setObjectName(QStringLiteral("Image%1").arg(k));
        const QPixmap pixmap(QString::fromLatin1(picturePath(k)));
        picture->setPixmap(pixmap);
        picture->setGeometry(place.pictureLeft, place.pictureTop, pixmap.width(), pixmap.height());
        for (const BoxPlace& box : place.boxes) {
            auto* check = new QCheckBox(QString::fromUtf8(typeBoxCaption(box.type)), page);
            check->setObjectName(QStringLiteral("CheckBox%1").arg(boxNumberOfType(box.type)));
            check->setProperty("Tag", box.type);
            check->setToolTip(QString::fromStdString(typeDescriptionText(box.type)));
            check->setGeometry(box.left, box.top, kTypeBoxWidth, kTypeBoxHeight);
            check->setAutoFillBackground(true);
            QPalette white = check->palette();
            white.setColor(QPalette::Window, Qt::white);
            white.setColor(QPalette::Button, Qt::white);
            white.setColor(QPalette::WindowText, Qt::black);
            check->setPalette(white);
            check->setBackgroundRole(QPalette::Window);
            // Unticking from code (clear-all) must run the handler too.
            connect(check, &QCheckBox::toggled, this, [this, check] { QPClick(check); });
        }
        PageControl1->addTab(page, QString::fromUtf8(typePageTitle(k)));
    }
    PageControl1->setCurrentIndex(0);
}

void Fmain::connectHandlers()
{
    connect(btnClear, &QPushButton::clicked, this, &Fmain::btnClearClick);
    connect(edtLeftMargin, &QLineEdit::textChanged, this, &Fmain::edtLeftMarginChange);
    // Left empty, the box is refused as any text that is not a margin.
    connect(edtLeftMargin, &QLineEdit::editingFinished, this, [this] {
        marginEditFinished_ = true;
        edtLeftMarginChange();
        marginEditFinished_ = false;
    });
    connect(sbLeftMargin, &QScrollBar::valueChanged, this, &Fmain::sbLeftMarginChange);
    connect(sbLineWidth, &QScrollBar::valueChanged, this, &Fmain::sbLineWidthChange);
    connect(edLineW, &QLineEdit::textChanged, this, &Fmain::edLineWChange);
    connect(btnPreview, &QPushButton::clicked, this, &Fmain::btnPreviewClick);
    connect(btnPrint, &QPushButton::clicked, this, &Fmain::btnPrintClick);
    connect(btnPrintWithAns, &QPushButton::clicked, this, &Fmain::btnPrintWithAnsClick);
    connect(btnMaintenance, &QPushButton::clicked, this, &Fmain::btnMaintenanceClick);
    connect(btnSavePdf, &QPushButton::clicked, this, &Fmain::btnSavePdfClick);
    connect(PaintBox1, &PreviewBox::doubleClicked, this, &Fmain::PaintBox1DblClick);
    connect(btnPractice, &QPushButton::clicked, this, &Fmain::btnPracticeClick);
    connect(btnCode, &QPushButton::clicked, this, &Fmain::btnCodeClick);
    connect(btnDrill, &QPushButton::clicked, this, &Fmain::btnDrillClick);
    connect(cbUnit, &QComboBox::activated, this, [this](int index) {
        const auto& all = units();
        if (index >= 1 && index <= static_cast<int>(all.size()))
            tickOnly(all[static_cast<std::size_t>(index - 1)].types);
        cbUnit->setCurrentIndex(0);
    });
    connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
    for (RadioGroup* group : {QNumPattern, rgWaku, QuestStyle})
        connect(group, &RadioGroup::itemIndexChanged, this, &Fmain::settingChanged);
    for (QLineEdit* edit : {QstSentence, PrnNum})
        connect(edit, &QLineEdit::textChanged, this, &Fmain::settingChanged);
    // The preview shows the answers: it is drawn again with or without the tentative quotients.
    connect(chkTentative, &QCheckBox::toggled, this, &Fmain::settingChanged);
    connect(chkMarks, &QCheckBox::toggled, this, &Fmain::settingChanged);
}

void Fmain::FormCreate()
{
    // 1. Size and place: the design's client area with the status line, fixed (the controls have
    // fixed places), the outer frame centred on the screen.
    setFixedSize(kClientWidth, kClientHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.left() + (area.width() - kOuterWidth) / 2, area.top() + (area.height() - kOuterHeight) / 2);
    }
    // 2. No preview yet, the random source, an empty sheet, the print number from its field.
    sheet_.previewMade = false;
    if (!random_)
        random_ = std::make_unique<SeededRandom>(SeededRandom::clockSeed());
    setSourceForSeed(nullptr);
    sheet_.count = 0;
    sheet_.printNumber = StrToInt(PrnNum->text()).value_or(0);
    // 3. The table of type boxes, CheckBox1 .. CheckBox78.
    for (int i = 1; i <= kTypeBoxCount; ++i)
        checkBoxes_[static_cast<std::size_t>(i - 1)] = findChild<QCheckBox*>(QStringLiteral("CheckBox%1").arg(i));
    // 4. No type ticked.
    selected_ = SelectedTypes{};
    // 5. The number tables and their per-type line counts.
    tables_ = NumberTables::load();
    // 6. Margin and top offset.
    leftMargin_ = 15;
    topOffset_ = 50;
    QstSentence->setFocus();
}

QCheckBox* Fmain::typeBox(int number) const
{
    if (number < 1 || number > kTypeBoxCount)
        return nullptr;
    return checkBoxes_[static_cast<std::size_t>(number - 1)];
}

RenderSettings Fmain::renderSettings() const
{
    RenderSettings s;
    const int pattern = QNumPattern->itemIndex();
    s.pattern = static_cast<LayoutPattern>(pattern >= 0 && pattern < kLayoutPatternCount ? pattern : 3);
    s.leftMargin = leftMargin_;
    s.topOffset = topOffset_;
    s.frame = rgWaku->itemIndex() != 1;
    s.lineWidth = sbLineWidth->value();
    s.style = QuestStyle->itemIndex() == 1 ? QuestionStyle::Expression : QuestionStyle::Written;
    s.sentence = QstSentence->text().toStdString();
    s.tentative = chkTentative->isChecked();
    s.registrationMarks = chkMarks->isChecked();
    s.marks = drill_.marks;
    return s;
}

RenderSettings Fmain::settingsFor(const ProblemSheet& sheet) const
{
    RenderSettings s = renderSettings();
    if (sheet.origin)
        s.pattern = sheet.origin->recipe.pattern;
    return s;
}

// One handler for all 78 type boxes: the Tag joins or leaves the ticked list.
void Fmain::QPClick(QCheckBox* box)
{
    selected_.tick(box->property("Tag").toInt(), box->isChecked());
    updateCommands();
    saveSettings();
    markTickedPages();
}

// A tab whose page has a ticked type shows it in the colour of a link, so that no ticked type
// is hidden on a page not in view.
void Fmain::markTickedPages()
{
    const auto& pages = typePages();
    const std::vector<int> types = selected_.types();
    for (int k = 0; k < kTypePageCount && k < PageControl1->count(); ++k) {
        const auto& boxes = pages[static_cast<std::size_t>(k)].boxes;
        const bool ticked = std::any_of(boxes.begin(), boxes.end(), [&](const BoxPlace& b) {
            return std::find(types.begin(), types.end(), b.type) != types.end();
        });
        PageControl1->tabBar()->setTabTextColor(k, ticked ? QColor(0, 0, 192) : QColor());
        PageControl1->setTabToolTip(k, ticked ? QStringLiteral("チェックした型があります") : QString());
    }
}

// The commands that make new problems (プレビュー, 練習, PDF保存…) are usable while a type is
// ticked; the print commands, which print the previewed sheet, once a preview was made.
void Fmain::updateCommands()
{
    const bool ticked = selected_.commandsEnabled();
    btnPreview->setEnabled(ticked);
    btnPractice->setEnabled(ticked);
    btnClear->setEnabled(ticked);
    const bool current = previewCurrent();
    btnPrint->setEnabled(current);
    btnPrintWithAns->setEnabled(current);
    btnSavePdf->setEnabled(ticked && current);
}

bool Fmain::previewCurrent() const
{
    return sheet_.previewMade && (!sheet_.origin || sheet_.origin->recipe.pattern == renderSettings().pattern);
}

void Fmain::btnClearClick()
{
    for (QCheckBox* box : checkBoxes_)
        if (box)
            box->setChecked(false);
}

// Only these types ticked, in this order.
void Fmain::tickOnly(const std::vector<int>& types)
{
    btnClearClick();
    for (const int type : types)
        if (type >= 1 && type <= kTypeCount)
            if (QCheckBox* box = typeBox(boxNumberOfType(type)))
                box->setChecked(true);
}

void Fmain::edtLeftMarginChange()
{
    // An emptied box waits for the new number; the margin in use stays until then.
    if (edtLeftMargin->text().trimmed().isEmpty() && !marginEditFinished_)
        return;
    const std::optional<int> value = StrToInt(edtLeftMargin->text());
    leftMargin_ = value && *value >= 1 && *value <= 70 ? *value : 15;
    sbLeftMargin->setValue(leftMargin_);
    // A refused text gives way to the margin in use even when the bar did not move.
    const QString shown = QString::number(leftMargin_);
    if (edtLeftMargin->text() != shown && (!value || *value != leftMargin_))
        edtLeftMargin->setText(shown);
    settingChanged();
    if (!sheet_.previewMade && btnPreview->isEnabled())
        PaintBox1->drawNow(false);
}

void Fmain::sbLeftMarginChange()
{
    const QString text = QString::number(sbLeftMargin->value());
    if (edtLeftMargin->text() != text)
        edtLeftMargin->setText(text);
}

void Fmain::sbLineWidthChange()
{
    edLineW->setText(QString::number(sbLineWidth->value()));
}

// Before any preview (with a type ticked) the margin and the line width show on the page's header.
void Fmain::edLineWChange()
{
    settingChanged();
    if (!sheet_.previewMade && btnPreview->isEnabled())
        PaintBox1->drawNow(false);
}

// A setting shows at once: the previewed sheet is drawn again as it will print, with the answers
// the preview shows.
// A new layout asks for new problems: until プレビュー makes them, nothing of the sheet shown is printed.
void Fmain::settingChanged()
{
    if (sheet_.previewMade)
        PaintBox1->repaint();
    const bool wasCurrent = btnPrint->isEnabled();
    updateCommands();
    if (wasCurrent && sheet_.previewMade && !previewCurrent())
        statusLine->showMessage(QStringLiteral("問題数が変わりました。「プレビュー」で新しい問題を作ってから印刷してください。"));
    else if (!wasCurrent && previewCurrent())
        statusLine->clearMessage();
    saveSettings();
}

namespace {

// The keys of the settings kept between runs.
constexpr const char* kTypesKey = "window/types";  // type numbers in ticking order
constexpr const char* kLayoutKey = "window/layout";
constexpr const char* kFrameKey = "window/frame";
constexpr const char* kStyleKey = "window/style";
constexpr const char* kMarginKey = "window/margin";
constexpr const char* kLineWidthKey = "window/lineWidth";
constexpr const char* kSentenceKey = "window/sentence";
constexpr const char* kPrintNumberKey = "window/printNumber";
constexpr const char* kTentativeKey = "window/tentative";
constexpr const char* kMarksKey = "window/marks";
constexpr const char* kBalancedKey = "window/balanced";
constexpr const char* kEasyOrderKey = "window/easyOrder";
constexpr const char* kNumbersKey = "window/numbers";
constexpr const char* kHeaderFieldsKey = "window/headerFields";
constexpr const char* kCheckKey = "window/check";
constexpr const char* kAnswerListKey = "window/answerList";
constexpr const char* kPrinterKey = "printer/name";
constexpr const char* kPrintFileKey = "printer/file";
constexpr const char* kPaperKey = "printer/paper";
// The last PDF保存…: its folder, sheet count and answer sheets.
constexpr const char* kSetFolderKey = "classSet/folder";
constexpr const char* kSetSheetsKey = "classSet/sheets";
constexpr const char* kSetAnswersKey = "classSet/answers";

// A kept whole number within lo..hi, or nothing for a missing or foreign value.
std::optional<int> keptInt(const QSettings& settings, const char* key, int lo, int hi)
{
    const QVariant value = settings.value(QLatin1String(key));
    if (!value.canConvert<QString>())
        return std::nullopt;
    const std::optional<int> n = StrToInt(value.toString());
    if (!n || *n < lo || *n > hi)
        return std::nullopt;
    return n;
}

std::optional<QString> keptText(const QSettings& settings, const char* key)
{
    const QVariant value = settings.value(QLatin1String(key));
    if (!value.isValid() || value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

}  // namespace

void Fmain::keepSettings()
{
    settings_ = std::make_unique<QSettings>();
    restoreSettings();
}

// Every value is checked as if typed: one that is missing, foreign or out of range is left at the
// window's own; a file that cannot be read at all is ignored.
void Fmain::restoreSettings()
{
    const QSettings& s = *settings_;
    if (s.status() != QSettings::NoError)
        return;
    restoring_ = true;
    if (const auto layout = keptInt(s, kLayoutKey, 0, kLayoutPatternCount - 1))
        QNumPattern->setItemIndex(*layout);
    if (const auto frame = keptInt(s, kFrameKey, 0, 1))
        rgWaku->setItemIndex(*frame == 1 ? 0 : 1);
    if (const auto style = keptInt(s, kStyleKey, 0, 1))
        QuestStyle->setItemIndex(*style);
    if (const auto margin = keptInt(s, kMarginKey, 1, 70))
        edtLeftMargin->setText(QString::number(*margin));
    if (const auto width = keptInt(s, kLineWidthKey, 1, 4))
        sbLineWidth->setValue(*width);
    if (const auto sentence = keptText(s, kSentenceKey))
        QstSentence->setText(*sentence);
    if (const auto tentative = keptInt(s, kTentativeKey, 0, 1))
        chkTentative->setChecked(*tentative == 1);
    if (const auto marks = keptInt(s, kMarksKey, 0, 1))
        chkMarks->setChecked(*marks == 1);
    if (const auto number = keptInt(s, kPrintNumberKey, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()))
        PrnNum->setText(QString::number(*number));
    const auto flag = [&s](const char* key, bool& target) {
        if (const auto on = keptInt(s, key, 0, 1))
            target = *on == 1;
    };
    flag(kBalancedKey, drill_.balanced);
    flag(kEasyOrderKey, drill_.easyOrder);
    flag(kHeaderFieldsKey, drill_.marks.headerFields);
    flag(kCheckKey, drill_.marks.check);
    flag(kAnswerListKey, drill_.marks.answerList);
    if (const auto numbers = keptInt(s, kNumbersKey, 0, kNumberStyleCount - 1))
        drill_.marks.numbers = static_cast<NumberStyle>(*numbers);
    const QVariant types = s.value(QLatin1String(kTypesKey));
    if (types.typeId() == QMetaType::QStringList || types.typeId() == QMetaType::QString)
        for (const QString& entry : types.toStringList())
            if (const std::optional<int> type = StrToInt(entry); type && *type >= 1 && *type <= kTypeCount)
                if (QCheckBox* box = typeBox(boxNumberOfType(*type)))
                    box->setChecked(true);
    if (const auto folder = keptText(s, kSetFolderKey); folder && !folder->isEmpty()) {
        ClassSetRequest choices;
        choices.fileName = QDir(*folder).filePath(QFileInfo(ClassSetDialog::defaultFileName(1)).fileName());
        choices.sheets = keptInt(s, kSetSheetsKey, 1, kMaxClassSetSheets).value_or(1);
        choices.answers = static_cast<AnswerSheets>(keptInt(s, kSetAnswersKey, 0, 2).value_or(0));
        lastClassSet_ = choices;
    }
    if (const auto paper = keptInt(s, kPaperKey, 0, QPageSize::LastPageSize))
        printer_.setPageSize(QPageSize(static_cast<QPageSize::PageSizeId>(*paper)));
    if (const auto file = keptText(s, kPrintFileKey); file && !file->isEmpty()) {
        printer_.setOutputFileName(*file);
    } else if (const auto name = keptText(s, kPrinterKey);
               name && QPrinterInfo::availablePrinterNames().contains(*name)) {
        printer_.setOutputFormat(QPrinter::NativeFormat);
        printer_.setPrinterName(*name);
    }
    restoring_ = false;
}

void Fmain::saveSettings()
{
    if (!settings_ || restoring_)
        return;
    QSettings& s = *settings_;
    QStringList types;
    for (const std::string& entry : selected_.entries())
        types << QString::fromStdString(entry);
    s.setValue(QLatin1String(kTypesKey), types);
    const RenderSettings r = renderSettings();
    s.setValue(QLatin1String(kLayoutKey), static_cast<int>(r.pattern));
    s.setValue(QLatin1String(kFrameKey), r.frame ? 1 : 0);
    s.setValue(QLatin1String(kStyleKey), static_cast<int>(r.style));
    s.setValue(QLatin1String(kMarginKey), r.leftMargin);
    s.setValue(QLatin1String(kLineWidthKey), r.lineWidth);
    s.setValue(QLatin1String(kSentenceKey), QstSentence->text());
    s.setValue(QLatin1String(kTentativeKey), r.tentative ? 1 : 0);
    s.setValue(QLatin1String(kMarksKey), r.registrationMarks ? 1 : 0);
    s.setValue(QLatin1String(kBalancedKey), drill_.balanced ? 1 : 0);
    s.setValue(QLatin1String(kEasyOrderKey), drill_.easyOrder ? 1 : 0);
    s.setValue(QLatin1String(kNumbersKey), static_cast<int>(drill_.marks.numbers));
    s.setValue(QLatin1String(kHeaderFieldsKey), drill_.marks.headerFields ? 1 : 0);
    s.setValue(QLatin1String(kCheckKey), drill_.marks.check ? 1 : 0);
    s.setValue(QLatin1String(kAnswerListKey), drill_.marks.answerList ? 1 : 0);
    if (const std::optional<int> number = StrToInt(PrnNum->text()))
        s.setValue(QLatin1String(kPrintNumberKey), *number);
    s.setValue(QLatin1String(kPrintFileKey), chosenFile());
    s.setValue(QLatin1String(kPrinterKey), chosenFile().isEmpty() ? printer_.printerName() : QString());
    s.setValue(QLatin1String(kPaperKey), static_cast<int>(printer_.pageLayout().pageSize().id()));
    if (lastClassSet_) {
        if (!lastClassSet_->fileName.isEmpty())
            s.setValue(QLatin1String(kSetFolderKey), QFileInfo(lastClassSet_->fileName).absolutePath());
        s.setValue(QLatin1String(kSetSheetsKey), lastClassSet_->sheets);
        s.setValue(QLatin1String(kSetAnswersKey), static_cast<int>(lastClassSet_->answers));
    }
}

// The sheet as the print commands would print it now: with the print number in its field.
void Fmain::drawPreview(QPainter& painter, bool showAnswers)
{
    ProblemSheet page = sheet_;
    page.showAnswers = showAnswers;
    if (const std::optional<int> number = StrToInt(PrnNum->text()); number && !ownNumber_)
        page.printNumber = *number;
    // The frame's lines as thin as they will print: their width on the paper, on the small page.
    RenderSettings settings = settingsFor(sheet_);
    const int dpi = chosenFile().isEmpty() ? printer_.resolution() : kFileDpi;
    const int pageWidth = PageSetup{printer_.pageLayout().pageSize(), dpi}.printableRect().width();
    settings.lineWidth = lineWidthShown(settings.lineWidth, kPreviewWidth, pageWidth);
    QtSurface surface(painter);
    MakePrint(surface, kPreviewWidth, kPreviewHeight, page, settings);
}

bool Fmain::PaintBox1Paint(QPainter& painter)
{
    if (!sheet_.previewMade || sheet_.count < 1)
        return false;
    drawPreview(painter, true);
    return true;
}

std::optional<int> Fmain::sheetPrintNumber()
{
    if (ownNumber_)
        return sheet_.printNumber;
    return readPrintNumber();
}

std::optional<int> Fmain::readPrintNumber()
{
    const std::optional<int> number = StrToInt(PrnNum->text());
    if (!number)
        messages().warning(kAppTitle, conversionError(PrnNum->text()));
    return number;
}

// A new sheet from a new seed: the first sheet of the set that the seed, the ticked types and the
// layout decide.
void Fmain::btnPreviewClick()
{
    const std::optional<int> number = readPrintNumber();
    if (!number)
        return;
    statusLine->clearMessage();
    newPreview(selected_.types(), renderSettings().pattern, *number);
}

bool Fmain::newPreview(const std::vector<int>& types, LayoutPattern pattern, int number)
{
    // The seed is drawn where a failing source is told as the generator's failures are.
    std::uint64_t seed = 0;
    if (!generate(*random_, [&](RuleContext& ctx) {
            seed = newSetSeed(ctx.random);
            return true;
        }))
        return false;
    if (!makeSheet({{seed, types, pattern, false, drill_.balanced, drill_.easyOrder}, 0}, number))
        return false;
    ownNumber_ = false;
    return true;
}

bool Fmain::makeSheet(const SheetOrigin& origin, int number)
{
    const std::unique_ptr<RandomSource> random = sourceForSeed_(origin.recipe.seed);
    const bool built = generate(*random, [&](RuleContext& ctx) {
        bool complete = false;
        buildSheets(origin.recipe, origin.index, 1, number, ctx, [&](long long, const ProblemSheet& sheet, bool filled) {
            const bool previewMade = sheet_.previewMade;
            sheet_ = sheet;
            sheet_.previewMade = previewMade;
            complete = filled;
            return true;
        });
        return complete;
    });
    if (!built)
        return false;
    if (sheet_.count > 3) {
        PaintBox1->drawNow(true);
        sheet_.previewMade = true;
        updateCommands();
    }
    return true;
}

bool Fmain::generate(RandomSource& random, const std::function<bool(RuleContext&)>& build)
{
    RuleContext ctx{random, tables_, reporter_};
    bool complete = false;
    try {
        complete = build(ctx);
    } catch (const std::exception&) {
        // What went wrong inside is the program's own business; the user is told in Japanese.
        messages().warning(kAppTitle, kGeneratorFailed);
        return false;
    }
    if (!complete) {
        messages().beep();
        messages().warning(kWarningTitle, QString::fromUtf8(kSheetWarning));
    }
    return true;
}

bool Fmain::fillSheet(ProblemSheet& sheet, const SelectedTypes& types, LayoutPattern pattern)
{
    return generate(*random_, [&](RuleContext& ctx) { return buildSheet(sheet, pattern, types, ctx); });
}

QString Fmain::chosenFile() const
{
    return printer_.outputFormat() == QPrinter::PdfFormat ? printer_.outputFileName() : QString();
}

std::unique_ptr<QPrinter> Fmain::documentPrinter(const QString& fileName) const
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (fileName.isEmpty()) {
        printer->setPrinterName(printer_.printerName());
    } else {
        printer->setOutputFileName(fileName);
        printer->setResolution(kFileDpi);
        printer->setFullPage(true);
    }
    QPageLayout layout = printer_.pageLayout();
    layout.setOrientation(QPageLayout::Portrait);
    printer->setPageLayout(layout);
    if (!fileName.isEmpty())
        printer->setPageMargins(QMarginsF(0, 0, 0, 0));
    else
        printer->setFullPage(printer_.fullPage());
    printer->setCopyCount(printer_.copyCount());
    printer->setCollateCopies(printer_.collateCopies());
    printer->setDuplex(printer_.duplex());
    printer->setColorMode(printer_.colorMode());
    printer->setPageOrder(printer_.pageOrder());
    printer->setDocName(kAppTitle);
    return printer;
}

bool Fmain::printPages(QPrinter& printer, const PageList& pages, const PageProgress& progress)
{
    const RenderSettings settings = pages.empty() ? renderSettings() : settingsFor(pages.front());
    return printDrawnPages(printer, static_cast<int>(pages.size()), sheetPainter(pages, settings), progress);
}

bool Fmain::printDrawnPages(QPrinter& printer, int count, const PagePainter& paint, const PageProgress& progress)
{
    const PaintOutcome outcome = paintDocument(printer, count, paint, progress);
    if (outcome == PaintOutcome::Done)
        return true;
    if (outcome != PaintOutcome::Cancelled)
        messages().warning(kAppTitle, printFailure(printer, outcome));
    return false;
}

PaintOutcome Fmain::paintDocument(QPrinter& printer, int count, const PagePainter& paint, const PageProgress& progress)
{
    if (!writesFile(printer))
        return paintPages(printer, pageArea(printer), count, paint, progress);
    bool cancelled = false;
    PageProgress watched;
    if (progress)
        watched = [&](int done, int total) {
            cancelled = !progress(done, total);
            return !cancelled;
        };
    const QString error = writePdfs({{printer.outputFileName(), count, paint}}, fileSetup(printer), watched, fileCalls_);
    if (cancelled)
        return PaintOutcome::Cancelled;
    return error.isEmpty() ? PaintOutcome::Done : PaintOutcome::CannotFinish;
}

QString Fmain::printFailure(const QPrinter& printer, PaintOutcome outcome)
{
    const QString file = printer.outputFileName();
    if (!file.isEmpty() && printsToFile(printer))
        return printFileFailure({file});
    if (outcome != PaintOutcome::CannotBegin)
        return QStringLiteral("印刷を完了できませんでした。");
    if (!file.isEmpty())
        return QStringLiteral("ファイル '%1' に印刷できません。").arg(file);
    if (printer.printerName().isEmpty())
        return QStringLiteral("プリンタが選ばれていません。「印刷設定」でプリンタかPDFファイルを選んでください。");
    return QStringLiteral("プリンタ '%1' で印刷を開始できません。").arg(printer.printerName());
}

// Where a printer's document went: its file, or the printer by name.
QString Fmain::destination(const QPrinter& printer)
{
    if (printsToFile(printer))
        return QDir::toNativeSeparators(printer.outputFileName());
    return QStringLiteral("プリンタ「%1」").arg(printer.printerName());
}

void Fmain::tellPrinted(const QString& verb, const QStringList& places, int first, int sheets)
{
    const QString numbers = sheets > 1 ? QStringLiteral("プリント番号 %1〜%2、%3枚").arg(first).arg(first + sheets - 1).arg(sheets)
                                       : QStringLiteral("プリント番号 %1").arg(first);
    statusLine->showMessage(QStringLiteral("%1：%2（%3）").arg(verb, places.join(QStringLiteral(" と ")), numbers));
}

void Fmain::raisePrintNumber(int next)
{
    sheet_.printNumber = next;
    PrnNum->setText(QString::number(next));
}

// Prints the last previewed sheet, then, with answers, the same sheet again as a second document.
// The print number in the field is used and, when everything was printed, raised by one. A number
// whose successor does not fit is refused before anything is printed.
bool Fmain::printCommand(bool withAnswers)
{
    if (!previewCurrent())
        return false;
    const std::optional<int> number = sheetPrintNumber();
    if (!number)
        return false;
    const std::optional<int> next = nextPrintNumber(*number);
    if (!next && !ownNumber_) {
        messages().warning(kAppTitle, printNumberLimitMessage(*number));
        return false;
    }
    sheet_.printNumber = *number;

    statusLine->clearMessage();
    const QString file = chosenFile();
    // The answers: the answer sheet, and the list of answers after it when it is asked for.
    const PageList pages = pagesOf({sheet_}, AnswerSheets::AfterEach, drill_.marks.answerList);
    const int answerPages = static_cast<int>(pages.size()) - 1;
    QStringList places;
    if (!file.isEmpty()) {
        // Printing to a file: the answers go beside the problems, not over them; both files are
        // written, or neither.
        places << file;
        if (withAnswers)
            places << answersFileName(file);
        const RenderSettings settings = settingsFor(sheet_);
        const PagePainter paint = sheetPainter(pages, settings);
        std::vector<PdfDocument> documents;
        documents.push_back({places[0], 1, [&paint](DrawingSurface& s, int w, int h, int) { paint(s, w, h, 0); }});
        if (withAnswers)
            documents.push_back({places[1], answerPages, [&paint](DrawingSurface& s, int w, int h, int page) { paint(s, w, h, 1 + page); }});
        const QString error = writePdfs(documents, fileSetup(*documentPrinter(file)), {}, fileCalls_);
        if (!error.isEmpty()) {
            messages().warning(kAppTitle, printFileFailure(places));
            statusLine->showMessage(QStringLiteral("印刷できませんでした。"));
            return false;
        }
        for (QString& place : places)
            place = QDir::toNativeSeparators(place);
    } else {
        const std::unique_ptr<QPrinter> problems = documentPrinter(file);
        if (!printPages(*problems, {pages[0]}))
            return false;
        places << destination(*problems);
        if (withAnswers) {
            const std::unique_ptr<QPrinter> answers = documentPrinter(file);
            if (!printPages(*answers, PageList(pages.begin() + 1, pages.end())))
                return false;
        }
    }
    tellPrinted(QStringLiteral("印刷しました"), places, *number, 1);
    if (!ownNumber_)
        raisePrintNumber(*next);
    return true;
}

void Fmain::btnPrintClick()
{
    printCommand(false);
}

void Fmain::btnPrintWithAnsClick()
{
    printCommand(true);
}

void Fmain::btnMaintenanceClick()
{
    QPrintDialog dialog(&printer_, this);
    dialog.setWindowTitle(QStringLiteral("印刷設定"));
    // The dialog only keeps the settings for later printing; its button says so.
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>())
        if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(QStringLiteral("OK"));
    if (dialog.exec() == QDialog::Accepted)
        saveSettings();
}

// Opens a practice window on problems made as Preview makes a sheet, for the types ticked now
// and the layout's count; "もう一度" makes more of the same. The previewed sheet and the print
// number are left alone. There is one practice window at a time: a second click brings it forward.
void Fmain::btnPracticeClick()
{
    for (PracticeWindow* open : findChildren<PracticeWindow*>())
        if (open->isVisible()) {
            open->raise();
            open->activateWindow();
            return;
        }
    PracticeHooks hooks;
    hooks.makeMore = [this, types = selected_, pattern = renderSettings().pattern] {
        ProblemSheet sheet;
        if (!fillSheet(sheet, types, pattern))
            return std::vector<PracticeItem>{};
        return sheetItems(sheet);
    };
    // にがてプリント: only the types given are ticked, and a new sheet of them is previewed.
    hooks.weakSheet = [this](const std::vector<int>& types) {
        tickOnly(types);
        for (QCheckBox* box : checkBoxes_)
            if (box && box->isChecked()) {
                PageControl1->setCurrentWidget(box->parentWidget());
                break;
            }
        if (btnPreview->isEnabled())
            btnPreviewClick();
        raise();
        activateWindow();
    };
    hooks.printPage = [this](QWidget* parent, const PagePainter& paint) {
        const QString file = chosenFile();
        const std::unique_ptr<QPrinter> printer = documentPrinter(file.isEmpty() ? file : resultsFileName(file));
        QPrintPreviewDialog dialog(printer.get(), parent);
        dialog.setObjectName(QStringLiteral("ResultsPreview"));
        dialog.setWindowTitle(QStringLiteral("練習の結果の印刷"));
        fitToScreen(&dialog, parent, QSize(900, 800));
        connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
                [this, &paint](QPrinter* p) { printDrawnPages(*p, 1, paint); });
        dialog.exec();
    };
    std::vector<PracticeItem> problems = hooks.makeMore();
    if (problems.empty())
        return;
    auto* practice = new PracticeWindow(std::move(problems), std::move(hooks), this);
    practice->show();
    practice->raise();
    practice->activateWindow();  // the keys go to the figure at once
}

// The dialog opens with the choices of the last set (a new file name for the print number);
// when the set could not be written or printed, it opens again with every choice as it was.
void Fmain::btnSavePdfClick()
{
    const std::optional<int> number = sheetPrintNumber();
    if (!number)
        return;
    statusLine->clearMessage();
    std::optional<ClassSetRequest> again;
    for (;;) {
        ClassSetDialog dialog(*number, this);
        dialog.setTentative(chkTentative->isChecked());
        if (lastSet_)
            dialog.offerSameSet(lastSet_->firstNumber, lastSet_->sheets);
        if (again) {
            dialog.setRequest(*again);
        } else if (lastClassSet_) {
            // The last choices, and a new file of this print number in the last folder.
            ClassSetRequest choices = *lastClassSet_;
            choices.sameSet = false;
            const QString name = QFileInfo(ClassSetDialog::defaultFileName(*number)).fileName();
            const QString folder = QFileInfo(lastClassSet_->fileName).absolutePath();
            choices.fileName = lastClassSet_->fileName.isEmpty() ? ClassSetDialog::defaultFileName(*number)
                                                                  : QDir(folder).filePath(name);
            dialog.setRequest(choices);
        }
        if (sheet_.origin && sheet_.origin->index > 0)
            dialog.keepMix(sheet_.origin->recipe.sameMix);
        if (dialog.exec() != QDialog::Accepted)
            return;
        chkTentative->setChecked(dialog.tentative());
        const ClassSetRequest request = dialog.request();
        lastClassSet_ = request;
        saveSettings();
        if (buildClassSet(request) != SetOutcome::Failed)
            return;
        again = request;
    }
}

bool Fmain::makeClassSet(const ClassSetRequest& request)
{
    return buildClassSet(request) == SetOutcome::Made;
}

Fmain::SetOutcome Fmain::buildClassSet(const ClassSetRequest& request)
{
    statusLine->clearMessage();
    const bool again = request.sameSet && lastSet_;
    if (!again && !previewCurrent())
        return SetOutcome::Refused;
    const std::optional<int> number = again ? lastSet_->firstNumber : sheetPrintNumber();
    if (!number)
        return SetOutcome::Refused;
    const int asked = again ? lastSet_->sheets : request.sheets;
    const int count = asked < 1 ? 1 : (asked > kMaxClassSetSheets ? kMaxClassSetSheets : asked);
    if (*number > INT_MAX - count) {
        messages().warning(kAppTitle, QStringLiteral("プリント番号 %1 から %2 枚の番号は扱えません。プリント番号を小さくしてください。")
                                          .arg(*number)
                                          .arg(count));
        return SetOutcome::Refused;
    }
    if (!again && count > 1 && !selected_.commandsEnabled()) {
        messages().warning(kAppTitle, kNoTypeTicked);
        return SetOutcome::Refused;
    }
    if (!request.print && request.fileName.isEmpty()) {
        messages().warning(kAppTitle, QStringLiteral("保存するファイル名を入れてください。"));
        return SetOutcome::Refused;
    }
    if (!again && !sheet_.origin)
        return SetOutcome::Refused;
    // A new set goes on from the previewed sheet: the sheets after it in the set that its seed,
    // types and layout decide. The first sheet of a set is the same with or without the same mix.
    // The same set again is made from its first sheet as it was.
    SheetOrigin first = again ? lastSet_->first : *sheet_.origin;
    if (!again && first.index == 0)
        first.recipe.sameMix = request.sameMix;
    if (first.index > kMaxSheetIndex - (count - 1)) {
        messages().warning(kAppTitle, QStringLiteral("この用紙から続けて作れるのは、あと %1 枚までです。枚数を減らしてください。")
                                          .arg(kMaxSheetIndex - first.index + 1));
        return SetOutcome::Refused;
    }

    // The sheet on the preview first, then the new sheets.
    std::vector<ProblemSheet> sheets;
    sheets.reserve(static_cast<std::size_t>(count));
    if (!again) {
        sheet_.printNumber = *number;
        sheets.push_back(sheet_);
        sheets.front().origin = first;
    }
    const long long from = again ? first.index : first.index + 1;
    const long long fromNumber = again ? *number : static_cast<long long>(*number) + 1;
    const std::unique_ptr<RandomSource> random = sourceForSeed_(first.recipe.seed);
    const bool built = generate(*random, [&](RuleContext& ctx) {
        bool complete = true;
        buildSheets(first.recipe, from, count - static_cast<long long>(sheets.size()), fromNumber, ctx,
                    [&](long long, const ProblemSheet& sheet, bool filled) {
                        complete = complete && filled;
                        sheets.push_back(sheet);
                        return true;
                    });
        return complete;
    });
    if (!built)
        return SetOutcome::Refused;
    const PageList pages = pagesOf(sheets, request.answers, drill_.marks.answerList);

    // A set of more pages than a second's drawing shows its progress from the start.
    constexpr std::size_t kQuietPages = 20;
    std::unique_ptr<QProgressDialog> progressDialog;
    bool cancelled = false;
    PageProgress progress;
    if (pages.size() > kQuietPages) {
        progressDialog = std::make_unique<QProgressDialog>(
            request.print ? QStringLiteral("印刷しています…") : QStringLiteral("PDFを作っています…"),
            QStringLiteral("中止"), 0, static_cast<int>(pages.size()), this);
        progressDialog->setObjectName(QStringLiteral("ClassSetProgress"));
        progressDialog->setWindowTitle(kAppTitle);
        progressDialog->setWindowModality(Qt::WindowModal);
        progressDialog->setMinimumDuration(0);
        progressDialog->setValue(0);
        progress = [&](int done, int) {
            progressDialog->setValue(done);
            cancelled = progressDialog->wasCanceled();
            return !cancelled;
        };
    }

    // The progress dialog goes before any message, so that the message can be answered.
    if (request.print) {
        const std::unique_ptr<QPrinter> printer = documentPrinter(chosenFile());
        const PaintOutcome outcome = paintDocument(*printer, static_cast<int>(pages.size()),
                                                   sheetPainter(pages, settingsFor(sheets.front())), progress);
        progressDialog.reset();
        if (outcome == PaintOutcome::Cancelled) {
            statusLine->showMessage(QStringLiteral("印刷を中止しました。"));
            return SetOutcome::Cancelled;
        }
        if (outcome != PaintOutcome::Done) {
            statusLine->showMessage(QStringLiteral("印刷できませんでした。"));
            messages().warning(kAppTitle, printFailure(*printer, outcome));
            return SetOutcome::Failed;
        }
        tellPrinted(QStringLiteral("印刷しました"), {destination(*printer)}, *number, count);
    } else {
        const QString folder = QFileInfo(request.fileName).absolutePath();
        if (!QDir().mkpath(folder)) {
            progressDialog.reset();
            statusLine->showMessage(QStringLiteral("保存できませんでした。"));
            messages().warning(kAppTitle, QStringLiteral("PDFファイル「%1」を保存できませんでした。\nフォルダ「%2」を作れません。")
                                              .arg(QDir::toNativeSeparators(request.fileName), QDir::toNativeSeparators(folder)));
            return SetOutcome::Failed;
        }
        const PageSetup setup{printer_.pageLayout().pageSize(), kFileDpi};
        const RenderSettings settings = settingsFor(sheets.front());
        const QString error = writePdfs({{request.fileName, static_cast<int>(pages.size()), sheetPainter(pages, settings)}},
                                        setup, progress, fileCalls_);
        progressDialog.reset();
        if (cancelled) {
            statusLine->showMessage(QStringLiteral("保存を中止しました。"));
            return SetOutcome::Cancelled;
        }
        if (!error.isEmpty()) {
            statusLine->showMessage(QStringLiteral("保存できませんでした。"));
            messages().warning(kAppTitle, saveFailure(request.fileName));
            return SetOutcome::Failed;
        }
        tellPrinted(QStringLiteral("保存しました"), {QDir::toNativeSeparators(request.fileName)}, *number, count);
    }
    if (again)
        return SetOutcome::Made;
    // The sheets of this set are handed out: the next set, and the preview, are new problems.
    lastSet_ = MadeSet{first, count, *number};
    const QString told = statusLine->currentMessage();
    if (!ownNumber_)
        raisePrintNumber(*number + count);
    const std::optional<int> next = StrToInt(PrnNum->text());
    if (next && newPreview(first.recipe.types, first.recipe.pattern, *next))
        statusLine->showMessage(told + QStringLiteral("　プレビューは次の新しい問題です。"));
    return SetOutcome::Made;
}

bool Fmain::paintSheetAndAnswers(QPrinter& printer)
{
    return printPages(printer, pagesOf({sheet_}, AnswerSheets::AfterEach, drill_.marks.answerList));
}

// The large preview: the sheet and its answer sheet at the printer's page size, zoomable, and
// printable as 印刷（答えつき） prints (the print number raised once).
void Fmain::PaintBox1DblClick()
{
    if (!previewCurrent() || sheet_.count < 1)
        return;
    const std::optional<int> number = sheetPrintNumber();
    if (!number)
        return;
    const std::optional<int> next = nextPrintNumber(*number);
    if (!next && !ownNumber_) {
        messages().warning(kAppTitle, printNumberLimitMessage(*number));
        return;
    }
    sheet_.printNumber = *number;
    const std::unique_ptr<QPrinter> printer = documentPrinter(chosenFile());
    QPrintPreviewDialog dialog(printer.get(), this);
    dialog.setObjectName(QStringLiteral("LargePreview"));
    dialog.setWindowTitle(QStringLiteral("プレビュー（拡大）"));
    fitToScreen(&dialog, this, QSize(900, 800));
    bool painted = true;
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
            [this, &painted](QPrinter* p) { painted = paintSheetAndAnswers(*p); });
    if (dialog.exec() == QDialog::Accepted && painted) {
        tellPrinted(QStringLiteral("印刷しました"), {destination(*printer)}, *number, 1);
        if (!ownNumber_)
            raisePrintNumber(*next);
    }
}

// The faces' fault in detail is for the command-line tool; the window says what to do.
void Fmain::warnOfFaces()
{
    if (!checkFaces().isEmpty())
        messages().warning(kAppTitle, QStringLiteral("図の数字をマスの中に書ける日本語の字体が見つかりません。"
                                                     "IPA明朝とIPAゴシック（パッケージ fonts-ipafont-mincho と "
                                                     "fonts-ipafont-gothic）を入れてください。"));
}

void Fmain::btnCodeClick()
{
    CodeDialog dialog(this);
    // A code that cannot be used is said so, and the dialog comes back with it to be corrected.
    while (dialog.exec() == QDialog::Accepted)
        if (makeFromCode(dialog.code()))
            return;
}

bool Fmain::makeFromCode(const QString& typed)
{
    const DecodedCode decoded = decodeSheetCode(typed.toStdString());
    if (!decoded.code) {
        messages().warning(kAppTitle, codeMessage(decoded, typed));
        return false;
    }
    const SheetCode& code = *decoded.code;
    const SetRecipe& recipe = code.origin.recipe;
    for (int t : recipe.types) {
        if (!ruleFor(t)) {
            messages().warning(kAppTitle, QStringLiteral("型 %1 の問題は、この版では作れません。").arg(t));
            return false;
        }
    }
    // The window shows what the sheet was made with: its types ticked in their order, its layout,
    // its print number.
    // The sheet keeps its own print number; the field keeps the next one to hand out.
    tickOnly(recipe.types);
    QNumPattern->setItemIndex(static_cast<int>(recipe.pattern));
    drill_ = {recipe.balanced, recipe.easyOrder, code.marks};
    if (makeSheet(code.origin, code.printNumber)) {
        ownNumber_ = true;
        statusLine->showMessage(QStringLiteral("コードの用紙です。プリント番号 %1 のまま印刷します（次のプリント番号 %2 はそのままです）。")
                                    .arg(code.printNumber)
                                    .arg(PrnNum->text()));
    }
    saveSettings();
    return true;
}

void Fmain::btnDrillClick()
{
    DrillDialog dialog(drill_, this);
    if (dialog.exec() == QDialog::Accepted)
        setDrillOptions(dialog.options());
}

void Fmain::setDrillOptions(const DrillOptions& options)
{
    const bool problemsChange = options.balanced != drill_.balanced || options.easyOrder != drill_.easyOrder;
    drill_ = options;
    saveSettings();
    // The preview stays what prints: its problems are made again from its seed with the new choice.
    if (problemsChange && sheet_.previewMade && sheet_.origin) {
        SheetOrigin origin = *sheet_.origin;
        origin.recipe.balanced = drill_.balanced;
        origin.recipe.easyOrder = drill_.easyOrder;
        makeSheet(origin, sheet_.printNumber);
        return;
    }
    settingChanged();
}

}  // namespace pelkano
