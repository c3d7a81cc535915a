#pragma once

#include <string>

// The Japanese words in which a job's outcome is shown to the user: in the
// transmission report, the desktop notification and the job window.

// "送信完了", "送信失敗", "送信取消" for the protocol's final states; "待機中",
// "変換中", "送信中" for the others.
std::string StateCaption(const std::string& state);

// "模擬回線" for a simulated line (nothing left the machine), "HylaFAX" for
// the HylaFAX line, else the line's name.
std::string LineCaption(const std::string& line, bool simulated);

// Why a job failed, in Japanese when the reason is a known one ("話し中"),
// with the line's own words after it; else the line's words.
std::string ReasonCaption(const std::string& error);

// A line time as "1分05秒".
std::string LineTimeCaption(double seconds);

// The destination as shown: "name (number)", or the number alone.
std::string DestinationCaption(const std::string& name, const std::string& number);
