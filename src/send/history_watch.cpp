// The send history: the watch on the fax service's sent-items folder that
// files each completed fax under the destination's own history folder.
#include "app/app_state.h"
#include "app/main_window.h"
#include "automation/automation_error.h"
#include "platform/message_box.h"
#include "platform/system_info.h"
#include "send/folder_picker.h"
#include "send/history_folder.h"
#include "send/history_windows.h"
#include "send/newest_file.h"

#include <QDesktopServices>
#include <QLabel>
#include <QUrl>

#include <ctime>
#include <filesystem>
#include <stdexcept>

void TForm1::Timer1Timer() {
    int64_t current = 0;
    try {
        current = HistoryFolderObject.Get("Size").AsInt64();
    } catch (const TAutomationError&) {
        // The folder was removed or can no longer be read: this send cannot
        // be filed. Say so once, and stop asking.
        Timer1->stop();
        HistoryFolderObject.Clear();
        HistoryFso.Clear();
        ShowMessage("MSFAX履歴保存場所が見えなくなった(消えたか、読めない)ので、今回の送信は履歴に残せない。",
                    "悪いけど", mbOK);
        return;
    }
    if (current > HistoryFolderSize) FinishSendTracking();
}

void TForm1::FinishSendTracking() {
    Timer1->stop();
    std::string newest = FindNewestFile(Label0->text().toStdString(), true);
    if (!newest.empty()) {
        std::string dir = HistoryFolderPath(AppDir, DestName, DestNumber);
        if (dir.empty()) {
            HistoryFolderObject.Clear();
            HistoryFso.Clear();
            throw std::runtime_error(HistoryFolderNameError(DestName));
        }
        if (!HistoryFso.Call("FolderExists", {dir}).AsBool()) HistoryFso.Call("CreateFolder", {dir});
        std::time_t now = std::chrono::system_clock::to_time_t(Now());
        std::tm local{};
        localtime_r(&now, &local);
        std::string target = dir + "/" +
                             HistoryFileName(newest, local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                             local.tm_hour, local.tm_min);
        HistoryFso.Call("CopyFile", {newest, target});
    }
    HistoryFolderObject.Clear();
    HistoryFso.Clear();
    CloseTwainManager();
    ShowPlainMessage("送信完了");
}

bool TForm1::ConfirmAbandonTracking() {
    if (!Timer1->isActive()) return true;
    Timer1->stop();
    TMessageResult answer = ShowMessage(
        "前の処理が終わってないみたいだけど、放棄しちゃっていい?\n\n\nといっても、ここで「はい」を押すことで放棄できるのは履歴管理だけ。"
        "\n\nFAXはExecuteした回数だけ送信される(はず。たぶんだけど。プリンターみたいなもんだから)\n\n"
        "たとえばいま途中になっている送信があって、それをどうにかしたいってことなら、\n\n"
        "申し訳ないけどFAX側でどうにかしてくれとしか言いようがない。\n\n\n"
        "ついでにいうと、履歴管理放棄といっても、それは「こちら側の管理」を放棄するだけの話で、\n\n"
        "送信完遂なら履歴は必ずMSFAX側の掃き溜めに残る。",
        "明らかに送信失敗ならともかく、送信途中なら終わるまで待ったほうがいいと思う", mbYesNo);
    if (answer == mrYes) {
        HistoryFolderObject.Clear();
        HistoryFso.Clear();
        return true;
    }
    Timer1->start();
    return false;
}

void TForm1::OpenHistoryFolder(const std::string& name, const std::string& number) {
    if (Label0->text().isEmpty()) {
        ShowMessage("MSFAX履歴保存場所を見つけて下の黒い帯に突っ込まなきゃ送信履歴の管理はできない。\n\n"
                    "それがどこにあるかはマシンによって違うような気がするので、何とも。\n\n"
                    "(コントロールパネル→FAX→詳細オプション あたりを参考に)",
                    "悪いけど", mbOK);
        return;
    }
    EnumWindows(CloseHistoryWindows);
    std::string path = HistoryFolderPath(AppDir, name, number);
    std::error_code ec;
    if (!path.empty() && std::filesystem::is_directory(path, ec))
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
    else
        ShowPlainMessage("NoData");
}

void TForm1::Btn4Click() {
    // One picker at a time: a second click brings it to the front.
    if (Form3) {
        Form3->raise();
        Form3->activateWindow();
        return;
    }
    new TForm3(this);
}
