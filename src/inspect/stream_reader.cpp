// The command-stream reader (see stream_reader.hpp). Written from the
// stream's byte layout alone, apart from the library.
#include "stream_reader.hpp"

#include <cstdio>

namespace vrelo_inspect {

const char kColourLetters[kColours + 1] = "KYMCmc";

namespace {

constexpr uint8_t kEsc = 0x1B;
constexpr uint8_t kCarriageReturn = 0x0D;
constexpr uint8_t kFormFeed = 0x0C;
constexpr uint8_t kOpenParen = '(';
constexpr uint8_t kSkipLetter = 'e';
constexpr uint8_t kRowLetter = 'A';
constexpr uint8_t kSkipParameterBytes = 2;
constexpr int32_t kLongestSkip = 32767;
constexpr uint8_t kNeverWritten = 0x80;
// A repeat control byte c stands for 1 - (c - 256) copies.
constexpr int kRepeatBias = 257;

std::string byte_text(uint8_t byte) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", byte);
    return text;
}

class Reader {
  public:
    Reader(const uint8_t* data, size_t size, StreamHandler& handler, StreamFault* fault)
        : data_(data), size_(size), handler_(handler), fault_(fault) {}

    bool read_all() {
        while (at_ < size_)
            if (!read_command()) return false;
        return true;
    }

  private:
    bool fail(size_t offset, const std::string& what) {
        fault_->offset = offset;
        fault_->what = what;
        return false;
    }

    size_t remaining(size_t from) const { return from < size_ ? size_ - from : 0; }

    bool need(size_t start, size_t bytes, const char* command) {
        if (remaining(start) >= bytes) return true;
        return fail(start, std::string("truncated ") + command + ": expected " +
                               std::to_string(bytes) + " bytes, " +
                               std::to_string(remaining(start)) + " remain");
    }

    bool read_command() {
        const uint8_t byte = data_[at_];
        if (byte == kCarriageReturn) {
            handler_.carriage_return(at_++);
            return true;
        }
        if (byte == kFormFeed) {
            handler_.form_feed(at_++);
            return true;
        }
        if (byte != kEsc)
            return fail(at_,
                        "expected ESC, carriage return or form feed, found " + byte_text(byte));
        if (!need(at_, 3, "command")) return false;
        if (data_[at_ + 1] != kOpenParen)
            return fail(at_ + 1, "expected '(' after ESC, found " + byte_text(data_[at_ + 1]));
        if (data_[at_ + 2] == kSkipLetter) return read_skip();
        if (data_[at_ + 2] == kRowLetter) return read_row();
        return fail(at_ + 2,
                    "expected 'e' (raster skip) or 'A' (colour raster) "
                    "after ESC (, found " +
                        byte_text(data_[at_ + 2]));
    }

    bool read_skip() {
        if (!need(at_, kSkipCommandBytes, "raster-skip command")) return false;
        const uint8_t* command = data_ + at_;
        if (command[3] != kSkipParameterBytes || command[4] != 0)
            return fail(at_ + 3, "expected raster-skip parameter length 2, found " +
                                     std::to_string(command[3] | command[4] << 8));
        const int32_t lines = command[5] << 8 | command[6];
        if (lines == 0 || lines > kLongestSkip)
            return fail(at_ + 5, "expected a raster-skip count of 1 to 32767, found " +
                                     std::to_string(lines));
        handler_.skip(at_, lines);
        at_ += kSkipCommandBytes;
        return true;
    }

    bool read_row() {
        if (!need(at_, kRowHeaderBytes, "colour-raster header")) return false;
        const size_t start = at_;
        const size_t length = data_[at_ + 3] | data_[at_ + 4] << 8;
        if (length == 0)
            return fail(at_ + 3,
                        "expected a colour-raster length of at least 1 "
                        "(the colour letter), found 0");
        const uint8_t letter = data_[at_ + 5];
        int colour = 0;
        while (colour < kColours && kColourLetters[colour] != letter) ++colour;
        if (colour == kColours)
            return fail(at_ + 5,
                        "expected a colour letter K Y M C m c, found " + byte_text(letter));
        const size_t payloadStart = at_ + kRowHeaderBytes;
        const size_t payloadBytes = length - 1;
        if (!need(payloadStart, payloadBytes, "colour-raster payload")) return false;
        std::vector<uint8_t> row;
        if (!unpack(payloadStart, payloadStart + payloadBytes, &row)) return false;
        const size_t end = payloadStart + payloadBytes;
        if (end >= size_)
            return fail(end,
                        "expected a carriage return after the colour-raster "
                        "command, found the end of the stream");
        if (data_[end] != kCarriageReturn)
            return fail(end,
                        "expected a carriage return after the colour-raster "
                        "command, found " +
                            byte_text(data_[end]));
        at_ = end + kControlByteBytes;
        handler_.row(start, colour, std::move(row), payloadBytes);
        return true;
    }

    // PackBits records from..end, each wholly inside the command.
    bool unpack(size_t from, size_t end, std::vector<uint8_t>* row) {
        size_t at = from;
        while (at < end) {
            const uint8_t control = data_[at];
            if (control == kNeverWritten)
                return fail(at, "expected a PackBits control byte other than 0x80");
            if (control < kNeverWritten) {
                const size_t count = control + 1u;
                if (end - at - 1 < count)
                    return fail(at, "PackBits literal of " + std::to_string(count) +
                                        " bytes runs past its command");
                row->insert(row->end(), data_ + at + 1, data_ + at + 1 + count);
                at += 1 + count;
            } else {
                if (end - at < 2) return fail(at, "PackBits repeat record runs past its command");
                row->insert(row->end(), kRepeatBias - control, data_[at + 1]);
                at += 2;
            }
        }
        return true;
    }

    const uint8_t* data_;
    size_t size_;
    StreamHandler& handler_;
    StreamFault* fault_;
    size_t at_ = 0;
};

}  // namespace

bool read_stream(const uint8_t* data, size_t size, StreamHandler& handler, StreamFault* fault) {
    return Reader(data, size, handler, fault).read_all();
}

}  // namespace vrelo_inspect
