#include <algorithm>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include "platform/MediaDatabase.h"
#include "platform/Text.h"

namespace platform {

namespace {

constexpr size_t kMaxValue = 63;   // what a 64-byte buffer holds
constexpr size_t kMaxName = 260;

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(LowerAnsiChar(static_cast<unsigned char>(c)));
    return s;
}

// The registry compares names without case and enumerates them in that
// order; the maps are keyed the same way.
struct Database {
    std::map<std::string, std::string> extensionOfType;  // lower-case type → ".ext"
    std::map<std::string, std::pair<std::string, std::string>> typeOfExtension;  // ".ext" lower → (name, type)

    void load(const std::string& path) {
        extensionOfType.clear();
        typeOfExtension.clear();
        std::ifstream in(path);
        std::string line;
        while (std::getline(in, line)) {
            size_t hash = line.find('#');
            if (hash != std::string::npos) line.resize(hash);
            std::istringstream words(line);
            std::string type, ext;
            if (!(words >> type) || type.size() > kMaxValue) continue;
            bool first = true;
            while (words >> ext) {
                std::string dotted = "." + ext;
                if (dotted.size() > kMaxName) continue;
                if (first && dotted.size() <= kMaxValue) extensionOfType.emplace(lower(type), dotted);
                first = false;
                typeOfExtension.emplace(lower(dotted), std::make_pair(dotted, type));
            }
        }
    }
};

std::mutex g_mutex;
std::string g_path = "/etc/mime.types";
Database* g_db = nullptr;

const Database& db() {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_db) {
        g_db = new Database;  // lives as long as the program
        g_db->load(g_path);
    }
    return *g_db;
}

}  // namespace

std::string MediaExtensionOfType(std::string_view type) {
    const Database& d = db();
    auto it = d.extensionOfType.find(lower(std::string(type)));
    return it == d.extensionOfType.end() ? std::string() : it->second;
}

std::string MediaTypeOfExtension(std::string_view extension) {
    if (extension.empty() || extension[0] != '.') return {};
    const Database& d = db();
    auto it = d.typeOfExtension.find(lower(std::string(extension)));
    return it == d.typeOfExtension.end() ? std::string() : it->second.second;
}

std::vector<std::string> MediaExtensions() {
    const Database& d = db();
    std::vector<std::string> out;
    out.reserve(d.typeOfExtension.size());
    for (auto& [key, entry] : d.typeOfExtension) out.push_back(entry.first);
    return out;
}

void SetMediaDatabaseFile(const std::string& path) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_path = path;
    delete g_db;
    g_db = nullptr;
}

std::string MediaTypeOfSignature(const uint8_t*, size_t) { return {}; }

}  // namespace platform
