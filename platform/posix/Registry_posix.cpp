#include "platform/Registry.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <utility>

namespace platform {

namespace {

// The store's file: lines "key PATH" and, below a key, "value NAME=TEXT".
// Bytes below 0x20, "%" and "=" are written as "%" and two hex digits, so
// every record stays on one line whatever the value holds.
struct Key {
    std::string path;  // as first created, backslash between the parts
    std::vector<std::pair<std::string, std::string>> values;
};

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return s;
}

// "A\\B\\" and "\\A\\B" name the same key as "A\\B".
std::string normal(const char* path) {
    std::string out, part;
    for (const char* p = path ? path : "";; ++p) {
        if (*p == '\\' || !*p) {
            if (!part.empty()) out += (out.empty() ? "" : "\\") + part;
            part.clear();
            if (!*p) break;
        } else {
            part += *p;
        }
    }
    return out;
}

std::string escape(const std::string& s) {
    std::string out;
    for (unsigned char c : s) {
        if (c < 0x20 || c == '%' || c == '=') {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        } else {
            out += char(c);
        }
    }
    return out;
}

std::string unescape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size()) {
            out += char(std::strtol(s.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

class Store {
public:
    // Reads the file again when another process changed it.
    void load() {
        const std::string file = fileName();
        struct stat st {};
        if (::stat(file.c_str(), &st) != 0) {
            keys_.clear();
            stamp_ = {};
            return;
        }
        Stamp now{st.st_ino, st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec, file};
        if (now == stamp_) return;
        keys_.clear();
        std::ifstream in(file, std::ios::binary);
        std::string line;
        Key* current = nullptr;
        while (std::getline(in, line)) {
            if (line.rfind("key ", 0) == 0) {
                const std::string path = normal(unescape(line.substr(4)).c_str());
                current = &keyFor(path);
            } else if (line.rfind("value ", 0) == 0 && current) {
                const size_t eq = line.find('=', 6);
                if (eq == std::string::npos) continue;
                setValue(*current, unescape(line.substr(6, eq - 6)), unescape(line.substr(eq + 1)));
            }
        }
        stamp_ = now;
    }

    bool save() {
        const std::string file = fileName();
        if (file.empty()) return false;
        const std::string folder = file.substr(0, file.rfind('/'));
        ::mkdir(folder.substr(0, folder.rfind('/')).c_str(), 0700);
        ::mkdir(folder.c_str(), 0700);
        const std::string temp = file + ".new";
        {
            std::ofstream out(temp, std::ios::binary | std::ios::trunc);
            for (const auto& [id, key] : keys_) {
                out << "key " << escape(key.path) << '\n';
                for (const auto& [name, value] : key.values) out << "value " << escape(name) << '=' << escape(value) << '\n';
            }
            out.flush();
            if (!out) {
                ::unlink(temp.c_str());
                return false;
            }
        }
        if (std::rename(temp.c_str(), file.c_str()) != 0) return false;
        stamp_ = {};
        return true;
    }

    const Key* find(const std::string& path) const {
        auto it = keys_.find(lower(path));
        return it == keys_.end() ? nullptr : &it->second;
    }

    // Creates the key and every key above it.
    Key& keyFor(const std::string& path) {
        size_t from = 0;
        for (;;) {
            const size_t sep = path.find('\\', from);
            const std::string upto = path.substr(0, sep);
            auto [it, added] = keys_.try_emplace(lower(upto));
            if (added) it->second.path = upto;
            if (sep == std::string::npos) return it->second;
            from = sep + 1;
        }
    }

    static void setValue(Key& key, const std::string& name, const std::string& value) {
        const std::string id = lower(name);
        for (auto& v : key.values) {
            if (lower(v.first) == id) {
                v.second = value;
                return;
            }
        }
        key.values.emplace_back(name, value);
    }

    std::vector<std::string> children(const std::string& path) const {
        std::map<std::string, std::string> named;  // in name order without regard to case
        const std::string prefix = path.empty() ? std::string() : lower(path) + "\\";
        for (auto it = keys_.lower_bound(prefix); it != keys_.end() && it->first.compare(0, prefix.size(), prefix) == 0;
             ++it) {
            if (it->first.size() == prefix.size()) continue;
            const size_t sep = it->first.find('\\', prefix.size());
            const size_t end = sep == std::string::npos ? it->first.size() : sep;
            named.try_emplace(it->first.substr(prefix.size(), end - prefix.size()),
                              it->second.path.substr(prefix.size(), end - prefix.size()));
        }
        std::vector<std::string> out;
        for (auto& [id, name] : named) out.push_back(name);
        return out;
    }

    std::mutex lock;

private:
    struct Stamp {
        ino_t ino = 0;
        off_t size = 0;
        time_t sec = 0;
        long nsec = 0;
        std::string file;
        bool operator==(const Stamp&) const = default;
    };

    static std::string fileName() {
        std::string base;
        if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/') base = config;
        else if (const char* home = std::getenv("HOME"); home && *home == '/') base = std::string(home) + "/.config";
        else return {};
        return base + "/zelko-registry/HKEY_CURRENT_USER";
    }

    std::map<std::string, Key> keys_;  // by lower-case path
    Stamp stamp_;
};

Store& store() {
    static Store s;
    return s;
}

}  // namespace

bool CurrentUserValue(const char* keyPath, const char* name, size_t maxBytes, std::string& value) {
    Store& s = store();
    std::lock_guard<std::mutex> hold(s.lock);
    s.load();
    const Key* key = s.find(normal(keyPath));
    if (!key) return false;
    const std::string id = lower(name ? name : "");
    for (const auto& [n, v] : key->values) {
        if (lower(n) != id) continue;
        if (v.size() + 1 > maxBytes) return false;
        value = v;
        return true;
    }
    return false;
}

std::string CurrentUserString(const char* keyPath, const char* name, size_t maxBytes) {
    std::string v;
    return CurrentUserValue(keyPath, name, maxBytes, v) ? v : std::string();
}

bool CurrentUserKeyExists(const char* keyPath) {
    Store& s = store();
    std::lock_guard<std::mutex> hold(s.lock);
    s.load();
    return s.find(normal(keyPath)) != nullptr;
}

std::vector<std::string> CurrentUserSubkeys(const char* keyPath, size_t maxNameBytes) {
    Store& s = store();
    std::lock_guard<std::mutex> hold(s.lock);
    s.load();
    const std::string path = normal(keyPath);
    if (!s.find(path)) return {};
    std::vector<std::string> names = s.children(path);
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i].size() + 1 > maxNameBytes) {
            names.resize(i);
            break;
        }
    }
    return names;
}

bool SetCurrentUserString(const char* keyPath, const char* name, const std::string& value) {
    Store& s = store();
    std::lock_guard<std::mutex> hold(s.lock);
    s.load();
    const std::string path = normal(keyPath);
    if (path.empty()) return false;
    Store::setValue(s.keyFor(path), name ? name : "", value);
    return s.save();
}

}  // namespace platform
