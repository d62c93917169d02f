#include "PracticeWindow.h"

#include "Hissan.h"
#include "QtSurface.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace pelkano {

namespace {

// The figure is drawn as on a sheet in the largest pattern: cells of 16 layout units, 10 frame
// rows, so that DrawScale = cell / 16 gives cells of exactly `cell` pixels.
constexpr int kCellUnits = 16;
constexpr int kQuarterUnits = 4;
constexpr int kFrameRows = 10;

const QColor kTypedColour(0, 70, 200);
const QColor kWrongColour(220, 0, 0);
const QColor kOpenRowColour(255, 248, 200);
const QColor kCursorColour(255, 215, 110);

Scale scaleOf(const BoardCells& f)
{
    return Scale(static_cast<float>(f.cell) / kCellUnits);
}

RenderSettings boardSettings()
{
    RenderSettings s;
    s.pattern = LayoutPattern::R2C2;
    s.frame = true;
    s.lineWidth = 1;
    s.style = QuestionStyle::Written;
    return s;
}

void prepare(QtSurface& surface)
{
    surface.setFontName(kMinchoFace);
    surface.setFontUnderline(false);
    surface.setPenColor(Color::Black);
    surface.setBrushStyle(BrushStyle::Clear);
}

struct PlacedDigit {
    QPoint at;  // the text cell's top-left corner
    char digit;
};

// Digits in the sheets' face and placement; a colour other than black is laid over the black
// glyphs, so that the one text path (and its baseline) serves every colour.
void drawDigits(QPainter& painter, const QWidget& widget, const BoardCells& f, const std::vector<PlacedDigit>& digits,
                const QColor& colour)
{
    if (digits.empty())
        return;
    auto drawBlack = [&](QPainter& p) {
        QtSurface surface(p);
        prepare(surface);
        surface.setFontHeight(f.cell);
        for (const PlacedDigit& d : digits)
            surface.textOut(d.at.x(), d.at.y(), std::string(1, d.digit));
    };
    if (colour == QColor(Qt::black)) {
        drawBlack(painter);
        return;
    }
    const qreal ratio = widget.devicePixelRatioF();
    QImage layer((QSizeF(widget.size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(ratio);
    layer.fill(Qt::transparent);
    {
        QPainter p(&layer);
        drawBlack(p);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(QRect(QPoint(0, 0), widget.size()), colour);
    }
    painter.drawImage(QPoint(0, 0), layer);
}

QPushButton* padKey(QWidget* parent, const QString& text, const char* name, const QString& tip = {})
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setFocusPolicy(Qt::NoFocus);  // the keys stay with the figure
    b->setMinimumSize(56, 48);
    QFont font = b->font();
    font.setPixelSize(20);
    b->setFont(font);
    if (!tip.isEmpty())
        b->setToolTip(tip);
    return b;
}

QString duration(qint64 ms)
{
    const qint64 seconds = ms / 1000;
    return QStringLiteral("%1分%2秒").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

QIcon practiceGlyph()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    // Two squares of the working with a digit-like stroke, and a pencil writing in them.
    p.setPen(QPen(QColor(120, 120, 120), 1, Qt::DotLine));
    p.setBrush(Qt::white);
    p.drawRect(0, 4, 6, 6);
    p.drawRect(6, 4, 6, 6);
    p.setPen(QPen(QColor(0, 70, 200), 1));
    p.drawLine(3, 6, 3, 8);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 40, 20), 1));
    p.setBrush(QColor(240, 190, 40));
    const QPointF pencil[] = {{15, 2}, {13, 0}, {7, 10}, {7, 12}, {9, 12}};
    p.drawPolygon(pencil, 5);
    p.setBrush(QColor(60, 60, 60));
    const QPointF tip[] = {{7, 11}, {7, 12}, {8, 12}};
    p.drawPolygon(tip, 3);
    return QIcon(pixmap);
}

BoardCells BoardCells::of(const LongDivision& working)
{
    BoardCells f;
    f.dividendCell = digitCount(working.divisor) + 1;
    return f;
}

QRect BoardCells::cellRect(int row, int column) const
{
    return QRect(left + column * cell, top + row * cell, cell, cell);
}

QRect BoardCells::rowCell(const PracticeRow& row, int i) const
{
    return cellRect(row.row, dividendCell + row.firstDigit + i);
}

PracticeBoard::PracticeBoard(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("practiceBoard"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PracticeBoard::setProblem(const PracticeProblem* problem)
{
    problem_ = problem;
    update();
}

void PracticeBoard::fitTo(const std::vector<LongDivision>& problems)
{
    int columns = 1;
    int rows = kFrameRows;
    for (const LongDivision& w : problems) {
        columns = std::max(columns, digitCount(w.divisor) + 1 + digitCount(w.dividend));
        rows = std::max(rows, w.rows());
    }
    const BoardCells f;
    fit_ = QSize(2 * f.left + columns * f.cell, 2 * f.top + rows * f.cell);
    updateGeometry();
}

BoardCells PracticeBoard::cells() const
{
    return problem_ ? BoardCells::of(problem_->working()) : BoardCells{};
}

void PracticeBoard::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!problem_)
        return;
    const PracticeProblem& p = *problem_;
    const BoardCells f = cells();
    const Scale scale = scaleOf(f);
    const auto& rows = p.rows();

    if (!p.finished()) {
        const PracticeRow& open = rows[p.current()];
        for (int i = 0; i < open.cells(); ++i)
            painter.fillRect(f.rowCell(open, i), i == p.cursor() ? kCursorColour : kOpenRowColour);
    }

    QtSurface surface(painter);
    prepare(surface);
    const LongDivision& w = p.working();
    Hissan(surface, scale, f.left, f.top, std::to_string(w.dividend), std::to_string(w.divisor), ")",
           boardSettings(), false);

    // A product's line runs under every dividend cell, as in the answers, once the product is right.
    const int quarter = scale.S(kQuarterUnits);
    const int nD = digitCount(w.dividend);
    surface.setFontHeight(f.cell);
    surface.setFontUnderline(true);
    for (std::size_t r = 0; r < p.current() && r < rows.size(); ++r)
        if (rows[r].kind == PracticeRow::Kind::Product)
            surface.textOut(f.cellRect(rows[r].row, f.dividendCell).left() + quarter, f.top + rows[r].row * f.cell,
                            std::string(static_cast<std::size_t>(2 * nD - 1), ' '));
    surface.setFontUnderline(false);

    std::vector<PlacedDigit> done, typed, wrong;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (int i = 0; i < rows[r].cells(); ++i) {
            const char d = p.digit(r, i);
            if (d == ' ')
                continue;
            const PlacedDigit placed{f.rowCell(rows[r], i).topLeft() + QPoint(quarter, 0), d};
            (r < p.current() ? done : p.wrong(r, i) ? wrong : typed).push_back(placed);
        }
    }
    drawDigits(painter, *this, f, done, Qt::black);
    drawDigits(painter, *this, f, typed, kTypedColour);
    drawDigits(painter, *this, f, wrong, kWrongColour);
}

PracticeWindow::PracticeWindow(std::vector<LongDivision> problems, MakeProblems makeMore, QWidget* parent)
    : QWidget(parent, Qt::Window), makeMore_(std::move(makeMore))
{
    setObjectName(QStringLiteral("practiceWindow"));
    setWindowTitle(QStringLiteral("練習 - Pelkano"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::StrongFocus);
    QFont base = font();
    base.setPixelSize(16);
    setFont(base);

    pages_ = new QStackedWidget(this);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(pages_);

    // The working page: heading, figure and pad side by side, the status line.
    auto* work = new QWidget(pages_);
    auto* workLayout = new QVBoxLayout(work);
    heading_ = new QLabel(work);
    heading_->setObjectName(QStringLiteral("practiceHeading"));
    workLayout->addWidget(heading_);
    auto* middle = new QHBoxLayout;
    board_ = new PracticeBoard(work);
    middle->addWidget(board_, 0, Qt::AlignTop);
    auto* pad = new QGridLayout;
    for (int d = 1; d <= 9; ++d) {
        const QByteArray name = "key" + QByteArray::number(d);
        QPushButton* key = padKey(work, QString::number(d), name.constData());
        connect(key, &QPushButton::clicked, this, [this, d] { pressDigit(d); });
        pad->addWidget(key, 2 - (d - 1) / 3, (d - 1) % 3);
    }
    QPushButton* zero = padKey(work, QStringLiteral("0"), "key0");
    connect(zero, &QPushButton::clicked, this, [this] { pressDigit(0); });
    pad->addWidget(zero, 3, 0);
    QPushButton* left = padKey(work, QStringLiteral("◀"), "keyLeft", QStringLiteral("左のますへ"));
    connect(left, &QPushButton::clicked, this, &PracticeWindow::pressLeft);
    pad->addWidget(left, 3, 1);
    QPushButton* right = padKey(work, QStringLiteral("▶"), "keyRight", QStringLiteral("右のますへ"));
    connect(right, &QPushButton::clicked, this, &PracticeWindow::pressRight);
    pad->addWidget(right, 3, 2);
    QPushButton* back = padKey(work, QStringLiteral("けす"), "keyBackspace", QStringLiteral("数字を1つけす"));
    connect(back, &QPushButton::clicked, this, &PracticeWindow::pressBackspace);
    pad->addWidget(back, 4, 0);
    QPushButton* enter = padKey(work, QStringLiteral("たしかめる"), "keyEnter", QStringLiteral("この行の答えをたしかめる"));
    connect(enter, &QPushButton::clicked, this, &PracticeWindow::pressEnter);
    pad->addWidget(enter, 4, 1, 1, 2);
    btnHint_ = padKey(work, QStringLiteral("ヒント"), "btnHint", QStringLiteral("次の数字を1つ教えてもらう（H キー）"));
    connect(btnHint_, &QPushButton::clicked, this, &PracticeWindow::pressHint);
    pad->addWidget(btnHint_, 5, 0, 1, 3);
    btnNext_ = padKey(work, QStringLiteral("次へ"), "btnNext", QStringLiteral("次の問題へ（Enter キー）"));
    connect(btnNext_, &QPushButton::clicked, this, &PracticeWindow::pressEnter);
    pad->addWidget(btnNext_, 6, 0, 1, 3);
    pad->setRowStretch(7, 1);
    middle->addLayout(pad);
    workLayout->addLayout(middle);
    status_ = new QLabel(work);
    status_->setObjectName(QStringLiteral("practiceStatus"));
    status_->setMinimumHeight(28);
    workLayout->addWidget(status_);
    pages_->addWidget(work);

    // The summary page.
    auto* end = new QWidget(pages_);
    auto* endLayout = new QVBoxLayout(end);
    summary_ = new QLabel(end);
    summary_->setObjectName(QStringLiteral("practiceSummary"));
    QFont large = summary_->font();
    large.setPixelSize(22);
    summary_->setFont(large);
    endLayout->addStretch(1);
    endLayout->addWidget(summary_, 0, Qt::AlignCenter);
    endLayout->addStretch(1);
    auto* buttons = new QHBoxLayout;
    btnAgain_ = new QPushButton(QStringLiteral("もう一度"), end);
    btnAgain_->setObjectName(QStringLiteral("btnAgain"));
    btnAgain_->setToolTip(QStringLiteral("新しい問題で練習する"));
    btnClose_ = new QPushButton(QStringLiteral("閉じる"), end);
    btnClose_->setObjectName(QStringLiteral("btnClosePractice"));
    for (QPushButton* b : {btnAgain_, btnClose_}) {
        b->setAutoDefault(true);  // Enter presses the button that has the focus
        b->setMinimumSize(120, 40);
        buttons->addWidget(b);
    }
    connect(btnAgain_, &QPushButton::clicked, this, &PracticeWindow::again);
    connect(btnClose_, &QPushButton::clicked, this, &QWidget::close);
    endLayout->addLayout(buttons);
    pages_->addWidget(end);

    start(std::move(problems));
}

PracticeWindow::~PracticeWindow() = default;

void PracticeWindow::start(std::vector<LongDivision> problems)
{
    board_->fitTo(problems);
    board_->setProblem(nullptr);
    session_ = std::make_unique<PracticeSession>(std::move(problems));
    clock_.start();
    showProblem();
}

bool PracticeWindow::showingSummary() const
{
    return pages_->currentIndex() == 1;
}

void PracticeWindow::showProblem()
{
    pages_->setCurrentIndex(0);
    board_->setProblem(&session_->problem());
    heading_->setText(QStringLiteral("問題 %1 / %2").arg(session_->index() + 1).arg(session_->count()));
    setFocus();
    refresh(prompt());
}

QString PracticeWindow::prompt() const
{
    const PracticeProblem& p = session_->problem();
    if (p.finished())
        return session_->lastProblem() ? QStringLiteral("できました！ Enter キーで結果を見ましょう。")
                                       : QStringLiteral("できました！ Enter キーで次の問題へ進みましょう。");
    switch (p.rows()[p.current()].kind) {
    case PracticeRow::Kind::Quotient:
        return QStringLiteral("商をたてましょう。");
    case PracticeRow::Kind::Product:
        return QStringLiteral("かけ算の答えを書きましょう。");
    case PracticeRow::Kind::Difference:
        return QStringLiteral("ひき算をして、次の数字をおろしましょう。");
    case PracticeRow::Kind::Remainder:
        break;
    }
    return QStringLiteral("ひき算をして、あまりを書きましょう。");
}

void PracticeWindow::refresh(const QString& status)
{
    status_->setText(status);
    const bool finished = session_->problem().finished();
    btnNext_->setEnabled(finished);
    btnHint_->setEnabled(!finished);
    board_->update();
}

void PracticeWindow::afterCheck(PracticeProblem::Check result)
{
    refresh(result == PracticeProblem::Check::Wrong ? QStringLiteral("赤い数字がちがいます。なおしましょう。") : prompt());
}

void PracticeWindow::pressDigit(int digit)
{
    if (!showingSummary())
        afterCheck(session_->problem().type(digit));
}

void PracticeWindow::pressBackspace()
{
    if (showingSummary())
        return;
    session_->problem().backspace();
    refresh(prompt());
}

void PracticeWindow::pressLeft()
{
    if (showingSummary())
        return;
    session_->problem().moveLeft();
    board_->update();
}

void PracticeWindow::pressRight()
{
    if (showingSummary())
        return;
    session_->problem().moveRight();
    board_->update();
}

void PracticeWindow::pressEnter()
{
    if (showingSummary())
        return;
    PracticeProblem& p = session_->problem();
    if (p.finished()) {
        if (session_->next())
            showProblem();
        else
            showSummary();
        return;
    }
    const PracticeProblem::Check result = p.check();
    if (result == PracticeProblem::Check::Incomplete)
        refresh(QStringLiteral("まだ書いていないますがあります。"));
    else
        afterCheck(result);
}

void PracticeWindow::pressHint()
{
    if (!showingSummary())
        afterCheck(session_->problem().hint());
}

void PracticeWindow::showSummary()
{
    summary_->setText(QStringLiteral("練習の結果\n\n"
                                     "1回で正解した問題（ヒントなし）：%1 / %2 問\n"
                                     "ヒントを使った回数：%3 回\n"
                                     "かかった時間：%4")
                          .arg(session_->rightFirstTime())
                          .arg(session_->count())
                          .arg(session_->hints())
                          .arg(duration(clock_.elapsed())));
    pages_->setCurrentIndex(1);
    btnAgain_->setFocus();
}

void PracticeWindow::again()
{
    std::vector<LongDivision> problems = makeMore_ ? makeMore_() : std::vector<LongDivision>{};
    if (!problems.empty())
        start(std::move(problems));
}

void PracticeWindow::keyPressEvent(QKeyEvent* event)
{
    if (showingSummary()) {
        QWidget::keyPressEvent(event);
        return;
    }
    const int key = event->key();
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        pressDigit(key - Qt::Key_0);
    else if (key == Qt::Key_Backspace || key == Qt::Key_Delete)
        pressBackspace();
    else if (key == Qt::Key_Left)
        pressLeft();
    else if (key == Qt::Key_Right)
        pressRight();
    else if (key == Qt::Key_Return || key == Qt::Key_Enter)
        pressEnter();
    else if (key == Qt::Key_H)
        pressHint();
    else
        QWidget::keyPressEvent(event);
}

}  // namespace pelkano
