#pragma once

#include <string>
#include <vector>

// The inventory of nexo-backup-cli fleet: a TOML file with defaults and one table per site.
//
//   [defaults]                      # optional; every key of a site but its address
//   password_file = "site.pw"       # relative paths are taken from the inventory's folder
//   skd = "none"                    # "all", "none" or a master number 1 to 8
//   timeout = 900                   # seconds the site's job may run
//
//   [site.lobby-north]
//   address = "10.20.0.11"
//   skd = 3
struct FleetSite {
    static constexpr double kDefaultTimeoutSeconds = 900;

    std::string name;
    std::string address;
    std::string passwordFile;
    std::string skd = "none";  // as backup --skd takes it
    double timeoutSeconds = kDefaultTimeoutSeconds;
    int line = 0;  // of the site's table
};

// Reads and checks the whole inventory, password files included, before anything connects.
// False with every problem found, each as "FILE:LINE: text".
bool loadInventory(const std::string& path, std::vector<FleetSite>& sites, std::vector<std::string>& errors);

// Whether name can be a site's name: it names the site's folder and files in the archive,
// so only letters, digits, '.', '_' and '-', not starting with '.' or '-', and none of the
// names Windows keeps for devices.
bool validSiteName(const std::string& name);
