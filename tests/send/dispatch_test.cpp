#include "app/app_state.h"
#include "main_window_fixture.h"

#include <QTest>

namespace {

class Dispatch : public TMainWindowTest {
protected:
    // Drops a file on the drop screen of a chosen destination.
    void Drop(const std::string& path) {
        if (!Form) StartForm();
        Form->SelectDestination("取引先", "0612345678");
        Form->FilesDropped({path});
    }
    void ExpectBox(const std::string& text, const std::string& caption) {
        ASSERT_GE(Boxes.Count(), 1u);
        EXPECT_EQ(Boxes.Last().Text, text);
        EXPECT_EQ(Boxes.Last().Caption, caption);
        EXPECT_EQ(Boxes.Last().Buttons, mbOK);
        EXPECT_TRUE(Fax.Jobs.empty());
    }
    std::string SentText() { return Fax.Jobs.empty() ? "<nothing sent>" : Fax.Jobs.back().BodyContent; }
};

// A 24-bit bottom-up BMP of width × height whose pixel (x, y) has colour(x, y) = 0xRRGGBB.
template <class F>
std::string MakeBmp(int width, int height, F colour) {
    int rowBytes = (width * 3 + 3) / 4 * 4;
    uint32_t fileSize = 54 + uint32_t(rowBytes) * uint32_t(height);
    std::string b(54, '\0');
    auto put32 = [&b](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = char((v >> (8 * i)) & 0xFF);
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, fileSize);
    put32(10, 54);
    put32(14, 40);
    put32(18, uint32_t(width));
    put32(22, uint32_t(height));
    b[26] = 1;
    b[28] = 24;
    for (int y = height - 1; y >= 0; --y) {
        std::string row(size_t(rowBytes), '\0');
        for (int x = 0; x < width; ++x) {
            uint32_t c = colour(x, y);
            row[size_t(x) * 3] = char(c & 0xFF);
            row[size_t(x) * 3 + 1] = char((c >> 8) & 0xFF);
            row[size_t(x) * 3 + 2] = char((c >> 16) & 0xFF);
        }
        b += row;
    }
    return b;
}

const char* const SizeRefusal = "こんなサイズのファイルじゃ恐ろしくて処理する気になれない";

} // namespace

TEST_F(Dispatch, AFileWithoutExtensionIsRefused) {
    Drop(Dir.WriteFile("README", "text"));
    ExpectBox("それは無理だ", "NG");
    EXPECT_TRUE(Form->StringGrid1->isVisible());
}

TEST_F(Dispatch, OtherTypesAreSubmittedUnchangedWithoutSizeCheck) {
    for (const char* name : {"scan.tif", "doc.pdf", "x.RTF", "photo.jpe", "odd."}) {
        Fax.Jobs.clear();
        std::string path = Dir.WriteFile(name, "");  // even empty: no size check
        Drop(path);
        ASSERT_EQ(Fax.Jobs.size(), 1u) << name;
        EXPECT_EQ(Fax.Jobs[0].Body, path);
    }
    EXPECT_EQ(Boxes.Count(), 0u);
}

TEST_F(Dispatch, TextFilesAreTrimmedAndSentThroughTheTemporaryText) {
    Drop(Dir.WriteFile("memo.TXT", "\r\n  お世話になります。\r\n以上\r\n\r\n"));
    ASSERT_EQ(Fax.Jobs.size(), 1u);
    EXPECT_EQ(Fax.Jobs[0].Body, TempTextPath);
    EXPECT_EQ(SentText(), "お世話になります。\r\n以上");
    EXPECT_EQ(SendFilePath, TempTextPath);
}

TEST_F(Dispatch, ScriptsAreSentAsText) {
    Drop(Dir.WriteFile("tool.vbs", "MsgBox \"hi\"\n"));
    Drop(Dir.WriteFile("app.Js", "\talert(1);"));
    ASSERT_EQ(Fax.Jobs.size(), 2u);
    EXPECT_EQ(Fax.Jobs[0].BodyContent, "MsgBox \"hi\"");
    EXPECT_EQ(Fax.Jobs[1].BodyContent, "alert(1);");
}

TEST_F(Dispatch, HtmlIsReducedToTheTextBetweenTags) {
    Drop(Dir.WriteFile("page.HTML", "<html><body><p>A</p>\n<p>B&amp;C</p></body></html>"));
    EXPECT_EQ(SentText(), "A\nB&C");
}

TEST_F(Dispatch, TheSizeLimitIs100000BytesInclusive) {
    Drop(Dir.WriteFile("exact.txt", std::string(100000, 'a')));
    ASSERT_EQ(Fax.Jobs.size(), 1u);
    EXPECT_EQ(Fax.Jobs[0].BodyContent.size(), 100000u);
    Fax.Jobs.clear();
    Drop(Dir.WriteFile("over.txt", std::string(100001, 'a')));
    ExpectBox(SizeRefusal, "悪いけど");
    Boxes.Clear();
    Drop(Dir.WriteFile("empty.txt", ""));
    ExpectBox(SizeRefusal, "悪いけど");
    Boxes.Clear();
    Drop(Dir / "missing.txt");
    ExpectBox(SizeRefusal, "悪いけど");
}

TEST_F(Dispatch, BlankTextIsReportedAndNothingIsSent) {
    Drop(Dir.WriteFile("blank.txt", " \t\r\n \r\n"));
    ExpectBox("そのファイルには文字なんか全然入っていない", "悪いけど");
    Boxes.Clear();
    Drop(Dir.WriteFile("tags.htm", "<html><body></body></html>"));
    ExpectBox("そのファイルには文字なんか全然入っていない", "悪いけど");
}

TEST_F(Dispatch, DroppingTheTemporaryTextItselfIsRefusedBeforeAnythingIsDeleted) {
    StartForm();
    Dir.WriteFile("tmp0.txt", "earlier memo");
    Drop(TempTextPath);
    ExpectBox("そのファイルはダメ", "悪いけど");
    EXPECT_EQ(ReadFileBytes(TempTextPath), "earlier memo");
}

TEST_F(Dispatch, ARefusedTextFileStillRemovesTheEarlierTemporaryText) {
    StartForm();
    Dir.WriteFile("tmp0.txt", "earlier memo");
    Drop(Dir.WriteFile("over.txt", std::string(100001, 'a')));
    EXPECT_FALSE(std::filesystem::exists(TempTextPath));
}

TEST_F(Dispatch, APictureIsFittedSavedAsTheTemporaryBitmapAndSent) {
    StartForm();
    Form->CheckBox2->setChecked(false);
    // Red on yellow: exactly two colours, sent black and white at one bit.
    Drop(Dir.WriteFile("sign.BMP", MakeBmp(40, 30, [](int x, int) { return x < 20 ? 0xFF0000u : 0xFFFF00u; })));
    ASSERT_EQ(Fax.Jobs.size(), 1u);
    EXPECT_EQ(Fax.Jobs[0].Body, TempImagePath);
    EXPECT_EQ(SendFilePath, TempImagePath);
    const std::string& bmp = Fax.Jobs[0].BodyContent;
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(uint8_t(bmp[28]), 1);  // bits per pixel
    EXPECT_EQ(Boxes.Count(), 0u);
    EXPECT_TRUE(Form->SourcePicture == nullptr);  // the holders are emptied once the send starts
}

TEST_F(Dispatch, ABlankPictureIsReportedAndNothingIsSent) {
    StartForm();
    Form->CheckBox2->setChecked(false);
    Drop(Dir.WriteFile("blank.bmp", MakeBmp(10, 10, [](int, int) { return 0xFFFFFFu; })));
    ASSERT_EQ(Boxes.Count(), 2u);
    EXPECT_EQ(Boxes.Shown()[0].Text, "絵と呼べそうなものがまったく入っていないんじゃないかという気がする");
    EXPECT_EQ(Boxes.Shown()[0].Caption, "NG");
    EXPECT_EQ(Boxes.Shown()[1].Text, "画像処理失敗");
    EXPECT_TRUE(Fax.Jobs.empty());
    EXPECT_TRUE(Form->StringGrid1->isVisible());
}

TEST_F(Dispatch, PicturesThatCannotBeLoadedAreReported) {
    Drop(Dir.WriteFile("broken.JPG", "not a jpeg"));
    ExpectBox("画像読込失敗", "残念");
    EXPECT_TRUE(Form->StringGrid1->isVisible());
}

TEST_F(Dispatch, OfficeDocumentsThatCannotBeOpenedNameTheirApplication) {
    TScopedServerOverride noWord("Word.Application", nullptr);
    TScopedServerOverride noExcel("Excel.Application", nullptr);
    Drop(Dir.WriteFile("letter.doc", "not really a document"));
    ExpectBox("Wordが入っていないマシンなら失敗するのは当たり前だけど、\n入っているとしたらかなり珍しいエラー",
              "テキスト変換処理失敗");
    Drop(Dir.WriteFile("sheet.XLS", "not really a workbook"));
    ExpectBox("Excelが入っていないマシンなら失敗するのは当たり前だけど、\n入っているとしたらかなり珍しいエラー",
              "テキスト変換処理失敗");
}
