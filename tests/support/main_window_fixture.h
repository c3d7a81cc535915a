#pragma once

#include "app/controls.h"
#include "app/main_window.h"
#include "book/string_grid.h"
#include "image/file_list_box.h"
#include "image/image_control.h"
#include "image/track_bar.h"
#include "message_box_recorder.h"
#include "platform/desktop_windows.h"
#include "platform/library_loader.h"
#include "platform/system_info.h"
#include "recording_fax_service.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include <memory>
#include <vector>

// A main window started in a fresh folder, with message boxes recorded,
// pauses skipped, a known work area and a recording fax service.
class TMainWindowTest : public ::testing::Test {
protected:
    TMainWindowTest();
    ~TMainWindowTest() override;

    // Creates and starts the window; a settings file may be written first.
    TForm1& StartForm();

    // The built-in servers are registered before any test override is made.
    struct TBuiltInServers {
        TBuiltInServers();
    } Servers;
    TTempDir Dir;
    TMessageBoxRecorder Boxes;
    TRecordingFaxService Fax;
    std::vector<uint32_t> Sleeps;
    TWorkArea WorkArea{0, 0, 1280, 1024};
    // The desktop's other windows, and those asked to close, in order.
    std::vector<TDesktopWindow> DesktopWindows;
    std::vector<uint32_t> ClosedWindows;
    std::unique_ptr<TForm1> Form;

private:
    TScopedSeam<void(uint32_t)> NoSleep;
    TScopedSeam<TWorkArea()> FixedWorkArea;
    TScopedSeam<std::string()> FixedComputerName;
    TScopedSeam<std::vector<TDesktopWindow>()> OwnDesktop;
    TScopedSeam<bool(uint32_t)> RecordedClose;
    // No scanner library is found unless a test brings one.
    TScopedSeam<TLibraryCalls()> NoScannerLibrary;
};
