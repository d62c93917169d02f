#include "PracticeWindow.h"

#include "BoardLook.h"
#include "PracticeReport.h"
#include "QtSurface.h"
#include "ResultsPage.h"

#include <QButtonGroup>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QSettings>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace pelkano {

namespace {

QColor qColour(BoardColour c)
{
    return QColor(c.red, c.green, c.blue);
}

BoardSquares squaresOf(const BoardCells& f)
{
    return {f.cell, f.left, f.top};
}

// Digits in the sheets' face and placement; a colour other than black is laid over the black
// glyphs, so that the one text path (and its baseline) serves every colour.
void drawDigits(QPainter& painter, const QWidget& widget, const BoardCells& f, const std::vector<BoardDigit>& digits,
                const QColor& colour)
{
    if (digits.empty())
        return;
    auto drawBlack = [&](QPainter& p) {
        QtSurface surface(p);
        prepareBoardDigits(surface, squaresOf(f));
        for (const BoardDigit& d : digits)
            surface.textOut(d.x, d.y, std::string(1, d.digit));
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

std::int64_t now()
{
    return QDateTime::currentMSecsSinceEpoch();
}

int utcOffsetMinutes()
{
    return QDateTime::currentDateTime().offsetFromUtc() / 60;
}

QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}

PracticeLevel savedLevel()
{
    const QString key = QSettings().value(QLatin1String(kPracticeLevelKey)).toString();
    return levelFromKey(key.toStdString()).value_or(PracticeLevel::Guided);
}

QPushButton* summaryButton(QWidget* parent, const QString& text, const char* name, const QString& tip)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(tip);
    b->setAutoDefault(true);  // Enter presses the button that has the focus
    b->setMinimumSize(120, 36);
    return b;
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

QRect BoardCells::cellRect(int row, int column) const
{
    return QRect(left + column * cell, top + row * cell, cell, cell);
}

std::optional<PracticeProblem::Place> BoardCells::placeAt(const QPoint& point) const
{
    if (point.x() < left || point.y() < top)
        return std::nullopt;
    return PracticeProblem::Place{(point.y() - top) / cell, (point.x() - left) / cell};
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

void PracticeBoard::fitTo(const std::vector<PracticeItem>& problems)
{
    const BoardExtent extent = boardExtent(problems);
    const BoardCells f;
    fit_ = QSize(2 * f.left + extent.columns * f.cell, 2 * f.top + extent.rows * f.cell);
    updateGeometry();
}

void PracticeBoard::mousePressEvent(QMouseEvent* event)
{
    if (const auto place = cells().placeAt(event->position().toPoint()))
        emit tapped(place->row, place->column);
    QWidget::mousePressEvent(event);
}

void PracticeBoard::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!problem_)
        return;
    const PracticeProblem& p = *problem_;
    const BoardCells f = cells();
    for (const auto& [place, colour] : boardFills(p))
        painter.fillRect(f.cellRect(place), qColour(colour));
    QtSurface surface(painter);
    drawBoardFigure(surface, p, squaresOf(f));

    std::vector<BoardDigit> done, typed, wrong;
    for (const BoardDigit& d : boardDigits(p, squaresOf(f)))
        (d.ink == PracticeProblem::Ink::Done ? done : d.ink == PracticeProblem::Ink::Wrong ? wrong : typed).push_back(d);
    drawDigits(painter, *this, f, done, Qt::black);
    drawDigits(painter, *this, f, typed, qColour(kTypedColour));
    drawDigits(painter, *this, f, wrong, qColour(kWrongColour));
}

PracticeWindow::PracticeWindow(std::vector<PracticeItem> problems, PracticeHooks hooks, QWidget* parent)
    : QWidget(parent, Qt::Window), hooks_(std::move(hooks))
{
    setObjectName(QStringLiteral("practiceWindow"));
    setWindowTitle(QStringLiteral("練習 - Pelkano"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::StrongFocus);
    QFont base(resolveFace(kPGothicFace));  // the window's face, as the main window's
    base.setPixelSize(16);
    setFont(base);

    pages_ = new QStackedWidget(this);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(pages_);

    // The working page: heading, name and level; figure and pad side by side; the status line.
    auto* work = new QWidget(pages_);
    auto* workLayout = new QVBoxLayout(work);
    auto* top = new QHBoxLayout;
    heading_ = new QLabel(work);
    heading_->setObjectName(QStringLiteral("practiceHeading"));
    top->addWidget(heading_);
    top->addStretch(1);
    top->addWidget(new QLabel(QStringLiteral("なまえ"), work));
    name_ = new QLineEdit(work);
    name_->setObjectName(QStringLiteral("practiceName"));
    name_->setPlaceholderText(QStringLiteral("（なくてもよい）"));
    name_->setMaxLength(40);
    name_->setToolTip(QStringLiteral("結果に書く名前。書いたら Enter キーで問題にもどります"));
    top->addWidget(name_);
    top->addSpacing(16);
    top->addWidget(new QLabel(QStringLiteral("やり方"), work));
    levelGuided_ = new QRadioButton(QString::fromUtf8(levelName(PracticeLevel::Guided)), work);
    levelGuided_->setObjectName(QStringLiteral("levelGuided"));
    levelGuided_->setToolTip(QStringLiteral("書くますと商の位置を示し、1けたずつたしかめる"));
    levelAlone_ = new QRadioButton(QString::fromUtf8(levelName(PracticeLevel::Alone)), work);
    levelAlone_->setObjectName(QStringLiteral("levelAlone"));
    levelAlone_->setToolTip(QStringLiteral("商の位置も数のけた数も自分で決める"));
    auto* levels = new QButtonGroup(this);
    for (QRadioButton* b : {levelGuided_, levelAlone_}) {
        b->setFocusPolicy(Qt::NoFocus);  // the keys stay with the figure
        levels->addButton(b);
        top->addWidget(b);
    }
    workLayout->addLayout(top);

    auto* middle = new QHBoxLayout;
    board_ = new PracticeBoard(work);
    connect(board_, &PracticeBoard::tapped, this, [this](int row, int column) { tap({row, column}); });
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
    btnHint_ = padKey(work, QStringLiteral("ヒント"), "btnHint",
                      QStringLiteral("1回目は問いかけ、2回目は見るところ、3回目で数字を1つ教えてもらう（H キー）"));
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
    status_->setWordWrap(true);
    status_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    status_->setMinimumHeight(3 * status_->fontMetrics().lineSpacing() + 4);
    workLayout->addWidget(status_);
    pages_->addWidget(work);

    // The summary page: the round's totals, every problem of the run, the stumbling points.
    auto* end = new QWidget(pages_);
    auto* endLayout = new QVBoxLayout(end);
    summary_ = new QLabel(end);
    summary_->setObjectName(QStringLiteral("practiceSummary"));
    QFont large = summary_->font();
    large.setPixelSize(20);
    summary_->setFont(large);
    endLayout->addWidget(summary_);
    results_ = new QTableWidget(end);
    results_->setObjectName(QStringLiteral("practiceResults"));
    results_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    results_->setSelectionMode(QAbstractItemView::NoSelection);
    results_->setFocusPolicy(Qt::NoFocus);
    results_->verticalHeader()->hide();
    QStringList headings;
    for (const std::string& h : resultHeadings())
        headings << qs(h);
    results_->setColumnCount(static_cast<int>(headings.size()));
    results_->setHorizontalHeaderLabels(headings);
    results_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    results_->horizontalHeader()->setStretchLastSection(true);
    endLayout->addWidget(results_, 1);
    stumbles_ = new QLabel(end);
    stumbles_->setObjectName(QStringLiteral("practiceStumbles"));
    stumbles_->setFont(large);
    stumbles_->setWordWrap(true);
    endLayout->addWidget(stumbles_);
    auto* again = new QHBoxLayout;
    btnAgain_ = summaryButton(end, QStringLiteral("もう一度"), "btnAgain", QStringLiteral("新しい問題で練習する"));
    btnRetryMissed_ = summaryButton(end, QStringLiteral("まちがえた問題をもう一度"), "btnRetryMissed",
                                    QStringLiteral("まちがいやヒントのあった問題を、もう一度練習する"));
    btnWeakSheet_ = summaryButton(end, QStringLiteral("にがてプリント"), "btnWeakSheet",
                                  QStringLiteral("まちがえた問題の型で、新しいプリントをプレビューする"));
    for (QPushButton* b : {btnAgain_, btnRetryMissed_, btnWeakSheet_})
        again->addWidget(b);
    endLayout->addLayout(again);
    auto* keep = new QHBoxLayout;
    btnSaveCsv_ = summaryButton(end, QStringLiteral("CSVで保存…"), "btnSaveCsv",
                                QStringLiteral("結果を表計算ソフトで開けるファイルに保存する"));
    btnPrintResults_ = summaryButton(end, QStringLiteral("結果を印刷…"), "btnPrintResults",
                                     QStringLiteral("結果を1枚の用紙に印刷する"));
    btnClose_ = summaryButton(end, QStringLiteral("閉じる"), "btnClosePractice", QStringLiteral("練習を終わる"));
    for (QPushButton* b : {btnSaveCsv_, btnPrintResults_, btnClose_})
        keep->addWidget(b);
    endLayout->addLayout(keep);
    pages_->addWidget(end);

    connect(btnAgain_, &QPushButton::clicked, this, &PracticeWindow::again);
    connect(btnRetryMissed_, &QPushButton::clicked, this, &PracticeWindow::retryMissed);
    connect(btnWeakSheet_, &QPushButton::clicked, this, [this] {
        if (hooks_.weakSheet)
            hooks_.weakSheet(session_->weakTypes());
    });
    connect(btnSaveCsv_, &QPushButton::clicked, this, &PracticeWindow::saveCsvClick);
    connect(btnPrintResults_, &QPushButton::clicked, this, [this] {
        if (hooks_.printPage)
            hooks_.printPage(this, [this](DrawingSurface& surface, int width, int height, int) {
                drawResults(surface, width, height);
            });
    });
    connect(btnClose_, &QPushButton::clicked, this, &QWidget::close);

    const PracticeLevel level = savedLevel();
    (level == PracticeLevel::Alone ? levelAlone_ : levelGuided_)->setChecked(true);
    session_ = std::make_unique<PracticeSession>(std::vector<PracticeItem>{}, level, now());
    connect(levelGuided_, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            setLevel(PracticeLevel::Guided);
    });
    connect(levelAlone_, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            setLevel(PracticeLevel::Alone);
    });
    connect(name_, &QLineEdit::textChanged, this, [this](const QString& text) { session_->setName(text.toStdString()); });
    connect(name_, &QLineEdit::returnPressed, this, [this] { setFocus(); });

    startRound(std::move(problems));
}

PracticeWindow::~PracticeWindow() = default;

void PracticeWindow::startRound(std::vector<PracticeItem> problems)
{
    problems = workableItems(std::move(problems));
    if (problems.empty())
        return;
    board_->setProblem(nullptr);
    board_->fitTo(problems);
    session_->startRound(std::move(problems), now());
    showProblem();
}

bool PracticeWindow::showingSummary() const
{
    return pages_->currentIndex() == 1;
}

void PracticeWindow::showProblem()
{
    if (showingSummary() && workingSize_.isValid())
        resize(workingSize_);  // as it was before the summary widened it
    pages_->setCurrentIndex(0);
    board_->setProblem(session_->empty() ? nullptr : &session_->problem());
    heading_->setText(qs(problemHeading(session_->index(), session_->count())));
    setFocus();
    refresh();
}

void PracticeWindow::refresh()
{
    if (session_->empty())
        return;
    status_->setText(qs(session_->message()));
    const bool finished = session_->problem().finished();
    btnNext_->setEnabled(finished);
    btnHint_->setEnabled(!finished);
    board_->update();
}

void PracticeWindow::setLevel(PracticeLevel level)
{
    QSettings().setValue(QLatin1String(kPracticeLevelKey), QLatin1String(levelKey(level)));
    QRadioButton* button = level == PracticeLevel::Alone ? levelAlone_ : levelGuided_;
    if (!button->isChecked())
        button->setChecked(true);  // comes back here through its signal
    if (session_->level() == level)
        return;
    session_->setLevel(level);
    if (!showingSummary())
        refresh();
}

void PracticeWindow::pressDigit(int digit)
{
    if (showingSummary())
        return;
    session_->typeDigit(digit, now());
    refresh();
}

void PracticeWindow::pressBackspace()
{
    if (showingSummary())
        return;
    session_->backspace();
    refresh();
}

void PracticeWindow::pressLeft()
{
    if (showingSummary())
        return;
    session_->moveLeft();
    refresh();
}

void PracticeWindow::pressRight()
{
    if (showingSummary())
        return;
    session_->moveRight();
    refresh();
}

void PracticeWindow::tap(const PracticeProblem::Place& place)
{
    if (showingSummary())
        return;
    session_->tap(place);
    setFocus();
    refresh();
}

void PracticeWindow::pressEnter()
{
    if (showingSummary())
        return;
    const std::size_t before = session_->index();
    session_->enter(now());
    if (session_->roundOver())
        showSummary();
    else if (session_->index() != before)
        showProblem();
    else
        refresh();
}

void PracticeWindow::pressHint()
{
    if (showingSummary())
        return;
    session_->hint(now());
    refresh();
}

void PracticeWindow::showSummary()
{
    summary_->setText(QStringLiteral("練習の結果\n\n") + qs(roundSummary(*session_)));
    const std::vector<ProblemResult>& results = session_->results();
    results_->setRowCount(static_cast<int>(results.size()));
    for (std::size_t r = 0; r < results.size(); ++r) {
        const std::vector<std::string> cells = resultCells(results[r]);
        for (std::size_t c = 0; c < cells.size(); ++c)
            results_->setItem(static_cast<int>(r), static_cast<int>(c), new QTableWidgetItem(qs(cells[c])));
    }
    results_->scrollToBottom();
    // The window widens to show every column of the table.
    results_->resizeColumnsToContents();
    int tableWidth = 2 * results_->frameWidth() + 4;
    for (int c = 0; c < results_->columnCount(); ++c)
        tableWidth += results_->columnWidth(c);
    const QMargins margins = layout()->contentsMargins() + pages_->widget(1)->layout()->contentsMargins();
    const int needed = tableWidth + margins.left() + margins.right();
    workingSize_ = size();
    if (needed > width())
        resize(needed, height());
    stumbles_->setText(qs(stumblesLine(session_->stumbles())));
    btnAgain_->setEnabled(static_cast<bool>(hooks_.makeMore));
    btnRetryMissed_->setEnabled(!session_->missed().empty());
    btnWeakSheet_->setEnabled(hooks_.weakSheet && !session_->weakTypes().empty());
    btnPrintResults_->setEnabled(static_cast<bool>(hooks_.printPage));
    pages_->setCurrentIndex(1);
    (btnRetryMissed_->isEnabled() ? btnRetryMissed_ : btnAgain_)->setFocus();
}

void PracticeWindow::again()
{
    if (hooks_.makeMore)
        startRound(hooks_.makeMore());
}

void PracticeWindow::retryMissed()
{
    startRound(session_->missed());
}

QString PracticeWindow::saveCsv(const QString& path) const
{
    const std::string csv = resultsCsv(*session_, utcOffsetMinutes());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (file.write(csv.data(), static_cast<qint64>(csv.size())) != static_cast<qint64>(csv.size()))
        return file.errorString();
    if (!file.commit())
        return file.errorString();
    return {};
}

void PracticeWindow::saveCsvClick()
{
    const QString file = qs(resultsCsvFileName(name_->text().toStdString(), now(), utcOffsetMinutes()));
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("結果をCSVで保存"), QDir(folder).filePath(file),
                                                      QStringLiteral("CSV ファイル (*.csv)"));
    if (path.isEmpty())
        return;
    const QString error = saveCsv(path);
    if (!error.isEmpty())
        QMessageBox::warning(this, QStringLiteral("Pelkano"),
                             QStringLiteral("ファイル '%1' を保存できませんでした。\n%2").arg(QDir::toNativeSeparators(path), error));
}

void PracticeWindow::drawResults(DrawingSurface& surface, int width, int height) const
{
    drawResultsPage(surface, width, height, *session_, utcOffsetMinutes());
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
