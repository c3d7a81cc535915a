#include "t30_setup.h"

namespace {

void OnPhaseE(t30_state_t*, void* userData, int completionCode)
{
    auto* end = static_cast<TCallEnd*>(userData);
    end->Ended = true;
    end->Code = completionCode;
}

} // namespace

void ConfigureT30(t30_state_t* t30, const std::string& ident, TCallEnd* end)
{
    span_log_set_level(t30_get_logging_state(t30), SPAN_LOG_NONE);
    t30_set_tx_ident(t30, ident.substr(0, 20).c_str());
    t30_set_supported_modems(t30, T30_SUPPORT_V27TER | T30_SUPPORT_V29 | T30_SUPPORT_V17);
    t30_set_ecm_capability(t30, 1);
    t30_set_supported_compressions(t30, T30_SUPPORT_T4_1D_COMPRESSION | T30_SUPPORT_T4_2D_COMPRESSION
                                            | T30_SUPPORT_T6_COMPRESSION);
    t30_set_phase_e_handler(t30, &OnPhaseE, end);
}

void SetPageFile(t30_state_t* t30, bool sending, const std::string& tiff)
{
    if (sending) {
        t30_set_tx_file(t30, tiff.c_str(), -1, -1);
    } else {
        t30_set_rx_file(t30, tiff.c_str(), -1);
        t30_set_rx_encoding(t30, T4_COMPRESSION_ITU_T6);
    }
}

std::string CompletionText(int code)
{
    const char* text = t30_completion_code_to_str(code);
    return text ? text : "fax error " + std::to_string(code);
}
