#include "cli/FleetArchive.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <tuple>

namespace fleetarchive {

namespace {

constexpr size_t kStampSize = 16;  // 20261211T013000Z
const std::string kExtension = ".mrk";
const std::string kFailed = "-failed";

std::filesystem::path pathOf(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string nameOf(const std::filesystem::path& path)
{
    const std::u8string text = path.filename().u8string();
    return std::string(text.begin(), text.end());
}

bool digits(const std::string& text, size_t from, size_t count)
{
    if (from + count > text.size())
        return false;
    for (size_t i = from; i < from + count; ++i)
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return false;
    return true;
}

bool parse(const std::string& name, const std::string& site, Entry& entry)
{
    const std::string prefix = site + "-";
    if (name.size() < prefix.size() + kStampSize + kExtension.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - kExtension.size(), kExtension.size(), kExtension) != 0)
        return false;
    std::string rest = name.substr(prefix.size(), name.size() - prefix.size() - kExtension.size());
    const std::string stamp = rest.substr(0, kStampSize);
    if (!digits(stamp, 0, 8) || stamp[8] != 'T' || !digits(stamp, 9, 6) || stamp[15] != 'Z')
        return false;
    rest.erase(0, kStampSize);
    entry = Entry{};
    entry.name = name;
    entry.stamp = stamp;
    if (rest.size() >= kFailed.size() && rest.compare(rest.size() - kFailed.size(), kFailed.size(), kFailed) == 0) {
        entry.failed = true;
        rest.erase(rest.size() - kFailed.size());
    }
    if (rest.empty())
        return true;
    if (rest[0] != '-' || rest.size() < 2 || rest.size() > 6 || !digits(rest, 1, rest.size() - 1) || rest[1] == '0')
        return false;
    entry.sequence = std::stoi(rest.substr(1));
    return entry.sequence >= 2;
}

bool older(const Entry& a, const Entry& b)
{
    return std::tie(a.stamp, a.sequence, a.failed) < std::tie(b.stamp, b.sequence, b.failed);
}

std::string baseOf(const Entry& e, const std::string& site)
{
    return site + "-" + e.stamp + (e.sequence > 1 ? "-" + std::to_string(e.sequence) : std::string());
}

}  // namespace

std::string utcStamp(std::chrono::system_clock::time_point time)
{
    using namespace std::chrono;
    const auto day = floor<days>(time);
    const year_month_day date(day);
    const hh_mm_ss clock(floor<seconds>(time - day));
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02u%02uT%02d%02d%02dZ", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                  static_cast<int>(clock.seconds().count()));
    return text;
}

std::string utcText(std::chrono::system_clock::time_point time)
{
    const std::string s = utcStamp(time);
    return s.substr(0, 4) + "-" + s.substr(4, 2) + "-" + s.substr(6, 2) + "T" + s.substr(9, 2) + ":" + s.substr(11, 2) +
           ":" + s.substr(13, 2) + "Z";
}

std::vector<Entry> list(const std::string& siteFolder, const std::string& site)
{
    std::vector<Entry> entries;
    std::error_code error;
    for (const auto& item : std::filesystem::directory_iterator(pathOf(siteFolder), error)) {
        Entry entry;
        std::error_code ignored;
        if (item.is_regular_file(ignored) && parse(nameOf(item.path()), site, entry))
            entries.push_back(entry);
    }
    std::sort(entries.begin(), entries.end(), older);
    return entries;
}

std::string newBase(const std::string& siteFolder, const std::string& site, const std::string& stamp)
{
    int sequence = 0;
    for (const Entry& e : list(siteFolder, site))
        if (e.stamp == stamp)
            sequence = std::max(sequence, e.sequence);
    // A backup of a later second sorts after one of this second whatever its number.
    return site + "-" + stamp + (sequence > 0 ? "-" + std::to_string(sequence + 1) : std::string());
}

std::string previousGood(const std::string& siteFolder, const std::string& site, const std::string& base)
{
    std::string previous;
    for (const Entry& e : list(siteFolder, site)) {
        if (baseOf(e, site) == base)
            break;
        if (!e.failed)
            previous = e.name;
    }
    return previous;
}

std::vector<std::string> prune(const std::string& siteFolder, const std::string& site, int keep)
{
    const std::vector<Entry> entries = list(siteFolder, site);
    std::vector<const Entry*> good;
    std::vector<const Entry*> failed;
    for (const Entry& e : entries)
        (e.failed ? failed : good).push_back(&e);
    std::vector<const Entry*> remove;
    const size_t kept = static_cast<size_t>(std::max(keep, 1));
    if (good.size() > kept)
        remove.assign(good.begin(), good.end() - static_cast<std::ptrdiff_t>(kept));
    const Entry* oldestKept = good.size() > remove.size() ? good[remove.size()] : nullptr;
    size_t failedKept = 0;
    for (auto it = failed.rbegin(); it != failed.rend(); ++it) {
        if ((oldestKept && older(**it, *oldestKept)) || failedKept >= kept)
            remove.push_back(*it);
        else
            ++failedKept;
    }
    std::vector<std::string> removed;
    for (const Entry* e : remove) {
        std::error_code error;
        if (std::filesystem::remove(pathOf(siteFolder) / pathOf(e->name), error))
            removed.push_back(e->name);
    }
    return removed;
}

}  // namespace fleetarchive
