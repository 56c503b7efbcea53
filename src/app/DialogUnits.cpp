#include "DialogUnits.h"

#include "lang/CLangResources.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <cstring>

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

TemplateLayout::TemplateLayout(QWidget* dialog, const ui::DialogTemplate& t, const Texts& texts)
    : m_dialog(dialog), m_width(t.rect.width), m_height(t.rect.height), m_units(dialog->font())
{
    if (t.titleKey)
        dialog->setWindowTitle(texts(t.titleKey));
    for (const ui::TemplateControl& c : t.controls)
        add(c, false, texts);
    for (const ui::TemplateControl& c : t.band)
        add(c, true, texts);
    if (!t.band.empty())
        m_height += t.bandGrow;
}

TemplateLayout::TemplateLayout(QWidget* dialog, int templateId)
    : TemplateLayout(dialog, *ui::dialogTemplate(templateId),
                     [lang = getLangResources()](const char* key) { return lang->text(key); })
{
}

void TemplateLayout::add(const ui::TemplateControl& c, bool band, const Texts& texts)
{
    using namespace ui;
    const QString text = c.textKey ? texts(c.textKey) : QString();
    const auto has = [&c](uint32_t style) { return (c.styles & style) != 0; };
    QWidget* w = nullptr;
    switch (c.kind) {
    case ControlKind::Button:
    case ControlKind::Defbutton: {
        auto* button = new QPushButton(text, m_dialog);
        button->setDefault(c.kind == ControlKind::Defbutton);
        if (auto* dialog = qobject_cast<QDialog*>(m_dialog)) {
            if (c.id == IDC_OK)
                QObject::connect(button, &QPushButton::clicked, dialog, &QDialog::accept);
            else if (c.id == IDC_CANCEL)
                QObject::connect(button, &QPushButton::clicked, dialog, &QDialog::reject);
        }
        w = button;
        break;
    }
    case ControlKind::Checkbox:
        w = new QCheckBox(text, m_dialog);
        break;
    case ControlKind::Static:
        w = new QLabel(text, m_dialog);
        break;
    case ControlKind::Edit: {
        auto* edit = new QLineEdit(text, m_dialog);
        if (has(Style::Password))
            edit->setEchoMode(QLineEdit::Password);
        if (has(Style::Number))
            edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
        edit->setFrame(has(Style::Border));
        w = edit;
        break;
    }
    case ControlKind::Listbox: {
        auto* list = new QListWidget(m_dialog);
        const auto policy = [&](uint32_t style) {
            if (!has(style))
                return Qt::ScrollBarAlwaysOff;
            return has(Style::Alwaysscroll) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded;
        };
        list->setVerticalScrollBarPolicy(policy(Style::Vscroll));
        list->setHorizontalScrollBarPolicy(policy(Style::Hscroll));
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setUniformItemSizes(true);
        list->setFrameShape(has(Style::Border) ? QFrame::StyledPanel : QFrame::NoFrame);
        w = list;
        break;
    }
    case ControlKind::Combobox:
        w = new QComboBox(m_dialog);
        break;
    case ControlKind::Progress: {
        auto* bar = new QProgressBar(m_dialog);
        bar->setTextVisible(false);
        w = bar;
        break;
    }
    }
    if (!c.visible())
        w->hide();
    if (has(Style::Disabled))
        w->setEnabled(false);
    // The band's line changes while the job runs; only the template's texts must fit.
    const bool fitText = !band
        && (c.kind == ControlKind::Button || c.kind == ControlKind::Defbutton || c.kind == ControlKind::Checkbox
            || c.kind == ControlKind::Static);
    m_items.push_back({w, &c, fitText});
}

QWidget* TemplateLayout::control(int id) const
{
    for (const Item& item : m_items)
        if (item.entry->id == id && id != -1)
            return item.control;
    return nullptr;
}

QLabel* TemplateLayout::label(const char* textKey) const
{
    for (const Item& item : m_items)
        if (item.entry->kind == ui::ControlKind::Static && item.entry->textKey && textKey
            && std::strcmp(item.entry->textKey, textKey) == 0)
            return qobject_cast<QLabel*>(item.control);
    return nullptr;
}

void TemplateLayout::apply()
{
    // Never more than half as wide again: a text that still does not fit is clipped.
    constexpr double kMaxWiden = 1.5;
    double factor = 1.0;
    for (const Item& item : m_items) {
        if (!item.fitText)
            continue;
        const int available = m_units.x(item.entry->rect.width);
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
    // A combo box's template height holds its dropped-down list; closed it is one edit high.
    constexpr int kClosedComboHeight = 12;
    m_dialog->setFixedSize(units.size(m_width, m_height));
    for (const Item& item : m_items) {
        ui::UnitRect unitRect = item.entry->rect;
        if (item.entry->kind == ui::ControlKind::Combobox)
            unitRect.height = std::min(unitRect.height, kClosedComboHeight);
        QRect r = units.rect(unitRect);
        // An edit or a closed combo can be shorter than the style's frame needs.
        if (!item.fitText)
            r.setHeight(std::max(r.height(), std::min(item.control->sizeHint().height(), r.height() * 2)));
        item.control->setGeometry(r);
    }
}
