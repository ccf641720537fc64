#include "direct_model.hpp"

#include "stream_commands.hpp"
#include "vrelo417.h"

namespace vrelo_test {
namespace {

void append(Bytes& out, const Bytes& more) {
    out.insert(out.end(), more.begin(), more.end());
}

}  // namespace

void DirectModel::advance_to(int32_t line, Bytes& out) {
    if (line == lastLine_) return;
    for (const Bytes& skip : skip_commands(static_cast<int64_t>(line) - lastLine_))
        append(out, skip);
    lastLine_ = line;
}

std::optional<Bytes> DirectModel::produce(const PageLine& line) {
    if (line.lineNumber < curLine_ ||
        static_cast<int64_t>(line.lineNumber) - lastLine_ > VRELO_MAX_ADVANCE)
        return std::nullopt;
    Bytes out;
    curLine_ = line.lineNumber;
    const LineCommands commands = line_commands(line, pixelShift_, doubleX_);
    for (const std::optional<Bytes>& command : commands) {
        if (!command) continue;
        advance_to(line.lineNumber, out);
        append(out, *command);
    }
    return out;
}

Bytes DirectModel::form_feed() {
    Bytes out;
    advance_to(curLine_, out);
    return out;
}

}  // namespace vrelo_test
