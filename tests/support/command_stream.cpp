#include "command_stream.hpp"

#include <cstring>

namespace vrelo_test {
namespace {

const uint8_t kEscape = 0x1B;
const uint8_t kOpen = 0x28;
const uint8_t kSkipLetter = 0x65;
const uint8_t kRasterLetter = 0x41;
const uint8_t kCarriageReturn = 0x0D;
const uint8_t kFormFeed = 0x0C;
const char kColourLetters[] = "KYMCmc";

std::string hex_digits(uint8_t byte) {
    const char digits[] = "0123456789ABCDEF";
    return {digits[byte >> 4], digits[byte & 15]};
}

// Walks the stream; each read_* consumes one command or reports a fault.
class Reader {
  public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    CommandStream read_all() {
        while (at_ < size_ && result_.error.empty()) read_one();
        return result_;
    }

  private:
    void read_one() {
        const uint8_t byte = data_[at_];
        if (byte == kCarriageReturn) {
            ++at_;
            result_.events.push_back(carriage_return_event());
        } else if (byte == kFormFeed) {
            ++at_;
            result_.events.push_back(form_feed_event());
        } else if (byte == kEscape && left() >= 3 && data_[at_ + 1] == kOpen &&
                   data_[at_ + 2] == kSkipLetter) {
            read_skip();
        } else if (byte == kEscape && left() >= 3 && data_[at_ + 1] == kOpen &&
                   data_[at_ + 2] == kRasterLetter) {
            read_colour_row();
        } else {
            fail("unknown byte " + hex(byte));
        }
    }

    void read_skip() {
        if (left() < 7) return fail("raster skip cut short");
        const uint8_t* command = data_ + at_;
        if (command[3] != 2 || command[4] != 0)
            return fail("raster skip parameter length is not 2");
        const int32_t lines = command[5] << 8 | command[6];
        if (lines < 1 || lines > 0x7FFF)
            return fail("raster skip of " + std::to_string(lines) + " lines");
        at_ += 7;
        result_.events.push_back(skip_event(lines));
    }

    void read_colour_row() {
        if (left() < 6) return fail("colour raster header cut short");
        const uint8_t* command = data_ + at_;
        const size_t length = command[3] | command[4] << 8;
        if (length < 1) return fail("colour raster length 0");
        const char letter = static_cast<char>(command[5]);
        if (letter == 0 || std::strchr(kColourLetters, letter) == nullptr)
            return fail("unknown colour letter " + hex(command[5]));
        const size_t payload = length - 1;
        if (left() - 6 < payload) return fail("colour raster payload cut short");
        const Decoded row = packbits_decode(command + 6, payload);
        if (!row.error.empty()) return fail("colour raster payload: " + row.error);
        if (left() - 6 == payload || command[6 + payload] != kCarriageReturn)
            return fail("colour raster not followed by a carriage return");
        at_ += 6 + payload;
        result_.events.push_back(colour_event(letter, row.bytes));
    }

    size_t left() const { return size_ - at_; }

    void fail(const std::string& what) {
        result_.error = "at byte " + std::to_string(at_) + ": " + what;
    }

    static std::string hex(uint8_t byte) { return "0x" + hex_digits(byte); }

    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
    CommandStream result_;
};

}  // namespace

CommandEvent skip_event(int32_t lines) {
    return {CommandKind::kSkip, lines, 0, {}};
}
CommandEvent colour_event(char letter, Bytes row) {
    return {CommandKind::kColourRow, 0, letter, std::move(row)};
}
CommandEvent carriage_return_event() {
    return {CommandKind::kCarriageReturn, 0, 0, {}};
}
CommandEvent form_feed_event() {
    return {CommandKind::kFormFeed, 0, 0, {}};
}

bool operator==(const CommandEvent& a, const CommandEvent& b) {
    return a.kind == b.kind && a.lines == b.lines && a.letter == b.letter && a.row == b.row;
}
bool operator!=(const CommandEvent& a, const CommandEvent& b) {
    return !(a == b);
}

std::ostream& operator<<(std::ostream& out, const CommandEvent& event) {
    switch (event.kind) {
        case CommandKind::kSkip:
            return out << "skip " << event.lines;
        case CommandKind::kCarriageReturn:
            return out << "CR";
        case CommandKind::kFormFeed:
            return out << "FF";
        case CommandKind::kColourRow:
            break;
    }
    out << "colour " << event.letter << " [" << event.row.size() << ":";
    const size_t shown = event.row.size() < 16 ? event.row.size() : 16;
    for (size_t i = 0; i < shown; ++i) out << ' ' << hex_digits(event.row[i]);
    return out << (shown < event.row.size() ? " ...]" : "]");
}

CommandStream read_command_stream(const uint8_t* data, size_t size) {
    return Reader(data, size).read_all();
}

CommandStream read_command_stream(const Bytes& stream) {
    return read_command_stream(stream.data(), stream.size());
}

}  // namespace vrelo_test
