#include "automation/automation_error.h"
#include "faxproto/fax_json.h"
#include "automation/fax/fax_service_launch.h"
#include "automation/fax/fax_service_settings.h"
#include "automation/fax/register_fax_servers.h"
#include "automation/server_registry.h"
#include "fake_fax_service.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Points the fax client at a socket in a private temporary folder; nothing
// real is started unless a test names a program.
class FaxClient : public ::testing::Test {
protected:
    FaxClient() {
        RegisterFaxServers();
        std::filesystem::create_directory(Folder);
        chmod(Folder.c_str(), 0700);
        Settings.SocketPath = (Folder / "socket").string();
        Settings.Program = Temp / "no-such-program";
        Settings.ReplyTimeoutMs = 2000;
    }

    std::string SocketPath() const { return Settings.SocketPath; }

    TTempDir Temp;
    std::filesystem::path Folder = Temp.Path() / "faxd";
    TFaxServiceSettings Settings;
    TScopedSeam<TFaxServiceSettings()> UseSettings{FaxServiceSettingsSeam, [this] { return Settings; }};
};

TJsonValue Decoded(const std::string& line) {
    std::optional<TJsonValue> value = DecodeJson(line);
    EXPECT_TRUE(value) << line;
    return value ? *value : TJsonValue();
}

std::string AutomationErrorOf(const std::function<void()>& step) {
    try {
        step();
    } catch (const TAutomationError& error) {
        return error.what();
    }
    return "(no error)";
}

} // namespace

TEST_F(FaxClient, ExtendedObjectsConnectSubmitAndDisconnect) {
    TFakeFaxService service(SocketPath());
    std::string body = Temp.WriteFile("memo.txt", "hello");

    TVariant server = CreateObject("FAXCOMEX.FaxServer");
    server.Call("Connect", {"myhost"});
    TVariant doc = CreateObject("FAXCOMEX.FaxDocument");
    doc.Get("Recipients").Call("Add", {"0312345678"});
    doc.Put("Body", body);
    EXPECT_EQ(doc.Get("Body").AsString(), body);
    TVariant jobs = doc.Call("ConnectedSubmit", {server});
    ASSERT_EQ(jobs.Get("Count").AsInt32(), 1);
    EXPECT_EQ(jobs.Get("Item", {0}).AsString().rfind("job-", 0), 0u);
    server.Call("Disconnect");

    EXPECT_EQ(service.WaitForClosedClients(1, 5000), 1);
    std::vector<std::string> lines = service.Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], R"({"op":"connect","server":"myhost"})");
    TJsonValue submit = Decoded(lines[1]);
    EXPECT_EQ(submit.Find("op")->AsString(), "submit");
    ASSERT_EQ(submit.Find("recipients")->AsArray().size(), 1u);
    EXPECT_EQ(submit.Find("recipients")->AsArray()[0].AsString(), "0312345678");
    EXPECT_EQ(submit.Find("body")->AsString(), body);
}

TEST_F(FaxClient, RecipientNamesGoWithTheirNumbersOneSubmissionPerName) {
    TFakeFaxService service(SocketPath());
    TVariant server = CreateObject("FAXCOMEX.FaxServer");
    server.Call("Connect", {"myhost"});
    TVariant doc = CreateObject("FAXCOMEX.FaxDocument");
    TVariant recipients = doc.Get("Recipients");
    recipients.Call("Add", {"0001112222", "山田商事"});
    recipients.Call("Add", {"0001113333", "山田商事"});
    recipients.Call("Add", {"0998887777"});
    doc.Put("Body", Temp.WriteFile("memo.txt", "hello"));
    EXPECT_EQ(doc.Call("ConnectedSubmit", {server}).Get("Count").AsInt32(), 3);

    std::vector<std::string> lines = service.Lines();
    ASSERT_EQ(lines.size(), 3u);
    TJsonValue named = Decoded(lines[1]);
    EXPECT_EQ(named.Find("name")->AsString(), "山田商事");
    EXPECT_EQ(named.Find("recipients")->AsArray().size(), 2u);
    TJsonValue unnamed = Decoded(lines[2]);
    EXPECT_EQ(unnamed.Find("name"), nullptr);
    EXPECT_EQ(unnamed.Find("recipients")->AsArray().at(0).AsString(), "0998887777");
}

TEST_F(FaxClient, SeveralRecipientsAndARelativeBodyMadeAbsolute) {
    TFakeFaxService service(SocketPath());
    TVariant server = CreateObject("FAXCOMEX.FaxServer");
    server.Call("Connect", {"myhost"});
    TVariant doc = CreateObject("FAXCOMEX.FaxDocument");
    TVariant recipients = doc.Get("Recipients");
    recipients.Call("Add", {"0001112222"});
    recipients.Call("Add", {"0998887777"});
    EXPECT_EQ(recipients.Get("Item", {2}).AsString(), "0998887777");
    doc.Put("Body", "relative/page.txt");
    EXPECT_EQ(doc.Call("ConnectedSubmit", {server}).Get("Count").AsInt32(), 2);

    TJsonValue submit = Decoded(service.Lines().at(1));
    const auto& numbers = submit.Find("recipients")->AsArray();
    ASSERT_EQ(numbers.size(), 2u);
    EXPECT_EQ(numbers[0].AsString(), "0001112222");
    EXPECT_EQ(numbers[1].AsString(), "0998887777");
    EXPECT_EQ(submit.Find("body")->AsString(), (std::filesystem::current_path() / "relative/page.txt").string());
}

TEST_F(FaxClient, LegacyObjectsSendOneRecipientThroughTheServer) {
    TFakeFaxService service(SocketPath());
    std::string body = Temp.WriteFile("page.tif", "II*");

    TVariant server = CreateObject("FaxServer.FaxServer");
    server.Call("Connect", {"myhost"});
    TVariant doc = server.Call("CreateDocument", {"FaxDocument"});
    doc.Put("FaxNumber", "0012345678");
    doc.Put("FileName", body);
    EXPECT_EQ(doc.Call("Send").AsString().rfind("job-", 0), 0u);
    server.Call("Disconnect");
    // A document whose server is gone cannot send.
    EXPECT_THROW(doc.Call("Send"), TAutomationError);

    std::vector<std::string> lines = service.Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], R"({"op":"connect","server":"myhost"})");
    EXPECT_EQ(lines[1], R"({"op":"submit","recipients":["0012345678"],"body":")" + body + R"("})");
}

TEST_F(FaxClient, RefusalsRaiseTheServiceText) {
    TFakeFaxService service(SocketPath(), [](const std::string& line) -> std::optional<std::string> {
        if (line.find("\"connect\"") != std::string::npos) {
            if (line.find("\"wronghost\"") != std::string::npos)
                return R"({"ok":false,"error":"server name is not this host"})";
            return R"({"ok":true,"service":"pelmor-faxd","protocol":1})";
        }
        if (line.find("silent") != std::string::npos) return R"({"ok":false})";
        return R"({"ok":false,"error":"cannot read body"})";
    });
    TVariant server = CreateObject("FAXCOMEX.FaxServer");
    EXPECT_EQ(AutomationErrorOf([&] { server.Call("Connect", {"wronghost"}); }), "server name is not this host");

    server.Call("Connect", {"myhost"});
    TVariant doc = CreateObject("FAXCOMEX.FaxDocument");
    doc.Get("Recipients").Call("Add", {"0312345678"});
    doc.Put("Body", Temp / "missing.pdf");
    EXPECT_EQ(AutomationErrorOf([&] { doc.Call("ConnectedSubmit", {server}); }), "cannot read body");
    // A refusal leaves the connection usable.
    doc.Put("Body", Temp / "silent.pdf");
    EXPECT_EQ(AutomationErrorOf([&] { doc.Call("ConnectedSubmit", {server}); }), "the fax service refused the request");
}

TEST_F(FaxClient, NoServiceAndNothingToStartIsAnError) {
    TVariant server = CreateObject("FAXCOMEX.FaxServer");
    EXPECT_NE(AutomationErrorOf([&] { server.Call("Connect", {"myhost"}); }).find("could not be started"),
              std::string::npos);
    Settings.Program = "pelmor-no-such-fax-service";
    TVariant legacy = CreateObject("FaxServer.FaxServer");
    EXPECT_THROW(legacy.Call("Connect", {"myhost"}), TAutomationError);
    EXPECT_THROW(legacy.Call("CreateDocument", {"FaxDocument"}), TAutomationError);
}

TEST_F(FaxClient, BrokenServicesRaiseInsteadOfHanging) {
    const std::vector<std::string> modes = {"silent", "garbage", "no ok", "version 2"};
    std::atomic<size_t> mode = 0;
    TFakeFaxService service(SocketPath(), [&](const std::string&) -> std::optional<std::string> {
        const std::string& now = modes[mode];
        if (now == "silent") return std::nullopt;
        if (now == "garbage") return "this is not json";
        if (now == "no ok") return R"({"service":"pelmor-faxd"})";
        return R"({"ok":true,"service":"pelmor-faxd","protocol":2})";
    });
    Settings.ReplyTimeoutMs = 200;
    for (mode = 0; mode < modes.size(); ++mode) {
        const std::string& next = modes[mode];
        TVariant server = CreateObject("FAXCOMEX.FaxServer");
        EXPECT_THROW(server.Call("Connect", {"myhost"}), TAutomationError) << next;
        // A failed Connect leaves nothing to submit through.
        TVariant doc = CreateObject("FAXCOMEX.FaxDocument");
        doc.Get("Recipients").Call("Add", {"0312345678"});
        doc.Put("Body", "/tmp/x.txt");
        EXPECT_THROW(doc.Call("ConnectedSubmit", {server}), TAutomationError) << next;
    }
}

TEST_F(FaxClient, ServiceThatHangsUpMidRequestIsAnError) {
    TFakeFaxService service(SocketPath(), [](const std::string& line) -> std::optional<std::string> {
        if (line.find("submit") != std::string::npos) return TFakeFaxService::HangUp;
        return R"({"ok":true,"service":"pelmor-faxd","protocol":1})";
    });
    Settings.ReplyTimeoutMs = 200;
    TVariant server = CreateObject("FAXCOMEX.FaxServer");
    server.Call("Connect", {"myhost"});
    TVariant doc = CreateObject("FAXCOMEX.FaxDocument");
    doc.Get("Recipients").Call("Add", {"0312345678"});
    doc.Put("Body", "/tmp/x.txt");
    EXPECT_NE(AutomationErrorOf([&] { doc.Call("ConnectedSubmit", {server}); }).find("closed the connection"),
              std::string::npos);
    // The broken connection is not used again.
    EXPECT_NE(AutomationErrorOf([&] { doc.Call("ConnectedSubmit", {server}); }).find("not connected"),
              std::string::npos);
}

TEST_F(FaxClient, SubmitNeedsAConnectedFaxServerARecipientAndABody) {
    TFakeFaxService service(SocketPath());
    TVariant doc = CreateObject("FAXCOMEX.FaxDocument");
    doc.Put("Body", "/tmp/x.txt");
    TVariant server = CreateObject("FAXCOMEX.FaxServer");
    doc.Get("Recipients").Call("Add", {"0312345678"});
    EXPECT_THROW(doc.Call("ConnectedSubmit", {server}), TAutomationError);
    EXPECT_THROW(doc.Call("ConnectedSubmit", {doc}), TAutomationError);
    EXPECT_THROW(doc.Call("ConnectedSubmit", {"server"}), TAutomationError);
    server.Call("Connect", {"myhost"});
    TVariant empty = CreateObject("FAXCOMEX.FaxDocument");
    empty.Put("Body", "/tmp/x.txt");
    EXPECT_THROW(empty.Call("ConnectedSubmit", {server}), TAutomationError);
    EXPECT_THROW(doc.Get("Recipients").Call("Add", {""}), TAutomationError);
    // Only the connect reached the service.
    EXPECT_EQ(service.Lines().size(), 1u);
}

TEST_F(FaxClient, PathsWithQuotesBackslashesAndJapaneseAreEscapedExactly) {
    TFakeFaxService service(SocketPath());
    std::string body = Temp.WriteFile("見積\"書\\第1版\t.txt", "x");
    TVariant server = CreateObject("FAXCOMEX.FaxServer");
    server.Call("Connect", {"事務所"});
    TVariant doc = CreateObject("FAXCOMEX.FaxDocument");
    doc.Get("Recipients").Call("Add", {"0312345678"});
    doc.Put("Body", body);
    doc.Call("ConnectedSubmit", {server});

    std::vector<std::string> lines = service.Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "{\"op\":\"connect\",\"server\":\"事務所\"}");
    std::string escaped = Temp.Path().string() + "/見積\\\"書\\\\第1版\\t.txt";
    EXPECT_NE(lines[1].find("\"body\":\"" + escaped + "\"}"), std::string::npos) << lines[1];
    EXPECT_EQ(Decoded(lines[1]).Find("body")->AsString(), body);
}

TEST_F(FaxClient, BodyPathThatIsNotUtf8IsRefusedBeforeSending) {
    TFakeFaxService service(SocketPath());
    TVariant server = CreateObject("FAXCOMEX.FaxServer");
    server.Call("Connect", {"myhost"});
    TVariant doc = CreateObject("FAXCOMEX.FaxDocument");
    doc.Get("Recipients").Call("Add", {"0312345678"});
    doc.Put("Body", "/tmp/\x8c\xa9\x90\xcf.txt");
    EXPECT_THROW(doc.Call("ConnectedSubmit", {server}), TAutomationError);
    EXPECT_EQ(service.Lines().size(), 1u);
}

TEST_F(FaxClient, SocketFolderOpenToOthersIsNotTrusted) {
    TFakeFaxService service(SocketPath());
    chmod(Folder.c_str(), 0755);
    TVariant server = CreateObject("FAXCOMEX.FaxServer");
    EXPECT_NE(AutomationErrorOf([&] { server.Call("Connect", {"myhost"}); }).find("not private"), std::string::npos);
    EXPECT_TRUE(service.Lines().empty());
}

TEST_F(FaxClient, StartsTheServiceDetachedWhenNoneAnswers) {
    std::filesystem::remove(Folder);
    Settings.Program = PELMOR_FAKE_FAXD;
    TVariant server = CreateObject("FAXCOMEX.FaxServer");
    server.Call("Connect", {"myhost"});

    std::ifstream info(SocketPath() + ".info");
    int pid = 0, sid = 0, parent = 0;
    ASSERT_TRUE(info >> pid >> sid >> parent);
    // Its own session, and not our child: it outlives the application.
    EXPECT_NE(sid, static_cast<int>(getsid(0)));
    EXPECT_NE(parent, static_cast<int>(getpid()));

    TVariant doc = CreateObject("FAXCOMEX.FaxDocument");
    doc.Get("Recipients").Call("Add", {"0312345678"});
    doc.Put("Body", Temp.WriteFile("a.txt", "a"));
    EXPECT_EQ(doc.Call("ConnectedSubmit", {server}).Get("Count").AsInt32(), 1);
    server.Call("Disconnect");
    // The fake ends once its client has gone; make sure of it all the same.
    for (int i = 0; i < 100 && kill(pid, 0) == 0; ++i) usleep(20000);
    kill(pid, SIGTERM);
}

// An empty entry in PATH is not the working folder: a program planted there
// is never started.
TEST_F(FaxClient, AnEmptyPathEntryIsNotTheWorkingFolder) {
    std::filesystem::copy_file(PELMOR_FAKE_FAXD, Temp.Path() / "planted-faxd");
    std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    std::filesystem::path savedFolder = std::filesystem::current_path();
    std::filesystem::current_path(Temp.Path());
    setenv("PATH", ":/nonexistent", 1);
    bool started = StartFaxService("planted-faxd", SocketPath());
    setenv("PATH", savedPath.c_str(), 1);
    std::filesystem::current_path(savedFolder);
    EXPECT_FALSE(started);
}
