#include "main_window_fixture.h"

#include "app/app_state.h"
#include "automation/register_servers.h"

TMainWindowTest::TMainWindowTest()
    : NoSleep(SleepSeam, [this](uint32_t ms) { Sleeps.push_back(ms); }),
      FixedWorkArea(WorkAreaSeam, [this] { return WorkArea; }),
      FixedComputerName(ComputerNameSeam, [] { return std::string("officepc"); }),
      OwnDesktop(DesktopWindowsSeam, [this] { return DesktopWindows; }),
      RecordedClose(CloseDesktopWindowSeam, [this](uint32_t handle) {
          ClosedWindows.push_back(handle);
          return true;
      }),
      NoScannerLibrary(LibraryCallsSeam, [] {
          TLibraryCalls calls = SystemLibraryCalls();
          calls.Find = [](const std::string&) { return std::string(); };
          return calls;
      }) {
    ResetAppState();
}

TMainWindowTest::TBuiltInServers::TBuiltInServers() {
    static const bool registered = [] {
        RegisterBuiltInServers();
        return true;
    }();
    (void)registered;
}

TMainWindowTest::~TMainWindowTest() { Form.reset(); }

TForm1& TMainWindowTest::StartForm() {
    Form = std::make_unique<TForm1>();
    Form->FormCreate(Dir.Path().string());
    Form->show();
    return *Form;
}
