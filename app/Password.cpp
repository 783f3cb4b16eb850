#include "app/Password.h"

#include <string>

AStr EncodePassword(std::string_view password) {
    std::string out;
    out.reserve(password.size() * 2);
    for (char c : password) {
        auto b = static_cast<unsigned char>(c);
        out += static_cast<char>('G' + (b >> 4));
        out += static_cast<char>('G' + (b & 15));
    }
    return AStr(out);
}

AStr DecodePassword(std::string_view text) {
    if (text.size() % 2) return AStr();
    std::string out;
    out.reserve(text.size() / 2);
    for (size_t i = 0; i < text.size(); i += 2) {
        int a = static_cast<unsigned char>(text[i]), b = static_cast<unsigned char>(text[i + 1]);
        out += static_cast<char>(static_cast<unsigned>((a - 7) * 16 + b - 71) & 0xFF);
    }
    return AStr(out);
}
