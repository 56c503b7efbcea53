#pragma once

#include "ui/DialogTemplates.h"

#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

class QFont;
class QLabel;

// Dialog template units converted to pixels the way dialog templates are laid out: one
// horizontal unit is a quarter of the font's average character width, one vertical unit an
// eighth of its height. Dialogs thus keep their templates' proportions with any system font.
class DialogUnits
{
public:
    explicit DialogUnits(const QFont& font);

    int baseX() const { return m_baseX; }
    int baseY() const { return m_baseY; }

    // Makes the horizontal unit wider by factor (>= 1).
    void widen(double factor);

    int x(int units) const;
    int y(int units) const;
    QRect rect(int x, int y, int width, int height) const;
    QRect rect(const ui::UnitRect& r) const { return rect(r.x, r.y, r.width, r.height); }
    QSize size(int width, int height) const;

private:
    int m_baseX;
    int m_baseY;
    double m_widen = 1.0;
};

// A dialog built from its template: the controls are created in tab order with their texts,
// visibility, enabled state and the styles a widget can take, then the template's progress
// band, the dialog growing by it. A button with the id of OK accepts a QDialog, one with the
// id of Cancel rejects it. apply() places everything. Fonts whose texts run wider than the
// template's own would be clipped, so the horizontal unit grows (the whole dialog keeps its
// arrangement) until every text fits.
class TemplateLayout
{
public:
    using Texts = std::function<QString(const char* key)>;

    // texts: a text key's text in the dialog's language.
    TemplateLayout(QWidget* dialog, const ui::DialogTemplate& dialogTemplate, const Texts& texts);
    // The template of that id, with the texts of the loaded language file.
    TemplateLayout(QWidget* dialog, int templateId);

    // The control of that id (template or band); nullptr when there is none.
    QWidget* control(int id) const;
    template <typename W>
    W* control(int id) const
    {
        return qobject_cast<W*>(control(id));
    }
    // A label nobody addresses by id, by its text key; nullptr when there is none.
    QLabel* label(const char* textKey) const;

    void apply();

    const DialogUnits& units() const { return m_units; }

private:
    struct Item {
        QWidget* control;
        const ui::TemplateControl* entry;
        bool fitText;  // the text must fit the control's width (buttons, labels, check boxes)
    };
    void add(const ui::TemplateControl& entry, bool band, const Texts& texts);
    void place(const DialogUnits& units);

    QWidget* m_dialog;
    int m_width;
    int m_height;
    DialogUnits m_units;
    std::vector<Item> m_items;
};
