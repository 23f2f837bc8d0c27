#include "tools/kelo-editor/analysis_worker.h"

#include <sys/resource.h>
#include <unistd.h>

#include <QStringList>
#include <algorithm>

#include "tools/kelo-editor/play_mode.h"

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
    if (f.analysis.status == Analysis::Status::Solved) f.losingFirstMoves = f.analysis.losingFirstMoves;
    return f;
}

LiveFigures SolverFigures(const Level& level, const std::string& record, const AnalyseOptions& options) {
    LiveFigures f;
    f.loadable = true;
    f.stage = LiveFigures::Solver;
    f.complete = false;
    SolveOptions so;
    so.maxStates = options.maxStates;
    so.cancel = options.cancel;
    const Solution solution = Solve(level, so);
    Analysis& a = f.analysis;
    if (solution.outcome == Outcome::Unknown) {
        a.status = Analysis::Status::Cancelled;
        return f;
    }
    if (solution.outcome == Outcome::Unsolvable) {
        a.status = Analysis::Status::Unsolvable;
        return f;
    }
    a.status = Analysis::Status::Solved;
    a.fewestMoves = static_cast<int>(solution.moves.size());
    a.solution = StepsOfMoves(record, solution.moves);
    so.squareMayMove = false;
    const Solution still = Solve(level, so);
    const bool needed = !(still.outcome == Outcome::Solved && still.moves.size() == solution.moves.size());
    a.squareMoves = needed ? static_cast<int>(std::count_if(solution.moves.begin(), solution.moves.end(),
                                                            [](const Move& m) { return m.piece == kSquarePiece; }))
                           : 0;
    return f;
}

AnalyseOptions QuickOptions(AnalyseOptions options) {
    options.idleWalls = false;
    options.look = false;
    return options;
}

AnalysisWorker::AnalysisWorker(AnalyseOptions options, QObject* parent) : QThread(parent), options_(std::move(options)) {
    qRegisterMetaType<LiveFigures>();
    KeepAnalysisMemory();
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

namespace {

// Linux gives each thread its own nice value: the painting's thread goes first.
void YieldToThePainting(int nice) { ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), nice); }

}  // namespace

void AnalysisWorker::run() {
    YieldToThePainting(5);
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
        // The solver's figures first, so that the par follows the painting closely; then the
        // quick analysis; then the rest.
        const std::string record = RecordOfBoard(job.second);
        if (const auto level = ReadLevel(MemoryBytes(record), 1)) {
            const LiveFigures solver = SolverFigures(*level, record, options_);
            if (job.first != latest_) continue;
            if (solver.analysis.status != Analysis::Status::Cancelled) emit ready(job.first, solver);
        }
        LiveFigures quick = FiguresOf(job.second, QuickOptions(options_));
        // A board changed meanwhile: its figures would only flicker past.
        if (job.first != latest_) continue;
        const bool more = quick.analysis.status == Analysis::Status::Solved ||
                          quick.analysis.status == Analysis::Status::Unsolvable;
        quick.complete = !more;
        quick.stage = more ? LiveFigures::Quick : LiveFigures::Whole;
        emit ready(job.first, quick);
        if (!more) continue;
        LiveFigures full = quick;
        full.analysis = Analyse(*ReadLevel(MemoryBytes(RecordOfBoard(job.second)), 1), options_);
        GiveBackAnalysisMemory();
        full.complete = true;
        full.stage = LiveFigures::Whole;
        if (job.first != latest_ || full.analysis.status == Analysis::Status::Cancelled) continue;
        emit ready(job.first, full);
    }
}

// Only when the processors have nothing else to do: the board's own figures, which the designer
// waits for, share them with nothing (with the list just opened, the slowest level's figures
// after a change came in up to 0.6 s, about 0.4 s now).
ListFiguresWorker::ListFiguresWorker(QObject* parent) : QThread(parent) { start(QThread::IdlePriority); }

ListFiguresWorker::~ListFiguresWorker() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        waiting_.clear();
        later_.clear();
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
    later_.clear();
}

void ListFiguresWorker::run() {
    YieldToThePainting(10);
    AnalyseOptions options;
    options.maxStates = 300'000;
    options.trials = 200;
    for (;;) {
        std::string record;
        bool whole = false;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !waiting_.empty() || !later_.empty(); });
            if (stopping_) return;
            // The rows on screen now first, the last asked first; the whole analyses after them.
            whole = waiting_.empty();
            std::deque<std::string>& from = whole ? later_ : waiting_;
            record = std::move(from.back());
            from.pop_back();
        }
        const auto level = ReadLevel(MemoryBytes(record), 1);
        Analysis a;
        if (level) {
            a = Analyse(*level, whole ? options : QuickOptions(options));
            if (whole) GiveBackAnalysisMemory();
        } else {
            a.status = Analysis::Status::NotLoadable;
            a.verdict = "not loadable";
        }
        const bool more = !whole && (a.status == Analysis::Status::Solved || a.status == Analysis::Status::Unsolvable);
        emit ready(QByteArray::fromStdString(record), a.fewestMoves, VerdictInFrench(a.verdict), !more);
        if (more) {
            std::lock_guard lock(mutex_);
            later_.push_front(std::move(record));
        }
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
