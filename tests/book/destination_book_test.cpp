#include "book_fixture.h"

#include "automation/automation_object.h"
#include "automation/jet/adodb_connection.h"
#include "automation/server_registry.h"

#include <sqlite3.h>

namespace {

// Runs one statement on the book file directly, as the sqlite3 tool would.
bool RawExec(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    bool ok = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
              sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close_v2(db);
    return ok;
}

// The real connection, except that every insert fails.
class TInsertFailingConnection : public TAutomationObject {
public:
    TInsertFailingConnection() : Real(MakeObject<TAdoConnection>()) {}
    std::string_view ClassName() const override { return "Connection"; }
    const TMemberTable& Members() const override {
        static const TMemberTable table = {
            MakeMember<TInsertFailingConnection>("Execute", mkMethod, 1, 3, &TInsertFailingConnection::Execute),
            MakeMember<TInsertFailingConnection>("Open", mkMethod, 1, 4, &TInsertFailingConnection::Forward<0>),
            MakeMember<TInsertFailingConnection>("Close", mkMethod, 0, 0, &TInsertFailingConnection::Forward<1>),
            MakeMember<TInsertFailingConnection>("BeginTrans", mkMethod, 0, 0, &TInsertFailingConnection::Forward<2>),
            MakeMember<TInsertFailingConnection>("CommitTrans", mkMethod, 0, 0, &TInsertFailingConnection::Forward<3>),
            MakeMember<TInsertFailingConnection>("RollbackTrans", mkMethod, 0, 0,
                                                 &TInsertFailingConnection::Forward<4>),
        };
        return table;
    }

private:
    template <int Member>
    TVariant Forward(const TArgs& args) {
        static constexpr const char* names[] = {"Open", "Close", "BeginTrans", "CommitTrans", "RollbackTrans"};
        return Real.Call(names[Member], args);
    }
    TVariant Execute(const TArgs& args) {
        if (args[0].AsString().rfind("INSERT", 0) == 0) throw TAutomationError("disk full");
        return Real.Call("Execute", args);
    }
    TVariant Real;
};

} // namespace

TEST_F(BookTest, FirstStartCreatesTheBookWithBothTablesAndShowsOneEmptyRow) {
    Grid.Rows = {{"a", "b", "c", "d", "e"}};
    EXPECT_FALSE(UpdateBook(baList));
    EXPECT_EQ(Grid.Rows[0][0], "a") << "a failed list must leave the grid alone";
    EXPECT_FALSE(BookFileExists(BookPath()));

    ASSERT_TRUE(CreateBook());
    EXPECT_TRUE(RawExec(BookPath(), "SELECT fld0 FROM tbl01"));
    ASSERT_TRUE(UpdateBook(baList));
    EXPECT_EQ(Grid.Rows, (std::vector<std::vector<std::string>>{{"", "", "", "", ""}}));
    EXPECT_FALSE(BookChanged);
    EXPECT_EQ(FilesInDir(), std::vector<std::string>{"faxnum"});
}

TEST_F(BookTest, AddIfNewAddsANumberOnceAndTheSecondTimeWritesNothing) {
    ASSERT_TRUE(StartUp());
    EXPECT_TRUE(UpdateBook(baAddIfNew, "山田商店", "0312345678"));
    EXPECT_TRUE(BookChanged);
    EXPECT_EQ(Grid.Rows, (std::vector<std::vector<std::string>>{{"削除", "訂正", "山田商店", "0312345678", "履歴"}}));

    BookChanged = false;
    int writes = Grid.Writes;
    EXPECT_FALSE(UpdateBook(baAddIfNew, "別の名前", "0312345678"));
    EXPECT_FALSE(BookChanged);
    EXPECT_EQ(Grid.Writes, writes);
    EXPECT_EQ(Grid.Destinations(), std::vector<std::string>{"山田商店|0312345678"});
}

TEST_F(BookTest, ReplaceAddsCorrectsAndOverwritesByNumber) {
    ASSERT_TRUE(StartUp());
    ASSERT_TRUE(UpdateBook(baReplace, "青木", "0311111111", ""));
    ASSERT_TRUE(UpdateBook(baReplace, "井上", "0322222222", ""));
    // Correcting only the name keeps the number.
    ASSERT_TRUE(UpdateBook(baReplace, "青木工業", "0311111111", "0311111111"));
    EXPECT_EQ(Grid.Destinations(), (std::vector<std::string>{"井上|0322222222", "青木工業|0311111111"}));
    // Correcting a number to another entry's number leaves one entry, with the corrected name.
    ASSERT_TRUE(UpdateBook(baReplace, "青木新", "0322222222", "0311111111"));
    EXPECT_EQ(Grid.Destinations(), std::vector<std::string>{"青木新|0322222222"});
    // Adding a number already listed replaces its name.
    ASSERT_TRUE(UpdateBook(baReplace, "上田", "0322222222", ""));
    EXPECT_EQ(Grid.Destinations(), std::vector<std::string>{"上田|0322222222"});
    EXPECT_TRUE(BookChanged);
}

TEST_F(BookTest, DeletingTheLastDestinationLeavesOneEmptyRow) {
    ASSERT_TRUE(StartUp());
    ASSERT_TRUE(UpdateBook(baAddIfNew, "a", "0311111111"));
    ASSERT_TRUE(UpdateBook(baAddIfNew, "b", "0322222222"));
    ASSERT_TRUE(UpdateBook(baDelete, "", "0311111111"));
    EXPECT_EQ(Grid.Destinations(), std::vector<std::string>{"b|0322222222"});
    ASSERT_TRUE(UpdateBook(baDelete, "", "0322222222"));
    EXPECT_EQ(Grid.Rows, (std::vector<std::vector<std::string>>{{"", "", "", "", ""}}));
}

TEST_F(BookTest, ANameWithQuotesStoresAsTypedAndAddsNothingElse) {
    ASSERT_TRUE(StartUp());
    const std::string name = R"(a" AS S0, "0000000000)";
    ASSERT_TRUE(UpdateBook(baReplace, name, "0312345678", ""));
    EXPECT_EQ(Grid.Destinations(), std::vector<std::string>{name + "|0312345678"});
    ASSERT_TRUE(UpdateBook(baAddIfNew, R"(x"")", "0399999999"));
    ASSERT_TRUE(UpdateBook(baList));
    EXPECT_EQ(Grid.Destinations(), (std::vector<std::string>{name + "|0312345678", R"(x""|0399999999)"}));
    // A quote in a number cannot widen a delete either.
    EXPECT_TRUE(UpdateBook(baDelete, "", R"(1" OR fld1<>"1)"));
    EXPECT_EQ(Grid.RowCount(), 2);
}

TEST_F(BookTest, TheListShowsNullNamesEmptyAndOrdersNamesAsAJapaneseSystemDoes) {
    ASSERT_TRUE(StartUp());
    for (auto [name, number] : std::vector<std::pair<std::string, std::string>>{
             {"かとう", "0300000001"}, {"Bob", "0300000002"}, {"アオキ", "0300000003"},
             {"alice", "0300000004"}, {"いとう", "0300000005"}, {"あおき", "0300000006"}})
        ASSERT_TRUE(UpdateBook(baAddIfNew, name, number));
    ASSERT_TRUE(RawExec(BookPath(), "INSERT INTO tbl00 VALUES(NULL, '0300000007')"));
    ASSERT_TRUE(UpdateBook(baList));
    std::vector<std::string> names;
    for (const auto& row : Grid.Rows) names.push_back(row[2]);
    EXPECT_EQ(names, (std::vector<std::string>{"", "alice", "Bob", "あおき", "アオキ", "いとう", "かとう"}));
    EXPECT_EQ(Grid.Rows[0], (std::vector<std::string>{"削除", "訂正", "", "0300000007", "履歴"}));
}

TEST_F(BookTest, WithoutABookOrWithoutTheServersEveryActionReportsFalse) {
    for (TBookAction action : {baList, baAddIfNew, baDelete, baReplace})
        EXPECT_FALSE(UpdateBook(action, "a", "0312345678", ""));
    EXPECT_FALSE(BookFileExists(BookPath()));
    EXPECT_FALSE(BookChanged);

    TScopedServerOverride noCatalog("ADOX.Catalog", nullptr);
    EXPECT_FALSE(CreateBook());
    TScopedServerOverride noConnection("ADODB.Connection", nullptr);
    EXPECT_FALSE(UpdateBook(baList));
    EXPECT_EQ(Grid.Writes, 0);
}

TEST_F(BookTest, ACorrectionWhoseInsertFailsTakesNothingOutOfTheBook) {
    ASSERT_TRUE(StartUp());
    ASSERT_TRUE(UpdateBook(baReplace, "青木", "0311111111", ""));
    ASSERT_TRUE(UpdateBook(baReplace, "井上", "0322222222", ""));
    BookChanged = false;
    auto rows = Grid.Rows;
    {
        TScopedServerOverride failing("ADODB.Connection", [] { return std::make_shared<TInsertFailingConnection>(); });
        EXPECT_FALSE(UpdateBook(baReplace, "青木新", "0322222222", "0311111111"));
        EXPECT_FALSE(UpdateBook(baAddIfNew, "上田", "0333333333"));
    }
    EXPECT_FALSE(BookChanged);
    EXPECT_EQ(Grid.Rows, rows);
    ASSERT_TRUE(UpdateBook(baList));
    EXPECT_EQ(Grid.Destinations(), (std::vector<std::string>{"井上|0322222222", "青木|0311111111"}));
}
