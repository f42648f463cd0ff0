#include "translator/literal_bytes.hpp"

namespace {

bool continuation(unsigned char c) { return c >= 0x80 && c <= 0xBF; }

// How many bytes of `text` from `at` make one well-formed UTF-8 character
// (overlong forms, surrogates and values past U+10FFFF are not), or 0.
std::size_t characterLength(const std::string &text, std::size_t at) {
    auto byte = [&](std::size_t i) { return at + i < text.size() ? static_cast<unsigned char>(text[at + i]) : 0; };
    unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    unsigned char low = 0x80, high = 0xBF;
    std::size_t length;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, low = lead == 0xE0 ? 0xA0 : 0x80, high = lead == 0xED ? 0x9F : 0xBF;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, low = lead == 0xF0 ? 0x90 : 0x80, high = lead == 0xF4 ? 0x8F : 0xBF;
    else
        return 0;
    if (byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; i++)
        if (!continuation(byte(i)))
            return 0;
    return length;
}

void appendOctal(std::string &out, unsigned char c) {
    out += '\\';
    out += static_cast<char>('0' + ((c >> 6) & 7));
    out += static_cast<char>('0' + ((c >> 3) & 7));
    out += static_cast<char>('0' + (c & 7));
}

}  // namespace

std::string withEncodableBytes(const std::string &cppText) {
    std::string out;
    out.reserve(cppText.size());
    char quote = 0;
    for (std::size_t i = 0; i < cppText.size();) {
        char c = cppText[i];
        if (quote == 0) {
            if (c == '"' || c == '\'')
                quote = c;
            out += c;
            i++;
            continue;
        }
        if (c == quote) {
            quote = 0;
            out += c;
            i++;
            continue;
        }
        if (c == '\\' && i + 1 < cppText.size()) {
            if (static_cast<unsigned char>(cppText[i + 1]) < 0x80) {
                out.append(cppText, i, 2);
                i += 2;
                continue;
            }
            i++;  // the byte after it stands for itself
            continue;
        }
        std::size_t length = characterLength(cppText, i);
        if (length == 0) {
            appendOctal(out, static_cast<unsigned char>(c));
            i++;
        } else {
            out.append(cppText, i, length);
            i += length;
        }
    }
    return out;
}
