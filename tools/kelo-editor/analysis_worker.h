#pragma once

#include <QObject>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "tools/kelo-levels/analyse.h"

namespace kelo::editor {

// What the panel beside the board shows of one board.
struct LiveFigures {
    bool loadable = false;  // false: a digit 5 to 9, the game shows level 1 instead
    Analysis analysis;
    std::vector<Move> losingFirstMoves;  // first slides after which the level can no longer be won
    // The figures come in three stages: the solver's (solvable, par, the square, a solution),
    // then the quick analysis, then the idle walls and the look-ahead players.
    enum Stage { Solver, Quick, Whole };
    Stage stage = Whole;
    bool complete = true;  // stage == Whole
};

// The solver's figures alone: what a few milliseconds tell.
LiveFigures SolverFigures(const Level& level, const std::string& record, const AnalyseOptions& options);

// The figures that come in a fraction of a second, before the slow ones.
AnalyseOptions QuickOptions(AnalyseOptions options);

// The figures of a board, worked out on the editor's own rules of analysis.
LiveFigures FiguresOf(const Board& cells, const AnalyseOptions& options);

// Analyses the latest board asked for, one at a time, on a thread of its own: a board asked for
// while another is analysed replaces any that waits, and the result of a board that is no longer
// the latest is dropped. The painting never waits for it.
class AnalysisWorker : public QThread {
    Q_OBJECT
public:
    explicit AnalysisWorker(AnalyseOptions options, QObject* parent = nullptr);
    ~AnalysisWorker() override;

    // Returns at once; `ready` comes later with the same number.
    void Ask(std::uint64_t generation, const Board& cells);
    std::uint64_t Latest() const { return latest_; }
    bool Busy() const;

signals:
    void ready(quint64 generation, const kelo::editor::LiveFigures& figures);

protected:
    void run() override;

private:
    AnalyseOptions options_;
    std::atomic<bool> cancel_{false};
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<std::pair<std::uint64_t, Board>> waiting_;
    bool working_ = false;
    bool stopping_ = false;
    std::atomic<std::uint64_t> latest_{0};
};

// The par and the verdict of levels of the list, worked out when the list first shows them, the
// last asked first (the rows on screen now), on a thread of its own.
class ListFiguresWorker : public QThread {
    Q_OBJECT
public:
    explicit ListFiguresWorker(QObject* parent = nullptr);
    ~ListFiguresWorker() override;
    void Ask(const std::string& record);
    void Forget();  // drops every record that waits (another file was opened)

signals:
    // First with the quick figures (`complete` false), later with all of them.
    void ready(const QByteArray& record, int par, const QString& verdict, bool complete);

protected:
    void run() override;

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::string> waiting_;
    std::deque<std::string> later_;  // quick figures shown, the whole analysis to come
    bool stopping_ = false;
};

// The French words of a verdict of the analysis.
QString VerdictInFrench(const std::string& verdict);

}  // namespace kelo::editor

Q_DECLARE_METATYPE(kelo::editor::LiveFigures)
