#include "DamagedBackups.h"

namespace testsupport {

namespace {

// One Base64 character more in the value of key, at position at: the damage of a slipped key.
void insertCharacter(BackupText& f, const std::string& key, size_t at)
{
    std::string value = f.value(key);
    value.insert(at, 1, 'A');
    f.set(key, value);
}

const std::string u = "UserManagerConfig.", c = "ConfigManager.";

}  // namespace

const std::vector<DamagedBackup>& damagedBackups()
{
    static const std::vector<DamagedBackup> cases = {
        {"complete", [](BackupText&) {}, {}, 0},
        // Refused by the restore's file and version checks.
        {"version missing", [](BackupText& f) { f.remove("Global.Version"); },
         {"refused: Global.Version is missing: the restore refuses the file"}, 1},
        {"version too old", [](BackupText& f) { f.set("Global.Version", "103"); },
         {"refused: Global.Version is \"103\": files older than version 104 are not restored"}, 1},
        {"version no gateway has", [](BackupText& f) { f.set("Global.Version", "108.5"); },
         {"refused: Global.Version is \"108.5\": no gateway has that version, so the file restores to none"}, 1},
        {"Data missing", [](BackupText& f) { f.remove(c + "Data"); },
         {"refused: ConfigManager.Data is missing: the restore refuses the file"}, 1},
        {"DataLength missing", [](BackupText& f) { f.remove("DayLightConfig.DataLength"); },
         {"refused: DayLightConfig.DataLength is missing: the restore refuses the file"}, 1},
        {"negative length", [](BackupText& f) { f.set(c + "DataLength", "-5"); },
         {"refused: ConfigManager.DataLength is negative (-5): the restore refuses the file"}, 1},
        {"length beyond any frame", [](BackupText& f) { f.set(c + "DataLength", "67108865"); },
         {"refused: ConfigManager.DataLength is 67108865, above the limit of 67108864 bytes: the restore refuses the file"},
         1},
        {"Data decodes short", [](BackupText& f) { f.set(c + "DataLength", "201"); },
         {"refused: ConfigManager.Data decodes to 200 bytes, fewer than its DataLength of 201: the restore refuses the file"},
         1},
        // A file a backup wrote always decodes to its DataLength: anything else is damage.
        {"Data longer than its length", [](BackupText& f) { f.set(u + "DataLength", "999"); },
         {"refused: UserManagerConfig.Data decodes to 1000 bytes, more than its DataLength of 999: the restore refuses "
          "the file"},
         1},
        {"Data of an empty object", [](BackupText& f) { f.set("SystemTimeConfig.DataLength", "0"); },
         {"refused: SystemTimeConfig.Data decodes to 4 bytes, more than its DataLength of 0: the restore refuses the "
          "file"},
         1},
        {"one Base64 character too many in an object", [](BackupText& f) { insertCharacter(f, u + "Data", 4); },
         {"refused: UserManagerConfig.Data decodes to 1001 bytes, more than its DataLength of 1000: the restore refuses "
          "the file"},
         1},
        {"one Base64 character too many where it adds no byte",
         [](BackupText& f) { insertCharacter(f, "DayLightConfig.Data", 4); },
         {"refused: DayLightConfig.Data decodes to 30 bytes and one stray character: the restore refuses the file"}, 1},
        {"one Base64 character too many in an SKD image", [](BackupText& f) { insertCharacter(f, "SKD1.Data", 4); },
         {"refused: SKD1.Data decodes to 62001 bytes, more than its DataLength of 62000: the restore refuses the file"},
         1},
        {"SKD image decodes short", [](BackupText& f) { f.set("SKD2.DataLength", "62001"); },
         {"refused: SKD2.Data decodes to 62000 bytes, fewer than its DataLength of 62001: the restore refuses the file"},
         1},
        {"SKD image cut short",
         [](BackupText& f) {
             f.set("SKD1.DataLength", "31000");
             f.setData("SKD1.Data", BackupText::randomBytes(31000, 4));
         },
         {"refused: SKD1.Data is incomplete: 31000 of the 62000 bytes of the template area (the backup was cut short): "
          "the restore refuses the file, --skd restores the other SKDs alone"},
         1},
        {"master image cut short",
         [](BackupText& f) {
             f.set("SKD0.MASTER", "193");
             f.set("SKD1.DataLength", "1000");
             f.setData("SKD1.Data", BackupText::randomBytes(1000, 4));
         },
         {"refused: SKD1.Data is incomplete: 1000 of the 62000 bytes of the template area (the backup was cut short): "
          "the restore refuses the file, --skd none restores the gateway alone",
          "note: master mode: the image of SKD 2 is not restored, every SKD gets the master's"},
         1},
        // The restore goes on but leaves an SKD unrestored or unchecked.
        {"SKD image missing", [](BackupText& f) { f.remove("SKD2.Data"); },
         {"incomplete: SKD2.Data is missing: SKD 2 is not restored"}, 1},
        {"SKD length above the buffer", [](BackupText& f) { f.set("SKD2.DataLength", "70000"); },
         {"incomplete: SKD2.DataLength is 70000, above the limit of 63000 bytes: SKD 2 is not restored"}, 1},
        {"SKD length negative", [](BackupText& f) { f.set("SKD2.DataLength", "-1"); },
         {"incomplete: SKD2.DataLength is negative (-1): SKD 2 is not restored"}, 1},
        {"SKD length 0", [](BackupText& f) { f.set("SKD2.DataLength", "0"); },
         {"incomplete: SKD2.DataLength is 0: SKD 2 is not restored"}, 1},
        {"CRC missing", [](BackupText& f) { f.remove("SKD1.CRC"); },
         {"incomplete: SKD1.CRC is missing: SKD 1 cannot be checked and counts as not restored"}, 1},
        {"CFG of the wrong size", [](BackupText& f) { f.setData("SKD1.CFG", {1, 2, 3}); },
         {"incomplete: SKD1.CFG holds 3 bytes, not 5: SKD 1 gets no configuration record"}, 1},
        {"SKD that never answered", [](BackupText& f) { f.set("SKD64.DataLength", "0"); },
         {"incomplete: SKD64.DataLength: an SKD did not answer during the backup, and its data is not in the file"}, 1},
        {"records without DataLength", [](BackupText& f) { f.remove("SKD2.DataLength"); },
         {"incomplete: SKD 2 has records but no DataLength: it is not restored"}, 1},
        {"SKD records for a gateway without SKDs", [](BackupText& f) { f.set("Global.Version", "107"); },
         {"incomplete: the file holds SKD records, but a gateway of version 107 has no SKDs: they are not restored"}, 1},
        {"master without its records", [](BackupText& f) { f.set("SKD0.MASTER", "195"); },
         {"note: master mode with master SKD 3, but the image and CRC written to every SKD are SKD 1's",
          "note: master mode: the image of SKD 2 is not restored, every SKD gets the master's",
          "incomplete: SKD3.CFG is missing: no configuration record is sent"},
         1},
        // Worked around without a word, nothing the file holds is lost.
        {"unknown key", [](BackupText& f) { f.set("Foo.Bar", "1"); }, {"note: Foo.Bar is no key the restore reads"}, 0},
        {"SKD key the restore never reads", [](BackupText& f) { f.set("SKD01.DataLength", "5"); },
         {"note: SKD01.DataLength is no key the restore reads"}, 0},
        {"line without =", [](BackupText& f) { f.appendLine("garbage"); },
         {"note: line 19 has no \"=\" and is ignored"}, 0},
        {"line with an empty value", [](BackupText& f) { f.appendLine("Foo="); },
         {"note: line 19 (Foo) has an empty value and is ignored"}, 0},
        {"key too long", [](BackupText& f) { f.appendLine(std::string(255, 'K') + "=1"); },
         {"note: line 19 has a key longer than 254 bytes and is ignored"}, 0},
        {"key repeated", [](BackupText& f) { f.appendLine("SKD0.MASTER=192"); },
         {"note: line 10 (SKD0.MASTER) is replaced by line 19: the later line wins"}, 0},
        {"length with blanks", [](BackupText& f) { f.set(u + "DataLength", " 1000"); },
         {"note: UserManagerConfig.DataLength is \" 1000\", read as 1000"}, 0},
        {"byte order mark", [](BackupText& f) { f.prepend("\xEF\xBB\xBF"); },
         {"note: the file begins with a UTF-8 byte order mark, which is skipped"}, 0},
        {"master beyond 8 bits", [](BackupText& f) { f.set("SKD0.MASTER", "448"); },
         {"note: SKD0.MASTER is 448, read as the address 192: single mode"}, 0},
        {"master missing", [](BackupText& f) { f.remove("SKD0.MASTER"); }, {"note: SKD0.MASTER is missing: single mode"}, 0},
        {"CRC longer than a record", [](BackupText& f) { f.setData("SKD1.CRC", {1, 2, 3, 4, 5, 6}); },
         {"note: SKD1.CRC holds 6 bytes: only the first 5 are used"}, 0},
        {"image longer than the template area",
         [](BackupText& f) {
             f.set("SKD1.DataLength", "62500");
             f.setData("SKD1.Data", BackupText::randomBytes(62500, 3));
         },
         {"note: SKD1.DataLength is 62500: only the first 62000 bytes fit the template area and are written"}, 0},
        {"no SKD data",
         [](BackupText& f) {
             for (const char* key : {"SKD0.MASTER", "SKD1.DataLength", "SKD1.Data", "SKD1.CFG", "SKD1.CRC",
                                     "SKD2.DataLength", "SKD2.Data", "SKD2.CFG", "SKD2.CRC"})
                 f.remove(key);
         },
         {"note: the file holds no SKD image: the restore writes no SKD"}, 0},
    };
    return cases;
}

}  // namespace testsupport
