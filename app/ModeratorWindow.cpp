#include "app/ModeratorWindow.h"

#include <QApplication>
#include <QFile>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "app/ImageConversion.h"
#include "app/ViewWindow.h"
#include "app/Windows1252.h"
#include "base/SteadyTick.h"
#include "game/KelvandorView.h"
#include "game/RemoteButtons.h"

namespace kelvandor {
namespace {

constexpr int kRefreshMs = 100;
constexpr int kThumbnailHeight = 72;

QString Utf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QLabel* MakeLabel(QWidget* parent, int pointSize, bool bold) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);  // questions and paths may hold "<"
    label->setWordWrap(true);
    QFont font = label->font();
    font.setPointSize(pointSize);
    font.setBold(bold);
    label->setFont(font);
    return label;
}

void SetText(QLabel* label, const QString& text) {
    if (label->text() != text) {
        label->setText(text);
    }
}

QString StarsText(const char* side, int stars) {
    return QStringLiteral("%1  \u2605 %2").arg(QString::fromUtf8(side)).arg(stars);
}

// The remote's port and the last press: button, whose button, how long ago.
QString RemoteText(const RemoteStatus& status, bool joystickOn, std::uint32_t now) {
    QString text = FromWindows1252(RemoteStatusText(status, now)) + QStringLiteral(" \u00B7 ") +
                   FromWindows1252(ReceiverStatusText(status, now));
    if (!status.hasPress) {
        return text + QStringLiteral(" \u00B7 noch keine Taste");
    }
    const RemoteAction action = RemoteButtonAction(status.lastCode, joystickOn);
    const QString who = action.kind == RemoteAction::Kind::Judge
                            ? QStringLiteral(" (%1)").arg(Utf8(PlayerName(action.value)))
                            : QString();
    const std::uint32_t ago = (now - status.lastTime) / 1000;
    return text + QStringLiteral(" \u00B7 letzte Taste %1%2 vor %3 s")
                      .arg(status.lastCode)
                      .arg(who)
                      .arg(ago);
}

}  // namespace

CModeratorWindow::CModeratorWindow(CViewWindow& view, QWidget& keyWindow)
    : QWidget(nullptr, Qt::Window), view_(&view) {
    setObjectName(QStringLiteral("ModeratorWindow"));
    setWindowTitle(QStringLiteral("Moderator - Kelvandor"));
    // Opening or updating it must not pull the keyboard away from the game window.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::ClickFocus);
    // The game's keys (F-keys, Ctrl+N, F10) work here as in the game window.
    addActions(keyWindow.actions());
    resize(1100, 800);

    auto* layout = new QVBoxLayout(this);
    phase_ = MakeLabel(this, 30, true);
    phase_->setObjectName(QStringLiteral("Phase"));
    layout->addWidget(phase_);

    auto* players = new QGridLayout;
    left_ = MakeLabel(this, 26, true);
    clock_ = MakeLabel(this, 26, true);
    right_ = MakeLabel(this, 26, true);
    clock_->setAlignment(Qt::AlignCenter);
    right_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (QLabel* label : {left_, right_}) {
        label->setAutoFillBackground(true);
        label->setMargin(6);
    }
    players->addWidget(left_, 0, 0);
    players->addWidget(clock_, 0, 1);
    players->addWidget(right_, 0, 2);
    layout->addLayout(players);

    question_ = MakeLabel(this, 24, true);
    question_->setObjectName(QStringLiteral("Question"));
    layout->addWidget(question_);

    answers_ = new QTableWidget(0, 3, this);
    answers_->setObjectName(QStringLiteral("Answers"));
    answers_->setHorizontalHeaderLabels(
        {QStringLiteral("Antwort"), QStringLiteral("Lösungstext"), QStringLiteral("Stand")});
    answers_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    answers_->setSelectionMode(QAbstractItemView::NoSelection);
    answers_->setFocusPolicy(Qt::NoFocus);
    answers_->setIconSize(QSize(kThumbnailHeight * 2, kThumbnailHeight));
    answers_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    answers_->verticalHeader()->setDefaultSectionSize(kThumbnailHeight + 8);
    answers_->verticalHeader()->hide();  // the answers carry their number themselves
    QFont tableFont = answers_->font();
    tableFont.setPointSize(18);
    answers_->setFont(tableFont);
    layout->addWidget(answers_, 1);

    next_label_ = MakeLabel(this, 16, false);
    next_label_->setObjectName(QStringLiteral("NextPuzzle"));
    root_ = MakeLabel(this, 12, false);
    remote_ = MakeLabel(this, 14, false);
    remote_->setObjectName(QStringLiteral("Remote"));
    layout->addWidget(next_label_);
    layout->addWidget(root_);
    layout->addWidget(remote_);

    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, &CModeratorWindow::Refresh);
    timer_->start(kRefreshMs);
    Refresh();
}

void CModeratorWindow::Refresh() {
    if (!view_) {
        return;
    }
    const GameState& state = view_->View().State();
    ModeratorModel model = BuildModeratorModel(state, SteadyTickCount());
    // The next puzzle is read from disk only when what it depends on changed.
    const bool formulas = state.UseFormulas != 0;
    if (state.PuzzlePath != nextRoot_ || state.GameNumber != nextNumber_ ||
        formulas != nextFormulas_) {
        nextRoot_ = state.PuzzlePath;
        nextNumber_ = state.GameNumber;
        nextFormulas_ = formulas;
        next_ = LookUpNextPuzzle(nextRoot_, nextNumber_, formulas);
        SetText(next_label_, QStringLiteral("Nächstes Rätsel (F5): ") + Utf8(next_.text));
    }
    if (!shownOnce_ || model != model_) {
        const bool newPuzzle = !shownOnce_ || model.question != model_.question ||
                               model.answers.size() != model_.answers.size();
        model_ = std::move(model);
        shownOnce_ = true;
        if (newPuzzle) {
            ShowPictures();
        }
        ShowModel();
    }
    if (const std::optional<RemoteStatus> status = view_->RemoteReaderStatus()) {
        SetText(remote_, QStringLiteral("Fernbedienung: ") +
                             RemoteText(*status, state.JoystickOn != 0, SteadyTickCount()));
    } else {
        SetText(remote_, QStringLiteral("Fernbedienung: nicht gestartet"));
    }
}

void CModeratorWindow::ShowPictures() {
    thumbnails_.clear();
    const PuzzleContent& puzzle = view_->View().State().Puzzle;
    for (std::size_t i = 0; i < model_.answers.size(); ++i) {
        const QImage image = ToQImage(puzzle.ElementPictures[i]);
        thumbnails_.push_back(image.isNull() ? QPixmap()
                                             : QPixmap::fromImage(image.scaledToHeight(
                                                   kThumbnailHeight, Qt::SmoothTransformation)));
    }
}

void CModeratorWindow::ShowModel() {
    SetText(phase_, Utf8(model_.phase));
    SetText(left_, StarsText("Links", model_.stars[0]));
    SetText(right_, StarsText("Rechts", model_.stars[1]));
    SetText(clock_, model_.secondsLeft ? QStringLiteral("%1 s").arg(*model_.secondsLeft)
                                       : QStringLiteral("\u2013"));
    const QColor active(255, 214, 0);
    for (std::uint32_t p = 0; p < 2; ++p) {
        QLabel* label = p == 0 ? left_ : right_;
        QPalette palette = label->palette();
        palette.setColor(QPalette::Window,
                         model_.activePlayer == p ? active : this->palette().color(QPalette::Window));
        label->setPalette(palette);
    }
    SetText(question_, model_.question.empty() ? QStringLiteral("(kein Rätsel auf dem Brett)")
                                               : Utf8(model_.question));
    SetText(root_, QStringLiteral("Rätselpfad: ") +
                       (model_.puzzleRoot.empty()
                            ? QStringLiteral("keiner")
                            : QFile::decodeName(model_.puzzleRoot.c_str())));

    answers_->setRowCount(static_cast<int>(model_.answers.size()));
    for (int row = 0; row < answers_->rowCount(); ++row) {
        const ModeratorAnswer& a = model_.answers[static_cast<std::size_t>(row)];
        QColor colour = Qt::transparent;
        if (a.placed) {
            colour = QColor(170, 230, 170);
        } else if (a.wrong) {
            colour = QColor(240, 160, 160);
        } else if (a.selected) {
            colour = QColor(255, 236, 140);
        }
        const QString texts[] = {QStringLiteral("%1. ").arg(row + 1) + Utf8(a.answer),
                                 Utf8(a.solution), Utf8(a.status)};
        for (int column = 0; column < 3; ++column) {
            QTableWidgetItem* item = answers_->item(row, column);
            if (item == nullptr) {
                item = new QTableWidgetItem;
                answers_->setItem(row, column, item);
            }
            item->setText(texts[column]);
            item->setBackground(colour);
        }
        const auto index = static_cast<std::size_t>(row);
        answers_->item(row, 0)->setIcon(index < thumbnails_.size() && !thumbnails_[index].isNull()
                                            ? QIcon(thumbnails_[index])
                                            : QIcon());
    }
}

bool CModeratorWindow::PlaceBeside(QWidget& gameWindow) {
    const QScreen* gameScreen = gameWindow.screen();
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen != gameScreen) {
            setScreen(screen);
            setGeometry(screen->availableGeometry().adjusted(40, 40, -40, -40));
            return true;
        }
    }
    return false;
}

void CModeratorWindow::keyPressEvent(QKeyEvent* event) {
    // The arrow keys move the answers as in the game window.
    if (view_) {
        QKeyEvent copy(event->type(), event->key(), event->modifiers(), event->text());
        QApplication::sendEvent(view_.data(), &copy);
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CModeratorWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Refresh();
}

}  // namespace kelvandor
