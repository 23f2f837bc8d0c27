#include "tools/kelo-editor/level_list.h"

#include <QDropEvent>
#include <QKeyEvent>
#include <QCoreApplication>
#include <QMimeData>

#include "tools/kelo-editor/board_painting.h"

namespace kelo::editor {

LevelListModel::LevelListModel(QObject* parent) : QAbstractListModel(parent), worker_(new ListFiguresWorker(this)) {
    connect(worker_, &ListFiguresWorker::ready, this, &LevelListModel::FiguresReady, Qt::QueuedConnection);
}

void LevelListModel::Reset(LevelDocument document) {
    beginResetModel();
    worker_->Forget();
    asked_.clear();
    document_ = std::move(document);
    endResetModel();
}

void LevelListModel::SetRecord(int index, std::string record) {
    document_.SetRecord(index, std::move(record));
    emit dataChanged(this->index(index), this->index(index));
    emit recordChanged(index);
}

void LevelListModel::Insert(int index, std::string record) {
    beginInsertRows({}, index, index);
    document_.Insert(index, std::move(record));
    endInsertRows();
    // The numbers of the levels after it changed.
    if (index + 1 < rowCount()) emit dataChanged(this->index(index + 1), this->index(rowCount() - 1), {Qt::DisplayRole});
}

std::string LevelListModel::Remove(int index) {
    beginRemoveRows({}, index, index);
    std::string record = document_.Remove(index);
    endRemoveRows();
    if (index < rowCount()) emit dataChanged(this->index(index), this->index(rowCount() - 1), {Qt::DisplayRole});
    return record;
}

void LevelListModel::Move(int from, int to) {
    if (from == to) return;
    // Qt's destination is the row before which the level goes, counted before the move.
    beginMoveRows({}, from, from, {}, to > from ? to + 1 : to);
    document_.Move(from, to);
    endMoveRows();
    emit dataChanged(this->index(std::min(from, to)), this->index(std::max(from, to)), {Qt::DisplayRole});
}

int LevelListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : document_.Count(); }

QVariant LevelListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= document_.Count()) return {};
    const int row = index.row();
    const std::string& record = document_.Record(row);
    const QByteArray key = QByteArray::fromRawData(record.data(), static_cast<qsizetype>(record.size()));
    const auto figures = figures_.constFind(key);
    if (figures == figures_.cend() && (role == Qt::DisplayRole || role == ParRole || role == VerdictRole)) {
        const QByteArray owned(record.data(), static_cast<qsizetype>(record.size()));
        if (!asked_.contains(owned)) {
            asked_.insert(owned);
            worker_->Ask(record);
        }
    }
    switch (role) {
    case Qt::DisplayRole: {
        QString text = QStringLiteral("Niveau %1").arg(row + 1);
        if (figures == figures_.cend()) return text + QStringLiteral("\n…");
        const QString par = figures->par >= 0 ? QStringLiteral("par %1").arg(figures->par) : QStringLiteral("pas de solution");
        return text + QLatin1Char('\n') + par + QLatin1Char('\n') + figures->verdict +
               (figures->complete ? QString() : QStringLiteral(" …"));
    }
    case Qt::DecorationRole: {
        if (QImage* cached = thumbnails_.object(key)) return *cached;
        auto* image = new QImage(Thumbnail(document_.Cells(row)));
        const QImage copy = *image;
        thumbnails_.insert(QByteArray(record.data(), static_cast<qsizetype>(record.size())), image);
        return copy;
    }
    case ParRole: return figures == figures_.cend() ? QVariant() : QVariant(figures->par);
    case VerdictRole: return figures == figures_.cend() ? QVariant() : QVariant(figures->verdict);
    default: return {};
    }
}

void LevelListModel::FiguresReady(const QByteArray& record, int par, const QString& verdict, bool complete) {
    figures_.insert(record, {par, verdict, complete});
    if (rowCount() > 0) emit dataChanged(index(0), index(rowCount() - 1), {Qt::DisplayRole, ParRole, VerdictRole});
}

Qt::ItemFlags LevelListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::ItemIsDropEnabled;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled;
}

QStringList LevelListModel::mimeTypes() const { return {QString::fromLatin1(kLevelMime)}; }

QMimeData* LevelListModel::mimeData(const QModelIndexList& indexes) const {
    if (indexes.isEmpty()) return nullptr;
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kLevelMime), DragPayload(this, indexes.first().row()));
    return mime;
}

LevelListView::LevelListView(QWidget* parent) : QListView(parent) {
    setUniformItemSizes(true);
    setLayoutMode(QListView::Batched);
    setBatchSize(200);
    setIconSize(QSize(kBoardWidth / 4, kBoardHeight / 4));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    // Not InternalMove, which takes only drags that Qt itself began: the payload tells whose row it is.
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    setSpacing(2);
    // A verdict may name several faults: wrapped beside the thumbnail rather than cut short.
    setWordWrap(true);
}

QByteArray DragPayload(const QAbstractItemModel* model, int row) {
    return QByteArray::number(QCoreApplication::applicationPid()) + ':' +
           QByteArray::number(reinterpret_cast<quintptr>(model)) + ':' + QByteArray::number(row);
}

void LevelListView::dropEvent(QDropEvent* event) {
    const QMimeData* mime = event->mimeData();
    // Only a level of this list: a drag from another window of the editor names other rows.
    const QList<QByteArray> parts = mime->data(QString::fromLatin1(kLevelMime)).split(':');
    bool ok = parts.size() == 3;
    const int from = ok ? parts[2].toInt(&ok) : -1;
    const int count = model()->rowCount();
    if (!ok || DragPayload(model(), from) != mime->data(QString::fromLatin1(kLevelMime)) || from < 0 || from >= count) {
        event->ignore();
        return;
    }
    const QModelIndex at = indexAt(event->position().toPoint());
    int to = count - 1;
    if (at.isValid()) {
        const QRect r = visualRect(at);
        // Over the lower half of a row: after it.
        int before = at.row() + (event->position().y() > r.center().y() ? 1 : 0);
        to = before > from ? before - 1 : before;
    }
    // The view must not remove the dragged row itself: the move is made by the handler.
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
    if (to != from) emit moveRequested(from, std::clamp(to, 0, count - 1));
}

}  // namespace kelo::editor
