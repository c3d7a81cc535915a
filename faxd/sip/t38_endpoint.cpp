#include "t38_endpoint.h"

TT38Endpoint::TT38Endpoint(bool calling, const std::string& ident, TSend send, int depth)
    : Send(std::move(send)), Out(depth)
{
    Terminal = t38_terminal_init(nullptr, calling, &TT38Endpoint::OnPacket, this);
    if (!Terminal)
        return;
    span_log_set_level(t38_terminal_get_logging_state(Terminal), SPAN_LOG_NONE);
    t38_core_state_t* core = t38_terminal_get_t38_core_state(Terminal);
    span_log_set_level(t38_core_get_logging_state(core), SPAN_LOG_NONE);
    t38_set_t38_version(core, 0);
    t38_set_data_rate_management_method(core, T38_DATA_RATE_MANAGEMENT_TRANSFERRED_TCF);
    t38_set_fastest_image_data_rate(core, 14400);
    // Each datagram already carries the IFPs before it; repeat only indicators.
    t38_set_redundancy_control(core, T38_PACKET_CATEGORY_INDICATOR, 2);
    t38_set_redundancy_control(core, T38_PACKET_CATEGORY_CONTROL_DATA, 1);
    t38_set_redundancy_control(core, T38_PACKET_CATEGORY_CONTROL_DATA_END, 2);
    t38_set_redundancy_control(core, T38_PACKET_CATEGORY_IMAGE_DATA, 1);
    t38_set_redundancy_control(core, T38_PACKET_CATEGORY_IMAGE_DATA_END, 2);
    ConfigureT30(T30(), ident, &CallEnd);
}

TT38Endpoint::~TT38Endpoint()
{
    if (Terminal)
        t38_terminal_free(Terminal);
}

t30_state_t* TT38Endpoint::T30() const { return t38_terminal_get_t30_state(Terminal); }

int TT38Endpoint::OnPacket(t38_core_state_t*, void* user, const uint8_t* buf, int len, int count)
{
    auto* self = static_cast<TT38Endpoint*>(user);
    TBytes datagram = self->Out.Next(buf, static_cast<size_t>(len));
    for (int i = 0; i < std::max(count, 1); ++i)
        self->Send(datagram);
    return 0;
}

void TT38Endpoint::Datagram(const uint8_t* data, size_t size)
{
    std::vector<TUdptlReceiver::TIfp> ready;
    In.Receive(data, size, ready);
    t38_core_state_t* core = t38_terminal_get_t38_core_state(Terminal);
    for (TUdptlReceiver::TIfp& ifp : ready)
        t38_core_rx_ifp_packet(core, ifp.Data.data(), static_cast<int>(ifp.Data.size()), ifp.Seq);
}

void TT38Endpoint::Advance(int samples) { t38_terminal_send_timeout(Terminal, samples); }
