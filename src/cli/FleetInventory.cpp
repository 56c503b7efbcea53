#include "cli/FleetInventory.h"

#include "job/CProtocol.h"
#include "platform/FileSystem.h"

#include <toml++/toml.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>

namespace {

const char* const kSiteKeys[] = {"address", "password_file", "skd", "timeout"};

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::filesystem::path pathOf(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8Of(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

class Checker
{
public:
    Checker(const std::string& path) : m_path(path) { m_folder = pathOf(path).parent_path(); }

    void error(int line, const std::string& text) { m_errors.emplace_back(line, text); }
    bool failed() const { return !m_errors.empty(); }
    // In the order of the file's lines.
    void report(std::vector<std::string>& errors)
    {
        std::stable_sort(m_errors.begin(), m_errors.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& [line, text] : m_errors)
            errors.push_back(m_path + ":" + std::to_string(line) + ": " + text);
    }

    static int lineOf(const toml::node& node) { return static_cast<int>(node.source().begin.line); }

    // One key of a site's table or of the defaults into site; what = "site \"x\"" or "defaults".
    void take(const std::string& key, const toml::node& value, FleetSite& site, const std::string& what)
    {
        const int line = lineOf(value);
        if (key == "address") {
            const auto* text = value.as_string();
            if (!text || text->get().empty() || text->get().size() > CProtocol::kMaxAddressLength)
                error(line, what + ": address takes a dotted IPv4 address or a host name of 1 to 16 characters");
            else
                site.address = text->get();
        } else if (key == "password_file") {
            const auto* text = value.as_string();
            if (!text || text->get().empty()) {
                error(line, what + ": password_file takes a path");
                return;
            }
            std::filesystem::path file = pathOf(text->get());
            if (file.is_relative())
                file = m_folder / file;
            site.passwordFile = utf8Of(file.lexically_normal());
            m_passwordLines[&site] = line;
        } else if (key == "skd") {
            if (const auto* number = value.as_integer()) {
                if (number->get() >= 1 && number->get() <= 8) {
                    site.skd = std::to_string(number->get());
                    return;
                }
            } else if (const auto* text = value.as_string()) {
                const std::string& s = text->get();
                if (s == "all" || s == "none" || (s.size() == 1 && s[0] >= '1' && s[0] <= '8')) {
                    site.skd = s;
                    return;
                }
            }
            error(line, what + ": skd takes \"all\", \"none\" or an SKD number from 1 to 8");
        } else if (key == "timeout") {
            const std::optional<double> seconds = value.value<double>();
            if (!seconds || !std::isfinite(*seconds) || *seconds <= 0 || *seconds > 86400)
                error(line, what + ": timeout takes a number of seconds above 0 (at most a day)");
            else
                site.timeoutSeconds = *seconds;
        } else {
            error(line, what + ": unknown key \"" + key + "\"");
        }
    }

    // The password file of a site, once its keys are all known.
    void checkPassword(const FleetSite& site, int tableLine, const std::string& what)
    {
        const auto found = m_passwordLines.find(&site);
        const int line = found != m_passwordLines.end() ? found->second : tableLine;
        if (site.passwordFile.empty()) {
            error(line, what + ": no password_file (in the site or in [defaults])");
            return;
        }
        // A file of the defaults is told about once, at its line.
        if (!m_checkedPasswords.insert({line, site.passwordFile}).second)
            return;
        switch (fsys::checkPrivateFile(site.passwordFile)) {
        case 0:
            return;
        case ENOENT:
            error(line, what + ": the password file " + site.passwordFile + " does not exist");
            return;
        case EISDIR:
            error(line, what + ": the password file " + site.passwordFile + " is not a file");
            return;
        case EPERM:
            error(line, what + ": the password file " + site.passwordFile +
                            " may be read or written by group or others; make it the owner's only (chmod 600)");
            return;
        default:
            error(line, what + ": the password file " + site.passwordFile + " cannot be read");
            return;
        }
    }

    void inherit(const FleetSite* from, FleetSite& to)
    {
        const auto found = m_passwordLines.find(from);
        if (found != m_passwordLines.end())
            m_passwordLines[&to] = found->second;
    }

private:
    std::string m_path;
    std::vector<std::pair<int, std::string>> m_errors;
    std::set<std::pair<int, std::string>> m_checkedPasswords;
    std::filesystem::path m_folder;
    std::map<const FleetSite*, int> m_passwordLines;
};

}  // namespace

bool validSiteName(const std::string& name)
{
    if (name.empty() || name.size() > 64 || name[0] == '.' || name[0] == '-')
        return false;
    for (unsigned char c : name)
        if (!std::isalnum(c) && c != '.' && c != '_' && c != '-')
            return false;
    std::string stem = lower(name.substr(0, name.find('.')));
    static const char* const reserved[] = {"con", "prn", "aux", "nul"};
    if (std::find(std::begin(reserved), std::end(reserved), stem) != std::end(reserved))
        return false;
    if (stem.size() == 4 && (stem.rfind("com", 0) == 0 || stem.rfind("lpt", 0) == 0) && stem[3] >= '0' && stem[3] <= '9')
        return false;
    return name.back() != '.';
}

bool loadInventory(const std::string& path, std::vector<FleetSite>& sites, std::vector<std::string>& errors)
{
    std::string content;
    if (!fsys::readFile(path, content)) {
        errors.push_back(path + ": cannot read the inventory");
        return false;
    }
    toml::table root;
    try {
        root = toml::parse(content, path);
    } catch (const toml::parse_error& e) {
        errors.push_back(path + ":" + std::to_string(e.source().begin.line) + ": " + std::string(e.description()));
        return false;
    }

    Checker check(path);
    FleetSite defaults;
    defaults.line = 1;
    const toml::table* siteTables = nullptr;
    int sitesLine = 1;
    for (const auto& [key, node] : root) {
        const std::string name(key.str());
        if (name == "defaults") {
            const toml::table* table = node.as_table();
            if (!table) {
                check.error(Checker::lineOf(node), "defaults must be a table: [defaults]");
                continue;
            }
            for (const auto& [k, v] : *table) {
                if (k.str() == "address")
                    check.error(Checker::lineOf(v), "defaults: address belongs to each site");
                else
                    check.take(std::string(k.str()), v, defaults, "defaults");
            }
        } else if (name == "site") {
            siteTables = node.as_table();
            sitesLine = Checker::lineOf(node);
            if (!siteTables)
                check.error(sitesLine, "site must hold one table per site: [site.NAME]");
        } else {
            check.error(Checker::lineOf(node), "unknown key \"" + name + "\" (expected [defaults] and [site.NAME] tables)");
        }
    }

    // Addresses are the same whatever the case of a host name.
    std::map<std::string, std::pair<std::string, int>> addresses;
    // Names whose folders would be one on a file system that ignores case.
    std::map<std::string, std::pair<std::string, int>> folders;
    std::vector<FleetSite> found;
    if (siteTables) {
        found.reserve(siteTables->size());
        // In the file's order, so that of two clashing sites the later one is told about.
        std::vector<std::pair<std::string, const toml::node*>> ordered;
        for (const auto& [key, node] : *siteTables)
            ordered.emplace_back(std::string(key.str()), &node);
        std::stable_sort(ordered.begin(), ordered.end(), [](const auto& a, const auto& b) {
            return Checker::lineOf(*a.second) < Checker::lineOf(*b.second);
        });
        for (const auto& [name, nodePointer] : ordered) {
            const toml::node& node = *nodePointer;
            const int line = Checker::lineOf(node);
            const std::string what = "site \"" + name + "\"";
            const toml::table* table = node.as_table();
            if (!table) {
                check.error(line, what + " must be a table: [site." + name + "]");
                continue;
            }
            if (!validSiteName(name))
                check.error(line, what + ": a site's name names its folder: letters, digits, '.', '_' and '-' only, "
                                         "not starting with '.' or '-', at most 64 characters, no device name");
            const auto [other, freshName] = folders.emplace(lower(name), std::make_pair(name, line));
            if (!freshName)
                check.error(line, what + ": differs from site \"" + other->second.first + "\" (line " +
                                      std::to_string(other->second.second) + ") only in case, and names its folder");
            found.push_back(defaults);
            FleetSite& site = found.back();
            check.inherit(&defaults, site);
            site.name = name;
            site.line = line;
            for (const auto& [k, v] : *table)
                check.take(std::string(k.str()), v, site, what);
            if (!table->contains("address")) {
                check.error(line, what + ": no address");
                continue;
            }
            check.checkPassword(site, line, what);
            if (!site.address.empty()) {
                const auto [at, fresh] = addresses.emplace(lower(site.address), std::make_pair(name, line));
                if (!fresh)
                    check.error(Checker::lineOf(*table->get("address")),
                                what + ": the address " + site.address + " is that of site \"" + at->second.first +
                                    "\" (line " + std::to_string(at->second.second) + ")");
            }
        }
    }
    if (found.empty() && !check.failed())
        check.error(sitesLine, "no sites: add a table [site.NAME] with an address for each");
    if (check.failed()) {
        check.report(errors);
        return false;
    }
    sites = std::move(found);
    return true;
}
