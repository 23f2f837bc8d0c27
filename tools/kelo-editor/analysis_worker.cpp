#include "tools/kelo-editor/analysis_worker.h"

#include <QStringList>

#include "tools/kelo-editor/level_document.h"
#include "tools/kelo-levels/search.h"

namespace kelo::editor {

LiveFigures FiguresOf(const Board& cells, const AnalyseOptions& options) {
    LiveFigures f;
    const auto level = ReadLevel(MemoryBytes(RecordOfBoard(cells)), 1);
    if (!level) {
        f.analysis.status = Analysis::Status::NotLoadable;
        f.analysis.verdict = "not loadable";
        return f;
    }
    f.loadable = true;
    f.analysis = Analyse(*level, options);
    if (f.analysis.status != Analysis::Status::Solved) return f;
    // A first slide loses when the level after it has no solution left.
    SolveOptions so;
    so.maxStates = options.maxStates;
    so.cancel = options.cancel;
    for (int piece : {kBallPiece, kSquarePiece}) {
        for (Direction d : {Direction::Left, Direction::Up, Direction::Right, Direction::Down}) {
            const Move move{piece, d};
            const auto after = SearchSlide(*level, move);
            if (after && Solve(*after, so).outcome == Outcome::Unsolvable) f.losingFirstMoves.push_back(move);
        }
    }
    return f;
}

AnalysisWorker::AnalysisWorker(AnalyseOptions options, QObject* parent) : QThread(parent), options_(std::move(options)) {
    qRegisterMetaType<LiveFigures>();
    options_.cancel = &cancel_;
    start(QThread::LowPriority);
}

AnalysisWorker::~AnalysisWorker() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        waiting_.reset();
    }
    cancel_ = true;
    wake_.notify_all();
    wait();
}

void AnalysisWorker::Ask(std::uint64_t generation, const Board& cells) {
    latest_ = generation;
    {
        std::lock_guard lock(mutex_);
        waiting_.emplace(generation, cells);
        // The board under analysis is stale now: its analysis stops at its next check.
        if (working_) cancel_ = true;
    }
    wake_.notify_all();
}

bool AnalysisWorker::Busy() const {
    std::lock_guard lock(mutex_);
    return working_ || waiting_.has_value();
}

void AnalysisWorker::run() {
    for (;;) {
        std::pair<std::uint64_t, Board> job;
        {
            std::unique_lock lock(mutex_);
            working_ = false;
            wake_.wait(lock, [this] { return stopping_ || waiting_.has_value(); });
            if (stopping_) return;
            job = *waiting_;
            waiting_.reset();
            working_ = true;
            cancel_ = false;
        }
        LiveFigures figures = FiguresOf(job.second, options_);
        // A board changed meanwhile: its figures would only flicker past.
        if (job.first != latest_) continue;
        emit ready(job.first, figures);
    }
}

ListFiguresWorker::ListFiguresWorker(QObject* parent) : QThread(parent) { start(QThread::LowestPriority); }

ListFiguresWorker::~ListFiguresWorker() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        waiting_.clear();
    }
    wake_.notify_all();
    wait();
}

void ListFiguresWorker::Ask(const std::string& record) {
    {
        std::lock_guard lock(mutex_);
        waiting_.push_back(record);
    }
    wake_.notify_all();
}

void ListFiguresWorker::Forget() {
    std::lock_guard lock(mutex_);
    waiting_.clear();
}

void ListFiguresWorker::run() {
    // The list wants the par and the verdict: the look-ahead players are left to the panel.
    AnalyseOptions options;
    options.maxStates = 300'000;
    options.trials = 200;
    options.look = false;
    for (;;) {
        std::string record;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
            if (stopping_) return;
            record = std::move(waiting_.back());
            waiting_.pop_back();
        }
        const auto cells = ReadCells(MemoryBytes(record), 1).value_or(Board{});
        const LiveFigures f = FiguresOf(cells, options);
        emit ready(QByteArray::fromStdString(record), f.analysis.fewestMoves, VerdictInFrench(f.analysis.verdict));
    }
}

QString VerdictInFrench(const std::string& verdict) {
    static const std::pair<const char*, const char*> words[] = {
        {"good", "bon"},
        {"mashable", "se gagne au hasard"},
        {"no way to fail", "impossible d'échouer"},
        {"idle walls", "murs inutiles"},
        {"unsolvable", "insoluble"},
        {"too big to analyse", "trop grand pour être analysé"},
        {"not loadable", "refusé par le jeu"},
        {"cancelled", "interrompu"},
    };
    QStringList out;
    for (const QString& part : QString::fromStdString(verdict).split(QStringLiteral(", "), Qt::SkipEmptyParts)) {
        QString said = part;
        for (const auto& [en, fr] : words) {
            if (part == QLatin1String(en)) said = QString::fromUtf8(fr);
        }
        out << said;
    }
    return out.join(QStringLiteral(", "));
}

}  // namespace kelo::editor
