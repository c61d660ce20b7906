#pragma once

#include "DialogResources.h"

#include <QFont>
#include <QHash>
#include <QIcon>
#include <QWidget>

#include <functional>

namespace fw {

class DialogUnits;

// The font a template names. Fontconfig picks the nearest installed face
// when it is missing; the dialog units follow whatever face that is.
QFont dialogFont(const DialogResource &resource);

// The controls made from one template, found by their ids.
class FormControls
{
public:
    QWidget *byId(int id) const { return m_byId.value(id); }
    template<typename T>
    T *byId(int id) const
    {
        return qobject_cast<T *>(byId(id));
    }

private:
    friend FormControls buildForm(QWidget *, const DialogUnits &, const DialogResource &,
                                  const std::function<QIcon(int)> &, const std::function<void(int)> &);
    QHash<int, QWidget *> m_byId;
};

// Makes the template's controls on the form, placed by the dialog units, in
// template order and tab order. loadIcon gives icon controls their image;
// clicked gets the id of a push button when it is clicked.
FormControls buildForm(QWidget *form, const DialogUnits &units, const DialogResource &resource,
                       const std::function<QIcon(int)> &loadIcon, const std::function<void(int)> &clicked);

} // namespace fw
