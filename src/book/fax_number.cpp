#include "book/fax_number.h"

#include "platform/message_box.h"

bool IsDigitsOnly(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

bool CheckFaxNumber(const std::string& number) {
    if (number.size() == 10 && IsDigitsOnly(number)) return true;
    ShowMessage("FAX番号が変", "NG", mbOK);
    return false;
}
