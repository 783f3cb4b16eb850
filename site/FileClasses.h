#pragma once
// File classes by extension: the four fixed tables that the mission's
// Allow switches govern, and the user's list of extensions that are never
// fetched.

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

#include "framework/AStr.h"

class ApplicationProfile;
class Mission;

enum class FileClass { Picture, Sound, Video, Archive };

// An extension longer than this (its dot included) matches nothing.
constexpr size_t kMaxExtension = 5;

std::span<const std::string_view> ExtensionsOf(FileClass c);


// Leading '*', '.', ' ' and '?' are skipped on both sides, so "*.zip",
// ".zip" and "zip" are one extension; the rest is compared without case.
bool SameExtension(std::string_view a, std::string_view b);
bool ExtensionInClass(std::string_view extension, FileClass c);

// Extensions that are never fetched: section "Extensions", key "Skip",
// at most 99 characters, items split at commas and blanks.
class SkipList {
public:
    static constexpr size_t kMaxText = 99;

    SkipList() = default;
    explicit SkipList(std::string_view text) { parse(text); }

    void parse(std::string_view text);
    void read(const ApplicationProfile& settings);

    bool matches(std::string_view extension) const;
    size_t count() const { return items_.size(); }
    // The items with their leading marks removed ("zip" for "*.zip").
    const std::vector<AStr>& items() const { return items_; }

private:
    std::vector<AStr> items_;
};

// False when the extension is in a class whose switch is off, or in the
// skip list; a URL without an extension is allowed.
bool TypeAllowed(const Mission& m, const SkipList& skip, std::string_view extension);
