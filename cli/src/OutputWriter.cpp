#include "OutputWriter.h"

#include <cerrno>
#include <cstring>
#include <ostream>
#include <string>

#include "Options.h"
#include "tandrel/render/Markdown.h"

namespace tandrel::cli {

void WriteText(std::string_view text, bool crlf, std::ostream& out) {
    if (crlf) {
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        return;
    }
    // Conversion goes through a block of about a megabyte, so memory stays at
    // the text's own size and the output leaves in large writes.
    constexpr std::size_t kBlock = std::size_t{1} << 20;
    std::string block;
    block.reserve(kBlock + 256);
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string_view::npos) {
            block.append(text.substr(start));
            break;
        }
        block.append(text.substr(start, end - start));
        block += '\n';
        start = end + 2;
        if (block.size() >= kBlock) {
            out.write(block.data(), static_cast<std::streamsize>(block.size()));
            if (!out) {
                return;
            }
            block.clear();
        }
    }
    block += '\n';
    out.write(block.data(), static_cast<std::streamsize>(block.size()));
}

void WriteMarkdown(std::string_view text, bool crlf, std::ostream& out) {
    const std::string fence = CodeFence(text);
    out << fence << "text" << (crlf ? "\r\n" : "\n");
    WriteText(text, crlf, out);
    out << (crlf ? "\r\n" : "") << fence << (crlf ? "" : "\n");
}

int FinishOutput(std::ostream& out, std::ostream& err) {
    if (out) {
        out.flush();
    }
    if (out) {
        return 0;
    }
    const int error = errno;
    if (error == EPIPE) {
        return 0;
    }
    err << kName << ": write error";
    if (error != 0) {
        err << ": " << std::strerror(error);
    }
    err << '\n';
    return 3;
}

}  // namespace tandrel::cli
