#include "platform/SettingsStore.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ortello {

namespace {
std::string Upper(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = char(c - 32);
    return r;
}

bool Same(std::string_view a, std::string_view b) { return a.size() == b.size() && Upper(a) == Upper(b); }

std::string TrimBlanks(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
    return std::string(s.substr(b, e - b));
}

std::string ValueName(std::string_view name) { return name == "@" ? std::string() : std::string(name); }

std::unique_ptr<TSettingsStore>& DefaultStore() {
    static std::unique_ptr<TSettingsStore> store;
    return store;
}
std::string& DefaultOverride() {
    static std::string path;
    return path;
}
}  // namespace

TSettingsStore::TSettingsStore(std::string path) : path_(std::move(path)) { Reload(); }

std::string TSettingsStore::DefaultPath() {
    if (!DefaultOverride().empty()) return DefaultOverride();
    if (const char* env = std::getenv("ORTELLO_REGISTRY"); env && *env) return env;
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg && xdg[0] == '/') {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::string(home) + "/.config";
    } else {
        base = "/tmp";
    }
    return base + "/ortello/registry.ini";
}

TSettingsStore& TSettingsStore::Default() {
    auto& store = DefaultStore();
    if (!store || store->Path() != DefaultPath()) store = std::make_unique<TSettingsStore>(DefaultPath());
    return *store;
}

void TSettingsStore::SetDefaultPath(const std::string& path) {
    DefaultOverride() = path;
    DefaultStore().reset();
}

std::string TSettingsStore::NormalizeKey(std::string_view key) {
    std::string k;
    // Collapse separators; no leading or trailing backslash.
    for (char c : key) {
        if (c == '/') c = '\\';
        if (c == '\\' && (k.empty() || k.back() == '\\')) continue;
        k += c;
    }
    while (!k.empty() && k.back() == '\\') k.pop_back();
    const size_t p = k.find('\\');
    const std::string root = Upper(k.substr(0, p));
    static const std::pair<const char*, const char*> roots[] = {
        {"HKCU", "HKEY_CURRENT_USER"},   {"HKLM", "HKEY_LOCAL_MACHINE"}, {"HKCR", "HKEY_CLASSES_ROOT"},
        {"HKU", "HKEY_USERS"},           {"HKCC", "HKEY_CURRENT_CONFIG"}};
    for (auto& [shortName, longName] : roots)
        if (root == shortName) return std::string(longName) + (p == std::string::npos ? "" : k.substr(p));
    return k;
}

const TSettingsStore::Key* TSettingsStore::Find(std::string_view key) const {
    auto it = keys_.find(Upper(NormalizeKey(key)));
    return it == keys_.end() ? nullptr : &it->second;
}

TSettingsStore::Key& TSettingsStore::Ensure(std::string_view key, bool& created) {
    const std::string norm = NormalizeKey(key);
    auto [it, inserted] = keys_.try_emplace(Upper(norm));
    if (inserted) it->second.name = norm;
    created = inserted;
    return it->second;
}

bool TSettingsStore::KeyExists(std::string_view key) const { return Find(key) != nullptr; }

void TSettingsStore::CreateKey(std::string_view key) {
    bool created;
    Ensure(key, created);
    if (created) Changed();
}

bool TSettingsStore::DeleteKey(std::string_view key) {
    const std::string prefix = Upper(NormalizeKey(key));
    bool any = false;
    for (auto it = keys_.begin(); it != keys_.end();) {
        if (it->first == prefix || it->first.rfind(prefix + "\\", 0) == 0) {
            it = keys_.erase(it);
            any = true;
        } else {
            ++it;
        }
    }
    if (any) Changed();
    return any;
}

bool TSettingsStore::ValueExists(std::string_view key, std::string_view name) const {
    std::string v;
    return ReadString(key, name, v);
}

bool TSettingsStore::ReadString(std::string_view key, std::string_view name, std::string& value) const {
    const Key* k = Find(key);
    if (!k) return false;
    const std::string n = ValueName(name);
    for (auto& [vn, vv] : k->values)
        if (Same(vn, n)) {
            value = vv;
            return true;
        }
    return false;
}

std::string TSettingsStore::ReadString(std::string_view key, std::string_view name, std::string_view fallback) const {
    std::string v;
    return ReadString(key, name, v) ? v : std::string(fallback);
}

void TSettingsStore::WriteString(std::string_view key, std::string_view name, std::string_view value) {
    bool created;
    Key& k = Ensure(key, created);
    const std::string n = ValueName(name);
    for (auto& [vn, vv] : k.values)
        if (Same(vn, n)) {
            if (vv == value) {
                if (created) Changed();
                return;
            }
            vv = std::string(value);
            Changed();
            return;
        }
    k.values.emplace_back(n, std::string(value));
    Changed();
}

bool TSettingsStore::DeleteValue(std::string_view key, std::string_view name) {
    const std::string norm = Upper(NormalizeKey(key));
    auto it = keys_.find(norm);
    if (it == keys_.end()) return false;
    const std::string n = ValueName(name);
    auto& vals = it->second.values;
    for (auto v = vals.begin(); v != vals.end(); ++v)
        if (Same(v->first, n)) {
            vals.erase(v);
            Changed();
            return true;
        }
    return false;
}

std::vector<std::string> TSettingsStore::ValueNames(std::string_view key) const {
    std::vector<std::string> names;
    if (const Key* k = Find(key))
        for (auto& [vn, vv] : k->values) names.push_back(vn);
    return names;
}

std::vector<std::string> TSettingsStore::SubKeyNames(std::string_view key) const {
    const std::string prefix = Upper(NormalizeKey(key)) + "\\";
    std::vector<std::string> names;
    for (auto& [upper, k] : keys_) {
        if (upper.rfind(prefix, 0) != 0) continue;
        const std::string rest = k.name.substr(prefix.size());
        const std::string child = rest.substr(0, rest.find('\\'));
        bool seen = false;
        for (auto& n : names) seen = seen || Same(n, child);
        if (!seen && !child.empty()) names.push_back(child);
    }
    return names;
}

void TSettingsStore::Reload() {
    keys_.clear();
    std::ifstream in(path_, std::ios::binary);
    if (!in) return;
    std::string line;
    Key* current = nullptr;
    while (std::getline(in, line)) {
        const std::string t = TrimBlanks(line);
        if (t.empty() || t[0] == ';' || t[0] == '#') continue;
        if (t.front() == '[' && t.back() == ']') {
            bool created;
            current = &Ensure(t.substr(1, t.size() - 2), created);
            continue;
        }
        if (!current) continue;
        const size_t eq = t.find('=');
        if (eq == std::string::npos) continue;
        const std::string name = ValueName(TrimBlanks(t.substr(0, eq)));
        std::string value = line.substr(line.find('=') + 1);
        if (!value.empty() && value.back() == '\r') value.pop_back();
        bool replaced = false;
        for (auto& [vn, vv] : current->values)
            if (Same(vn, name)) {
                vv = value;
                replaced = true;
            }
        if (!replaced) current->values.emplace_back(name, value);
    }
}

void TSettingsStore::Save() const {
    std::ostringstream out;
    for (auto& [upper, k] : keys_) {
        out << '[' << k.name << "]\n";
        for (auto& [vn, vv] : k.values) {
            // Line breaks cannot be stored in this format.
            std::string v = vv;
            for (char& c : v)
                if (c == '\n' || c == '\r') c = ' ';
            out << (vn.empty() ? "@" : vn) << '=' << v << '\n';
        }
        out << '\n';
    }
    const std::string text = out.str();
    std::error_code ec;
    const std::filesystem::path p(path_);
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path(), ec);
    const std::string tmp = path_ + ".tmp" + std::to_string(::getpid());
    {
        std::ofstream f(tmp, std::ios::binary | std::ios::trunc);
        if (!f) throw std::runtime_error("Cannot write settings file \"" + path_ + "\": " + std::strerror(errno));
        f << text;
        f.flush();
        if (!f) {
            ::unlink(tmp.c_str());
            throw std::runtime_error("Cannot write settings file \"" + path_ + "\"");
        }
    }
    if (::rename(tmp.c_str(), path_.c_str()) != 0) {
        const std::string err = std::strerror(errno);
        ::unlink(tmp.c_str());
        throw std::runtime_error("Cannot write settings file \"" + path_ + "\": " + err);
    }
}

void TSettingsStore::Changed() {
    if (updating_ > 0) {
        dirty_ = true;
        return;
    }
    Save();
}

void TSettingsStore::EndUpdate() {
    if (--updating_ == 0 && dirty_) {
        dirty_ = false;
        Save();
    }
}

}  // namespace ortello
