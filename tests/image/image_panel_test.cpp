#include "app/app_state.h"
#include "image/bmp_reader.h"
#include "main_window_fixture.h"
#include "picture_maker.h"

#include <QScrollArea>
#include <QTest>

#include <set>

namespace {

// The image panel of a started window, fed with pictures dropped on the drop
// screen of a chosen destination. With no settings file, confirming is on.
class ImagePanel : public TMainWindowTest {
protected:
    std::string Save(const std::string& name, const TBitmap& picture) {
        const std::string path = Dir / name;
        EXPECT_TRUE(picture.SaveToFile(path));
        return path;
    }
    void Drop(const std::string& path) {
        if (!Form) StartForm();
        Form->SelectDestination("取引先", "0612345678");
        Form->FilesDropped({path});
        QApplication::processEvents();
    }
    QPushButton* Button(const char* name) { return Form->Panel1->findChild<QPushButton*>(name); }
    void Click(const char* name) { QTest::mouseClick(Button(name), Qt::LeftButton); }
    // A press and release on the slider's thumb, which stands at Position.
    void ReleaseSlider() {
        const int thumbX = 4 + Form->YTBar0->Position() * 120 / 255;
        QTest::mouseClick(Form->YTBar0, Qt::LeftButton, {}, QPoint(thumbX, 15));
    }
    const TBitmap& Preview() { return Form->Image1->Picture(); }
    size_t PreviewColours() {
        std::set<TColor> colours;
        for (int y = 0; y < Preview().Height(); ++y)
            for (int x = 0; x < Preview().Width(); ++x) colours.insert(Preview().Pixel(x, y));
        return colours.size();
    }
};

struct TPlace {
    const char* Name;
    QRect Geometry;
    bool Shown;
};

void ExpectPlaces(TForm1& form, std::initializer_list<TPlace> places) {
    for (const TPlace& place : places) {
        auto* widget = form.findChild<QWidget*>(QString::fromLatin1(place.Name));
        ASSERT_NE(widget, nullptr) << place.Name;
        if (!place.Geometry.isNull()) {
            EXPECT_EQ(widget->geometry(), place.Geometry) << place.Name;
        }
        EXPECT_EQ(!widget->isHidden(), place.Shown) << place.Name;
    }
}

TEST_F(ImagePanel, TheSettingsLayoutAndThePreviewLayoutPutEveryControlInItsPlace) {
    StartForm();
    QTest::mouseClick(Form->Btn5, Qt::LeftButton);
    ExpectPlaces(*Form, {{"GroupBox1", {4, 4, 140, 48}, true}, {"Btn6", {172, 12, 75, 25}, true},
                         {"Btn7", {250, 12, 75, 25}, true},    {"Btn8", {}, true},
                         {"CheckBox1", {}, true},              {"CheckBox2", {}, true},
                         {"Label4", {}, false},                {"YTBar0", {}, false},
                         {"ScrollBox1", {4, 56, 75, 80}, false}, {"FileListBox1", {83, 56, 50, 80}, false},
                         {"BtnT1", {396, 19, 18, 18}, false},  {"Panel1", {0, 0, 452, 145}, true}});
    EXPECT_FALSE(Form->Btn0->isVisible());
    Click("Btn6");

    Drop(Save("photo.bmp", PhotoPicture(60, 40)));
    EXPECT_EQ(Form->width(), 640);
    ExpectPlaces(*Form, {{"Panel1", {0, 0, 640, 383}, true},   {"Label4", {148, 2, 272, 24}, true},
                         {"YTBar0", {208, 26, 128, 30}, true}, {"BtnT2", {442, 1, 18, 18}, true},
                         {"BtnT1", {424, 19, 18, 18}, true},   {"BtnT3", {460, 19, 18, 18}, true},
                         {"BtnT4", {442, 37, 18, 18}, true},   {"Btn7", {524, 1, 75, 25}, true},
                         {"Btn6", {524, 30, 75, 25}, true},    {"Btn8", {}, false},
                         {"ScrollBox1", {4, 56, 480, 321}, true}, {"FileListBox1", {496, 56, 129, 321}, true},
                         {"CheckBox1", {}, false},             {"CheckBox2", {}, false}});
    EXPECT_EQ(Button("Btn7")->text(), QStringLiteral("OK(送信)"));
    EXPECT_FALSE(Form->Btn0->isVisible());
    // Pictures of the folder are listed, the dropped one chosen.
    EXPECT_EQ(Form->FileListBox1->FileName(), Dir / "photo.bmp");
}

TEST_F(ImagePanel, APreviewOpensUnthresholdedAndTheSliderOrTheDepthRebuildItFromTheSource) {
    StartForm();
    Form->YTBar0->SetPosition(30);  // left there by an earlier preview
    Drop(Save("photo.bmp", PhotoPicture(60, 40)));
    EXPECT_GT(PreviewColours(), 2u);
    EXPECT_EQ(Preview().PixelFormat(), pf8bit);

    ReleaseSlider();
    EXPECT_EQ(PreviewColours(), 2u);
    QTest::mouseClick(Form->RBtn3, Qt::LeftButton);  // another depth drops the threshold
    EXPECT_GT(PreviewColours(), 2u);
    EXPECT_EQ(Preview().PixelFormat(), pf24bit);

    Click("BtnT1");
    Click("BtnT4");
    EXPECT_EQ(Preview().Width(), 50);
    EXPECT_EQ(Preview().Height(), 30);
    ReleaseSlider();  // the slider drops the trims
    EXPECT_EQ(Preview().Width(), 60);
    EXPECT_EQ(Preview().Height(), 40);
    EXPECT_TRUE(Fax.Jobs.empty());
    EXPECT_EQ(Boxes.Count(), 0u);
}

TEST_F(ImagePanel, TrimmingStopsAtTenPixelsAndCutsTheEdgeTheArrowPointsAt) {
    TBitmap picture = FilledPicture(34, 20, clWhite);
    for (int y = 0; y < 20; ++y) picture.SetPixel(33, y, clBlack);  // a black right-hand column
    Drop(Save("strip.bmp", picture));
    Click("BtnT1");  // "→" pushes in the left edge
    EXPECT_EQ(Preview().Width(), 24);
    EXPECT_EQ(Preview().Pixel(23, 0), clBlack);
    for (int i = 0; i < 3; ++i) Click("BtnT3");
    EXPECT_EQ(Preview().Width(), 10);
    EXPECT_EQ(Preview().Height(), 20);
}

TEST_F(ImagePanel, AnotherFileInTheListReplacesThePictureABrokenOneKeepsThePreview) {
    Save("b_other.bmp", PhotoPicture(30, 50));
    Dir.WriteFile("c_broken.jpg", "not a picture");
    Dir.WriteFile("notes.txt", "not listed");
    Drop(Save("a_first.bmp", PhotoPicture(20, 24)));
    ASSERT_EQ(Form->FileListBox1->count(), 3);
    Form->FileListBox1->setCurrentRow(1);
    EXPECT_EQ(Preview().Width(), 30);
    Form->FileListBox1->setCurrentRow(2);
    ASSERT_EQ(Boxes.Count(), 1u);
    EXPECT_EQ(Boxes.Last().Text, "画像読込失敗");
    EXPECT_EQ(Preview().Width(), 30);

    Click("Btn7");  // what is sent is the picture chosen last
    ASSERT_EQ(Fax.Jobs.size(), 1u);
    TBitmap sent;
    ASSERT_TRUE(LoadBmpFile(TempImagePath, sent));
    EXPECT_EQ(sent.Width(), 30);
}

TEST_F(ImagePanel, OpeningThePreviewNearTheRightEdgePullsTheWindowLeft) {
    StartForm();
    Form->move(1000, 87);
    Drop(Save("photo.bmp", PhotoPicture(20, 20)));
    EXPECT_EQ(Form->x(), 1280 - 640);
    Click("Btn6");
    EXPECT_EQ(Form->width(), 452);

    Form->move(300, 87);
    Drop(Save("photo.bmp", PhotoPicture(20, 20)));
    EXPECT_EQ(Form->x(), 300);
}

TEST_F(ImagePanel, CancelAndCloseLeaveEachViewWithoutSending) {
    Drop(Save("photo.bmp", PhotoPicture(20, 20)));
    Click("Btn6");
    EXPECT_FALSE(Form->Panel1->isVisible());
    EXPECT_TRUE(Form->StringGrid1->isVisible());
    EXPECT_TRUE(Form->Btn0->isVisible());
    EXPECT_TRUE(Form->Image1->Empty());
    EXPECT_EQ(Form->SourcePicture, nullptr);

    QTest::mouseClick(Form->Btn5, Qt::LeftButton);
    TScopedSeam<bool(TOpenDialog&, QWidget*)> choose(OpenDialogSeam, [this](TOpenDialog& dialog, QWidget*) {
        EXPECT_EQ(dialog.Filter, "画像|*.bmp;*.jpg;*.jpeg");
        dialog.FileName = Dir / "photo.bmp";
        return true;
    });
    Click("Btn8");
    EXPECT_EQ(Form->width(), 640);
    EXPECT_EQ(Button("Btn6")->text(), QStringLiteral("閉じる"));
    EXPECT_EQ(Button("Btn6")->y(), 17);
    EXPECT_TRUE(Button("Btn7")->isHidden());
    EXPECT_FALSE(Preview().Empty());
    Click("Btn6");  // back to the settings it came from
    EXPECT_TRUE(Form->Panel1->isVisible());
    EXPECT_EQ(Form->width(), 452);
    EXPECT_EQ(Button("Btn7")->text(), QStringLiteral("設定OK"));
    EXPECT_TRUE(Form->Image1->Empty());
    EXPECT_TRUE(Fax.Jobs.empty());
}

TEST_F(ImagePanel, OkSendsTheThresholdedPreviewAsABlackAndWhitePage) {
    StartForm();
    Form->RBtn3->setChecked(true);
    Drop(Save("photo.bmp", PhotoPicture(900, 1000)));
    ReleaseSlider();
    Click("Btn7");
    ASSERT_EQ(Fax.Jobs.size(), 1u);
    EXPECT_EQ(Fax.Jobs[0].Body, TempImagePath);
    TBitmap sent;
    ASSERT_TRUE(LoadBmpFile(TempImagePath, sent));
    EXPECT_EQ(sent.PixelFormat(), pf1bit);
    EXPECT_EQ(sent.Width(), 544);  // shrunk to the page
    EXPECT_EQ(sent.Height(), 605);
    EXPECT_FALSE(Form->Panel1->isVisible());
    EXPECT_EQ(Form->width(), 452);
}

TEST_F(ImagePanel, APreviewThresholdedToOneColourIsNotSent) {
    Drop(Save("photo.bmp", PhotoPicture(20, 20)));
    Form->YTBar0->SetPosition(255);
    ReleaseSlider();
    Click("Btn7");
    ASSERT_EQ(Boxes.Count(), 1u);
    EXPECT_EQ(Boxes.Last().Text, "絵と呼べそうなものがまったく入っていないんじゃないかという気がする");
    EXPECT_EQ(Boxes.Last().Caption, "NG");
    EXPECT_TRUE(Fax.Jobs.empty());
    EXPECT_TRUE(Form->Image1->Empty());
    EXPECT_FALSE(std::filesystem::exists(TempImagePath));
}

} // namespace
