#include "DialogUnits.h"

#include <QFont>
#include <QFontMetrics>
#include <QWidget>

#include <algorithm>
#include <cmath>

DialogUnits::DialogUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    // The average width of the 52 Latin letters, rounded, as dialog templates measure it.
    const int width = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_baseX = std::max(1, (width / 26 + 1) / 2);
    m_baseY = std::max(1, metrics.height());
}

void DialogUnits::widen(double factor)
{
    m_widen = std::max(1.0, factor);
}

int DialogUnits::x(int units) const
{
    return static_cast<int>(std::lround(units * m_baseX * m_widen / 4.0));
}

int DialogUnits::y(int units) const
{
    return static_cast<int>(std::lround(units * m_baseY / 8.0));
}

QRect DialogUnits::rect(int left, int top, int width, int height) const
{
    return QRect(x(left), y(top), x(width), y(height));
}

QSize DialogUnits::size(int width, int height) const
{
    return QSize(x(width), y(height));
}

TemplateLayout::TemplateLayout(QWidget* dialog, int width, int height)
    : m_dialog(dialog), m_width(width), m_height(height), m_units(dialog->font())
{
}

void TemplateLayout::add(QWidget* control, int x, int y, int width, int height, bool fitText)
{
    m_items.push_back({control, x, y, width, height, fitText});
}

void TemplateLayout::apply()
{
    // Never more than half as wide again: a text that still does not fit is clipped.
    constexpr double kMaxWiden = 1.5;
    double factor = 1.0;
    for (const Item& item : m_items) {
        if (!item.fitText)
            continue;
        const int available = m_units.x(item.width);
        // Half a character of air, so a text does not touch its frame.
        const int needed = item.control->sizeHint().width() + m_units.baseX() / 2;
        if (available > 0 && needed > available)
            factor = std::max(factor, static_cast<double>(needed) / available);
    }
    m_units.widen(std::min(factor, kMaxWiden));
    place(m_units);
}

void TemplateLayout::place(const DialogUnits& units)
{
    m_dialog->setFixedSize(units.size(m_width, m_height));
    for (const Item& item : m_items) {
        QRect r = units.rect(item.x, item.y, item.width, item.height);
        // An edit or a closed combo can be shorter than the style's frame needs.
        if (!item.fitText)
            r.setHeight(std::max(r.height(), std::min(item.control->sizeHint().height(), r.height() * 2)));
        item.control->setGeometry(r);
    }
}
