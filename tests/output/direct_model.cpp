#include "direct_model.hpp"

#include "reference_packbits.hpp"

namespace vrelo_test {
namespace {

const char kLetters[] = "KYMCmc";

void append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

void append_skip(Bytes& out, int32_t lines) {
    append(out, {0x1B, 0x28, 0x65, 0x02, 0x00, static_cast<uint8_t>(lines >> 8),
                 static_cast<uint8_t>(lines & 0xFF)});
}

}  // namespace

void DirectModel::advance_to(int32_t line, Bytes& out) {
    if (line == lastLine_) return;
    for (int64_t d = static_cast<int64_t>(line) - lastLine_; d > 0; d -= 32767)
        append_skip(out, static_cast<int32_t>(d > 32767 ? 32767 : d));
    lastLine_ = line;
}

Bytes DirectModel::produce(const PageLine& line) {
    Bytes out;
    curLine_ = line.lineNumber;
    for (int c = 0; c < 6; ++c) {
        const Bytes row = expected_row(line.planes[c], pixelShift_, doubleX_);
        if (row.empty()) continue;
        advance_to(line.lineNumber, out);
        size_t zeros = 0;
        while (row[zeros] == 0) ++zeros;
        Bytes payload = zeros > 0 ? reference_zero_prefix(static_cast<int>(zeros)) : Bytes{};
        append(payload, reference_packbits(Bytes(row.begin() + static_cast<long>(zeros), row.end())));
        const size_t length = payload.size() + 1;
        append(out, {0x1B, 0x28, 0x41, static_cast<uint8_t>(length & 0xFF),
                     static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(kLetters[c])});
        append(out, payload);
        out.push_back(0x0D);
    }
    return out;
}

Bytes DirectModel::form_feed() {
    Bytes out;
    advance_to(curLine_, out);
    return out;
}

}  // namespace vrelo_test
