#include "job_texts.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace {

struct TKnownReason {
    const char* Words;   // found in the line's text, compared without case
    const char* Caption;
};

// The reasons a line gives most, from the simulated line and HylaFAX.
constexpr TKnownReason KnownReasons[] = {
    {"cancelled", "取消されました"},
    {"busy", "話し中"},
    {"no answer", "応答なし"},
    {"no carrier", "応答なし"},
    {"no local dialtone", "発信音なし"},
    {"unreachable", "FAXサーバーに接続できません"},
    {"was removed on the server", "FAXサーバーで削除されました"},
    {"unsupported file type", "送れない種類のファイルです"},
};

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

} // namespace

std::string StateCaption(const std::string& state)
{
    if (state == "done")
        return "送信完了";
    if (state == "failed")
        return "送信失敗";
    if (state == "cancelled")
        return "送信取消";
    if (state == "rendering")
        return "変換中";
    if (state == "sending")
        return "送信中";
    return "待機中";
}

std::string LineCaption(const std::string& line, bool simulated)
{
    if (simulated)
        return "模擬回線";
    if (line == "hylafax")
        return "HylaFAX";
    return line;
}

std::string ReasonCaption(const std::string& error)
{
    std::string lower = Lower(error);
    for (const TKnownReason& reason : KnownReasons)
        if (lower.find(reason.Words) != std::string::npos)
            return lower == reason.Words ? std::string(reason.Caption) : std::string(reason.Caption) + " (" + error + ")";
    return error;
}

std::string LineTimeCaption(double seconds)
{
    long whole = std::lround(std::max(0.0, seconds));
    char text[48];
    std::snprintf(text, sizeof text, "%ld分%02ld秒", whole / 60, whole % 60);
    return text;
}

std::string DestinationCaption(const std::string& name, const std::string& number)
{
    return name.empty() ? number : name + " (" + number + ")";
}
