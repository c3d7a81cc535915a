#include "inbox_name.h"
#include "send/print_inbox.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

std::string Repeat(const std::string& text, size_t times) {
    std::string all;
    while (times--) all += text;
    return all;
}

TEST(InboxName, TitlesAreMadeSafeForFileNames) {
    struct TCase {
        std::string Title;
        std::string Safe;
    } cases[] = {
        {"見積書 No.3/4", "見積書 No.3_4"},
        {"../../etc/passwd", "_.._etc_passwd"},
        {"a\tb\x7F:c*?\"<>|\\d", "a_b__c_______d"},
        {"broken \xE3\x81 utf8 \xFF", "broken __ utf8 _"},
        {"Report.PDF", "Report"},
        {". . .", "無題"},
        {"", "無題"},
        {Repeat("あ", 50), Repeat("あ", MaxTitleBytes / 3)},  // cut between characters
    };
    for (const TCase& c : cases) EXPECT_EQ(SafeFileTitle(c.Title), c.Safe) << c.Title;
}

TEST(InboxName, PrintedNamesSortByTimeThenJobAndKeepTheTitle) {
    std::string early = InboxFileName(1796784894, 99, "b/c");
    std::string late = InboxFileName(1796784894, 100, "a");
    EXPECT_LT(early, late);
    EXPECT_TRUE(IsInboxDocumentName(early));
    EXPECT_EQ(TitleOfInboxFile(early), "b_c");
    EXPECT_EQ(TitleOfInboxFile("notes-2.pdf"), "notes-2");
    EXPECT_FALSE(IsInboxDocumentName(early + ".tmp"));
    EXPECT_FALSE(IsInboxDocumentName(".hidden.pdf"));
}

TEST(PrintInbox, DocumentsWaitInTheOrderTheyWerePrinted) {
    TTempDir dir;
    TPrintInbox inbox(dir / "inbox");
    ASSERT_TRUE(inbox.Prepare());
    auto put = [&](const std::string& name) { dir.WriteFile("inbox/" + name, "%PDF-1.4"); };
    put("20261209-100000-000007-second.pdf");
    put("20261209-095959-000006-first.pdf");
    put("20261209-100001-000008-third.pdf.tmp");  // still being written
    EXPECT_EQ(inbox.Refresh(), 2u);
    ASSERT_EQ(inbox.Waiting().size(), 2u);
    EXPECT_EQ(inbox.Offered().Title, "first");

    // One that sorts first but arrives later waits behind those already offered.
    put("20261209-090000-000005-late.pdf");
    std::filesystem::remove(dir / "inbox/20261209-100000-000007-second.pdf");
    EXPECT_EQ(inbox.Refresh(), 1u);
    ASSERT_EQ(inbox.Waiting().size(), 2u);
    EXPECT_EQ(inbox.Waiting()[1].Title, "late");

    EXPECT_TRUE(inbox.Remove(inbox.Offered().Path));
    EXPECT_FALSE(std::filesystem::exists(dir / "inbox/20261209-095959-000006-first.pdf"));
    EXPECT_EQ(inbox.Refresh(), 0u);
    EXPECT_EQ(inbox.Offered().Title, "late");
}

} // namespace
