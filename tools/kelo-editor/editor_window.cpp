#include "tools/kelo-editor/editor_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDockWidget>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QScrollArea>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>
#include <QUndoStack>
#include <QVBoxLayout>

#include "tools/common/safe_file.h"
#include "tools/kelo-editor/board_edit.h"
#include "tools/kelo-editor/board_painting.h"
#include "tools/kelo-editor/undo_commands.h"
#include "game/level_format.h"
#include "tools/kelo-levels/check.h"
#include "tools/kelo-levels/standard.h"
#include "ui/tiles.h"

static void InitEditorResources() { Q_INIT_RESOURCE(kelo_editor); }

namespace kelo::editor {

namespace {

const char* const kTileNames[] = {"Sol", "Mur", "Anneau", "Balle", "Carré"};

QString Arrow(Direction d) {
    switch (d) {
    case Direction::Left: return QStringLiteral("←");
    case Direction::Up: return QStringLiteral("↑");
    case Direction::Right: return QStringLiteral("→");
    case Direction::Down: return QStringLiteral("↓");
    }
    return {};
}

QString StopInFrench(Stop stop) {
    switch (stop) {
    case Stop::SquareStopsBall: return QStringLiteral("le carré arrête la balle");
    case Stop::RingStopsSquare: return QStringLiteral("un anneau arrête le carré");
    case Stop::BallStopsSquare: return QStringLiteral("la balle arrête le carré");
    case Stop::Edge: return QStringLiteral("le bord du plateau");
    case Stop::Wall: return QStringLiteral("un mur");
    }
    return {};
}

// The rules of the set's standard that one level breaks alone, in French.
QString RuleInFrench(LevelRule rule) {
    switch (rule) {
    case LevelRule::Sound: return QStringLiteral("chaque niveau soluble, avec une balle et un carré exactement");
    case LevelRule::TwoAhead: return QStringLiteral("dès le niveau 6, le joueur à deux coups gagne moins de 25 %");
    case LevelRule::Random: return QStringLiteral("dès le niveau 6, le joueur au hasard gagne moins de 10 %");
    case LevelRule::Shallow: return QStringLiteral("dès le niveau 13, un regard de plus de 3 coups");
    case LevelRule::LateTrap:
        return QStringLiteral("par de plus de 20 : au plus 15 % d'impasses, ou aucune après la glissade 5");
    case LevelRule::IdleWallShape: return QStringLiteral("aucune forme de murs inutile");
    }
    return {};
}

QString MoveText(const Move& m) {
    return (m.piece == kBallPiece ? QStringLiteral("balle ") : QStringLiteral("carré ")) + Arrow(m.direction);
}

std::string Encoded(const QString& path) { return QFile::encodeName(path).toStdString(); }

// Where check places a problem, in French, then check's own words.
QString ProblemText(const Finding& f) {
    QString where;
    if (f.level > 0) where = QStringLiteral("niveau %1").arg(f.level);
    if (f.row > 0 && f.row != kEmptyLine) where += QStringLiteral(", ligne %1").arg(f.row);
    if (f.row == kEmptyLine) where += QStringLiteral(", ligne vide");
    if (f.col > 0) where += QStringLiteral(", colonne %1").arg(f.col);
    if (where.isEmpty()) where = QStringLiteral("fichier");
    return where + QStringLiteral(" : ") + QString::fromStdString(f.message);
}

}  // namespace

EditorWindow::EditorWindow(AnalyseOptions liveOptions)
    : model_(new LevelListModel(this)), undo_(new QUndoStack(this)),
      worker_(new AnalysisWorker(std::move(liveOptions), this)) {
    InitEditorResources();
    setWindowIcon(QIcon(QStringLiteral(":/assets/kelo-editor-32.png")));
    ask = [this](const QString& title, const QString& text, QMessageBox::StandardButtons buttons) {
        // A box with only "OK" tells of a failure; the others ask.
        QMessageBox box(buttons == QMessageBox::Ok ? QMessageBox::Warning : QMessageBox::Question, title, text, buttons, this);
        return static_cast<QMessageBox::StandardButton>(box.exec());
    };

    pages_ = new QStackedWidget(this);
    auto* editPage = new QWidget(pages_);
    auto* editLayout = new QVBoxLayout(editPage);
    board_ = new BoardView(editPage);
    stepLabel_ = new QLabel(editPage);
    stepLabel_->setWordWrap(true);
    editLayout->addWidget(board_, 0, Qt::AlignHCenter);
    editLayout->addWidget(stepLabel_);
    editLayout->addStretch(1);
    pages_->addWidget(editPage);
    play_ = new PlayWidget(pages_);
    auto* playPage = new QWidget(pages_);
    auto* playLayout = new QVBoxLayout(playPage);
    playLayout->addWidget(play_, 0, Qt::AlignHCenter);
    playLayout->addStretch(1);
    pages_->addWidget(playPage);
    setCentralWidget(pages_);

    list_ = new LevelListView(this);
    list_->setModel(model_);
    BuildDocks();
    BuildMenus();

    connect(board_, &BoardView::edited, this, &EditorWindow::Edited);
    connect(model_, &LevelListModel::recordChanged, this, &EditorWindow::RecordChanged);
    connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& index) {
        if (index.isValid() && index.row() != current_) ShowLevel(index.row());
    });
    connect(list_, &LevelListView::moveRequested, this, &EditorWindow::MoveLevel);
    connect(worker_, &AnalysisWorker::ready, this, &EditorWindow::FiguresReady, Qt::QueuedConnection);
    connect(undo_, &QUndoStack::cleanChanged, this, [this] { UpdateTitle(); });
    connect(play_, &PlayWidget::leave, this, &EditorWindow::StopPlay);
    connect(play_, &PlayWidget::status, this, [this](const QString& text) { statusBar()->showMessage(text); });

    NewFile();
    resize(1280, 720);
}

EditorWindow::~EditorWindow() {
    // The undo stack, a child, goes after this window's own members: its last signals must not
    // reach them.
    disconnect(undo_, nullptr, this, nullptr);
    disconnect(worker_, nullptr, this, nullptr);
}

void EditorWindow::BuildDocks() {
    auto* listDock = new QDockWidget(QStringLiteral("Niveaux"), this);
    listDock->setObjectName(QStringLiteral("niveaux"));
    listDock->setWidget(list_);
    listDock->setFeatures(QDockWidget::DockWidgetMovable);
    list_->setMinimumWidth(kBoardWidth / 4 + 140);
    addDockWidget(Qt::LeftDockWidgetArea, listDock);

    auto* panel = new QWidget(this);
    auto* form = new QFormLayout(panel);
    for (const char* name : {"État", "Coups minimum", "Solutions les plus courtes", "Carré nécessaire",
                             "Arrêts utilisés", "Arrêts imposés", "États", "Impasses", "Premier coup perdant",
                             "Piège tardif", "Regard", "Joueur à deux coups", "Joueur au hasard", "Murs inutiles",
                             "Verdict", "Règle du standard enfreinte", "Solution"}) {
        auto* label = new QLabel(QStringLiteral("—"), panel);
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(QString::fromUtf8(name) + QStringLiteral(" :"), label);
        figureLabels_[QString::fromUtf8(name)] = label;
    }
    auto* analysisDock = new QDockWidget(QStringLiteral("Analyse"), this);
    analysisDock->setObjectName(QStringLiteral("analyse"));
    // Long figures wrap: on a low screen the panel scrolls rather than clip them.
    auto* scroll = new QScrollArea(analysisDock);
    scroll->setWidget(panel);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    analysisDock->setWidget(scroll);
    analysisDock->setFeatures(QDockWidget::DockWidgetMovable);
    panel->setMinimumWidth(300);
    addDockWidget(Qt::RightDockWidgetArea, analysisDock);
    // The list and the panel take the window's whole height; the problems only the board's width.
    setCorner(Qt::BottomLeftCorner, Qt::LeftDockWidgetArea);
    setCorner(Qt::BottomRightCorner, Qt::RightDockWidgetArea);

    problems_ = new QListWidget(this);
    auto* problemDock = new QDockWidget(QStringLiteral("Problèmes du fichier"), this);
    problemDock->setObjectName(QStringLiteral("problemes"));
    problemDock->setWidget(problems_);
    problemDock->setFeatures(QDockWidget::DockWidgetMovable);
    addDockWidget(Qt::BottomDockWidgetArea, problemDock);
    connect(problems_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        const int level = item->data(Qt::UserRole).toInt();
        if (level >= 1 && level <= model_->rowCount()) ShowLevel(level - 1);
    });
}

QAction* EditorWindow::AddAction(QMenu* menu, const QString& name, const QString& text, const QKeySequence& keys,
                                 std::function<void()> run) {
    auto* action = menu->addAction(text);
    if (!keys.isEmpty()) action->setShortcut(keys);
    connect(action, &QAction::triggered, this, [run = std::move(run)] { run(); });
    actions_[name] = action;
    return action;
}

void EditorWindow::BuildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&Fichier"));
    AddAction(file, QStringLiteral("nouveau"), QStringLiteral("&Nouveau"), QKeySequence::New, [this] {
        if (MayDiscard()) NewFile();
    });
    AddAction(file, QStringLiteral("ouvrir"), QStringLiteral("&Ouvrir..."), QKeySequence::Open, [this] {
        if (!MayDiscard()) return;
        const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Ouvrir un fichier de niveaux"),
                                                          QFileInfo(path_).absolutePath(),
                                                          QStringLiteral("Niveaux (*.txt);;Tous les fichiers (*)"));
        if (!path.isEmpty()) OpenFile(path);
    });
    AddAction(file, QStringLiteral("enregistrer"), QStringLiteral("&Enregistrer"), QKeySequence::Save, [this] { Save(); });
    AddAction(file, QStringLiteral("enregistrer-sous"), QStringLiteral("Enregistrer &sous..."), QKeySequence::SaveAs, [this] {
        const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Enregistrer sous"),
                                                          path_.isEmpty() ? QStringLiteral("levels.txt") : path_);
        if (!path.isEmpty()) SaveTo(path);
    });
    file->addSeparator();
    AddAction(file, QStringLiteral("quitter"), QStringLiteral("&Quitter"), QKeySequence::Quit, [this] { close(); });

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Édition"));
    QAction* undo = undo_->createUndoAction(this, QStringLiteral("Annuler"));
    undo->setShortcut(QKeySequence::Undo);
    QAction* redo = undo_->createRedoAction(this, QStringLiteral("Rétablir"));
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    edit->addAction(undo);
    edit->addAction(redo);
    actions_[QStringLiteral("annuler")] = undo;
    actions_[QStringLiteral("retablir")] = redo;
    edit->addSeparator();
    AddAction(edit, QStringLiteral("miroir-gd"), QStringLiteral("Miroir &gauche-droite"), {},
              [this] { Transform(MirrorLeftRight, QStringLiteral("Miroir gauche-droite")); });
    AddAction(edit, QStringLiteral("miroir-hb"), QStringLiteral("Miroir &haut-bas"), {},
              [this] { Transform(MirrorTopBottom, QStringLiteral("Miroir haut-bas")); });
    AddAction(edit, QStringLiteral("demi-tour"), QStringLiteral("&Demi-tour"), {},
              [this] { Transform(HalfTurn, QStringLiteral("Demi-tour")); });
    const std::pair<Direction, const char*> shifts[] = {{Direction::Left, "à gauche"},
                                                        {Direction::Right, "à droite"},
                                                        {Direction::Up, "vers le haut"},
                                                        {Direction::Down, "vers le bas"}};
    const Qt::Key shiftKeys[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down};
    for (int k = 0; k < 4; ++k) {
        const Direction d = shifts[k].first;
        const QString text = QStringLiteral("Décaler ") + QString::fromUtf8(shifts[k].second);
        AddAction(edit, QStringLiteral("decaler-%1").arg(k), text, QKeySequence(Qt::CTRL | Qt::SHIFT | shiftKeys[k]),
                  [this, d, text] { Transform([d](const Board& b) { return Shift(b, d); }, text); });
    }
    edit->addSeparator();
    auto* tools = new QActionGroup(this);
    QToolBar* palette = addToolBar(QStringLiteral("Palette"));
    palette->setObjectName(QStringLiteral("palette"));
    palette->setIconSize(QSize(TileSize, TileSize));
    for (int code = 0; code <= Square; ++code) {
        auto* action = new QAction(QIcon(QPixmap::fromImage(GameTiles()[static_cast<std::size_t>(code)])),
                                   QStringLiteral("%1 (%2)").arg(QString::fromUtf8(kTileNames[code])).arg(code), this);
        action->setCheckable(true);
        action->setChecked(code == Wall);
        tools->addAction(action);
        palette->addAction(action);
        edit->addAction(action);
        actions_[QStringLiteral("tuile-%1").arg(code)] = action;
        connect(action, &QAction::triggered, this, [this, code] { board_->SetTool(static_cast<std::uint8_t>(code)); });
    }

    QMenu* level = menuBar()->addMenu(QStringLiteral("&Niveau"));
    AddAction(level, QStringLiteral("ajouter"), QStringLiteral("&Ajouter un niveau"), QKeySequence(Qt::CTRL | Qt::Key_Insert),
              [this] { AddLevel(); });
    AddAction(level, QStringLiteral("dupliquer"), QStringLiteral("&Dupliquer le niveau"), QKeySequence(Qt::CTRL | Qt::Key_D),
              [this] { DuplicateLevel(); });
    AddAction(level, QStringLiteral("supprimer"), QStringLiteral("&Supprimer le niveau"), QKeySequence(Qt::CTRL | Qt::Key_Delete),
              [this] { DeleteLevel(); });
    AddAction(level, QStringLiteral("monter"), QStringLiteral("&Monter le niveau"), QKeySequence(Qt::ALT | Qt::Key_Up),
              [this] { MoveLevel(current_, current_ - 1); });
    AddAction(level, QStringLiteral("descendre"), QStringLiteral("D&escendre le niveau"), QKeySequence(Qt::ALT | Qt::Key_Down),
              [this] { MoveLevel(current_, current_ + 1); });
    level->addSeparator();
    AddAction(level, QStringLiteral("jouer"), QStringLiteral("&Jouer le niveau"), QKeySequence(Qt::Key_F5), [this] {
        if (Playing()) {
            StopPlay();
        } else {
            StartPlay();
        }
    });
    level->addSeparator();
    AddAction(level, QStringLiteral("solution"), QStringLiteral("Montrer la s&olution"), QKeySequence(Qt::Key_F6), [this] {
        if (step_ >= 0) {
            step_ = -1;
            UpdateOverlay();
        } else {
            StepSolution(0);
        }
    });
    AddAction(level, QStringLiteral("etape-suivante"), QStringLiteral("Étape suivan&te"), QKeySequence(Qt::Key_PageDown),
              [this] { StepSolution(1); });
    AddAction(level, QStringLiteral("etape-precedente"), QStringLiteral("Étape &précédente"), QKeySequence(Qt::Key_PageUp),
              [this] { StepSolution(-1); });
    // The moves as the panel shows them, for the designer's notes.
    AddAction(level, QStringLiteral("copier-solution"), QStringLiteral("&Copier la solution"),
              QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), [this] {
                  if (figures_ && !figures_->analysis.solution.empty())
                      QGuiApplication::clipboard()->setText(Figure(QStringLiteral("Solution")));
              });
    QAction* idle = AddAction(level, QStringLiteral("murs-inutiles"), QStringLiteral("Souligner les murs &inutiles"), {},
                              [this] { UpdateOverlay(); });
    idle->setCheckable(true);
    idle->setChecked(true);
    QAction* losing = AddAction(level, QStringLiteral("coups-perdants"), QStringLiteral("Souligner les premiers coups &perdants"),
                                {}, [this] { UpdateOverlay(); });
    losing->setCheckable(true);
    losing->setChecked(true);
}

QAction* EditorWindow::action(const QString& name) const {
    const auto it = actions_.find(name);
    return it == actions_.end() ? nullptr : it->second;
}

QString EditorWindow::Figure(const QString& name) const {
    const auto it = figureLabels_.find(name);
    return it == figureLabels_.end() ? QString() : it->second->text();
}

void EditorWindow::Tell(const QString& title, const QString& text) {
    lastMessage = text;
    ask(title, text, QMessageBox::Ok);
}

void EditorWindow::Adopt(const QString& path, LevelDocument document, const CheckReport& report) {
    StopPlay();
    undo_->clear();
    path_ = path;
    model_->Reset(std::move(document));
    problems_->clear();
    for (const Finding& f : report.findings) {
        auto* item = new QListWidgetItem(ProblemText(f), problems_);
        item->setData(Qt::UserRole, f.level);
    }
    if (report.total > report.findings.size())
        problems_->addItem(QStringLiteral("et %1 autres problèmes, non listés").arg(report.total - report.findings.size()));
    current_ = -1;
    ShowLevel(model_->rowCount() > 0 ? 0 : -1);
    UpdateTitle();
}

void EditorWindow::NewFile() {
    LevelDocument document;
    document.Insert(0, NewLevelRecord());
    device_ = inode_ = 0;
    size_ = modified_ = 0;
    Adopt({}, std::move(document), {});
}

bool EditorWindow::OpenFile(const QString& path) {
    OpenedFile opened = OpenLevelFile(Encoded(path));
    if (!opened.ok) {
        Tell(QStringLiteral("Ouverture impossible"),
             QStringLiteral("Impossible d'ouvrir « %1 » : %2.").arg(path, QString::fromStdString(opened.why)));
        return false;
    }
    // A file whose first row is hardly digits is not a level file at all, most likely.
    bool notLevels = false;
    if (opened.document.Count() > 0) {
        const std::string& first = opened.document.Record(0);
        const auto row = std::string_view(first).substr(0, kRowLength);
        notLevels = std::count_if(row.begin(), row.end(), [](char c) { return c >= '0' && c <= '9'; }) < kRowLength / 2;
    }
    if (notLevels &&
        ask(QStringLiteral("Fichier de niveaux ?"),
            QStringLiteral("« %1 » ne ressemble pas à un fichier de niveaux : sa première ligne n'est pas une rangée de "
                           "16 chiffres. L'ouvrir quand même ?")
                .arg(path),
            QMessageBox::Open | QMessageBox::Cancel) != QMessageBox::Open)
        return false;
    device_ = opened.device;
    inode_ = opened.inode;
    size_ = opened.size;
    modified_ = opened.modified;
    Adopt(path, std::move(opened.document), opened.report);
    if (opened.report.total > 0) {
        statusBar()->showMessage(QStringLiteral("%1 problème(s) : le jeu lira ce fichier autrement que prévu").arg(opened.report.total));
    }
    return true;
}

bool EditorWindow::Save() {
    if (path_.isEmpty()) {
        const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Enregistrer sous"), QStringLiteral("levels.txt"));
        if (path.isEmpty()) return false;
        return SaveTo(path);
    }
    return SaveTo(path_);
}

bool EditorWindow::SaveTo(const QString& path) {
    const std::string target = Encoded(path);
    if (path == path_ && device_ != 0) {
        std::uint64_t device = 0, inode = 0;
        std::int64_t size = 0, modified = 0;
        const bool exists = FileIdentity(target, device, inode, size, modified);
        if (!exists || device != device_ || inode != inode_ || size != size_ || modified != modified_) {
            const QString what = exists ? QStringLiteral("a été modifié ou remplacé par un autre programme")
                                        : QStringLiteral("a été supprimé ou déplacé");
            if (ask(QStringLiteral("Fichier changé sur le disque"),
                    QStringLiteral("« %1 » %2 depuis son ouverture. L'enregistrer quand même, à la place de ce qui s'y "
                                   "trouve maintenant ?")
                        .arg(path, what),
                    QMessageBox::Save | QMessageBox::Cancel) != QMessageBox::Save)
                return false;
        }
    }
    const std::string error = ReplaceFile(target, model_->document().Bytes());
    if (!error.empty()) {
        Tell(QStringLiteral("Enregistrement impossible"),
             QStringLiteral("« %1 » n'a pas été enregistré. Le fichier qui s'y trouvait est intact et vos modifications "
                            "sont toujours dans l'éditeur.\n\n%2")
                 .arg(path, QString::fromStdString(error)));
        return false;
    }
    path_ = path;
    FileIdentity(target, device_, inode_, size_, modified_);
    undo_->setClean();
    UpdateTitle();
    statusBar()->showMessage(QStringLiteral("Enregistré : %1").arg(path), 5000);
    return true;
}

bool EditorWindow::MayDiscard() {
    if (undo_->isClean()) return true;
    const auto answer = ask(QStringLiteral("Modifications non enregistrées"),
                            QStringLiteral("Le fichier a des modifications qui ne sont pas enregistrées. Les enregistrer ?"),
                            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    if (answer == QMessageBox::Save) return Save();
    return answer == QMessageBox::Discard;
}

void EditorWindow::closeEvent(QCloseEvent* event) {
    if (MayDiscard()) {
        event->accept();
    } else {
        event->ignore();
    }
}

void EditorWindow::UpdateTitle() {
    QString name = path_.isEmpty() ? QStringLiteral("Sans titre") : QFileInfo(path_).fileName();
    QString title = name + QStringLiteral("[*]");
    if (current_ >= 0) {
        title += QStringLiteral(" — niveau %1").arg(current_ + 1);
        if (figures_ && figures_->analysis.status == Analysis::Status::Solved)
            title += QStringLiteral(" (par %1)").arg(figures_->analysis.fewestMoves);
    }
    setWindowTitle(title + QStringLiteral(" — Éditeur de niveaux Kelo"));
    setWindowModified(!undo_->isClean());
}

void EditorWindow::ShowLevel(int index) {
    if (index >= model_->rowCount()) index = model_->rowCount() - 1;
    const bool changed = index != current_;
    current_ = index;
    if (changed) StopPlay();
    {
        const QSignalBlocker block(list_->selectionModel());
        if (index >= 0) {
            list_->setCurrentIndex(model_->index(index));
            list_->scrollTo(model_->index(index));
        } else {
            list_->clearSelection();
        }
    }
    board_->SetEnabledForEditing(index >= 0);
    board_->SetBoard(index >= 0 ? model_->document().Cells(index) : Board{});
    step_ = -1;
    RequestAnalysis();
    UpdateTitle();
}

void EditorWindow::RecordChanged(int index) {
    if (index != current_) return;
    board_->SetBoard(model_->document().Cells(index));
    step_ = -1;
    RequestAnalysis();
}

void EditorWindow::Edited(const Board&, const Board& after) {
    if (current_ < 0) return;
    const std::string before = model_->document().Record(current_);
    std::string record = RecordOfBoard(after);
    if (record == before) return;
    undo_->push(new SetRecordCommand(*model_, [this](int i) { ShowLevel(i); }, current_, before, std::move(record),
                                     QStringLiteral("Peindre")));
}

void EditorWindow::Transform(const std::function<Board(const Board&)>& f, const QString& text) {
    if (current_ < 0) return;
    const Board after = f(model_->document().Cells(current_));
    const std::string before = model_->document().Record(current_);
    std::string record = RecordOfBoard(after);
    if (record == before) return;
    undo_->push(new SetRecordCommand(*model_, [this](int i) { ShowLevel(i); }, current_, before, std::move(record), text));
}

void EditorWindow::AddLevel() {
    if (model_->rowCount() >= LevelDocument::kMostLevels) {
        Tell(QStringLiteral("Trop de niveaux"), QStringLiteral("Le jeu ne lit pas plus de %1 niveaux.").arg(LevelDocument::kMostLevels));
        return;
    }
    undo_->push(new InsertLevelCommand(*model_, [this](int i) { ShowLevel(i); }, current_ + 1, NewLevelRecord(),
                                       QStringLiteral("Ajouter un niveau")));
}

void EditorWindow::DuplicateLevel() {
    if (current_ < 0) return;
    if (model_->rowCount() >= LevelDocument::kMostLevels) {
        Tell(QStringLiteral("Trop de niveaux"), QStringLiteral("Le jeu ne lit pas plus de %1 niveaux.").arg(LevelDocument::kMostLevels));
        return;
    }
    undo_->push(new InsertLevelCommand(*model_, [this](int i) { ShowLevel(i); }, current_ + 1,
                                       model_->document().Record(current_), QStringLiteral("Dupliquer le niveau %1").arg(current_ + 1)));
}

void EditorWindow::DeleteLevel() {
    if (current_ < 0) return;
    undo_->push(new RemoveLevelCommand(*model_, [this](int i) { ShowLevel(i); }, current_));
}

void EditorWindow::MoveLevel(int from, int to) {
    const int count = model_->rowCount();
    if (from < 0 || to < 0 || from >= count || to >= count || from == to) return;
    undo_->push(new MoveLevelCommand(*model_, [this](int i) { ShowLevel(i); }, from, to));
}

void EditorWindow::RequestAnalysis() {
    figures_.reset();
    ++generation_;
    if (current_ >= 0) {
        worker_->Ask(generation_, model_->document().Cells(current_));
        for (auto& [name, label] : figureLabels_) label->setText(QStringLiteral("…"));
        figureLabels_[QStringLiteral("État")]->setText(QStringLiteral("analyse en cours…"));
    } else {
        for (auto& [name, label] : figureLabels_) label->setText(QStringLiteral("—"));
    }
    UpdateOverlay();
}

bool EditorWindow::AnalysisPending() const { return !figures_ && current_ >= 0; }

void EditorWindow::FiguresReady(quint64 generation, const LiveFigures& figures) {
    if (generation != generation_) return;  // a board since changed
    figures_ = figures;
    ShowFigures();
    UpdateOverlay();
    UpdateTitle();
}

void EditorWindow::ShowFigures() {
    const Analysis& a = figures_->analysis;
    auto set = [this](const char* name, const QString& text) { figureLabels_[QString::fromUtf8(name)]->setText(text); };
    for (auto& [name, label] : figureLabels_) label->setText(QStringLiteral("—"));
    set("Verdict", VerdictInFrench(a.verdict));
    if (figures_->complete) {
        QStringList broken;
        for (const LevelRule rule : RulesBroken(current_ + 1, model_->document().Loaded(current_), a)) broken << RuleInFrench(rule);
        set("Règle du standard enfreinte", broken.isEmpty() ? QStringLiteral("aucune") : broken.join(QStringLiteral(" ; ")));
    }
    switch (a.status) {
    case Analysis::Status::NotLoadable:
        set("État", QStringLiteral("refusé par le jeu (un chiffre de 5 à 9) : il montrerait le niveau 1 à la place"));
        return;
    case Analysis::Status::TooBig:
        set("État", QStringLiteral("trop grand pour être analysé (plus de %1 états)").arg(a.states));
        return;
    case Analysis::Status::Cancelled: return;
    case Analysis::Status::Unsolvable: set("État", QStringLiteral("insoluble")); break;
    case Analysis::Status::Solved: set("État", QStringLiteral("soluble")); break;
    }
    if (figures_->stage == LiveFigures::Solver) {
        for (auto& [name, label] : figureLabels_) label->setText(QStringLiteral("calcul…"));
        if (a.status == Analysis::Status::Unsolvable) {
            set("État", QStringLiteral("insoluble"));
            return;
        }
        set("État", QStringLiteral("soluble"));
        set("Coups minimum", QString::number(a.fewestMoves));
        set("Carré nécessaire", a.squareMoves > 0 ? QStringLiteral("oui") : QStringLiteral("non"));
        QStringList moves;
        for (const Step& s : a.solution) moves << MoveText(s.move);
        set("Solution", moves.join(QStringLiteral(", ")));
        return;
    }
    set("États", QString::number(a.states));
    set("Impasses", QStringLiteral("%1 % des états").arg(100 * a.DeadShare(), 0, 'f', 1));
    set("Joueur au hasard", QStringLiteral("%1 % de parties gagnées").arg(100 * a.WinRate(), 0, 'f', 1));
    if (a.status != Analysis::Status::Solved) return;
    set("Coups minimum", QString::number(a.fewestMoves));
    set("Solutions les plus courtes",
        a.shortestSolutions >= kManySolutions ? QStringLiteral("très nombreuses") : QString::number(a.shortestSolutions));
    set("Carré nécessaire", a.squareMoves > 0 ? QStringLiteral("oui (%1 glissade(s))").arg(a.squareMoves) : QStringLiteral("non"));
    QStringList losing;
    for (const Move& m : figures_->losingFirstMoves) losing << MoveText(m);
    set("Premier coup perdant", losing.isEmpty() ? QStringLiteral("aucun") : losing.join(QStringLiteral(", ")));
    set("Murs inutiles", QStringLiteral("%1 sur %2").arg(a.idleWalls.size()).arg(a.interiorWalls));
    QStringList used, forced;
    for (int k = 0; k < kStopKinds; ++k) {
        const StopUse& stop = a.stops[static_cast<std::size_t>(k)];
        const QString name = StopInFrench(static_cast<Stop>(k));
        if (stop.used) used << name + (stop.always ? QStringLiteral(" (toujours)") : QString());
        if (stop.used && stop.Forced()) forced << name;
        else if (stop.used) forced << QStringLiteral("sans « %1 » : par %2").arg(name).arg(stop.parWithout);
    }
    set("Arrêts utilisés", used.isEmpty() ? QStringLiteral("aucun") : used.join(QStringLiteral(", ")));
    set("Arrêts imposés", forced.isEmpty() ? QStringLiteral("aucun") : forced.join(QStringLiteral(", ")));
    if (a.look >= 0)
        set("Regard", a.look >= kLookOver ? QStringLiteral("plus de %1 coups").arg(kMaxLook) : QStringLiteral("%1 coup(s)").arg(a.look));
    if (a.twoAheadWinRate >= 0) set("Joueur à deux coups", QStringLiteral("%1 % de parties gagnées").arg(100 * a.twoAheadWinRate, 0, 'f', 1));
    set("Piège tardif", a.lateTrap > 0 ? QStringLiteral("le coup %1 de la solution peut perdre").arg(a.lateTrap) : QStringLiteral("aucun"));
    QStringList moves;
    for (const Step& s : a.solution) moves << MoveText(s.move);
    set("Solution", moves.join(QStringLiteral(", ")));
    if (!figures_->complete) {
        for (const char* name : {"Murs inutiles", "Regard", "Joueur à deux coups", "Verdict", "Règle du standard enfreinte"})
            set(name, QStringLiteral("calcul…"));
    }
}

void EditorWindow::StepSolution(int delta) {
    if (!figures_ || figures_->analysis.solution.empty()) return;
    const int n = static_cast<int>(figures_->analysis.solution.size());
    step_ = std::clamp(std::max(step_, 0) + delta, 0, n);
    UpdateOverlay();
}

void EditorWindow::UpdateOverlay() {
    BoardView::Overlay overlay;
    stepLabel_->clear();
    if (figures_ && current_ >= 0) {
        const Analysis& a = figures_->analysis;
        if (action(QStringLiteral("murs-inutiles"))->isChecked()) overlay.idleWalls = a.idleWalls;
        const auto level = model_->document().Loaded(current_);
        if (level && action(QStringLiteral("coups-perdants"))->isChecked() && step_ < 0) {
            for (const Move& m : figures_->losingFirstMoves) {
                const bool ball = m.piece == kBallPiece;
                const int row = ball ? level->ballRow : level->squareRow, col = ball ? level->ballCol : level->squareCol;
                const SlidePath path = TraceSlide(level->board, m.piece, row, col, m.direction);
                overlay.losingSlides.push_back({m, row, col, Board::RowOf(path.to), Board::ColOf(path.to), path.rings > 0});
            }
        }
        if (step_ >= 0 && !a.solution.empty()) {
            const int n = static_cast<int>(a.solution.size());
            if (step_ == 0) {
                overlay.steps = a.solution;
                stepLabel_->setText(QStringLiteral("Solution en %1 coups (Page suivante : pas à pas)").arg(n));
            } else {
                overlay.steps.assign(a.solution.begin(), a.solution.begin() + step_);
                overlay.shown = BoardAfterSlides(model_->document().Record(current_), a.solution, step_);
                stepLabel_->setText(QStringLiteral("Étape %1 sur %2 : %3")
                                        .arg(step_)
                                        .arg(n)
                                        .arg(MoveText(a.solution[static_cast<std::size_t>(step_ - 1)].move)));
            }
        }
    }
    board_->SetOverlay(std::move(overlay));
}

bool EditorWindow::Playing() const { return pages_->currentIndex() == 1; }

void EditorWindow::StartPlay() {
    if (current_ < 0 || Playing()) return;
    if (!model_->document().Loaded(current_)) {
        Tell(QStringLiteral("Niveau refusé"),
             QStringLiteral("Le jeu refuse ce niveau (un chiffre de 5 à 9) : il montrerait le niveau 1 à la place."));
        return;
    }
    play_->Start(model_->document().Record(current_), current_ + 1);
    pages_->setCurrentIndex(1);
    play_->setFocus(Qt::OtherFocusReason);
}

void EditorWindow::StopPlay() {
    if (!Playing()) return;
    pages_->setCurrentIndex(0);
    statusBar()->clearMessage();
    board_->setFocus(Qt::OtherFocusReason);
}

}  // namespace kelo::editor
