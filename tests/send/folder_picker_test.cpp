#include "app/app_state.h"
#include "main_window_fixture.h"
#include "send/folder_picker.h"

#include <QFileSystemModel>
#include <QTest>
#include <QTreeView>

namespace {

class FolderPicker : public TMainWindowTest {
protected:
    TForm3& Open() {
        QTest::mouseClick(StartForm().Btn4, Qt::LeftButton);
        EXPECT_NE(Form3, nullptr);
        return *Form3;
    }

    static void Select(TForm3& picker, const std::string& path) {
        auto* folders = static_cast<QFileSystemModel*>(picker.ShellTreeView1->model());
        QModelIndex index = folders->index(QString::fromStdString(path));
        ASSERT_TRUE(index.isValid()) << path;
        picker.ShellTreeView1->setCurrentIndex(index);
    }
};

} // namespace

TEST_F(FolderPicker, OpensOverTheMainWindowOnTheSavedFolderWithItsFiles) {
    Dir.WriteFile("sent/job-1.tif", "II*");
    Dir.WriteFile("Pelmor.txt", Dir / "sent");
    TForm3& picker = Open();
    EXPECT_EQ(picker.geometry(), QRect(Form->x(), Form->y(), 632, 383));
    EXPECT_EQ(picker.SelectedPath().toStdString(), Dir / "sent");
    EXPECT_EQ(picker.Label1->text().toStdString(), Dir / "sent");
    ASSERT_EQ(picker.FileListBox1->count(), 1);
    EXPECT_EQ(picker.FileListBox1->item(0)->text(), QStringLiteral("job-1.tif"));
    EXPECT_FALSE(picker.FileListBox1->isEnabled());
    QModelIndex above = picker.ShellTreeView1->currentIndex().parent();  // a right click selects
    QTest::mouseClick(picker.ShellTreeView1->viewport(), Qt::RightButton, {},
                      picker.ShellTreeView1->visualRect(above).center());
    EXPECT_EQ(picker.SelectedPath().toStdString(), Dir.Path().string());
    EXPECT_EQ(picker.Label1->text().toStdString(), Dir.Path().string());
}

TEST_F(FolderPicker, RefusesTheRootAndTheApplicationFolderAndSavesAnother) {
    std::filesystem::create_directory(Dir / "sent");
    TForm3& picker = Open();
    EXPECT_EQ(picker.Label1->text(), QStringLiteral("/"));  // nothing saved yet: the root
    for (const std::string& refused : {std::string("/"), AppDir}) {
        Select(picker, refused);
        picker.Button1Click();
        EXPECT_TRUE(picker.isVisible()) << refused;
        EXPECT_TRUE(Form->Label0->text().isEmpty());
    }
    Select(picker, Dir / "sent");
    picker.Button1Click();
    EXPECT_FALSE(picker.isVisible());
    EXPECT_EQ(Form->Label0->text().toStdString(), Dir / "sent");
    EXPECT_EQ(ReadFileBytes(Dir / "Pelmor.txt").substr(0, (Dir / "sent").size()), Dir / "sent");
}
