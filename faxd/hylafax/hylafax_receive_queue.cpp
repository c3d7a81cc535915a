// The receive queue (recvq) through the client protocol: listing, fetching
// and removing received faxes.
#include "hylafax/hylafax_client.h"

#include "hylafax/hylafax_session.h"

#include <cctype>

namespace {

// The largest received fax fetched (a few hundred pages of dense text).
constexpr size_t MaxReceivedBytes = 256u << 20;
constexpr size_t MaxListingBytes = 16u << 20;

bool IsQueueFileName(const std::string& name) {
    if (name.empty() || name.size() > 128 || name[0] == '.') return false;
    for (unsigned char c : name)
        if (!std::isalnum(c) && c != '.' && c != '_' && c != '-') return false;
    return true;
}

// Whether a command may name this queue file; outcome and error say why not.
bool CheckQueueFile(const std::string& file, THylafaxOutcome& outcome, std::string& error) {
    if (IsQueueFileName(file)) return true;
    error = "invalid receive queue file name";
    outcome = hoRefused;
    return false;
}

}  // namespace

bool ParseReceivedLine(const std::string& line, THylafaxReceivedFax& fax) {
    size_t first = line.find('|');
    size_t second = first == std::string::npos ? first : line.find('|', first + 1);
    size_t third = second == std::string::npos ? second : line.find('|', second + 1);
    if (third == std::string::npos) return false;
    fax.File = line.substr(0, first);
    if (!IsQueueFileName(fax.File)) return false;
    fax.Receiving = line.substr(first + 1, second - first - 1).find('*') != std::string::npos;
    fax.Pages = 0;
    for (size_t i = second + 1; i < third; ++i) {
        unsigned char c = static_cast<unsigned char>(line[i]);
        if (c == ' ') continue;
        if (!std::isdigit(c) || fax.Pages > 100000) return false;
        fax.Pages = fax.Pages * 10 + (c - '0');
    }
    fax.Station = line.substr(third + 1);
    while (!fax.Station.empty() && fax.Station.back() == ' ') fax.Station.pop_back();
    while (!fax.Station.empty() && fax.Station.front() == ' ') fax.Station.erase(0, 1);
    return true;
}

THylafaxOutcome THylafaxClient::ListReceived(std::vector<THylafaxReceivedFax>& faxes, std::string& error) {
    faxes.clear();
    THylafaxSession session(Settings);
    THylafaxOutcome outcome = hoUnreachable;
    if (!OpenSession(session, outcome, error)) return outcome;
    THylafaxReply format = session.Command("RCVFMT \"%f|%z|%p|%s\"");
    if (format.Code != 200) {
        error = "RCVFMT: " + format.Describe();
        return OutcomeOf(format);
    }
    std::string listing;
    bool refused = false;
    if (!session.Download("LIST recvq", MaxListingBytes, listing, error, refused))
        return refused ? hoRefused : hoUnreachable;
    size_t start = 0;
    while (start < listing.size()) {
        size_t end = listing.find('\n', start);
        if (end == std::string::npos) end = listing.size();
        std::string line = listing.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        THylafaxReceivedFax fax;
        if (ParseReceivedLine(line, fax)) faxes.push_back(fax);
        start = end + 1;
    }
    return hoOk;
}

THylafaxOutcome THylafaxClient::RetrieveReceived(const std::string& file, std::string& bytes, std::string& error) {
    THylafaxSession session(Settings);
    THylafaxOutcome outcome = hoUnreachable;
    if (!CheckQueueFile(file, outcome, error) || !OpenSession(session, outcome, error)) return outcome;
    THylafaxReply type = session.Command("TYPE I");
    if (type.Code != 200) {
        error = "TYPE I: " + type.Describe();
        return OutcomeOf(type);
    }
    bool refused = false;
    if (!session.Download("RETR recvq/" + file, MaxReceivedBytes, bytes, error, refused))
        return refused ? hoRefused : hoUnreachable;
    return hoOk;
}

THylafaxOutcome THylafaxClient::RemoveReceived(const std::string& file, std::string& error) {
    THylafaxSession session(Settings);
    THylafaxOutcome outcome = hoUnreachable;
    if (!CheckQueueFile(file, outcome, error) || !OpenSession(session, outcome, error)) return outcome;
    THylafaxReply removed = session.Command("DELE recvq/" + file);
    if (removed.Code == 250 || removed.Code == 200) return hoOk;
    error = "DELE recvq/" + file + ": " + removed.Describe();
    return OutcomeOf(removed);
}
