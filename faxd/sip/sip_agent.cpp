#include "sip_agent.h"

#include <map>

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <sofia-sip/msg_header.h>
#include <sofia-sip/nua.h>
#include <sofia-sip/nua_tag.h>
#include <sofia-sip/sip_status.h>
#include <sofia-sip/sip_tag.h>
#include <sofia-sip/su.h>
#include <sofia-sip/su_tag_io.h>
#include <sofia-sip/su_wait.h>

namespace {

std::string HostPart(const std::string& server)
{
    if (!server.empty() && server[0] == '[')
        return server.substr(0, server.find(']') + 1);
    return server.substr(0, server.find(':'));
}

std::string Payload(const sip_t* sip)
{
    if (!sip || !sip->sip_payload || !sip->sip_payload->pl_data)
        return {};
    return std::string(sip->sip_payload->pl_data, sip->sip_payload->pl_len);
}

// "Digest:\"realm\":user:password" for the challenge in sip, empty without one.
std::string Credentials(const sip_t* sip, const TSipSettings& settings)
{
    if (!sip)
        return {};
    const msg_auth_t* challenge = sip->sip_www_authenticate ? sip->sip_www_authenticate : sip->sip_proxy_authenticate;
    if (!challenge || !challenge->au_scheme)
        return {};
    const char* realm = msg_params_find(challenge->au_params, "realm=");
    if (!realm)
        return {};
    return std::string(challenge->au_scheme) + ":" + realm + ":" + settings.User + ":" + settings.Password;
}

} // namespace

struct TSipAgent::TImpl {
    TSipSettings Settings;
    TIncoming Incoming;
    std::string Local;
    std::string Domain;
    std::thread Thread;

    su_root_t* Root = nullptr;
    nua_t* Nua = nullptr;
    su_timer_t* Timer = nullptr;
    nua_handle_t* Registration = nullptr;
    int RegistrationTries = 0;
    std::map<nua_handle_t*, std::shared_ptr<TSipCall>> Calls;
    unsigned long long SdpVersion = 1;

    std::mutex Guard;  // guards what follows
    std::condition_variable Changed;
    std::deque<std::function<void()>> Queue;
    bool Started = false;
    std::string StartError;
    bool Registered = false;
    bool RegistrationDone = false;
    bool AuthFailed = false;
    std::string RegistrationError;

    std::string Transport() const { return ";transport=" + Settings.Transport; }

    void Run();
    void Drain();
    void OnEvent(nua_event_t event, int status, const char* phrase, nua_handle_t* nh, const sip_t* sip,
                 tagi_t tags[]);
    void OnRegister(int status, const char* phrase, nua_handle_t* nh, const sip_t* sip);
    void OnInviteAnswer(const std::shared_ptr<TSipCall>& call, int status, const char* phrase, nua_handle_t* nh,
                        const sip_t* sip);
    void OnInvite(nua_handle_t* nh, const sip_t* sip);
    void Offer(const std::shared_ptr<TSipCall>& call, const TSdp& sdp);
    void End(const std::shared_ptr<TSipCall>& call, int status, const std::string& text, bool authFailed);
    void SetRegistration(bool ok, bool authFailed, const std::string& error)
    {
        std::lock_guard lock(Guard);
        Registered = ok;
        RegistrationDone = true;
        AuthFailed = authFailed;
        RegistrationError = error;
        Changed.notify_all();
    }

    static void Callback(nua_event_t event, int status, const char* phrase, nua_t*, nua_magic_t* magic,
                         nua_handle_t* nh, nua_hmagic_t*, const sip_t* sip, tagi_t tags[])
    {
        static_cast<TImpl*>(magic)->OnEvent(event, status, phrase, nh, sip, tags);
    }
    static void OnTimer(su_root_magic_t*, su_timer_t*, su_timer_arg_t* arg)
    {
        reinterpret_cast<TImpl*>(arg)->Drain();
    }
};

void TSipAgent::TImpl::Run()
{
    su_init();
    Root = su_root_create(nullptr);
    std::string bind = "sip:" + Local + ":" + std::to_string(Settings.LocalPort) + Transport();
    std::string proxy = "sip:" + Settings.Server + Transport();
    std::string aor = "sip:" + Settings.User + "@" + Domain;
    if (Root)
        Nua = nua_create(Root, &TImpl::Callback, this, NUTAG_URL(bind.c_str()), NUTAG_PROXY(proxy.c_str()),
                         NUTAG_REGISTRAR(proxy.c_str()), NUTAG_MEDIA_ENABLE(0), NUTAG_AUTOANSWER(0), NUTAG_OUTBOUND("no-validate no-options-keepalive"),
                         SIPTAG_FROM_STR(aor.c_str()), NUTAG_M_USERNAME(Settings.User.c_str()),
                         SIPTAG_USER_AGENT_STR("pelmor-faxd"), TAG_END());
    if (!Nua) {
        {
            std::lock_guard lock(Guard);
            StartError = "cannot start SIP on " + bind;
            Started = true;
        }
        Changed.notify_all();
        if (Root)
            su_root_destroy(Root);
        su_deinit();
        return;
    }
    Timer = su_timer_create(su_root_task(Root), 10);
    su_timer_set_for_ever(Timer, &TImpl::OnTimer, reinterpret_cast<su_timer_arg_t*>(this));
    Registration = nua_handle(Nua, nullptr, SIPTAG_TO_STR(aor.c_str()), TAG_END());
    nua_register(Registration, TAG_END());
    {
        std::lock_guard lock(Guard);
        Started = true;
    }
    Changed.notify_all();

    su_root_run(Root);

    su_timer_destroy(Timer);
    nua_destroy(Nua);
    su_root_destroy(Root);
    su_deinit();
}

void TSipAgent::TImpl::Drain()
{
    std::deque<std::function<void()>> work;
    {
        std::lock_guard lock(Guard);
        work.swap(Queue);
    }
    for (auto& item : work)
        item();
}

void TSipAgent::TImpl::End(const std::shared_ptr<TSipCall>& call, int status, const std::string& text,
                           bool authFailed)
{
    std::lock_guard lock(call->Guard);
    if (call->Phase == cpEnded)
        return;
    call->Phase = cpEnded;
    call->EndStatus = status;
    call->EndText = text;
    call->AuthFailed = call->AuthFailed || authFailed;
    call->Changed.notify_all();
}

void TSipAgent::TImpl::OnRegister(int status, const char* phrase, nua_handle_t* nh, const sip_t* sip)
{
    if (status < 200)
        return;
    if (status == 401 || status == 407) {
        std::string credentials = Credentials(sip, Settings);
        if (RegistrationTries++ == 0 && !credentials.empty()) {
            nua_authenticate(nh, NUTAG_AUTH(credentials.c_str()), TAG_END());
            return;
        }
        SetRegistration(false, true, std::to_string(status) + " " + (phrase ? phrase : ""));
        return;
    }
    RegistrationTries = 0;
    if (status < 300)
        SetRegistration(true, false, {});
    else
        SetRegistration(false, status == 403, std::to_string(status) + " " + (phrase ? phrase : ""));
}

void TSipAgent::TImpl::OnInviteAnswer(const std::shared_ptr<TSipCall>& call, int status, const char* phrase,
                                      nua_handle_t* nh, const sip_t* sip)
{
    std::string text = phrase ? phrase : "";
    if (status == 401 || status == 407) {
        std::string credentials = Credentials(sip, Settings);
        if (call->AuthTries++ == 0 && !credentials.empty()) {
            nua_authenticate(nh, NUTAG_AUTH(credentials.c_str()), TAG_END());
            return;
        }
        End(call, status, text, true);
        return;
    }
    std::unique_lock lock(call->Guard);
    if (status < 200) {
        if (status >= 180 && call->Phase == cpDialling) {
            call->Phase = cpRinging;
            call->Changed.notify_all();
        }
        return;
    }
    bool reinvite = call->Phase == cpUp;
    if (status >= 300) {
        if (reinvite) {
            // The call goes on in the media it had.
            call->T38Refused = call->T38Refused || RefusesMedia(status);
            call->Changed.notify_all();
            return;
        }
        lock.unlock();
        End(call, status, text, status == 403);
        return;
    }
    TSdp answer;
    TSdpChoice choice;
    if (!ParseSdp(Payload(sip), answer) || !ReadSdpAnswer(answer, choice)) {
        if (!reinvite) {
            lock.unlock();
            nua_bye(nh, TAG_END());
            End(call, 488, "the far side answered without usable media", false);
        }
        return;
    }
    call->Media = choice;
    ++call->MediaVersion;
    call->Phase = cpUp;
    call->Changed.notify_all();
    if (call->ByeWanted) {
        lock.unlock();
        nua_bye(nh, TAG_END());
    }
}

void TSipAgent::TImpl::OnInvite(nua_handle_t* nh, const sip_t* sip)
{
    auto known = Calls.find(nh);
    std::shared_ptr<TSipCall> call;
    TSdp offer;
    bool parsed = ParseSdp(Payload(sip), offer);
    if (known == Calls.end()) {
        call = std::make_shared<TSipCall>();
        call->Incoming = true;
        call->Handle = nh;
        if (sip && sip->sip_from && sip->sip_from->a_url->url_user)
            call->Caller = sip->sip_from->a_url->url_user;
        if (!parsed) {
            nua_respond(nh, SIP_488_NOT_ACCEPTABLE, TAG_END());
            nua_handle_destroy(nh);
            return;
        }
        TSipLocalMedia local;
        if (!Incoming || !Incoming(call, local)) {
            nua_respond(nh, SIP_486_BUSY_HERE, TAG_END());
            nua_handle_destroy(nh);
            return;
        }
        call->Local = local;
        Calls[nh] = call;
    } else {
        call = known->second;
        if (!parsed) {
            nua_respond(nh, SIP_488_NOT_ACCEPTABLE, TAG_END());
            return;
        }
    }
    TSdp answer;
    TSdpChoice choice;
    TSipLocalMedia local;
    {
        std::lock_guard lock(call->Guard);
        local = call->Local;
    }
    if (!AnswerSdp(offer, local.Address, local.AudioPort, local.T38Port, local.AllowT38, ++SdpVersion, answer,
                   choice)) {
        nua_respond(nh, SIP_488_NOT_ACCEPTABLE, TAG_END());
        if (known == Calls.end())
            End(call, 488, "nothing usable offered", false);
        return;
    }
    std::string body = FormatSdp(answer);
    nua_respond(nh, SIP_200_OK, SIPTAG_CONTENT_TYPE_STR("application/sdp"), SIPTAG_PAYLOAD_STR(body.c_str()),
                TAG_END());
    std::lock_guard lock(call->Guard);
    call->Media = choice;
    ++call->MediaVersion;
    call->Phase = cpUp;
    call->Changed.notify_all();
}

void TSipAgent::TImpl::Offer(const std::shared_ptr<TSipCall>& call, const TSdp& sdp)
{
    TSdp offer = sdp;
    offer.SessionId = 4242;
    offer.Version = ++SdpVersion;
    std::string body = FormatSdp(offer);
    nua_invite(static_cast<nua_handle_t*>(call->Handle), SIPTAG_CONTENT_TYPE_STR("application/sdp"),
               SIPTAG_PAYLOAD_STR(body.c_str()), TAG_END());
}

void TSipAgent::TImpl::OnEvent(nua_event_t event, int status, const char* phrase, nua_handle_t* nh, const sip_t* sip,
                               tagi_t tags[])
{
    if (event == nua_r_shutdown) {
        if (status >= 200)
            su_root_break(Root);
        return;
    }
    if (event == nua_r_register) {
        OnRegister(status, phrase, nh, sip);
        return;
    }
    if (event == nua_i_invite) {
        OnInvite(nh, sip);
        return;
    }
    auto known = Calls.find(nh);
    if (known == Calls.end())
        return;
    std::shared_ptr<TSipCall> call = known->second;
    switch (event) {
    case nua_r_invite:
        OnInviteAnswer(call, status, phrase, nh, sip);
        break;
    case nua_i_bye: {
        std::lock_guard lock(call->Guard);
        call->HungUpByFarEnd = true;
        break;
    }
    case nua_i_state: {
        int state = nua_callstate_init;
        tl_gets(tags, NUTAG_CALLSTATE_REF(state), TAG_END());
        if (state == nua_callstate_terminated) {
            End(call, 0, "", false);
            call->Handle = nullptr;
            Calls.erase(known);
            nua_handle_destroy(nh);
        }
        break;
    }
    default:
        break;
    }
}

TSipAgent::TSipAgent() : Impl(std::make_unique<TImpl>()) {}

TSipAgent::~TSipAgent() { Stop(); }

bool TSipAgent::Start(const TSipSettings& settings, TIncoming incoming, std::string& error)
{
    Impl->Settings = settings;
    Impl->Incoming = std::move(incoming);
    Impl->Domain = HostPart(settings.Server);
    Local = LocalAddressTowards(Impl->Domain);
    if (Local.empty()) {
        error = "no route to the SIP server " + settings.Server;
        return false;
    }
    Impl->Local = Local;
    Impl->Thread = std::thread([this] { Impl->Run(); });
    std::unique_lock lock(Impl->Guard);
    Impl->Changed.wait(lock, [this] { return Impl->Started; });
    if (!Impl->StartError.empty()) {
        error = Impl->StartError;
        lock.unlock();
        Impl->Thread.join();
        return false;
    }
    return true;
}

void TSipAgent::Stop()
{
    if (!Impl->Thread.joinable())
        return;
    Post([impl = Impl.get()] {
        // Calls still up end with the stack.
        nua_shutdown(impl->Nua);
    });
    Impl->Thread.join();
}

void TSipAgent::Post(std::function<void()> work)
{
    std::lock_guard lock(Impl->Guard);
    Impl->Queue.push_back(std::move(work));
}

bool TSipAgent::WaitRegistered(std::chrono::milliseconds timeout, bool& authFailed, std::string& error)
{
    std::unique_lock lock(Impl->Guard);
    if (Impl->RegistrationDone && !Impl->Registered && !Impl->AuthFailed) {
        Impl->RegistrationDone = false;
        Impl->Queue.push_back([impl = Impl.get()] {
            impl->RegistrationTries = 0;
            nua_register(impl->Registration, TAG_END());
        });
    }
    Impl->Changed.wait_for(lock, timeout, [this] { return Impl->RegistrationDone; });
    authFailed = Impl->AuthFailed;
    error = Impl->RegistrationDone ? Impl->RegistrationError : "the SIP server did not answer";
    return Impl->Registered;
}

std::shared_ptr<TSipCall> TSipAgent::Invite(const std::string& number, const TSipLocalMedia& local, bool t38)
{
    auto call = std::make_shared<TSipCall>();
    call->Local = local;
    Post([impl = Impl.get(), call, number, t38] {
        std::string to = "sip:" + number + "@" + impl->Domain;
        auto* nh = nua_handle(impl->Nua, nullptr, SIPTAG_TO_STR(to.c_str()), TAG_END());
        if (!nh) {
            impl->End(call, 500, "cannot place the call", false);
            return;
        }
        call->Handle = nh;
        impl->Calls[nh] = call;
        impl->Offer(call, t38 ? MakeT38Offer(call->Local.Address, call->Local.T38Port, 1, TT38Params())
                              : MakeAudioOffer(call->Local.Address, call->Local.AudioPort, 1));
    });
    return call;
}

void TSipAgent::OfferT38(const std::shared_ptr<TSipCall>& call)
{
    Post([impl = Impl.get(), call] {
        if (!call->Handle)
            return;
        impl->Offer(call, MakeT38Offer(call->Local.Address, call->Local.T38Port, 1, TT38Params()));
    });
}

void TSipAgent::Hangup(const std::shared_ptr<TSipCall>& call)
{
    Post([call] {
        auto* nh = static_cast<nua_handle_t*>(call->Handle);
        if (!nh)
            return;
        TSipCallPhase phase;
        {
            std::lock_guard lock(call->Guard);
            phase = call->Phase;
        }
        call->ByeWanted = true;
        if (phase == cpUp)
            nua_bye(nh, TAG_END());
        else if (phase != cpEnded)
            nua_cancel(nh, TAG_END());
    });
}

std::string LocalAddressTowards(const std::string& host)
{
    std::string name = host;
    if (name.size() > 2 && name.front() == '[')
        name = name.substr(1, name.size() - 2);
    addrinfo hints{};
    hints.ai_socktype = SOCK_DGRAM;
    hints.ai_family = AF_INET;
    addrinfo* found = nullptr;
    if (getaddrinfo(name.c_str(), "5060", &hints, &found) != 0 || !found)
        return {};
    std::string address;
    int fd = socket(found->ai_family, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    socklen_t length = sizeof local;
    char text[INET_ADDRSTRLEN] = {};
    if (fd >= 0 && connect(fd, found->ai_addr, found->ai_addrlen) == 0
        && getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) == 0
        && inet_ntop(AF_INET, &local.sin_addr, text, sizeof text))
        address = text;
    if (fd >= 0)
        close(fd);
    freeaddrinfo(found);
    return address;
}
