#include "automation/jet/jet_database.h"

#include "automation/jet/japanese_collation.h"

#include <sqlite3.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr std::string_view ConnectionPrefix = "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=";

// The application id in the header of every book file ("PLMR"), and the
// layout version in its user version.
constexpr uint32_t ApplicationId = 0x504C4D52;
constexpr int LayoutVersion = 1;

constexpr std::string_view SqliteMagic{"SQLite format 3\0", 16};

bool ReadHeader(const std::string& path, std::array<unsigned char, 100>& header, std::string& error) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = errno == ENOENT ? "Could not find file '" + path + "'" : std::string(std::strerror(errno));
        return false;
    }
    size_t got = 0;
    while (got < header.size()) {
        ssize_t n = ::read(fd, header.data() + got, header.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    if (got < header.size()) {
        error = "Unrecognized database format '" + path + "'";
        return false;
    }
    return true;
}

bool IsOurHeader(const std::array<unsigned char, 100>& header) {
    if (std::memcmp(header.data(), SqliteMagic.data(), SqliteMagic.size()) != 0) return false;
    uint32_t id = (uint32_t{header[68]} << 24) | (uint32_t{header[69]} << 16) | (uint32_t{header[70]} << 8) |
                  uint32_t{header[71]};
    return id == ApplicationId;
}

bool Configure(TSqliteDatabase& database) {
    sqlite3_extended_result_codes(database.Raw(), 1);
    if (sqlite3_busy_timeout(database.Raw(), JetBusyTimeoutMs) != SQLITE_OK ||
        !RegisterJapaneseCollation(database.Raw())) {
        database.SetError("the database engine could not be set up");
        return false;
    }
    return true;
}

} // namespace

std::string JetDataSource(std::string_view connectionString) {
    if (connectionString.substr(0, ConnectionPrefix.size()) != ConnectionPrefix) return {};
    std::string_view quoted = connectionString.substr(ConnectionPrefix.size());
    if (quoted.size() < 3 || quoted.front() != '"' || quoted.back() != '"') return {};
    return std::string(quoted.substr(1, quoted.size() - 2));
}

bool OpenJetDatabase(const std::string& path, bool readOnly, TSqliteDatabase& database) {
    database.Close();
    std::array<unsigned char, 100> header{};
    std::string error;
    if (!ReadHeader(path, header, error)) {
        database.SetError(error);
        return false;
    }
    if (!IsOurHeader(header)) {
        database.SetError("Unrecognized database format '" + path + "'");
        return false;
    }
    int flags = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    if (!database.Open(path, flags)) return false;
    if (!Configure(database)) {
        std::string reason = database.LastError();
        database.Close();
        database.SetError(reason);
        return false;
    }
    return true;
}

bool CreateJetDatabase(const std::string& path, std::string& error) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = errno == EEXIST ? "Database already exists." : std::string(std::strerror(errno));
        return false;
    }
    ::close(fd);
    TSqliteDatabase database;
    bool made = database.Open(path, SQLITE_OPEN_READWRITE) &&
                database.Exec(("PRAGMA application_id=" + std::to_string(ApplicationId) +
                               "; PRAGMA user_version=" + std::to_string(LayoutVersion))
                                  .c_str());
    if (made) return true;
    error = database.LastError();
    database.Close();
    ::unlink(path.c_str());
    return false;
}

bool PrepareJetStatement(TSqliteDatabase& database, const TJetStatement& statement, TSqliteStatement& prepared) {
    if (!prepared.Prepare(database, statement.Sql)) return false;
    for (size_t i = 0; i < statement.Values.size(); ++i)
        if (!prepared.BindText(static_cast<int>(i + 1), statement.Values[i])) return false;
    return true;
}

bool RunJetCommand(TSqliteDatabase& database, const TJetStatement& statement, bool ownTransaction) {
    if (!ownTransaction) {
        TSqliteStatement prepared;
        return PrepareJetStatement(database, statement, prepared) && prepared.Step() == TSqliteStatement::srDone;
    }
    if (!database.Exec("BEGIN IMMEDIATE")) return false;
    bool done = false;
    {
        TSqliteStatement prepared;
        done = PrepareJetStatement(database, statement, prepared) && prepared.Step() == TSqliteStatement::srDone;
    }
    if (done && database.Exec("COMMIT")) return true;
    std::string reason = database.LastError();
    database.Exec("ROLLBACK");
    database.SetError(reason);
    return false;
}
