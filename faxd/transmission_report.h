#pragma once

#include "fax_job.h"

#include <string>

// The transmission report of a finished job, as fax machines print it: one
// A4 page titled "送信結果レポート" with the time, the destination, the far
// end's id, pages, line time, line and result (and the reason of a
// failure), and a reduced picture of the first page. Written as a PDF with
// real text, replacing target whole; faxPath is the
// job's fax (empty or missing when it never rendered). Needs a
// QGuiApplication (fonts).
bool WriteTransmissionReport(const TFaxJob& job, const std::string& faxPath, const std::string& target,
                             std::string& error);
