#include "DialogUnits.h"

#include <QFont>
#include <QFontMetrics>
#include <QWidget>

namespace {
// Rounds a * b / c to the nearest integer.
int mulDiv(int a, int b, int c)
{
    const long long p = static_cast<long long>(a) * b;
    return static_cast<int>(p >= 0 ? (p + c / 2) / c : (p - c / 2) / c);
}
}  // namespace

DialogUnits::DialogUnits(const QFont& font)
{
    const QFontMetrics metrics(font);
    // The average width of the 52 Latin letters, rounded, as dialog templates measure it.
    const int width = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    m_baseX = std::max(1, (width / 26 + 1) / 2);
    m_baseY = std::max(1, metrics.height());
}

int DialogUnits::x(int units) const
{
    return mulDiv(units, m_baseX, 4);
}

int DialogUnits::y(int units) const
{
    return mulDiv(units, m_baseY, 8);
}

QRect DialogUnits::rect(int left, int top, int width, int height) const
{
    return QRect(x(left), y(top), x(width), y(height));
}

QSize DialogUnits::size(int width, int height) const
{
    return QSize(x(width), y(height));
}

void DialogUnits::place(QWidget* widget, int left, int top, int width, int height) const
{
    widget->setGeometry(rect(left, top, width, height));
}
