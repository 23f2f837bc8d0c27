#include "tools/kelo-editor/undo_commands.h"

namespace kelo::editor {

SetRecordCommand::SetRecordCommand(LevelListModel& model, ShowLevel show, int index, std::string before,
                                   std::string after, const QString& text)
    : QUndoCommand(text), model_(model), show_(std::move(show)), index_(index), before_(std::move(before)),
      after_(std::move(after)) {}

void SetRecordCommand::redo() {
    model_.SetRecord(index_, after_);
    show_(index_);
}

void SetRecordCommand::undo() {
    // The record as it was, byte for byte: a level painted and undone is written back untouched.
    model_.SetRecord(index_, before_);
    show_(index_);
}

InsertLevelCommand::InsertLevelCommand(LevelListModel& model, ShowLevel show, int index, std::string record,
                                       const QString& text)
    : QUndoCommand(text), model_(model), show_(std::move(show)), index_(index), record_(std::move(record)) {}

void InsertLevelCommand::redo() {
    model_.Insert(index_, record_);
    show_(index_);
}

void InsertLevelCommand::undo() {
    model_.Remove(index_);
    show_(std::min(index_, model_.rowCount() - 1));
}

RemoveLevelCommand::RemoveLevelCommand(LevelListModel& model, ShowLevel show, int index)
    : QUndoCommand(QStringLiteral("Supprimer le niveau %1").arg(index + 1)), model_(model), show_(std::move(show)),
      index_(index) {}

void RemoveLevelCommand::redo() {
    record_ = model_.Remove(index_);
    show_(std::min(index_, model_.rowCount() - 1));
}

void RemoveLevelCommand::undo() {
    model_.Insert(index_, record_);
    show_(index_);
}

MoveLevelCommand::MoveLevelCommand(LevelListModel& model, ShowLevel show, int from, int to)
    : QUndoCommand(QStringLiteral("Déplacer le niveau %1").arg(from + 1)), model_(model), show_(std::move(show)),
      from_(from), to_(to) {}

void MoveLevelCommand::redo() {
    model_.Move(from_, to_);
    show_(to_);
}

void MoveLevelCommand::undo() {
    model_.Move(to_, from_);
    show_(from_);
}

}  // namespace kelo::editor
