#include "automation/jet/jet_statement.h"

#include <gtest/gtest.h>

namespace {

TJetStatement Translate(const std::string& text) {
    TJetStatement statement;
    std::string error;
    EXPECT_TRUE(TranslateJetStatement(text, statement, error)) << text << ": " << error;
    return statement;
}

bool Refused(const std::string& text) {
    TJetStatement statement;
    std::string error;
    bool refused = !TranslateJetStatement(text, statement, error);
    if (refused) {
        EXPECT_FALSE(error.empty());
    }
    return refused;
}

} // namespace

TEST(JetStatement, TheBookFormsTranslateAndTheirLiteralsBecomeBoundValues) {
    TJetStatement insert = Translate(R"(INSERT INTO tbl00 ( fld0, fld1 ) SELECT "山田" AS S0, "0312345678" AS S1)");
    EXPECT_EQ(insert.Kind, jskCommand);
    EXPECT_EQ(insert.Values, (std::vector<std::string>{"山田", "0312345678"}));
    EXPECT_EQ(insert.Sql.find("山田"), std::string::npos);
    EXPECT_EQ(insert.Sql.find("0312345678"), std::string::npos);

    TJetStatement remove = Translate(R"(DELETE * FROM tbl00 WHERE fld1="0312345678")");
    EXPECT_EQ(remove.Kind, jskCommand);
    EXPECT_EQ(remove.Sql.rfind("DELETE FROM", 0), 0u);
    EXPECT_EQ(remove.Values, std::vector<std::string>{"0312345678"});

    EXPECT_EQ(Translate(R"(SELECT * FROM tbl00 WHERE fld1="")").Values, std::vector<std::string>{""});
    EXPECT_EQ(Translate("SELECT fld0, fld1 FROM tbl00 ORDER BY fld0").Kind, jskQuery);
    for (const char* schema : {"CREATE TABLE tbl00(fld0 String, fld1 String)", "ALTER TABLE tbl00 ADD PRIMARY KEY(fld1)",
                               "CREATE TABLE tbl01(fld0 String)", "ALTER TABLE tbl01 ADD PRIMARY KEY(fld0)"}) {
        TJetStatement statement = Translate(schema);
        EXPECT_EQ(statement.Kind, jskCommand);
        EXPECT_EQ(statement.Sql.find("String"), std::string::npos) << schema;
    }
}

TEST(JetStatement, ADoubledQuoteStaysInsideTheValueAndAnUndoubledOneCannotChangeTheStatement) {
    // The name  a" AS S0, "0000000000  with its quotes doubled is one value.
    TJetStatement insert =
        Translate(R"(INSERT INTO tbl00 ( fld0, fld1 ) SELECT "a"" AS S0, ""0000000000" AS S0, "0312345678" AS S1)");
    EXPECT_EQ(insert.Values, (std::vector<std::string>{R"(a" AS S0, "0000000000)", "0312345678"}));

    // Written without doubling, the same name would add a third column: refused.
    EXPECT_TRUE(Refused(R"(INSERT INTO tbl00 ( fld0, fld1 ) SELECT "a" AS S0, "0000000000" AS S0, "0312345678" AS S1)"));
    EXPECT_TRUE(Refused(R"(DELETE * FROM tbl00 WHERE fld1="1" OR "1"="1")"));
    EXPECT_TRUE(Refused(R"(SELECT * FROM tbl00 WHERE fld1="1"; DROP TABLE tbl00)"));
}

TEST(JetStatement, AnythingButTheBookFormsIsRefused) {
    EXPECT_TRUE(Refused("DROP TABLE tbl00"));
    EXPECT_TRUE(Refused("SELECT * FROM tbl00"));
    EXPECT_TRUE(Refused("SELECT fld0, fld1 FROM tbl00 ORDER BY fld0;"));
    EXPECT_TRUE(Refused("select fld0, fld1 from tbl00 order by fld0"));
    EXPECT_TRUE(Refused("SELECT * FROM tbl00 WHERE fld1='0312345678'"));
    EXPECT_TRUE(Refused("SELECT * FROM tbl00 WHERE fld1=?"));  // a bare placeholder is no literal
    EXPECT_TRUE(Refused(R"(SELECT * FROM tbl00 WHERE fld1="0312345678)"));  // literal left open
    EXPECT_TRUE(Refused(R"(DELETE * FROM tbl00 WHERE fld1="a"")"));
    EXPECT_TRUE(Refused(""));
}
