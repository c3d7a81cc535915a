#include "automation/office/office_profile.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

namespace {

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

} // namespace

// A fresh profile, and one LibreOffice has written since, both end up with
// macros off and links never updated, once, keeping what LibreOffice kept.
TEST(OfficeSecureProfile, SeedsAProfileOnceKeepingWhatIsThere) {
    TTempDir dir;
    ASSERT_TRUE(SecureOfficeProfile(dir / "fresh"));
    std::string fresh = ReadFileBytes(dir / "fresh/user/registrymodifications.xcu");
    EXPECT_EQ(Count(fresh, "Writer/Content/Update\"><prop oor:name=\"Link\" oor:op=\"fuse\"><value>0<"), 1u);
    EXPECT_EQ(Count(fresh, "Calc/Content/Update\"><prop oor:name=\"Link\" oor:op=\"fuse\"><value>1<"), 1u);

    std::string own = "<item oor:path=\"/org.openoffice.Setup/Office\"><prop oor:name=\"ooSetupInstCompleted\" "
                      "oor:op=\"fuse\"><value>true</value></prop></item>\n";
    dir.WriteFile("kept/user/registrymodifications.xcu",
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<oor:items>\n" + own + "</oor:items>\n");
    ASSERT_TRUE(SecureOfficeProfile(dir / "kept"));
    ASSERT_TRUE(SecureOfficeProfile(dir / "kept"));
    std::string kept = ReadFileBytes(dir / "kept/user/registrymodifications.xcu");
    EXPECT_EQ(Count(kept, own), 1u);
    EXPECT_EQ(Count(kept, "DisableMacrosExecution\" oor:op=\"fuse\"><value>true<"), 1u);
    EXPECT_EQ(Count(kept, "Office.Calc/Content/Update"), 1u);
    EXPECT_LT(kept.find("Office.Writer/Content/Update"), kept.find("</oor:items>"));
}
