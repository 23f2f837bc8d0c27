#pragma once

#include <QMainWindow>
#include <QMessageBox>
#include <QString>
#include <functional>
#include <map>
#include <optional>

#include "tools/kelo-editor/analysis_worker.h"
#include "tools/kelo-editor/board_view.h"
#include "tools/kelo-editor/level_list.h"
#include "tools/kelo-editor/play_mode.h"

class QLabel;
class QListWidget;
class QStackedWidget;
class QUndoStack;

namespace kelo::editor {

// The level editor's window: the list of levels, the board, the live analysis beside it and the
// problems of the file below, with the menus "Fichier", "Édition" and "Niveau".
class EditorWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit EditorWindow(AnalyseOptions liveOptions = {});
    ~EditorWindow() override;

    // A new file of one level, unnamed.
    void NewFile();
    // Opens the file at once, without asking about unsaved changes; false with a message shown.
    bool OpenFile(const QString& path);
    // Saves to the file's own path, or asks for one; false when it was not saved.
    bool Save();
    bool SaveTo(const QString& path);
    // The question asked before unsaved changes would be lost; true to go on.
    bool MayDiscard();

    void ShowLevel(int index);
    int CurrentLevel() const { return current_; }
    QString FilePath() const { return path_; }

    // Every question and message goes through here, so that tests can answer them.
    std::function<QMessageBox::StandardButton(const QString& title, const QString& text, QMessageBox::StandardButtons buttons)>
        ask;
    QString lastMessage;

    LevelListModel& model() { return *model_; }
    QUndoStack& undoStack() { return *undo_; }
    BoardView& boardView() { return *board_; }
    PlayWidget& playWidget() { return *play_; }
    LevelListView& listView() { return *list_; }
    QListWidget& problems() { return *problems_; }
    QAction* action(const QString& name) const;
    QString Figure(const QString& name) const;
    bool Playing() const;
    // The figures of the board shown, once they are in; and whether the worker is still on them.
    const std::optional<LiveFigures>& figures() const { return figures_; }
    bool AnalysisPending() const;
    int SolutionStep() const { return step_; }

    // Level operations, as the menu runs them.
    void AddLevel();
    void DuplicateLevel();
    void DeleteLevel();
    void MoveLevel(int from, int to);
    void Transform(const std::function<Board(const Board&)>& f, const QString& text);
    void StartPlay();
    void StopPlay();
    void StepSolution(int delta);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildMenus();
    void BuildDocks();
    QAction* AddAction(QMenu* menu, const QString& name, const QString& text, const QKeySequence& keys,
                       std::function<void()> run);
    void Edited(const Board& before, const Board& after);
    void RecordChanged(int index);
    void RequestAnalysis();
    void FiguresReady(quint64 generation, const LiveFigures& figures);
    void ShowFigures();
    void UpdateOverlay();
    void UpdateTitle();
    void Tell(const QString& title, const QString& text);
    void Adopt(const QString& path, LevelDocument document, const CheckReport& report);

    LevelListModel* model_;
    QUndoStack* undo_;
    BoardView* board_;
    PlayWidget* play_;
    LevelListView* list_;
    QStackedWidget* pages_;
    QListWidget* problems_;
    QLabel* stepLabel_;
    std::map<QString, QLabel*> figureLabels_;
    std::map<QString, QAction*> actions_;
    AnalysisWorker* worker_;

    QString path_;
    std::uint64_t device_ = 0, inode_ = 0;
    std::int64_t size_ = 0, modified_ = 0;
    int current_ = -1;
    std::uint64_t generation_ = 0;
    std::optional<LiveFigures> figures_;
    int step_ = -1;  // -1: no solution shown; 0: all its slides over the start; k: after k slides
    bool showing_ = false;
};

}  // namespace kelo::editor
