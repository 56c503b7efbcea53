#pragma once

#include <cstdint>
#include <span>

// The dialog templates 102, 133 and 134 as both front ends lay them out: generated at build
// time from src/resources/dialogs.txt, which also gives the Windows .rc templates. Positions
// and sizes are in dialog units; text keys are those of the language catalogues.
namespace ui {

enum class ControlKind : uint8_t { Button, Defbutton, Checkbox, Static, Edit, Listbox, Combobox, Progress };

namespace Style {
enum : uint32_t {
    Visible = 1u << 0,
    Disabled = 1u << 1,
    Tabstop = 1u << 2,
    Group = 1u << 3,
    Border = 1u << 4,
    Number = 1u << 5,  // digits only
    Password = 1u << 6,
    Autohscroll = 1u << 7,
    Vscroll = 1u << 8,
    Hscroll = 1u << 9,
    Alwaysscroll = 1u << 10,  // scroll bars shown even when there is nothing to scroll
    Nointegralheight = 1u << 11,
    Notify = 1u << 12,
    Sort = 1u << 13,
    Dropdown = 1u << 14,  // a drop-down list to pick from, nothing typed
    Popup = 1u << 15,
    Caption = 1u << 16,
    Sysmenu = 1u << 17,
    Modalframe = 1u << 18,
    Appwindow = 1u << 19,  // shown in the task bar
};
}

struct UnitRect {
    int x, y, width, height;
};

struct TemplateControl {
    int id;  // -1: a label nobody addresses
    ControlKind kind;
    UnitRect rect;
    const char* textKey;  // nullptr: no text
    uint32_t styles;

    bool visible() const { return (styles & Style::Visible) != 0; }
};

struct DialogTemplate {
    int id;
    UnitRect rect;  // x and y 0
    const char* titleKey;
    int fontPoints;
    const char* fontName;
    uint32_t styles;
    std::span<const TemplateControl> controls;  // in tab order
    // The progress band a front end adds at run time below the controls; the dialog grows by
    // bandGrow units and no template control moves.
    int bandGrow;
    std::span<const TemplateControl> band;

    // nullptr when the template has no control of that id.
    const TemplateControl* control(int controlId) const;
    const TemplateControl* bandControl(int controlId) const;
};

// A text of the catalogues that is neither a string of the table nor a template text, with the
// id the Windows resources carry it under.
struct NamedString {
    int id;
    const char* key;
};

std::span<const DialogTemplate> dialogTemplates();
std::span<const NamedString> namedStrings();
// The template of that id; nullptr when there is none.
const DialogTemplate* dialogTemplate(int id);
// The id of a named string; 0 when there is none.
int namedStringId(const char* key);

// The templates' ids and the ids of their controls.
constexpr int IDD_BACKUP = 102;
constexpr int IDD_PASSWORD = 133;
constexpr int IDD_SKD_CHOOSE = 134;
constexpr int IDC_OK = 1;
constexpr int IDC_CANCEL = 2;  // also the main dialog's close button
constexpr int IDC_PORT = 1001;
constexpr int IDC_BACKUP = 1002;
constexpr int IDC_RESTORE = 1003;
constexpr int IDC_ADDRESS = 1004;
constexpr int IDC_STATUS_LIST = 1006;
constexpr int IDC_PASSWORD = 1010;
constexpr int IDC_IDENTICAL = 1011;
constexpr int IDC_MASTER = 1013;
constexpr int IDC_PROGRESS_TEXT = 1020;
constexpr int IDC_PROGRESS_BAR = 1021;

}  // namespace ui
