#include "reference_packbits.hpp"

namespace vrelo_test {
namespace {

// Repeat records of 128 from the front of the run, then one record for the
// rest: a repeat record for 2 or more, a one-byte literal for 1.
void put_run(Bytes& out, uint8_t value, size_t count) {
    while (count > 128) {
        out.push_back(0x81);
        out.push_back(value);
        count -= 128;
    }
    out.push_back(static_cast<uint8_t>(1 - static_cast<int>(count)));
    out.push_back(value);
}

}  // namespace

Bytes reference_packbits(const Bytes& row) {
    Bytes out;
    bool literal_open = false;
    size_t literal_control = 0;  // index in out of the open literal's control
    size_t i = 0;
    while (i < row.size()) {
        const uint8_t b = row[i];
        size_t k = 1;
        while (i + k < row.size() && row[i + k] == b) ++k;
        i += k;
        if (literal_open) {
            const int held = out[literal_control] + 1;
            if (k == 1) {
                out[literal_control] += 1;
                out.push_back(b);
                if (held + 1 == 128) literal_open = false;
                continue;
            }
            if (k == 2) {
                if (held <= 125) {
                    out[literal_control] += 2;
                } else {
                    literal_control = out.size();
                    out.push_back(0x01);
                }
                out.push_back(b);
                out.push_back(b);
                continue;
            }
            literal_open = false;
        }
        put_run(out, b, k);
        // A run cut into 128s whose remainder is one byte ends on a literal.
        if (k % 128 == 1) {
            literal_open = true;
            literal_control = out.size() - 2;
        }
    }
    return out;
}

Bytes reference_zero_prefix(int count) {
    Bytes out;
    put_run(out, 0, static_cast<size_t>(count));
    return out;
}

}  // namespace vrelo_test
