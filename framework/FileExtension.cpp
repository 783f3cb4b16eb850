#include "framework/FileExtension.h"

size_t ExtensionStart(std::string_view name, std::string_view separators) {
    size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return dot;
    size_t sep = name.find_last_of(separators);
    return sep != std::string_view::npos && sep > dot ? std::string_view::npos : dot;
}

std::string_view Extension(std::string_view name, std::string_view separators) {
    size_t dot = ExtensionStart(name, separators);
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

std::string_view WithoutExtension(std::string_view name, std::string_view separators) {
    return name.substr(0, ExtensionStart(name, separators));
}
