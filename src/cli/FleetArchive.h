#pragma once

#include <chrono>
#include <string>
#include <vector>

// The archive of nexo-backup-cli fleet: ARCHIVE/<site>/<site>-<stamp>.mrk for each good
// backup and <site>-<stamp>-failed.mrk for a failed or incomplete one, the stamp being the
// UTC date and time of its start (20261211T013000Z). Two backups of one site that start in the
// same second get -2, -3, ... after the stamp. Names never change once written, so the
// archive can be kept in a version control system.
namespace fleetarchive {

// 20261211T013000Z
std::string utcStamp(std::chrono::system_clock::time_point time);
// 2026-12-11T01:30:00Z
std::string utcText(std::chrono::system_clock::time_point time);

struct Entry {
    std::string name;  // file name
    std::string stamp;
    int sequence = 1;
    bool failed = false;
};

// The site's backups in its folder, oldest first; other files are not the archive's.
std::vector<Entry> list(const std::string& siteFolder, const std::string& site);

// "<site>-<stamp>" or "<site>-<stamp>-N": a name no backup in the folder has.
std::string newBase(const std::string& siteFolder, const std::string& site, const std::string& stamp);

// The newest good backup older than the one named base; empty when there is none.
std::string previousGood(const std::string& siteFolder, const std::string& site, const std::string& base);

// Keeps the newest keep good backups; failed ones only while newer than the oldest good one
// kept, and at most keep of them. Answers the names removed.
std::vector<std::string> prune(const std::string& siteFolder, const std::string& site, int keep);

}  // namespace fleetarchive
