#include "automation/automation_object.h"
#include "automation/server_registry.h"
#include "platform/system_info.h"
#include "send/fax_submission.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <tuple>
#include <string>
#include <vector>

namespace {

// What the recording fax servers saw, in order; a step named in FailAt raises.
struct TFaxLog {
    std::vector<std::string> Steps;
    std::string FailAt;

    void Record(const std::string& step) {
        Steps.push_back(step);
        if (step == FailAt) throw TAutomationError("injected failure at " + step);
    }
};

// One recording class serves every fax object: the member table is the union
// of the members the fax sequences use, each one logged as "Class.Member(arg)".
class TRecordingFaxObject : public TAutomationObject {
public:
    TRecordingFaxObject(std::shared_ptr<TFaxLog> log, std::string name) : Log(std::move(log)), Name(std::move(name)) {}
    ~TRecordingFaxObject() override { Log->Steps.push_back("release " + Name); }
    std::string_view ClassName() const override { return Name; }
    const TMemberTable& Members() const override {
        static const TMemberTable table = {
            Method("Connect", 1, &TRecordingFaxObject::Connect),
            Method("Disconnect", 0, &TRecordingFaxObject::Record),
            Method("CreateDocument", 1, &TRecordingFaxObject::CreateDocument),
            Method("Send", 0, &TRecordingFaxObject::Record),
            Method("ConnectedSubmit", 1, &TRecordingFaxObject::ConnectedSubmit),
            Method("Add", 1, &TRecordingFaxObject::Record),
            {"Recipients", mkPropertyGet, 0, 0,
             [](TAutomationObject& self, const TArgs& args) {
                 return static_cast<TRecordingFaxObject&>(self).Recipients(args);
             }},
            Put("FaxNumber"),
            Put("FileName"),
            Put("Body"),
        };
        return table;
    }

private:
    using TFn = TVariant (TRecordingFaxObject::*)(const std::string& member, const TArgs&);
    static TMemberEntry Method(std::string_view member, int args, TFn fn) {
        return {member, mkMethod, args, args, [member, fn](TAutomationObject& self, const TArgs& a) {
                    return (static_cast<TRecordingFaxObject&>(self).*fn)(std::string(member), a);
                }};
    }
    static TMemberEntry Put(std::string_view member) {
        return {member, mkPropertyPut, 1, 1, [member](TAutomationObject& self, const TArgs& a) {
                    auto& object = static_cast<TRecordingFaxObject&>(self);
                    object.Log->Record(object.Name + "." + std::string(member) + "=" + a.back().AsString());
                    return TVariant();
                }};
    }

    TVariant Record(const std::string& member, const TArgs& args) {
        std::string text = args.empty() ? "" : args[0].AsString();
        Log->Record(Name + "." + member + "(" + text + ")");
        return {};
    }
    TVariant Connect(const std::string& member, const TArgs& args) { return Record(member, args); }
    TVariant CreateDocument(const std::string& member, const TArgs& args) {
        Record(member, args);
        return MakeObject<TRecordingFaxObject>(Log, "FaxDoc");
    }
    TVariant Recipients(const TArgs&) {
        Log->Record(Name + ".Recipients");
        return MakeObject<TRecordingFaxObject>(Log, "Recipients");
    }
    // Names the object it was given, so the test sees the server itself passed.
    TVariant ConnectedSubmit(const std::string& member, const TArgs& args) {
        std::string given = args[0].IsObject() ? std::string(args[0].AsObject()->ClassName()) : "?";
        Log->Record(Name + "." + member + "(" + given + ")");
        return {};
    }

    std::shared_ptr<TFaxLog> Log;
    std::string Name;
};

class FaxSubmission : public ::testing::Test {
protected:
    TServerFactory Factory(const std::string& progId, const std::string& name) {
        return [this, progId, name]() -> TObjectRef {
            Log->Record("create " + progId);
            return std::make_shared<TRecordingFaxObject>(Log, name);
        };
    }

    void UseVersion(bool succeeds, uint32_t major, uint32_t minor) {
        Version.reset();
        Version = std::make_unique<TScopedSeam<bool(TOsVersionInfo&)>>(
            VersionSeam, [=](TOsVersionInfo& info) {
                info.MajorVersion = major;
                info.MinorVersion = minor;
                return succeeds;
            });
    }

    std::shared_ptr<TFaxLog> Log = std::make_shared<TFaxLog>();
    TScopedServerOverride ExtendedServer{"FAXCOMEX.FaxServer", Factory("FAXCOMEX.FaxServer", "FaxServer")};
    TScopedServerOverride ExtendedDocument{"FAXCOMEX.FaxDocument", Factory("FAXCOMEX.FaxDocument", "FaxDocument")};
    TScopedServerOverride LegacyServer{"FaxServer.FaxServer", Factory("FaxServer.FaxServer", "LegacyServer")};
    TScopedSeam<std::string()> ComputerName{ComputerNameSeam, [] { return std::string("OFFICE-PC"); }};
    std::unique_ptr<TScopedSeam<bool(TOsVersionInfo&)>> Version;
};

const std::vector<std::string> ExtendedSteps = {
    "create FAXCOMEX.FaxServer",
    "FaxServer.Connect(OFFICE-PC)",
    "create FAXCOMEX.FaxDocument",
    "FaxDocument.Recipients",
    "Recipients.Add(0312345678)",
    "release Recipients",
    "FaxDocument.Body=/home/user/pelmor/tmp0.txt",
    "FaxDocument.ConnectedSubmit(FaxServer)",
    "FaxServer.Disconnect()",
    "release FaxDocument",
    "release FaxServer",
};

const std::vector<std::string> LegacySteps = {
    "create FaxServer.FaxServer",
    "LegacyServer.Connect(OFFICE-PC)",
    "LegacyServer.CreateDocument(FaxDocument)",
    "FaxDoc.FaxNumber=0312345678",
    "FaxDoc.FileName=/home/user/pelmor/tmp0.txt",
    "FaxDoc.Send()",
    "LegacyServer.Disconnect()",
    "release FaxDoc",
    "release LegacyServer",
};

// For each step that can fail: what follows it. Only the objects that exist
// are released, document before server, and Disconnect is never called.
using TFailureTails = std::vector<std::pair<std::string, std::vector<std::string>>>;

const TFailureTails ExtendedFailures = {
    {"create FAXCOMEX.FaxServer", {}},
    {"FaxServer.Connect(OFFICE-PC)", {"release FaxServer"}},
    {"create FAXCOMEX.FaxDocument", {"release FaxServer"}},
    {"FaxDocument.Recipients", {"release FaxDocument", "release FaxServer"}},
    {"Recipients.Add(0312345678)", {"release Recipients", "release FaxDocument", "release FaxServer"}},
    {"FaxDocument.Body=/home/user/pelmor/tmp0.txt", {"release FaxDocument", "release FaxServer"}},
    {"FaxDocument.ConnectedSubmit(FaxServer)", {"release FaxDocument", "release FaxServer"}},
    {"FaxServer.Disconnect()", {"release FaxDocument", "release FaxServer"}},
};

const TFailureTails LegacyFailures = {
    {"create FaxServer.FaxServer", {}},
    {"LegacyServer.Connect(OFFICE-PC)", {"release LegacyServer"}},
    {"LegacyServer.CreateDocument(FaxDocument)", {"release LegacyServer"}},
    {"FaxDoc.FaxNumber=0312345678", {"release FaxDoc", "release LegacyServer"}},
    {"FaxDoc.FileName=/home/user/pelmor/tmp0.txt", {"release FaxDoc", "release LegacyServer"}},
    {"FaxDoc.Send()", {"release FaxDoc", "release LegacyServer"}},
    {"LegacyServer.Disconnect()", {"release FaxDoc", "release LegacyServer"}},
};

} // namespace

TEST_F(FaxSubmission, ExtendedSequenceOnEveryVersionButWindows2000) {
    for (auto [succeeds, major, minor] : std::vector<std::tuple<bool, uint32_t, uint32_t>>{
             {true, 5, 1}, {true, 5, 2}, {true, 6, 0}, {true, 6, 1}, {true, 10, 0}, {true, 4, 0}, {true, 0, 0},
             {false, 5, 0}}) {
        UseVersion(succeeds, major, minor);
        Log->Steps.clear();
        EXPECT_FALSE(IsWindows2000()) << major << "." << minor;
        EXPECT_TRUE(SubmitFax("0312345678", "/home/user/pelmor/tmp0.txt")) << major << "." << minor;
        EXPECT_EQ(Log->Steps, ExtendedSteps) << major << "." << minor << (succeeds ? "" : " (query failed)");
    }
}

TEST_F(FaxSubmission, LegacySequenceOnlyOnWindows2000) {
    UseVersion(true, 5, 0);
    EXPECT_TRUE(IsWindows2000());
    EXPECT_TRUE(SubmitFax("0312345678", "/home/user/pelmor/tmp0.txt"));
    EXPECT_EQ(Log->Steps, LegacySteps);
}

TEST_F(FaxSubmission, AFailureAtAnyStepGivesFalseWithoutDisconnect) {
    for (bool legacy : {false, true}) {
        UseVersion(true, 5, legacy ? 0 : 1);
        const std::vector<std::string>& all = legacy ? LegacySteps : ExtendedSteps;
        for (const auto& [step, tail] : legacy ? LegacyFailures : ExtendedFailures) {
            Log->Steps.clear();
            Log->FailAt = step;
            EXPECT_FALSE(SubmitFax("0312345678", "/home/user/pelmor/tmp0.txt")) << step;
            auto failed = std::find(all.begin(), all.end(), step);
            ASSERT_NE(failed, all.end()) << step;
            std::vector<std::string> expected(all.begin(), failed + 1);
            expected.insert(expected.end(), tail.begin(), tail.end());
            EXPECT_EQ(Log->Steps, expected) << "failing at " << step;
        }
    }
}

TEST_F(FaxSubmission, NoFaxServiceInstalledGivesFalse) {
    TScopedServerOverride noServer("FAXCOMEX.FaxServer", nullptr);
    TScopedServerOverride noLegacy("FaxServer.FaxServer", nullptr);
    UseVersion(true, 6, 1);
    EXPECT_FALSE(SubmitFax("0312345678", "/tmp/a.txt"));
    UseVersion(true, 5, 0);
    EXPECT_FALSE(SubmitFax("0312345678", "/tmp/a.txt"));
    EXPECT_TRUE(Log->Steps.empty());
}

TEST_F(FaxSubmission, NumberAndPathPassUnchanged) {
    const std::string path = "/home/事務所/見積 \"第1版\".txt";
    UseVersion(true, 6, 1);
    ASSERT_TRUE(SubmitFax("0001234567", path));
    EXPECT_EQ(Log->Steps.at(4), "Recipients.Add(0001234567)");
    EXPECT_EQ(Log->Steps.at(6), "FaxDocument.Body=" + path);
    Log->Steps.clear();
    UseVersion(true, 5, 0);
    ASSERT_TRUE(SubmitFax("0001234567", path));
    EXPECT_EQ(Log->Steps.at(3), "FaxDoc.FaxNumber=0001234567");
    EXPECT_EQ(Log->Steps.at(4), "FaxDoc.FileName=" + path);
}

TEST_F(FaxSubmission, ComputerNameEndsAtTheFirstNulAndFitsTheBuffer) {
    UseVersion(true, 6, 1);
    {
        TScopedSeam<std::string()> name(ComputerNameSeam, [] { return std::string("OFFICE\0JUNK", 11); });
        EXPECT_EQ(GetLocalComputerName(), "OFFICE");
        ASSERT_TRUE(SubmitFax("0312345678", "/tmp/a.txt"));
        EXPECT_EQ(Log->Steps.at(1), "FaxServer.Connect(OFFICE)");
    }
    {
        TScopedSeam<std::string()> name(ComputerNameSeam, [] { return std::string(200, 'h'); });
        EXPECT_EQ(GetLocalComputerName(), std::string(127, 'h'));
    }
    {
        // An unreadable name is passed on empty; the service decides.
        TScopedSeam<std::string()> name(ComputerNameSeam, [] { return std::string(); });
        Log->Steps.clear();
        EXPECT_TRUE(SubmitFax("0312345678", "/tmp/a.txt"));
        EXPECT_EQ(Log->Steps.at(1), "FaxServer.Connect()");
    }
}
