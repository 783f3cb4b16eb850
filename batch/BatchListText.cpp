#include "batch/BatchListText.h"

AStr JoinBatchList(const StrList& list) {
    AStr text;
    for (StrNode* n = list.first(); n; n = static_cast<StrNode*>(n->next())) {
        text += n->str;
        text += "\r\n";
    }
    return text;
}

size_t SplitBatchList(std::string_view text, StrList& list) {
    StrList lines;
    size_t number = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        ++number;
        // CR LF ends one line, not two.
        pos = end + 1;
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') ++pos;
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string_view::npos) continue;
        line = line.substr(first, line.find_last_not_of(" \t") - first + 1);
        if (line.size() > kMaxBatchLine) return number;
        lines.add(AStr(line));
    }
    list = lines;
    return 0;
}
