// The fax printer for real: the backend run as CUPS runs it, and a private
// cupsd that prints to it while a pelmor window waits for the document.
#include "main_window_fixture.h"

#include <QLabel>
#include <QPdfWriter>
#include <QPainter>
#include <QTest>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* UserName = "pelmorfax";

// A user of the test's own user database (nss_wrapper), with a home in the
// test's folder: uid 4242 when we are root (the backend then drops to it),
// else ourselves.
class FaxPrinter : public TMainWindowTest {
protected:
    FaxPrinter() {
        fs::permissions(Dir.Path(), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
        Uid = getuid() == 0 ? 4242 : getuid();
        fs::create_directories(Home());
        chown(Home().c_str(), Uid, Uid);
        Dir.WriteFile("passwd", std::string(UserName) + ":x:" + std::to_string(Uid) + ":" + std::to_string(Uid) +
                                    ":Fax:" + Home() + ":/bin/sh\n");
        Dir.WriteFile("group", std::string(UserName) + ":x:" + std::to_string(Uid) + ":\n");
    }
    ~FaxPrinter() override {
        if (CupsStarted) std::system(("bash " PELMOR_CUPS_TEST_DIR "/private_cupsd.sh stop " + Dir / "cupsd").c_str());
    }
    std::string Home() const { return Dir / "home/fax"; }
    std::string Inbox() const { return Home() + "/.local/share/pelmor/inbox"; }
    std::string UserEnvironment() const {
        return "NSS_WRAPPER_PASSWD=" + Dir / "passwd" + " NSS_WRAPPER_GROUP=" + Dir / "group";
    }

    // Runs the backend as CUPS would for a job of user with bytes on its standard input.
    int RunBackend(const std::string& user, const std::string& bytes, std::string& log) {
        std::string input = Dir.WriteFile("job", bytes);
        std::string command = "env " + UserEnvironment() + " LD_PRELOAD=" PELMOR_NSS_WRAPPER
                              " ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0 " PELMOR_BACKEND " 7 " + user +
                              " 'Quote' 1 '' <" + input + " 2>" + Dir / "backend.log";
        int status = std::system(command.c_str());
        log = ReadFileBytes(Dir / "backend.log");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string MakePdf() {
        std::string path = Dir / "quote.pdf";
        QPdfWriter writer(QString::fromStdString(path));
        writer.setPageSize(QPageSize(QPageSize::A4));
        QPainter painter(&writer);
        painter.drawText(100, 100, QStringLiteral("御見積書"));
        painter.end();
        return path;
    }

    uid_t Uid = 0;
    bool CupsStarted = false;
};

TEST_F(FaxPrinter, BackendRefusesUnknownUsersAndAnythingButPdfLeavingNothing) {
    struct TCase {
        std::string User;
        std::string Bytes;
        std::string Message;
    } cases[] = {
        {"nosuchuser", "%PDF-1.4\n", "ERROR: Unknown user \"nosuchuser\""},
        {UserName, "Dear customer,\n", "ERROR: The document is not a PDF"},
        {UserName, "", "ERROR: The document is not a PDF"},
    };
    for (const TCase& c : cases) {
        std::string log;
        EXPECT_EQ(RunBackend(c.User, c.Bytes, log), 1) << log;  // CUPS_BACKEND_FAILED
        EXPECT_NE(log.find(c.Message), std::string::npos) << log;
    }
    EXPECT_FALSE(fs::exists(Home() + "/.local")) << "a refused job leaves nothing behind";
}

TEST_F(FaxPrinter, PrintedPdfWaitsInTheWindowAndGoesToTheChosenNumber) {
    if (getuid() != 0) GTEST_SKIP() << "the private cupsd runs the backend as root only when we are root";
    std::string cupsd = Dir / "cupsd";
    std::string start = "bash " PELMOR_CUPS_TEST_DIR "/private_cupsd.sh start " + cupsd + " --owner " +
                        std::to_string(getpid()) + " --setenv PELMOR_TEST_BACKEND " PELMOR_BACKEND
                        " --setenv PELMOR_TEST_NSS_WRAPPER " PELMOR_NSS_WRAPPER " --setenv NSS_WRAPPER_PASSWD " +
                        Dir / "passwd" + " --setenv NSS_WRAPPER_GROUP " + Dir / "group" +
                        " --setenv ASAN_OPTIONS verify_asan_link_order=0:detect_leaks=0";
    int started = std::system(start.c_str());
    if (WIFEXITED(started) && WEXITSTATUS(started) == 77) GTEST_SKIP() << "cupsd is not installed";
    ASSERT_EQ(started, 0);
    CupsStarted = true;
    std::string server = "CUPS_SERVER=" + cupsd + "/cups.sock PELMOR_CUPS_SERVERBIN=" + cupsd + "/bin ";
    std::string add = server + "bash " PELMOR_SOURCE_DIR "/scripts/add_fax_printer.sh --backend " PELMOR_CUPS_TEST_DIR
                               "/backend_with_test_users.sh >/dev/null";
    ASSERT_EQ(std::system(add.c_str()), 0);
    ASSERT_EQ(std::system(add.c_str()), 0) << "adding the printer again is harmless";

    // The user's pelmor makes its inbox as the user.
    for (std::string folder : {"/.local", "/.local/share", "/.local/share/pelmor", "/.local/share/pelmor/inbox"}) {
        fs::create_directory(Home() + folder);
        ASSERT_EQ(chown((Home() + folder).c_str(), Uid, Uid), 0);
    }
    StartForm();
    Form->StartPrintInbox(Inbox());
    std::string pdf = MakePdf();
    auto printed = std::chrono::steady_clock::now();
    ASSERT_EQ(std::system((server + "lp -d Pelmor_FAX -U " + UserName + " -t '御見積書 3/4' " + pdf + " >/dev/null").c_str()), 0);
    bool offered = QTest::qWaitFor([&] { return Form->InboxLabel->isVisible(); }, 30000);
    auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - printed);
    ASSERT_TRUE(offered) << ReadFileBytes(cupsd + "/log/error_log");
    RecordProperty("lp_to_offer_ms", int(elapsed.count()));
    std::printf("lp to the document offered in the window: %lld ms\n", static_cast<long long>(elapsed.count()));
    EXPECT_TRUE(Form->InboxLabel->text().contains(QStringLiteral("御見積書 3_4")));

    std::vector<fs::path> documents(fs::directory_iterator(Inbox()), {});
    ASSERT_EQ(documents.size(), 1u);
    struct stat info {};
    ASSERT_EQ(stat(documents[0].c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, Uid);
    std::string body = ReadFileBytes(documents[0]);
    EXPECT_EQ(body.rfind("%PDF-", 0), 0u);

    Form->Edit1->setText(QStringLiteral("0612345678"));
    Form->Btn2->click();
    ASSERT_EQ(Fax.Jobs.size(), 1u);
    EXPECT_EQ(Fax.Jobs[0].Number, "0612345678");
    EXPECT_EQ(Fax.Jobs[0].BodyContent, body);
    EXPECT_FALSE(fs::exists(documents[0]));

    ASSERT_EQ(std::system((server + "bash " PELMOR_SOURCE_DIR "/scripts/add_fax_printer.sh --remove >/dev/null").c_str()), 0);
    EXPECT_NE(std::system((server + "lpstat -p Pelmor_FAX >/dev/null 2>&1").c_str()), 0);
    EXPECT_FALSE(fs::exists(cupsd + "/bin/backend/pelmor"));
}

} // namespace
