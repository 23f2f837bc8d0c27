#pragma once

#include <QAbstractListModel>
#include <QCache>
#include <QHash>
#include <QImage>
#include <QListView>
#include <QSet>

#include "tools/kelo-editor/analysis_worker.h"
#include "tools/kelo-editor/level_document.h"

namespace kelo::editor {

// The levels of the open file for the list beside the board: number, thumbnail, par and verdict,
// the last three worked out only for the rows that are shown. Every change of the file goes
// through here, so that the list, the board and the undo stack see the same levels.
class LevelListModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role { ParRole = Qt::UserRole + 1, VerdictRole };

    explicit LevelListModel(QObject* parent = nullptr);

    void Reset(LevelDocument document);
    const LevelDocument& document() const { return document_; }

    void SetRecord(int index, std::string record);
    void Insert(int index, std::string record);
    std::string Remove(int index);
    void Move(int from, int to);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;

signals:
    // A level's record changed (not its place).
    void recordChanged(int index);

private:
    void FiguresReady(const QByteArray& record, int par, const QString& verdict, bool complete);

    LevelDocument document_;
    mutable QCache<QByteArray, QImage> thumbnails_{3000};
    struct Figures {
        int par;
        QString verdict;
        bool complete;
    };
    QHash<QByteArray, Figures> figures_;
    mutable QSet<QByteArray> asked_;
    ListFiguresWorker* worker_;
};

// The list of levels: drag a level to move it; the move goes through `moveRequested`, so that it
// can be undone.
class LevelListView : public QListView {
    Q_OBJECT
public:
    explicit LevelListView(QWidget* parent = nullptr);

signals:
    void moveRequested(int from, int to);

protected:
    void dropEvent(QDropEvent* event) override;
};

inline constexpr const char* kLevelMime = "application/x-kelo-level-row";
// What a dragged level carries: the process, the list and the row.
QByteArray DragPayload(const QAbstractItemModel* model, int row);

}  // namespace kelo::editor
