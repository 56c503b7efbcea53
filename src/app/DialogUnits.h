#pragma once

#include <QRect>
#include <QSize>

#include <vector>

class QFont;
class QWidget;

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
    QSize size(int width, int height) const;

private:
    int m_baseX;
    int m_baseY;
    double m_widen = 1.0;
};

// A dialog template: its size and its controls' positions in dialog units. apply() places
// them. Fonts whose texts run wider than the template's own would be clipped, so the
// horizontal unit grows (the whole dialog keeps its arrangement) until every text fits.
class TemplateLayout
{
public:
    TemplateLayout(QWidget* dialog, int width, int height);

    // fitText: the control's text must fit its width (buttons, labels, check boxes).
    void add(QWidget* control, int x, int y, int width, int height, bool fitText = true);
    void apply();

    const DialogUnits& units() const { return m_units; }

private:
    struct Item {
        QWidget* control;
        int x, y, width, height;
        bool fitText;
    };
    void place(const DialogUnits& units);

    QWidget* m_dialog;
    int m_width;
    int m_height;
    DialogUnits m_units;
    std::vector<Item> m_items;
};
