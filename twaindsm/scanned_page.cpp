#include "scanned_page.h"

#include <sane/saneopts.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int WantedResolution = 200;

const SANE_Option_Descriptor* FindOption(SANE_Handle device, const char* name, SANE_Int& index) {
    for (SANE_Int i = 1;; ++i) {
        const SANE_Option_Descriptor* option = sane_get_option_descriptor(device, i);
        if (!option) return nullptr;
        if (option->name && std::strcmp(option->name, name) == 0 && SANE_OPTION_IS_ACTIVE(option->cap) &&
            SANE_OPTION_IS_SETTABLE(option->cap)) {
            index = i;
            return option;
        }
    }
}

void SetColorMode(SANE_Handle device) {
    SANE_Int index;
    const SANE_Option_Descriptor* option = FindOption(device, SANE_NAME_SCAN_MODE, index);
    if (!option || option->type != SANE_TYPE_STRING || option->constraint_type != SANE_CONSTRAINT_STRING_LIST) return;
    for (const SANE_String_Const* mode = option->constraint.string_list; *mode; ++mode)
        if (std::strcmp(*mode, SANE_VALUE_SCAN_MODE_COLOR) == 0) {
            std::vector<char> value(size_t(option->size) + 1, 0);
            std::strncpy(value.data(), *mode, size_t(option->size));
            sane_control_option(device, index, SANE_ACTION_SET_VALUE, value.data(), nullptr);
            return;
        }
}

void SetDepth8(SANE_Handle device) {
    SANE_Int index;
    const SANE_Option_Descriptor* option = FindOption(device, SANE_NAME_BIT_DEPTH, index);
    if (!option || option->type != SANE_TYPE_INT || option->constraint_type != SANE_CONSTRAINT_WORD_LIST) return;
    const SANE_Word* list = option->constraint.word_list;
    for (SANE_Word i = 1; i <= list[0]; ++i)
        if (list[i] == 8) {
            SANE_Word depth = 8;
            sane_control_option(device, index, SANE_ACTION_SET_VALUE, &depth, nullptr);
            return;
        }
}

// Sets the resolution nearest to the wanted one that the device offers and
// answers the one it took; 0 when the device has no resolution option.
int SetResolution(SANE_Handle device) {
    SANE_Int index;
    const SANE_Option_Descriptor* option = FindOption(device, SANE_NAME_SCAN_RESOLUTION, index);
    if (!option || (option->type != SANE_TYPE_INT && option->type != SANE_TYPE_FIXED) || option->size < SANE_Int(sizeof(SANE_Word)))
        return 0;
    bool fixed = option->type == SANE_TYPE_FIXED;
    auto toDpi = [fixed](SANE_Word w) { return fixed ? SANE_UNFIX(w) : double(w); };
    auto fromDpi = [fixed](double dpi) { return fixed ? SANE_FIX(dpi) : SANE_Word(std::lround(dpi)); };
    double chosen = WantedResolution;
    if (option->constraint_type == SANE_CONSTRAINT_RANGE) {
        const SANE_Range* range = option->constraint.range;
        chosen = std::fmin(std::fmax(chosen, toDpi(range->min)), toDpi(range->max));
        if (range->quant > 0) {
            double quant = toDpi(range->quant), low = toDpi(range->min);
            chosen = low + std::round((chosen - low) / quant) * quant;
            if (chosen > toDpi(range->max)) chosen -= quant;
        }
    } else if (option->constraint_type == SANE_CONSTRAINT_WORD_LIST && option->constraint.word_list[0] > 0) {
        const SANE_Word* list = option->constraint.word_list;
        chosen = toDpi(list[1]);
        for (SANE_Word i = 2; i <= list[0]; ++i)
            if (std::fabs(toDpi(list[i]) - WantedResolution) < std::fabs(chosen - WantedResolution)) chosen = toDpi(list[i]);
    }
    // A resolution option may hold several values (one per axis); all get it.
    std::vector<SANE_Word> values(size_t(option->size) / sizeof(SANE_Word), fromDpi(chosen));
    sane_control_option(device, index, SANE_ACTION_SET_VALUE, values.data(), nullptr);
    if (sane_control_option(device, index, SANE_ACTION_GET_VALUE, values.data(), nullptr) != SANE_STATUS_GOOD) return int(chosen);
    return int(std::lround(toDpi(values[0])));
}

// Reads a frame straight into its buffer, whose size the parameters tell
// (a hand scanner does not know its lines: the buffer then grows).
bool ReadFrame(SANE_Handle device, const SANE_Parameters& p, const std::atomic<bool>& cancel, std::vector<uint8_t>& frame) {
    constexpr size_t Limit = size_t(1) << 31;
    size_t expected = p.lines > 0 && p.bytes_per_line > 0 ? size_t(p.lines) * size_t(p.bytes_per_line) : 0;
    frame.resize(std::min(expected, Limit) + 1);
    size_t filled = 0;
    for (;;) {
        if (cancel) return false;
        if (frame.size() - filled < 65536) {
            if (frame.size() >= Limit) return false;
            frame.resize(std::min(frame.size() * 2 + 65536, Limit));
        }
        SANE_Int length = 0;
        size_t room = std::min<size_t>(frame.size() - filled, 1u << 30);
        SANE_Status status = sane_read(device, frame.data() + filled, SANE_Int(room), &length);
        if (status == SANE_STATUS_EOF) break;
        if (status != SANE_STATUS_GOOD) return false;
        filled += size_t(length);
    }
    frame.resize(filled);
    return true;
}

// Puts a frame's samples into the page: all channels of an RGB or grey frame,
// or one channel of a single-colour frame of a three-pass scanner.
bool PlaceFrame(const SANE_Parameters& p, const std::vector<uint8_t>& frame, TScannedPage& page, std::string& reason) {
    if (p.pixels_per_line <= 0 || p.bytes_per_line <= 0) return reason = "empty frame", false;
    int lines = p.lines >= 0 ? p.lines : int(frame.size() / size_t(p.bytes_per_line));
    lines = std::min<int>(lines, int(frame.size() / size_t(p.bytes_per_line)));
    if (lines <= 0) return reason = "no lines", false;
    bool rgb = p.format == SANE_FRAME_RGB;
    bool channel = p.format == SANE_FRAME_RED || p.format == SANE_FRAME_GREEN || p.format == SANE_FRAME_BLUE;
    if (p.format != SANE_FRAME_GRAY && !rgb && !channel) return reason = "unknown frame format", false;
    if (p.depth != 1 && p.depth != 8 && p.depth != 16) return reason = "unsupported depth", false;
    if (p.depth == 1 && p.format != SANE_FRAME_GRAY) return reason = "unsupported depth", false;
    int samples = rgb ? 3 : 1;
    if (int64_t(p.pixels_per_line) * samples * p.depth > int64_t(p.bytes_per_line) * 8) return reason = "short lines", false;

    TScannedPage::TKind kind = p.format == SANE_FRAME_GRAY ? (p.depth == 1 ? TScannedPage::pkBlackWhite : TScannedPage::pkGray)
                                                           : TScannedPage::pkColor;
    if (page.Rows.empty()) {
        page.Kind = kind;
        page.Width = p.pixels_per_line;
        page.Height = lines;
        page.Stride = (size_t(page.BitsPerPixel()) * size_t(page.Width) + 31) / 32 * 4;
        page.Rows.assign(page.Stride * size_t(lines), 0);
    } else if (!channel || page.Kind != TScannedPage::pkColor || page.Width != p.pixels_per_line) {
        return reason = "frames do not match", false;
    }
    int rows = std::min(lines, page.Height);
    int offset = p.format == SANE_FRAME_GREEN ? 1 : p.format == SANE_FRAME_BLUE ? 2 : 0;
    for (int y = 0; y < rows; ++y) {
        const uint8_t* from = frame.data() + size_t(y) * size_t(p.bytes_per_line);
        uint8_t* to = page.Rows.data() + size_t(y) * page.Stride;
        if (p.depth == 1) {
            std::memcpy(to, from, (size_t(page.Width) + 7) / 8);
        } else if (channel) {
            for (int x = 0; x < page.Width; ++x) {
                uint16_t sample = from[x];
                if (p.depth == 16) std::memcpy(&sample, from + 2 * x, 2), sample >>= 8;
                to[x * 3 + offset] = uint8_t(sample);
            }
        } else if (p.depth == 8) {
            std::memcpy(to, from, size_t(page.Width) * size_t(samples));
        } else {
            for (size_t i = 0; i < size_t(page.Width) * size_t(samples); ++i) {
                uint16_t sample;
                std::memcpy(&sample, from + 2 * i, 2);
                to[i] = uint8_t(sample >> 8);
            }
        }
    }
    return true;
}

} // namespace

bool ScanPage(SANE_Handle device, const std::atomic<bool>& cancel, TScannedPage& page, std::string& reason) {
    SetColorMode(device);
    SetDepth8(device);
    page = TScannedPage();
    page.Resolution = SetResolution(device);
    std::vector<uint8_t> frame;
    for (;;) {
        SANE_Status status = sane_start(device);
        SANE_Parameters parameters;
        if (status == SANE_STATUS_GOOD) status = sane_get_parameters(device, &parameters);
        if (status != SANE_STATUS_GOOD) {
            reason = sane_strstatus(status);
            sane_cancel(device);
            return false;
        }
        if (!ReadFrame(device, parameters, cancel, frame)) {
            reason = cancel ? "cancelled" : "read failed";
            sane_cancel(device);
            return false;
        }
        if (!PlaceFrame(parameters, frame, page, reason)) {
            sane_cancel(device);
            return false;
        }
        if (parameters.last_frame) break;
    }
    sane_cancel(device);
    return true;
}
