#include "FormBuilder.h"

#include "DialogUnits.h"
#include "ListBox.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace fw {

namespace {

// A static icon control sizes itself to the icon, whatever its template says.
constexpr int kIconPixels = 32;

QWidget *makeControl(QWidget *form, const ControlResource &c, const std::function<QIcon(int)> &loadIcon)
{
    const QString text = QString::fromUtf8(c.text ? c.text : "");
    switch (c.kind) {
    case ControlKind::GroupBox: {
        auto *box = new QGroupBox(text, form);
        box->setFocusPolicy(Qt::NoFocus);
        return box;
    }
    case ControlKind::Label: {
        auto *label = new QLabel(text, form);
        label->setAlignment(((c.style & AlignRight) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
        label->setTextFormat(Qt::PlainText);
        return label;
    }
    case ControlKind::Icon: {
        auto *icon = new QLabel(form);
        const QIcon image = loadIcon ? loadIcon(c.iconId) : QIcon();
        icon->setPixmap(image.pixmap(QSize(kIconPixels, kIconPixels), form->devicePixelRatio()));
        return icon;
    }
    case ControlKind::ReadOnlyEdit: {
        auto *edit = new QLineEdit(form);
        edit->setReadOnly(true);
        edit->setFocusPolicy(Qt::StrongFocus);
        // Files dropped here go to the frame, which opens them.
        edit->setAcceptDrops(false);
        return edit;
    }
    case ControlKind::ListBox: {
        // Its keyboard works as a desktop list box's: what shows the focus
        // is what a command on the selection takes.
        auto *list = new ListBox(form);
        list->setSortingEnabled(false);
        // A vertical scroll bar when the items do not fit, never a
        // horizontal one.
        list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->setFocusPolicy(Qt::StrongFocus);
        return list;
    }
    case ControlKind::PushButton: {
        auto *button = new QPushButton(text, form);
        if (c.style & DefaultButton) {
            button->setDefault(true);
        } else {
            button->setAutoDefault(false);
            button->setDefault(false);
        }
        button->setFocusPolicy(Qt::StrongFocus);
        return button;
    }
    }
    return nullptr;
}

} // namespace

QFont dialogFont(const DialogResource &resource)
{
    QFont font(QString::fromUtf8(resource.fontFamily));
    font.setPointSize(resource.pointSize);
    font.setWeight(QFont::Normal);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

FormControls buildForm(QWidget *form, const DialogUnits &units, const DialogResource &resource,
                       const std::function<QIcon(int)> &loadIcon, const std::function<void(int)> &clicked)
{
    FormControls controls;
    QList<QWidget *> tabStops;
    for (const ControlResource &c : resource.controls) {
        QWidget *control = makeControl(form, c, loadIcon);
        if (!control)
            continue;
        control->setObjectName(QLatin1String(c.objectName));
        if (c.kind == ControlKind::Icon)
            control->setGeometry(units.x(c.x), units.y(c.y), kIconPixels, kIconPixels);
        else
            control->setGeometry(units.rect(c.x, c.y, c.width, c.height));
        // Group boxes stay at the bottom of the stack, so they never take a
        // click meant for a control drawn inside them.
        if (c.kind == ControlKind::GroupBox)
            control->lower();
        if (control->focusPolicy() & Qt::TabFocus)
            tabStops << control;
        if (auto *button = qobject_cast<QPushButton *>(control); button && clicked) {
            const int id = c.id;
            QObject::connect(button, &QPushButton::clicked, form, [clicked, id] { clicked(id); });
        }
        if (c.id != -1)
            controls.m_byId.insert(c.id, control);
    }
    for (qsizetype i = 1; i < tabStops.size(); ++i)
        QWidget::setTabOrder(tabStops.at(i - 1), tabStops.at(i));
    return controls;
}

} // namespace fw
