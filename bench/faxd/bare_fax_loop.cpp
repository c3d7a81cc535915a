#include "bare_fax_loop.h"

extern "C" {
#include <spandsp.h>
}

namespace {

bool Done[2];

void OnPhaseE(t30_state_t*, void* userData, int)
{
    *static_cast<bool*>(userData) = true;
}

} // namespace

long RunBareFaxLoop(const std::string& txTiff, const std::string& rxTiff)
{
    fax_state_t* caller = fax_init(nullptr, 1);
    fax_state_t* answerer = fax_init(nullptr, 0);
    fax_state_t* both[2] = {caller, answerer};
    for (int i = 0; i < 2; ++i) {
        Done[i] = false;
        fax_set_transmit_on_idle(both[i], 1);
        t30_state_t* t30 = fax_get_t30_state(both[i]);
        t30_set_supported_modems(t30, T30_SUPPORT_V27TER | T30_SUPPORT_V29 | T30_SUPPORT_V17);
        t30_set_ecm_capability(t30, 1);
        t30_set_supported_compressions(t30, T30_SUPPORT_T4_1D_COMPRESSION | T30_SUPPORT_T4_2D_COMPRESSION
                                                | T30_SUPPORT_T6_COMPRESSION);
        t30_set_phase_e_handler(t30, &OnPhaseE, &Done[i]);
    }
    t30_set_tx_file(fax_get_t30_state(caller), txTiff.c_str(), -1, -1);
    t30_set_rx_file(fax_get_t30_state(answerer), rxTiff.c_str(), -1);
    int16_t a[160], b[160];
    long samples = 0;
    while (!(Done[0] && Done[1]) && samples < 8000L * 3600) {
        fax_tx(caller, a, 160);
        fax_tx(answerer, b, 160);
        fax_rx(answerer, a, 160);
        fax_rx(caller, b, 160);
        samples += 160;
    }
    fax_free(caller);
    fax_free(answerer);
    return Done[0] && Done[1] ? samples : 0;
}
