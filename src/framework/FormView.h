#pragma once

#include "DialogUnits.h"
#include "FormBuilder.h"
#include "View.h"

class QLineEdit;
class QScrollArea;

namespace fw {

// Direction of one data exchange between a form's controls and its members.
class DataExchange
{
public:
    explicit DataExchange(bool saveAndValidate) : m_save(saveAndValidate) {}
    // True: controls -> members; false: members -> controls.
    bool saveAndValidate() const { return m_save; }

private:
    bool m_save;
};

// Copies an edit's whole text into the member, or the member into the edit.
void ddxText(const DataExchange &dx, QLineEdit *edit, QString &value);

// A view that shows a fixed form, made from its dialog template and laid out
// in dialog units. The form keeps its size; a view smaller than the form
// scrolls. A click on one of its push buttons is routed as the command of the
// button's id.
class FormView : public View
{
    Q_OBJECT

public:
    explicit FormView(const DialogResource &formTemplate, QWidget *parent = nullptr);
    ~FormView() override;

    // The widget that the form's controls are placed on.
    QWidget *form() const { return m_form; }
    const DialogUnits &units() const { return m_units; }
    QSize formSize() const;

    // The form's control of the given id; null for an id it does not have.
    QWidget *control(int id) const { return m_controls.byId(id); }
    template<typename T>
    T *control(int id) const
    {
        return m_controls.byId<T>(id);
    }

    // Runs doDataExchange in the given direction.
    bool updateData(bool saveAndValidate = true);

    // Transfers the members to the controls, then updates from the document.
    void onInitialUpdate() override;

    // Makes the frame smaller (or, unless shrinkOnly, also larger) so that
    // this view has exactly the form's size; position and stacking stay.
    void resizeParentToFit(bool shrinkOnly = true);

protected:
    virtual void doDataExchange(DataExchange &dx);

private:
    DialogUnits m_units;
    QScrollArea *m_scroll;
    QWidget *m_form;
    FormControls m_controls;
};

} // namespace fw
