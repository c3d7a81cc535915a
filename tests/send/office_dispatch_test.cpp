// Dropping real Word and Excel documents on the drop screen, converted by
// LibreOffice.
#include "app/app_state.h"
#include "main_window_fixture.h"
#include "office_fixtures.h"

#include <filesystem>

namespace {

class OfficeDispatch : public TMainWindowTest {
protected:
    void SetUp() override {
        if (!OfficeInstalled()) GTEST_SKIP() << "LibreOffice (soffice) is not installed here";
        ASSERT_FALSE(Samples().Sheet.empty()) << "LibreOffice could not make the sample documents";
        StartForm();
    }
    void Drop(const std::string& path) {
        Form->SelectDestination("取引先", "0612345678");
        Form->FilesDropped({path});
    }
    std::string Copy(const std::string& sample, const std::string& name) {
        std::string path = Dir / name;
        std::filesystem::copy_file(sample, path, std::filesystem::copy_options::overwrite_existing);
        return path;
    }
    void ExpectOnlyBox(const std::string& text, const std::string& caption) {
        ASSERT_EQ(Boxes.Count(), 1u);
        EXPECT_EQ(Boxes.Last().Text, text);
        EXPECT_EQ(Boxes.Last().Caption, caption);
        EXPECT_TRUE(Fax.Jobs.empty());
    }

    TOfficeServersOverride Office {SharedConverter()};
};

const char* const NoText = "そのファイルには文字なんか全然入っていない";

} // namespace

TEST_F(OfficeDispatch, WordAndExcelDocumentsAreSentAsTheTextTheConverterWrote) {
    Drop(Copy(Samples().Paragraphs, "案内.doc"));
    ASSERT_EQ(Fax.Jobs.size(), 1u);
    EXPECT_EQ(Fax.Jobs[0].Number, "0612345678");
    EXPECT_EQ(Fax.Jobs[0].Body, TempTextPath);
    // Untrimmed: the line break the converter wrote at the end stays.
    EXPECT_EQ(Fax.Jobs[0].BodyContent, ParagraphsText);

    Drop(Copy(Samples().Sheet, "Sheet.XLS"));
    ASSERT_EQ(Fax.Jobs.size(), 2u);
    EXPECT_EQ(Fax.Jobs[1].BodyContent, SheetText);
    EXPECT_EQ(Boxes.Count(), 0u);
}

TEST_F(OfficeDispatch, ADocumentWithoutTextIsReportedAndNothingIsSent) {
    Drop(Copy(Samples().Empty, "blank.doc"));
    ExpectOnlyBox(NoText, "悪いけど");
}

TEST_F(OfficeDispatch, FilesThatAreNoDocumentsNameTheApplication) {
    Drop(Dir.WriteFile("letter.doc", NotADocument()));
    ExpectOnlyBox("Wordが入っていないマシンなら失敗するのは当たり前だけど、\n入っているとしたらかなり珍しいエラー",
                  "テキスト変換処理失敗");
    Boxes.Clear();
    // A workbook named like a Word document is no Word document either.
    Drop(Copy(Samples().Sheet, "sheet.doc"));
    ExpectOnlyBox("Wordが入っていないマシンなら失敗するのは当たり前だけど、\n入っているとしたらかなり珍しいエラー",
                  "テキスト変換処理失敗");
    Boxes.Clear();
    Drop(Dir.WriteFile("book.xls", NotADocument()));
    ExpectOnlyBox("Excelが入っていないマシンなら失敗するのは当たり前だけど、\n入っているとしたらかなり珍しいエラー",
                  "テキスト変換処理失敗");
    EXPECT_FALSE(std::filesystem::exists(TempTextPath));
}

TEST_F(OfficeDispatch, WithoutLibreOfficeTheUserIsToldTheApplicationIsMissing) {
    TTempDir folder;
    TOfficeOptions options;
    options.Program = folder / "no/soffice";
    options.FolderRoot = folder.Path().string();
    TOfficeServersOverride missing(std::make_shared<TOfficeConverter>(options));
    Drop(Copy(Samples().Sheet, "sheet.xls"));
    ExpectOnlyBox("Excelが入っていないマシンなら失敗するのは当たり前だけど、\n入っているとしたらかなり珍しいエラー",
                  "テキスト変換処理失敗");
}
