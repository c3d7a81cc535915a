#include "send/send_messages.h"

#include "platform/message_box.h"

void ReportOfficeFailure(const std::string& applicationName) {
    ShowMessage(applicationName + "が入っていないマシンなら失敗するのは当たり前だけど、" + "\n" +
                    "入っているとしたらかなり珍しいエラー",
                "テキスト変換処理失敗", mbOK);
}

void ReportNoText() { ShowMessage("そのファイルには文字なんか全然入っていない", "悪いけど", mbOK); }
