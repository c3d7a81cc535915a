// The send request: choosing the destination, routing a dropped file by its
// extension, and handing the prepared file to the fax service.
#include "app/app_state.h"
#include "app/controls.h"
#include "app/main_window.h"
#include "automation/server_registry.h"
#include "book/destination_book.h"
#include "book/fax_number.h"
#include "durable/unique_fd.h"
#include "platform/busy_cursor.h"
#include "platform/message_box.h"
#include "platform/system_info.h"
#include "send/fax_submission.h"
#include "send/office_text.h"
#include "send/send_messages.h"
#include "send/send_route.h"
#include "send/text_files.h"

#include <QLabel>
#include <QPushButton>

#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>

namespace {

constexpr uint32_t PauseBeforeSubmitMs = 2000;
constexpr int WatchIntervalMs = 5000;

bool IsDirectory(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(path, ec);
}

// Whether path is a file to hand over: looked at once, through a handle that
// opens nothing (a device or a FIFO is never opened), and a regular file.
bool IsRegularFile(const std::string& path) {
    TUniqueFd handle(::open(path.c_str(), O_PATH | O_CLOEXEC));
    struct stat info {};
    return handle && ::fstat(handle.Get(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

void TForm1::Btn2Click() { SelectDestination(DefaultDestName, Edit1->text().toStdString()); }

void TForm1::SelectDestination(const std::string& name, const std::string& number) {
    Btn0->setFocus();
    CloseTwainManager();
    if (!CheckFaxNumber(number)) return;
    if (!ConfirmAbandonTracking()) return;
    DestNumber = number;
    DestName = name;

    std::string memo = Memo1->toPlainText().toStdString();
    if (memo.empty()) {
        if (SendWaitingDocument()) return;
        ShowMainControls(false);
        SetDropScreen(true);
        return;
    }
    // The memo as it is sent: each line ends in CR LF, and so it is counted.
    const std::string text = WithCrLf(memo);
    if (ShowMessage("ファイルDragDropじゃなく、下のメモ書き(" + FirstCharacters(text, 5) + "・・・)をそのまま送信していい?",
                    "「うっかり入れただけ」なら、消してくれ(ダブルクリックで消せる)", mbYesNo) != mrYes)
        return;
    WriteTempFile(TempTextPath, text);
    UpdateBook(baAddIfNew, DestName, DestNumber);
    SendFilePath = TempTextPath;
    SubmitSendFile();
}

void TForm1::DispatchSendFile() {
    SetDropScreen(false);
    TSendRoute route = RouteForExtension(LowerExtension(SendFilePath));
    if (route == srRefused) {
        ShowMainControls(true);
        ShowMessage("それは無理だ", "NG", mbOK);
        return;
    }
    UpdateBook(baAddIfNew, DestName, DestNumber);
    if (route == srImage) {
        if (LoadSourceImage(SendFilePath)) {
            HandleLoadedImage();
        } else {
            ShowMainControls(true);
            ReportImageLoadFailed();
        }
        return;
    }
    ShowMainControls(true);
    if (!IsTextFamily(route)) {
        SubmitSendFile();
        return;
    }

    if (SendFilePath == TempTextPath) {
        ShowMessage("そのファイルはダメ", "悪いけど", mbOK);
        return;
    }
    if (FileExists(TempTextPath)) std::filesystem::remove(TempTextPath);
    int32_t size = GetFileSizeBytes(SendFilePath);
    if (size == 0 || size > MaxTextFileBytes) {
        ShowMessage("こんなサイズのファイルじゃ恐ろしくて処理する気になれない", "悪いけど", mbOK);
        return;
    }
    if (route == srWord || route == srExcel) {
        bool converted = route == srWord ? WordToText(SendFilePath, TempTextPath) : ExcelToText(SendFilePath, TempTextPath);
        if (!converted) {
            ReportOfficeFailure(route == srWord ? "Word" : "Excel");
            return;
        }
        if (TrimControlBytes(ReadTextFile(TempTextPath)).empty()) {
            ReportNoText();
            return;
        }
    } else {
        std::string text = TrimControlBytes(route == srHtml ? HtmlToText(SendFilePath) : ReadTextFile(SendFilePath));
        if (text.empty()) {
            ReportNoText();
            return;
        }
        WriteTempFile(TempTextPath, text);
    }
    SendFilePath = TempTextPath;
    SubmitSendFile();
}

void TForm1::SubmitSendFile() {
    LastSubmitOk = false;
    ClearImages();
    if (!IsRegularFile(SendFilePath)) return;
    bool ok = false;
    {
        // Restored on every way out, an error in the folder snapshot included.
        TBusyCursor busy;
        std::string folder = Label0->text().toStdString();
        if (!folder.empty() && !IsDirectory(folder)) {
            Label0->setText(QString());
            folder.clear();
        }
        Sleep(PauseBeforeSubmitMs);
        if (folder.empty()) {
            ok = SubmitFax(DestNumber, SendFilePath, DestName);
        } else {
            HistoryFso = CreateObject("Scripting.FileSystemObject");
            HistoryFolderObject = HistoryFso.Call("GetFolder", {folder});
            // Held as 64 bits: a sent-items folder of several gigabytes is normal.
            HistoryFolderSize = HistoryFolderObject.Get("Size").AsInt64();
            ok = SubmitFax(DestNumber, SendFilePath, DestName);
            if (ok) {
                Timer1->setInterval(WatchIntervalMs);
                Timer1->start();
            } else {
                HistoryFolderObject.Clear();
                HistoryFso.Clear();
            }
        }
    }
    LastSubmitOk = ok;
    if (!ok) ShowMessage("FAX起動失敗", "残念", mbOK);
}
