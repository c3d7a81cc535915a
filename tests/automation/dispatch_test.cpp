#include "automation/automation_object.h"
#include "automation/server_registry.h"

#include <gtest/gtest.h>

namespace {

int LiveCounters = 0;

class TCounter : public TAutomationObject {
public:
    TCounter() { ++LiveCounters; }
    ~TCounter() override { --LiveCounters; }
    std::string_view ClassName() const override { return "Counter"; }
    const TMemberTable& Members() const override {
        static const TMemberTable table = {
            MakeMember(&TCounter::Add, "Add", mkMethod, 1, 2),
            MakeMember(&TCounter::GetValue, "Value", mkPropertyGet, 0, 0),
            MakeMember(&TCounter::PutValue, "Value", mkPropertyPut, 1, 1),
            MakeMember(&TCounter::GetValue, "Total", mkPropertyGet, 0, 0),
            MakeMember(&TCounter::Child, "Child", mkMethod, 0, 0),
        };
        return table;
    }

private:
    static TMemberEntry MakeMember(TVariant (TCounter::*fn)(const TArgs&), std::string_view name, TMemberKind kind,
                                   int minArgs, int maxArgs) {
        return ::MakeMember<TCounter>(name, kind, minArgs, maxArgs, fn);
    }
    TVariant Add(const TArgs& args) {
        Value += ArgAt(args, 0).AsInt32() * (HasArg(args, 1) ? ArgAt(args, 1).AsInt32() : 1);
        return Value;
    }
    TVariant GetValue(const TArgs&) { return Value; }
    TVariant PutValue(const TArgs& args) {
        Value = args.back().AsInt32();
        return {};
    }
    TVariant Child(const TArgs&) { return MakeObject<TCounter>(); }

    int32_t Value = 0;
};

} // namespace

TEST(Dispatch, MembersAreFoundByNameInAnyLetterCase) {
    TVariant counter = MakeObject<TCounter>();
    EXPECT_EQ(counter.Call("Add", {5}).AsInt32(), 5);
    EXPECT_EQ(counter.Call("add", {2, 3}).AsInt32(), 11);
    counter.Put("VALUE", 40);
    EXPECT_EQ(counter.Get("value").AsInt32(), 40);
    // A property get may be reached as a call, as late binding allows.
    EXPECT_EQ(counter.Call("Total").AsInt32(), 40);
}

TEST(Dispatch, UnknownMembersWrongArityAndReadOnlyPropertiesRaise) {
    TVariant counter = MakeObject<TCounter>();
    EXPECT_THROW(counter.Call("Subtract", {1}), TAutomationError);
    EXPECT_THROW(counter.Call("Add"), TAutomationError);
    EXPECT_THROW(counter.Call("Add", {1, 2, 3}), TAutomationError);
    try {
        counter.Put("Total", 1);
        FAIL() << "a read-only property accepted a value";
    } catch (const TAutomationError& error) {
        EXPECT_NE(std::string(error.what()).find("read-only"), std::string::npos);
    }
    EXPECT_THROW(counter.Put("Add", 1), TAutomationError);
}

TEST(Dispatch, SettingAHandleToEmptyReleasesTheObject) {
    LiveCounters = 0;
    TVariant counter = MakeObject<TCounter>();
    TVariant child = counter.Call("Child");
    EXPECT_EQ(LiveCounters, 2);
    counter = TVariant();
    EXPECT_EQ(LiveCounters, 1);
    child.Clear();
    EXPECT_EQ(LiveCounters, 0);
}

TEST(ServerRegistry, CreatesByProgIdAndTestsCanOverrideOrRemoveAServer) {
    TServerRegistry::Instance().Register("Test.Counter", [] { return std::make_shared<TCounter>(); });
    EXPECT_EQ(CreateObject("Test.Counter").Call("Add", {1}).AsInt32(), 1);
    {
        TScopedServerOverride gone("Test.Counter", nullptr);
        EXPECT_THROW(CreateObject("Test.Counter"), TAutomationError);
    }
    {
        TScopedServerOverride failing("Test.Counter", []() -> TObjectRef { throw TAutomationError("refused"); });
        EXPECT_THROW(CreateObject("Test.Counter"), TAutomationError);
    }
    EXPECT_NO_THROW(CreateObject("Test.Counter"));
    {
        TScopedServerOverride added("Test.Other", [] { return std::make_shared<TCounter>(); });
        EXPECT_NO_THROW(CreateObject("Test.Other"));
    }
    EXPECT_FALSE(TServerRegistry::Instance().IsRegistered("Test.Other"));
    EXPECT_THROW(CreateObject("No.Such.Server"), TAutomationError);
    TServerRegistry::Instance().Unregister("Test.Counter");
}
