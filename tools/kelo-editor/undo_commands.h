#pragma once

#include <QUndoCommand>
#include <functional>
#include <string>

#include "tools/kelo-editor/level_list.h"

namespace kelo::editor {

// Every change of the file is one of these on the undo stack. Each tells, once done or undone,
// which level to show (`show`).
using ShowLevel = std::function<void(int index)>;

// A level's record replaced: a stroke of paint, a key, a mirror or a shift of the board.
class SetRecordCommand : public QUndoCommand {
public:
    SetRecordCommand(LevelListModel& model, ShowLevel show, int index, std::string before, std::string after,
                     const QString& text);
    void redo() override;
    void undo() override;

private:
    LevelListModel& model_;
    ShowLevel show_;
    int index_;
    std::string before_, after_;
};

class InsertLevelCommand : public QUndoCommand {
public:
    InsertLevelCommand(LevelListModel& model, ShowLevel show, int index, std::string record, const QString& text);
    void redo() override;
    void undo() override;

private:
    LevelListModel& model_;
    ShowLevel show_;
    int index_;
    std::string record_;
};

class RemoveLevelCommand : public QUndoCommand {
public:
    RemoveLevelCommand(LevelListModel& model, ShowLevel show, int index);
    void redo() override;
    void undo() override;

private:
    LevelListModel& model_;
    ShowLevel show_;
    int index_;
    std::string record_;
};

class MoveLevelCommand : public QUndoCommand {
public:
    MoveLevelCommand(LevelListModel& model, ShowLevel show, int from, int to);
    void redo() override;
    void undo() override;

private:
    LevelListModel& model_;
    ShowLevel show_;
    int from_, to_;
};

}  // namespace kelo::editor
