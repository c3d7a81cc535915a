#include "send/history_folder.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

TEST(HistoryFolder, TakesAnyNameThatIsOneFolderNameAndRefusesTheRest) {
    TTempDir dir;
    std::string appDir = dir.Path().string();
    EXPECT_EQ(HistoryFolderPath(appDir, "名無し", "0312345678"), appDir + "/faxto名無し0312345678");
    EXPECT_NE(HistoryFolderPath(appDir, std::string(240, 'a'), "0312345678"), "");  // 255 bytes in all
    for (const std::string& name : {std::string("/../../etc"), std::string("a\0b", 3), std::string("."),
                                    std::string(".."), std::string(241, 'a')})
        EXPECT_EQ(HistoryFolderPath(appDir, name, "0312345678"), "") << name;
}
