#include "sip_fax_session.h"

#include <chrono>
#include <poll.h>
#include <random>

namespace {

using TClock = std::chrono::steady_clock;
constexpr auto TickLength = std::chrono::milliseconds(20);
constexpr auto MaxCall = std::chrono::hours(1);
constexpr auto T38Delay = std::chrono::seconds(1);
// After the fax: how long the receiving side waits for the sender's BYE, and
// how long anyone waits for the call to end after hanging up.
constexpr auto ByeWait = std::chrono::seconds(5);

} // namespace

TSipFaxSession::TSipFaxSession(bool sending, std::string tiff, std::string ident)
    : Sending(sending), Tiff(std::move(tiff)), Ident(std::move(ident)), Playout(3)
{
    std::random_device seed;
    Outgoing.Ssrc = seed();
    Outgoing.Seq = static_cast<uint16_t>(seed());
    Outgoing.Timestamp = seed();
}

TSipFaxSession::~TSipFaxSession()
{
    if (AudioFax)
        fax_free(AudioFax);
}

bool TSipFaxSession::Open(const std::string& address, bool allowT38, std::string& error)
{
    if (!Audio.Bind(address, error) || !T38Port.Bind(address, error))
        return false;
    LocalMedia.Address = address;
    LocalMedia.AudioPort = Audio.Port();
    LocalMedia.T38Port = T38Port.Port();
    LocalMedia.AllowT38 = allowT38;
    return true;
}

t30_state_t* TSipFaxSession::T30() const
{
    if (T38)
        return T38->T30();
    return AudioFax ? fax_get_t30_state(AudioFax) : nullptr;
}

const TCallEnd* TSipFaxSession::End() const
{
    if (T38)
        return &T38->End();
    return AudioFax ? &AudioEnd : nullptr;
}

void TSipFaxSession::UseMedia(const TSdpChoice& media)
{
    // A change of media starts T.30 afresh on the new one.
    if (media.T38 && !T38) {
        if (AudioFax) {
            fax_free(AudioFax);
            AudioFax = nullptr;
        }
        T38 = std::make_unique<TT38Endpoint>(
            Sending, Ident, [this](const TBytes& datagram) { T38Port.Send(datagram.data(), datagram.size()); });
        T38Port.Aim(media.RemoteAddress, media.RemotePort);
    } else if (!media.T38) {
        PayloadType = media.PayloadType;
        Audio.Aim(media.RemoteAddress, media.RemotePort);
        if (T38 || !AudioFax) {
            T38.reset();
            AudioEnd = TCallEnd();
            AudioFax = fax_init(nullptr, Sending);
            if (!AudioFax)
                return;
            fax_set_transmit_on_idle(AudioFax, 1);
            span_log_set_level(fax_get_logging_state(AudioFax), SPAN_LOG_NONE);
            ConfigureT30(fax_get_t30_state(AudioFax), Ident, &AudioEnd);
        } else {
            return;  // same audio, new address
        }
    } else {
        T38Port.Aim(media.RemoteAddress, media.RemotePort);
        return;
    }
    if (T30())
        SetPageFile(T30(), Sending, Tiff);
}

void TSipFaxSession::Drain()
{
    std::vector<uint8_t> buffer;
    while (Audio.Receive(buffer)) {
        TRtpPacket packet;
        if (!AudioFax || !DecodeRtp(buffer.data(), buffer.size(), packet)
            || (packet.PayloadType != RtpPcmu && packet.PayloadType != RtpPcma))
            continue;
        std::vector<int16_t> samples(packet.Payload.size());
        DecodeG711(packet.PayloadType, packet.Payload.data(), packet.Payload.size(), samples.data());
        Playout.Put(packet.Seq, samples.data(), samples.size());
    }
    while (T38Port.Receive(buffer))
        if (T38)
            T38->Datagram(buffer.data(), buffer.size());
}

void TSipFaxSession::Tick()
{
    if (T38) {
        T38->Advance(RtpFrameSamples);
        return;
    }
    if (!AudioFax)
        return;
    int16_t samples[RtpFrameSamples];
    Playout.Take(samples);
    fax_rx(AudioFax, samples, RtpFrameSamples);
    int made = fax_tx(AudioFax, samples, RtpFrameSamples);
    for (int i = made; i < RtpFrameSamples; ++i)
        samples[i] = 0;
    Outgoing.PayloadType = PayloadType;
    Outgoing.Payload = EncodeG711(PayloadType, samples, RtpFrameSamples);
    std::vector<uint8_t> wire = EncodeRtp(Outgoing);
    Audio.Send(wire.data(), wire.size());
    ++Outgoing.Seq;
    Outgoing.Timestamp += RtpFrameSamples;
}

TSipFaxResult TSipFaxSession::Run(TSipAgent& agent, const std::shared_ptr<TSipCall>& call, bool offerT38,
                                  const std::atomic<bool>& stop)
{
    TSipFaxResult result;
    auto started = TClock::now();
    auto next = started;
    int mediaVersion = 0;
    bool offered = false;
    bool hungUp = false;
    TClock::time_point faxEnded{};
    while (true) {
        TSipCallPhase phase;
        bool t38Refused;
        {
            std::lock_guard lock(call->Guard);
            phase = call->Phase;
            t38Refused = call->T38Refused;
            if (call->MediaVersion != mediaVersion) {
                mediaVersion = call->MediaVersion;
                UseMedia(call->Media);
            }
            result.HungUp = call->HungUpByFarEnd;
        }
        const TCallEnd* end = End();
        bool faxDone = end && end->Ended;
        auto now = TClock::now();
        if (phase == cpEnded || (faxDone && now - faxEnded > ByeWait && faxEnded != TClock::time_point{}))
            break;
        if (faxDone && faxEnded == TClock::time_point{}) {
            faxEnded = now;
            if (Sending) {
                agent.Hangup(call);
                hungUp = true;
            }
        } else if (faxDone && !hungUp && now - faxEnded > ByeWait / 2) {
            agent.Hangup(call);
            hungUp = true;
        }
        if ((stop || now - started > MaxCall) && !hungUp) {
            agent.Hangup(call);
            hungUp = true;
            result.Error = stop ? "interrupted" : "the call did not end";
        }
        if (offerT38 && !offered && !t38Refused && !T38 && phase == cpUp && now - started > T38Delay) {
            offered = true;
            agent.OfferT38(call);
        }

        int wait = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(next - now).count());
        pollfd fds[2] = {{Audio.Fd(), POLLIN, 0}, {T38Port.Fd(), POLLIN, 0}};
        poll(fds, 2, std::max(wait, 0));
        Drain();
        if (TClock::now() >= next) {
            if (!faxDone)
                Tick();
            next += TickLength;
        }
    }

    result.T38 = T38 != nullptr;
    result.Seconds = std::chrono::duration<double>(TClock::now() - started).count();
    if (t30_state_t* t30 = T30()) {
        t30_stats_t stats{};
        t30_get_transfer_statistics(t30, &stats);
        result.Pages = Sending ? stats.pages_tx : stats.pages_rx;
        result.BitRate = stats.bit_rate;
        if (const char* ident = t30_get_rx_ident(t30))
            result.StationId = ident;
    }
    const TCallEnd* end = End();
    if (end && end->Ended && end->Code == T30_ERR_OK) {
        result.Completed = true;
        result.HungUp = false;
    } else if (result.Error.empty()) {
        result.Error = end && end->Ended ? CompletionText(end->Code) : "the call ended before the fax";
    }
    return result;
}
