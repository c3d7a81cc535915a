#include "send/folder_picker.h"

#include "app/app_state.h"
#include "app/main_window.h"

#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <filesystem>

TForm3* Form3 = nullptr;

namespace {

const QString RootPath = QStringLiteral("/");

// The names of the files in folder, sorted; false when it cannot be read.
bool ListFiles(const QString& folder, QStringList& names) {
    std::error_code ec;
    std::filesystem::directory_iterator entries(folder.toStdString(), ec), end;
    if (ec) return false;
    QStringList found;
    for (; entries != end; entries.increment(ec)) {
        if (ec) return false;
        if (!entries->is_directory(ec)) found << QString::fromStdString(entries->path().filename().string());
    }
    found.sort();
    names = found;
    return true;
}

} // namespace

TForm3::TForm3(TForm1* mainWindow) : QWidget(mainWindow, Qt::Window | Qt::FramelessWindowHint), MainWindow(mainWindow) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("MSFAX履歴保存場所設定"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_WindowPropagation);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setFixedSize(632, 383);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(0, 0, 472, 40);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(true);
    Label1->setStyleSheet(QStringLiteral("color: white; background-color: black;"));

    Button2 = new QPushButton(QStringLiteral("Cancel"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(480, 8, 72, 25);
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(556, 8, 72, 25);
    QFont bold = Button1->font();
    bold.setBold(true);
    Button1->setFont(bold);

    // Folders only, hidden ones too, read when a branch opens and not
    // watched afterwards.
    Folders = new QFileSystemModel(this);
    Folders->setOption(QFileSystemModel::DontWatchForChanges);
    Folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden);
    Folders->setRootPath(RootPath);
    ShellTreeView1 = new QTreeView(this);
    ShellTreeView1->setObjectName(QStringLiteral("ShellTreeView1"));
    ShellTreeView1->setGeometry(0, 44, 316, 339);
    ShellTreeView1->setModel(Folders);
    ShellTreeView1->header()->hide();
    for (int column = 1; column < Folders->columnCount(); ++column) ShellTreeView1->hideColumn(column);

    FileListBox1 = new QListWidget(this);
    FileListBox1->setObjectName(QStringLiteral("FileListBox1"));
    FileListBox1->setGeometry(320, 44, 312, 339);
    FileListBox1->setEnabled(false);

    connect(Button1, &QPushButton::clicked, this, &TForm3::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TForm3::Button2Click);
    connect(ShellTreeView1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TForm3::ShellTreeView1Change);
    // Folders are read in the background: keep the starting folder in view
    // while the folders above it fill in.
    auto keepStartInView = [this] {
        QTimer::singleShot(0, this, [this] { ShellTreeView1->scrollTo(ShellTreeView1->currentIndex()); });
    };
    connect(Folders, &QAbstractItemModel::rowsInserted, this, [this, keepStartInView](const QModelIndex& parent) {
        if (InitialPath.startsWith(Folders->filePath(parent))) keepStartInView();
    });
    connect(Folders, &QAbstractItemModel::layoutChanged, this, keepStartInView);
    Form3 = this;
    FormCreate();
    show();
}

TForm3::~TForm3() {
    if (Form3 == this) Form3 = nullptr;
}

void TForm3::FormCreate() {
    setGeometry(MainWindow->x(), MainWindow->y(), width(), MainWindow->height());
    setFixedHeight(MainWindow->height());
    InitialPath = MainWindow->Label0->text();
    if (InitialPath.isEmpty()) InitialPath = RootPath;
    QModelIndex start = Folders->index(InitialPath);
    if (!start.isValid()) start = Folders->index(RootPath);
    for (QModelIndex shown = start; shown.isValid(); shown = shown.parent()) ShellTreeView1->expand(shown);
    ShellTreeView1->setCurrentIndex(start);
    ShellTreeView1->scrollTo(start);
    ShellTreeView1->setContextMenuPolicy(Qt::NoContextMenu);
}

QString TForm3::SelectedPath() const {
    QModelIndex selected = ShellTreeView1->currentIndex();
    return selected.isValid() ? Folders->filePath(selected) : QString();
}

void TForm3::ShellTreeView1Change() {
    // The selection made while the window is being created shows the path it
    // started from; the user's own choices show the chosen folder, whether or
    // not the desktop has made the window active yet.
    QString path = isVisible() ? SelectedPath() : InitialPath;
    QStringList names;
    FileListBox1->clear();
    if (ListFiles(RootPath, names)) FileListBox1->addItems(names);
    if (ListFiles(path, names)) {
        FileListBox1->clear();
        FileListBox1->addItems(names);
    }
    Label1->setText(path);
}

void TForm3::Button1Click() {
    QString path = SelectedPath();
    // Neither the root nor the application's own folder can be the fax
    // service's sent-items folder.
    if (path.isEmpty() || path == RootPath || path.toStdString() == AppDir) return;
    MainWindow->Label0->setText(path);
    MainWindow->SaveSettings();
    close();
}

void TForm3::Button2Click() { close(); }
