#pragma once
// Decoding UTF-8 for the surfaces that lay out text themselves.
namespace pelkano {

template <typename Each>
void forEachCodePoint(std::string_view text, Each each)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = byte(i);
        std::size_t length = 1;
        char32_t code = lead;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0Fu;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07u;
        } else if (lead >= 0x80) {
            length = 0;
        }
        bool ok = length > 0 && i + length <= text.size();
        for (std::size_t k = 1; ok && k < length; ++k) {
            ok = (byte(i + k) & 0xC0u) == 0x80u;
            code = (code << 6) | (byte(i + k) & 0x3Fu);
        }
        if (ok && length > 1) {
            const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
            ok = !overlong && !(code >= 0xD800 && code <= 0xDFFF) && code <= 0x10FFFF;
        }
        if (!ok) {
            each(U'\uFFFD', i, std::size_t{1});
            ++i;
            continue;
        }
        each(code, i, length);
        i += length;
    }
}

}  // namespace pelkano
