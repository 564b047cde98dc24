#include "CodeConversion.h"

#include <iconv.h>
#include <langinfo.h>

#include <algorithm>
#include <cerrno>
#include <clocale>

#include "morvash/platform/CodePage.h"

namespace platform::detail {
namespace {

// Name glibc's iconv knows for the active code page.
const char* IconvName(CodePage page) {
    return page == CodePage::Cp932 ? "CP932" : "UTF-8";
}

// The length of the UTF-8 sequence that `lead` begins (1 for a byte that begins none).
std::size_t Utf8SequenceLength(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    return 1;
}

// The number of input bytes that one replacement stands for, where iconv
// stopped: a whole character that the target lacks (a well-formed UTF-8
// sequence, or a code page 932 lead byte with a trail byte), else one byte.
std::size_t RejectedLength(std::string_view rest, bool fromUtf8) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(rest[i]); };
    if (!fromUtf8) {
        const bool trail = rest.size() >= 2 && ((byte(1) >= 0x40 && byte(1) <= 0x7E) ||
                                                (byte(1) >= 0x80 && byte(1) <= 0xFC));
        return IsLeadByte(byte(0)) && trail ? 2 : 1;
    }
    const std::size_t length = Utf8SequenceLength(byte(0));
    for (std::size_t i = 1; i < length; ++i) {
        if (i >= rest.size() || (byte(i) & 0xC0) != 0x80) {
            return 1;
        }
    }
    return length;
}

// Converts with iconv; every character that the target lacks, and every input
// byte that starts no valid character, is replaced with `replacement` and
// skipped, so conversion never fails.
std::string ConvertNamed(std::string_view input, const char* to, const char* from,
                         std::string_view replacement) {
    const bool fromUtf8 = std::string_view(from) == "UTF-8";
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return std::string(input);
    }
    std::string out;
    out.resize(input.size() * 2 + 16);
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    std::size_t used = 0;
    while (inLeft > 0) {
        char* outPtr = out.data() + used;
        std::size_t outLeft = out.size() - used;
        std::size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        used = out.size() - outLeft;
        if (rc != static_cast<std::size_t>(-1)) {
            break;
        }
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
        } else if (errno == EILSEQ || errno == EINVAL) {
            // EILSEQ: an invalid sequence or a character the target lacks;
            // EINVAL: a sequence cut off at the end of the input.
            if (out.size() - used < replacement.size()) {
                out.resize(out.size() * 2 + replacement.size());
            }
            std::copy(replacement.begin(), replacement.end(), out.begin() + used);
            used += replacement.size();
            const std::size_t skip = RejectedLength(std::string_view(in, inLeft), fromUtf8);
            in += skip;
            inLeft -= skip;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        } else {
            break;
        }
    }
    iconv_close(cd);
    out.resize(used);
    return out;
}

}  // namespace

std::string Convert(std::string_view input, CodePage to, CodePage from,
                    std::string_view replacement) {
    return ConvertNamed(input, IconvName(to), IconvName(from), replacement);
}

std::string TakeLocaleCharset() {
    std::setlocale(LC_ALL, "");
    const char* charset = ::nl_langinfo(CODESET);
    return charset != nullptr ? charset : "";
}

}  // namespace platform::detail
