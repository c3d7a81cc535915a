#include "sdp.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace {

std::vector<std::string> Words(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> words;
    std::string word;
    while (in >> word)
        words.push_back(word);
    return words;
}

bool ParseNumber(const std::string& text, long low, long high, int& value)
{
    // Bytes of any value come from the network: never handed to isdigit as char.
    auto digit = [](unsigned char c) { return c >= '0' && c <= '9'; };
    if (text.empty() || text.size() > 9 || !std::all_of(text.begin(), text.end(), digit))
        return false;
    long number = std::stol(text);
    if (number < low || number > high)
        return false;
    value = static_cast<int>(number);
    return true;
}

bool Equal(const std::string& a, const std::string& b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return std::tolower(x) == std::tolower(y); });
}

// "IN IP4 192.0.2.1" -> "192.0.2.1".
bool ParseConnection(const std::string& value, std::string& address)
{
    std::vector<std::string> words = Words(value);
    if (words.size() != 3 || words[0] != "IN" || (words[1] != "IP4" && words[1] != "IP6"))
        return false;
    address = words[2].substr(0, words[2].find('/'));
    return !address.empty();
}

void ReadT38Attribute(const std::string& name, const std::string& value, TT38Params& t38)
{
    int number = 0;
    if (Equal(name, "T38FaxVersion") && ParseNumber(value, 0, 9, number))
        t38.Version = number;
    else if (Equal(name, "T38MaxBitRate") && ParseNumber(value, 0, 100000, number))
        t38.MaxBitRate = number;
    else if (Equal(name, "T38FaxRateManagement"))
        t38.RateManagement = value;
    else if (Equal(name, "T38FaxMaxBuffer") && ParseNumber(value, 0, 1000000, number))
        t38.MaxBuffer = number;
    else if (Equal(name, "T38FaxMaxDatagram") && ParseNumber(value, 0, 65535, number))
        t38.MaxDatagram = number;
    else if (Equal(name, "T38FaxUdpEC"))
        t38.ErrorCorrection = value;
}

void WriteT38(std::ostringstream& out, const TT38Params& t38)
{
    out << "a=T38FaxVersion:" << t38.Version << "\r\n";
    out << "a=T38MaxBitRate:" << t38.MaxBitRate << "\r\n";
    out << "a=T38FaxRateManagement:" << t38.RateManagement << "\r\n";
    if (t38.MaxBuffer > 0)
        out << "a=T38FaxMaxBuffer:" << t38.MaxBuffer << "\r\n";
    if (t38.MaxDatagram > 0)
        out << "a=T38FaxMaxDatagram:" << t38.MaxDatagram << "\r\n";
    if (!t38.ErrorCorrection.empty())
        out << "a=T38FaxUdpEC:" << t38.ErrorCorrection << "\r\n";
}

bool IsT38(const TSdpMedia& media)
{
    return media.Kind == smImage && Equal(media.Protocol, "udptl") && media.Formats.size() == 1
        && Equal(media.Formats[0], "t38");
}

} // namespace

bool ParseSdp(const std::string& text, TSdp& sdp)
{
    sdp = TSdp();
    sdp.Origin.clear();
    sdp.SessionId = 0;
    sdp.Version = 0;
    std::istringstream in(text);
    std::string line;
    bool sawVersion = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.size() < 2 || line[1] != '=')
            continue;
        char type = line[0];
        std::string value = line.substr(2);
        TSdpMedia* media = sdp.Media.empty() ? nullptr : &sdp.Media.back();
        if (type == 'v') {
            sawVersion = value == "0";
        } else if (type == 'o') {
            std::vector<std::string> words = Words(value);
            if (words.size() >= 3) {
                sdp.Origin = words[0];
                try {
                    sdp.SessionId = std::stoull(words[1]);
                    sdp.Version = std::stoull(words[2]);
                } catch (...) {
                }
            }
        } else if (type == 'c') {
            std::string address;
            if (!ParseConnection(value, address))
                return false;
            (media ? media->Address : sdp.Address) = address;
        } else if (type == 'm') {
            std::vector<std::string> words = Words(value);
            TSdpMedia added;
            if (words.size() < 4 || !ParseNumber(words[1].substr(0, words[1].find('/')), 0, 65535, added.Port))
                return false;
            added.Name = words[0];
            added.Kind = words[0] == "audio" ? smAudio : words[0] == "image" ? smImage : smOther;
            added.Protocol = words[2];
            added.Formats.assign(words.begin() + 3, words.end());
            sdp.Media.push_back(std::move(added));
        } else if (type == 'a' && media) {
            size_t colon = value.find(':');
            std::string name = value.substr(0, colon);
            std::string attribute = colon == std::string::npos ? "" : value.substr(colon + 1);
            ReadT38Attribute(name, attribute, media->T38);
        }
    }
    if (!sawVersion)
        return false;
    for (const TSdpMedia& media : sdp.Media)
        if (media.Port != 0 && sdp.MediaAddress(media).empty())
            return false;
    return true;
}

std::string FormatSdp(const TSdp& sdp)
{
    std::ostringstream out;
    out << "v=0\r\n";
    out << "o=" << sdp.Origin << " " << sdp.SessionId << " " << sdp.Version << " IN IP4 " << sdp.Address << "\r\n";
    out << "s=pelmor\r\n";
    out << "c=IN IP4 " << sdp.Address << "\r\n";
    out << "t=0 0\r\n";
    for (const TSdpMedia& media : sdp.Media) {
        out << "m=" << media.Name << " " << media.Port << " " << media.Protocol;
        for (const std::string& format : media.Formats)
            out << " " << format;
        out << "\r\n";
        if (!media.Address.empty())
            out << "c=IN IP4 " << media.Address << "\r\n";
        if (media.Port == 0)
            continue;
        if (IsT38(media)) {
            WriteT38(out, media.T38);
        } else if (media.Kind == smAudio) {
            for (const std::string& format : media.Formats) {
                if (format == "0")
                    out << "a=rtpmap:0 PCMU/8000\r\n";
                else if (format == "8")
                    out << "a=rtpmap:8 PCMA/8000\r\n";
            }
            out << "a=ptime:20\r\na=sendrecv\r\n";
        }
    }
    return out.str();
}

std::vector<int> OfferedG711(const TSdpMedia& media)
{
    std::vector<int> types;
    if (media.Kind != smAudio || !Equal(media.Protocol, "RTP/AVP"))
        return types;
    for (const std::string& format : media.Formats)
        if (format == "0" || format == "8")
            types.push_back(format == "0" ? 0 : 8);
    return types;
}

// A session of ours: its origin version and c= address, no media yet.
static TSdp OurSession(const std::string& address, unsigned long long version)
{
    TSdp sdp;
    sdp.SessionId = version;
    sdp.Version = version;
    sdp.Address = address;
    return sdp;
}

TSdp MakeAudioOffer(const std::string& address, int audioPort, unsigned long long version)
{
    TSdp sdp = OurSession(address, version);
    TSdpMedia audio;
    audio.Kind = smAudio;
    audio.Name = "audio";
    audio.Port = audioPort;
    audio.Protocol = "RTP/AVP";
    audio.Formats = {"0", "8"};
    sdp.Media.push_back(audio);
    return sdp;
}

TSdp MakeT38Offer(const std::string& address, int t38Port, unsigned long long version, const TT38Params& params)
{
    TSdp sdp = OurSession(address, version);
    TSdpMedia image;
    image.Kind = smImage;
    image.Name = "image";
    image.Port = t38Port;
    image.Protocol = "udptl";
    image.Formats = {"t38"};
    image.T38 = params;
    sdp.Media.push_back(image);
    return sdp;
}

bool AnswerSdp(const TSdp& offer, const std::string& address, int audioPort, int t38Port, bool allowT38,
               unsigned long long version, TSdp& answer, TSdpChoice& choice)
{
    choice = TSdpChoice();
    int chosen = -1;
    for (size_t i = 0; i < offer.Media.size() && chosen < 0; ++i)
        if (allowT38 && offer.Media[i].Port != 0 && IsT38(offer.Media[i]))
            chosen = static_cast<int>(i);
    for (size_t i = 0; i < offer.Media.size() && chosen < 0; ++i)
        if (offer.Media[i].Port != 0 && !OfferedG711(offer.Media[i]).empty())
            chosen = static_cast<int>(i);
    if (chosen < 0)
        return false;

    answer = OurSession(address, version);
    for (size_t i = 0; i < offer.Media.size(); ++i) {
        const TSdpMedia& offered = offer.Media[i];
        TSdpMedia media;
        media.Kind = offered.Kind;
        media.Name = offered.Name;
        media.Protocol = offered.Protocol;
        media.Formats = offered.Formats;
        if (static_cast<int>(i) == chosen) {
            choice.RemoteAddress = offer.MediaAddress(offered);
            choice.RemotePort = offered.Port;
            if (IsT38(offered)) {
                choice.T38 = true;
                choice.RemoteT38 = offered.T38;
                media.Port = t38Port;
                media.T38 = offered.T38;
                media.T38.MaxBitRate = std::min(offered.T38.MaxBitRate > 0 ? offered.T38.MaxBitRate : 14400, 14400);
                media.T38.Version = std::min(offered.T38.Version, 0);
                media.T38.ErrorCorrection = "t38UDPRedundancy";  // what we send; we take FEC too
                if (media.T38.RateManagement.empty())
                    media.T38.RateManagement = "transferredTCF";
            } else {
                choice.PayloadType = OfferedG711(offered).front();
                media.Port = audioPort;
                media.Formats = {std::to_string(choice.PayloadType)};
            }
        } else if (media.Formats.empty()) {
            media.Formats = {"0"};
        }
        answer.Media.push_back(std::move(media));
    }
    return true;
}

bool ReadSdpAnswer(const TSdp& answer, TSdpChoice& choice)
{
    choice = TSdpChoice();
    for (const TSdpMedia& media : answer.Media) {
        if (media.Port == 0)
            continue;
        if (IsT38(media)) {
            choice.T38 = true;
            choice.RemoteT38 = media.T38;
        } else if (!OfferedG711(media).empty()) {
            choice.PayloadType = OfferedG711(media).front();
        } else {
            continue;
        }
        choice.RemoteAddress = answer.MediaAddress(media);
        choice.RemotePort = media.Port;
        return true;
    }
    return false;
}
