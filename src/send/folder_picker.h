#pragma once

#include <QString>
#include <QWidget>

class QFileSystemModel;
class QLabel;
class QListWidget;
class QPushButton;
class QTreeView;
class TForm1;

// The picker of the fax service's sent-items folder: a borderless white
// window laid over the main window, with the folder tree of the whole file
// system and, for information, the files of the chosen folder. Not modal;
// freed when it closes.
class TForm3 : public QWidget {
    Q_OBJECT
public:
    explicit TForm3(TForm1* mainWindow);
    ~TForm3() override;

    void FormCreate();
    void ShellTreeView1Change();
    void Button1Click();  // OK
    void Button2Click();  // Cancel

    // The file-system path of the folder selected in the tree; empty when none is.
    QString SelectedPath() const;

    QLabel* Label1;
    QPushButton* Button1;
    QPushButton* Button2;
    QTreeView* ShellTreeView1;
    QListWidget* FileListBox1;

private:
    TForm1* MainWindow;
    QFileSystemModel* Folders;
    QString InitialPath;
};

// The picker while it exists; null otherwise.
extern TForm3* Form3;
