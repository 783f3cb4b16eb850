#pragma once
// The candidates of a srcset value: "a.jpg 1x, b.jpg 2x, c.jpg". Each is a
// URL (a run without blanks; trailing commas belong to the list) and an
// optional descriptor up to the next comma outside parentheses.

#include <string_view>

// Calls found(url) for each candidate's URL, a view into value, in order.
template <class Found>
void ForEachSrcsetUrl(std::string_view value, Found&& found) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; };
    size_t i = 0;
    const size_t n = value.size();
    while (i < n) {
        while (i < n && (blank(value[i]) || value[i] == ',')) ++i;
        size_t start = i;
        while (i < n && !blank(value[i])) ++i;
        size_t end = i;
        bool listEnds = false;  // "a.jpg," has no descriptor
        while (end > start && value[end - 1] == ',') {
            --end;
            listEnds = true;
        }
        if (end > start) found(value.substr(start, end - start));
        if (listEnds) continue;
        int depth = 0;
        for (; i < n; ++i) {
            if (value[i] == '(') ++depth;
            else if (value[i] == ')' && depth > 0) --depth;
            else if (value[i] == ',' && depth == 0) break;
        }
    }
}
