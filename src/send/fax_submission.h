#pragma once

#include <string>

// Hands one file to the fax service as a fax job to one number; true when
// every call of the sequence succeeded. The recipient's name (the book's
// name of the destination) goes with it where the fax objects take one.
bool SubmitFax(const std::string& faxNumber, const std::string& filePath, const std::string& recipientName = "");

// This computer's name, the fax server to connect to.
std::string GetLocalComputerName();

// True only when the version query succeeds and reports 5.0.
bool IsWindows2000();
