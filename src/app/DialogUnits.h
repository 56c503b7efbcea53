#pragma once

#include <QRect>
#include <QSize>

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

    int x(int units) const;
    int y(int units) const;
    QRect rect(int x, int y, int width, int height) const;
    QSize size(int width, int height) const;

    // Places a child at a template position.
    void place(QWidget* widget, int x, int y, int width, int height) const;

private:
    int m_baseX;
    int m_baseY;
};
