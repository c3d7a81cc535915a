#include "automation/automation_error.h"
#include "automation/jet/jet_servers.h"
#include "automation/server_registry.h"
#include "temp_dir.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <future>
#include <thread>

namespace {

std::string ConnectionString(const std::string& path) {
    return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\"" + path + "\"";
}

// A plain SQLite connection, as the sqlite3 tool would open the file.
class TRawDatabase {
public:
    explicit TRawDatabase(const std::string& path, int flags = SQLITE_OPEN_READWRITE) {
        EXPECT_EQ(sqlite3_open_v2(path.c_str(), &Db, flags, nullptr), SQLITE_OK);
    }
    ~TRawDatabase() { sqlite3_close_v2(Db); }
    bool Exec(const std::string& sql) { return sqlite3_exec(Db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK; }
    std::string Single(const std::string& sql) {
        sqlite3_stmt* statement = nullptr;
        std::string result = "<error>";
        if (sqlite3_prepare_v2(Db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
            sqlite3_step(statement) == SQLITE_ROW) {
            const unsigned char* text = sqlite3_column_text(statement, 0);
            result = text ? reinterpret_cast<const char*>(text) : "<null>";
        }
        sqlite3_finalize(statement);
        return result;
    }

private:
    sqlite3* Db = nullptr;
};

class JetServers : public ::testing::Test {
protected:
    void SetUp() override { RegisterJetServers(); }

    // A new book file with the book's schema, through the servers.
    std::string MakeBook(const std::string& name = "faxnum") {
        std::string path = Dir / name;
        CreateObject("ADOX.Catalog").Call("Create", {ConnectionString(path)});
        TVariant connection = Connect(path);
        for (const char* statement : {"CREATE TABLE tbl00(fld0 String, fld1 String)",
                                      "ALTER TABLE tbl00 ADD PRIMARY KEY(fld1)", "CREATE TABLE tbl01(fld0 String)",
                                      "ALTER TABLE tbl01 ADD PRIMARY KEY(fld0)"})
            connection.Call("Execute", {statement});
        connection.Call("Close");
        return path;
    }

    TVariant Connect(const std::string& path) {
        TVariant connection = CreateObject("ADODB.Connection");
        connection.Call("Open", {ConnectionString(path)});
        return connection;
    }

    static void Insert(TVariant& connection, const std::string& name, const std::string& number) {
        connection.Call("Execute", {"INSERT INTO tbl00 ( fld0, fld1 ) SELECT \"" + name + "\" AS S0, \"" + number +
                                    "\" AS S1"});
    }

    // The rows of a query as "name|number" texts, read the way the book reads them.
    static std::vector<std::string> List(TVariant& connection, const std::string& query) {
        TVariant recordset = CreateObject("ADODB.Recordset");
        recordset.Call("Open", {query, connection});
        std::vector<std::string> rows;
        if (!recordset.Get("BOF").AsBool() && !recordset.Get("EOF").AsBool()) {
            recordset.Call("MoveFirst");
            while (!recordset.Get("EOF").AsBool()) {
                TVariant name = recordset.Get("Fields", {"fld0"}).Get("Value");
                rows.push_back((name.IsEmpty() ? "<null>" : name.AsString()) + "|" +
                               recordset.Get("Fields", {"FLD1"}).Get("Value").AsString());
                recordset.Call("MoveNext");
            }
        }
        recordset.Call("Close");
        return rows;
    }

    TTempDir Dir;
};

} // namespace

TEST_F(JetServers, ABookIsAnSqliteFileOfOursThatTheSqliteToolCanReadAndWrite) {
    std::string path = MakeBook();
    TVariant connection = Connect(path);
    Insert(connection, "山田", "0312345678");
    connection.Call("Close");

    TRawDatabase raw(path);
    EXPECT_EQ(raw.Single("PRAGMA integrity_check"), "ok");
    EXPECT_NE(raw.Single("PRAGMA application_id"), "0");
    EXPECT_EQ(raw.Single("SELECT fld0 FROM tbl00 WHERE fld1='0312345678'"), "山田");
    EXPECT_TRUE(raw.Exec("INSERT INTO tbl00 VALUES('x', '0000000001')"));
    // The primary key holds for the tool too.
    EXPECT_FALSE(raw.Exec("INSERT INTO tbl00 VALUES('y', '0000000001')"));
}

TEST_F(JetServers, CreateRefusesAnExistingFileAndLeavesItAlone) {
    std::string path = Dir.WriteFile("faxnum", "precious");
    EXPECT_THROW(CreateObject("ADOX.Catalog").Call("Create", {ConnectionString(path)}), TAutomationError);
    EXPECT_EQ(ReadFileBytes(path), "precious");
    EXPECT_THROW(CreateObject("ADOX.Catalog").Call("Create", {"Data Source=\"" + (Dir / "x") + "\""}),
                 TAutomationError);
    EXPECT_FALSE(std::filesystem::exists(Dir / "x"));
}

TEST_F(JetServers, OpenRefusesMissingForeignAndJetFilesWithoutTouchingThem) {
    TVariant connection = CreateObject("ADODB.Connection");
    std::string missing = Dir / "faxnum";
    EXPECT_THROW(connection.Call("Open", {ConnectionString(missing)}), TAutomationError);
    EXPECT_FALSE(std::filesystem::exists(missing));

    std::string empty = Dir.WriteFile("empty", "");
    EXPECT_THROW(connection.Call("Open", {ConnectionString(empty)}), TAutomationError);
    EXPECT_EQ(std::filesystem::file_size(empty), 0u);

    std::string jet = Dir.WriteFile("jet", std::string("\x00\x01\x00\x00Standard Jet DB\x00", 20) + std::string(2000, '\0'));
    EXPECT_THROW(connection.Call("Open", {ConnectionString(jet)}), TAutomationError);

    std::string foreign = Dir / "foreign.sqlite";
    {
        TRawDatabase raw(foreign, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        raw.Exec("CREATE TABLE tbl00(fld0 TEXT, fld1 TEXT)");
    }
    std::string before = ReadFileBytes(foreign);
    EXPECT_THROW(connection.Call("Open", {ConnectionString(foreign)}), TAutomationError);
    EXPECT_EQ(ReadFileBytes(foreign), before);

    EXPECT_THROW(connection.Call("Open", {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + MakeBook()}),
                 TAutomationError);  // path not quoted
    EXPECT_EQ(connection.Get("State").AsInt32(), 0);
    EXPECT_THROW(connection.Call("Execute", {"SELECT fld0, fld1 FROM tbl00 ORDER BY fld0"}), TAutomationError);
}

TEST_F(JetServers, TextOrdersAndComparesAsOnAJapaneseSystem) {
    TVariant connection = Connect(MakeBook());
    const char* names[] = {"いとう", "carol", "アオキ", "Bob", "あおき", "alice", "かとう"};
    int n = 0;
    for (const char* name : names) Insert(connection, name, "000000000" + std::to_string(n++));
    std::vector<std::string> order;
    for (const std::string& row : List(connection, "SELECT fld0, fld1 FROM tbl00 ORDER BY fld0"))
        order.push_back(row.substr(0, row.find('|')));
    // Latin letters ignore case; hiragana and katakana of one reading sort
    // together, ahead of the next reading.
    EXPECT_EQ(order, (std::vector<std::string>{"alice", "Bob", "carol", "あおき", "アオキ", "いとう", "かとう"}));

    Insert(connection, "x", "abc");
    EXPECT_EQ(List(connection, "SELECT * FROM tbl00 WHERE fld1=\"ABC\""), std::vector<std::string>{"x|abc"});
}

TEST_F(JetServers, RecordsetReadsRowsNullsAndRefusesReadsPastTheEnd) {
    std::string path = MakeBook();
    {
        TRawDatabase raw(path);
        raw.Exec("INSERT INTO tbl00 VALUES(NULL, '0312345678')");
    }
    TVariant connection = Connect(path);
    EXPECT_EQ(List(connection, "SELECT * FROM tbl00 WHERE fld1=\"0312345678\""),
              std::vector<std::string>{"<null>|0312345678"});

    TVariant recordset = CreateObject("ADODB.Recordset");
    recordset.Call("Open", {"SELECT * FROM tbl00 WHERE fld1=\"0000000000\"", connection, 0, 1});
    EXPECT_TRUE(recordset.Get("BOF").AsBool());
    EXPECT_TRUE(recordset.Get("EOF").AsBool());
    TVariant field = recordset.Get("Fields", {"fld0"});
    EXPECT_THROW(field.Get("Value"), TAutomationError);
    EXPECT_THROW(recordset.Call("MoveNext"), TAutomationError);
    EXPECT_THROW(recordset.Get("Fields", {"fld9"}), TAutomationError);
    recordset.Call("Close");
    EXPECT_THROW(recordset.Get("EOF"), TAutomationError);

    // Execute of a query hands back an open recordset.
    TVariant listed = connection.Call("Execute", {"SELECT fld0, fld1 FROM tbl00 ORDER BY fld0"});
    EXPECT_EQ(listed.Get("Fields", {1}).Get("Value").AsString(), "0312345678");
    EXPECT_THROW(recordset.Call("Open", {"SELECT fld0, fld1 FROM tbl00 ORDER BY fld0", "not a connection"}),
                 TAutomationError);
}

TEST_F(JetServers, AStatementOutsideTheBookFormsOrBreakingTheKeyRaisesAndChangesNothing) {
    TVariant connection = Connect(MakeBook());
    Insert(connection, "山田", "0312345678");
    EXPECT_THROW(Insert(connection, "田中", "0312345678"), TAutomationError);
    EXPECT_THROW(connection.Call("Execute", {"DROP TABLE tbl00"}), TAutomationError);
    EXPECT_THROW(connection.Call("Execute", {"DELETE * FROM tbl00 WHERE fld1=\"1\" OR \"1\"=\"1\""}), TAutomationError);
    EXPECT_EQ(List(connection, "SELECT fld0, fld1 FROM tbl00 ORDER BY fld0"),
              std::vector<std::string>{"山田|0312345678"});
}

TEST_F(JetServers, CompactionWritesAUsableCopyAndNeverOverwritesOrLeavesAPartialFile) {
    std::string path = MakeBook();
    TVariant connection = Connect(path);
    for (int i = 0; i < 200; ++i) Insert(connection, "名前" + std::to_string(i), std::to_string(1000000000 + i));
    connection.Call("Execute", {"DELETE * FROM tbl00 WHERE fld1=\"1000000007\""});
    connection.Call("Close");

    std::string copy = Dir / "faxnum1";
    TVariant engine = CreateObject("JRO.JetEngine");
    engine.Call("CompactDatabase", {ConnectionString(path), ConnectionString(copy)});
    TVariant compacted = Connect(copy);
    EXPECT_EQ(List(compacted, "SELECT fld0, fld1 FROM tbl00 ORDER BY fld0").size(), 199u);
    compacted.Call("Close");

    // The target exists now: refused, and the copy stays as it is.
    std::string copyBytes = ReadFileBytes(copy);
    EXPECT_THROW(engine.Call("CompactDatabase", {ConnectionString(path), ConnectionString(copy)}), TAutomationError);
    EXPECT_EQ(ReadFileBytes(copy), copyBytes);

    std::string other = Dir / "other";
    EXPECT_THROW(engine.Call("CompactDatabase", {ConnectionString(Dir / "missing"), ConnectionString(other)}),
                 TAutomationError);
    std::string foreign = Dir.WriteFile("foreign", std::string(4096, 'x'));
    EXPECT_THROW(engine.Call("CompactDatabase", {ConnectionString(foreign), ConnectionString(other)}),
                 TAutomationError);
    EXPECT_FALSE(std::filesystem::exists(other));
}

TEST_F(JetServers, AWriteWaitsForAnotherConnectionsWriteInsteadOfFailing) {
    std::string path = MakeBook();
    std::promise<void> locked;
    std::thread other([&] {
        TRawDatabase raw(path);
        raw.Exec("BEGIN IMMEDIATE");
        raw.Exec("INSERT INTO tbl00 VALUES('other', '0000000001')");
        locked.set_value();
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        raw.Exec("COMMIT");
    });
    locked.get_future().wait();
    TVariant connection = Connect(path);
    EXPECT_NO_THROW(Insert(connection, "this", "0000000002"));
    EXPECT_EQ(List(connection, "SELECT fld0, fld1 FROM tbl00 ORDER BY fld0"),
              (std::vector<std::string>{"other|0000000001", "this|0000000002"}));
    other.join();
}

TEST_F(JetServers, WritesInsideATransactionAreUndoneByRollbackAndKeptByCommit) {
    TVariant connection = Connect(MakeBook());
    Insert(connection, "山田", "0312345678");
    const std::string remove = "DELETE * FROM tbl00 WHERE fld1=\"0312345678\"";
    const std::string list = "SELECT fld0, fld1 FROM tbl00 ORDER BY fld0";
    connection.Call("BeginTrans");
    connection.Call("Execute", {remove});
    EXPECT_THROW(connection.Call("BeginTrans"), TAutomationError);
    connection.Call("RollbackTrans");
    EXPECT_EQ(List(connection, list).size(), 1u);

    connection.Call("BeginTrans");
    connection.Call("Execute", {remove});
    connection.Call("CommitTrans");
    EXPECT_TRUE(List(connection, list).empty());
    EXPECT_THROW(connection.Call("CommitTrans"), TAutomationError);
    EXPECT_THROW(connection.Call("RollbackTrans"), TAutomationError);
}
