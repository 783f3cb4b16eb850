#pragma once
// Guesses the Cyrillic code page of a page from the bytes of its text:
// each byte of 128 and above adds the frequency weight of the Russian
// letter it stands for in Windows-1251, DOS 866 and KOI8-R, and the
// code page with the highest score wins. The first run of non-ASCII bytes
// is kept, because a word written as a small letter followed by capitals
// in one code page is a sign that the page is not in that code page.

#include <cstddef>
#include <string_view>

class CodePageDetector {
public:
    static constexpr size_t kMaxRun = 19;

    void feed(std::string_view bytes);

    // 1 (Windows), 2 (DOS) or 3 (KOI8); Windows when nothing spoke for
    // another, also for a page without a single Cyrillic letter.
    int verdict() const;

    // Scores with the first-run rule applied, for tests and traces.
    int windowsScore() const { return adjusted(kWin); }
    int dosScore() const { return adjusted(kDos); }
    int koi8Score() const { return adjusted(kKoi); }

private:
    enum Page { kWin, kDos, kKoi };

    void add(unsigned char c);
    int adjusted(Page p) const;
    bool runIsSmallThenCapitals(Page p) const;

    int score_[3] = {0, 0, 0};
    unsigned char run_[kMaxRun] = {};
    size_t runLength_ = 0;
    bool runOver_ = false;
};
